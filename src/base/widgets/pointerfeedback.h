// Mouse-move feedback: hovering a push button asks for the hand pointer (99),
// hovering the background, a frame or a box for the default (0); neither
// replaces the hourglass.
#pragma once

#include <QObject>

class QWidget;
class WindowPointer;

class PointerFeedback : public QObject {
    Q_OBJECT

public:
    PointerFeedback(WindowPointer& pointer, QObject* parent);

    void watch(QWidget* widget, int pointerValue);
    // Every push button under the widget gets the hand pointer.
    void watchButtons(QWidget* root);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    WindowPointer& m_pointer;
};
