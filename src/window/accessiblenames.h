// Names for screen readers: every control of the main window is announced by
// its caption or by the label beside it, and the "..." button by what it does.
// Called once by Form1.
#pragma once

class Form1;

void nameControlsForScreenReaders(Form1& form);
