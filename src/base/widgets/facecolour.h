#pragma once

class QWidget;

// Gives the window, its option buttons, check boxes, frames and labels the
// system's button-face colour.
void SetFaceColour(QWidget* window);
