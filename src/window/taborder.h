// The main window's keyboard order: Tab moves through the controls as they are
// read, the left half (the list and its buttons, row by row) before the right
// (the pages, the save option, "Start Replacing"); the file list has the focus
// at start; Return on a focused push button clicks it. Called once by Form1.
#pragma once

class Form1;

void setKeyboardOrder(Form1& form);
