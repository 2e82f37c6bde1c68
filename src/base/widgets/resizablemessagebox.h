// A message box whose unfolded details the user can enlarge: a run's report
// may hold thousands of lines, and Qt's box fixes its size at every layout.
#pragma once

#include <QMessageBox>

class ResizableMessageBox : public QMessageBox {
public:
    explicit ResizableMessageBox(QWidget* parent) : QMessageBox(parent) { }

protected:
    bool event(QEvent* event) override;
};
