#include "base/widgets/pointerfeedback.h"

#include "base/windowpointer.h"

#include <QMouseEvent>
#include <QPushButton>
#include <QVariant>

namespace {
const char pointerProperty[] = "tallowmerePointerOnHover";
}

PointerFeedback::PointerFeedback(WindowPointer& pointer, QObject* parent) : QObject(parent), m_pointer(pointer) { }

void PointerFeedback::watch(QWidget* widget, int pointerValue)
{
    widget->setMouseTracking(true);
    widget->setProperty(pointerProperty, pointerValue);
    widget->installEventFilter(this);
}

void PointerFeedback::watchButtons(QWidget* root)
{
    const auto buttons = root->findChildren<QPushButton*>();
    for (QPushButton* button : buttons)
        watch(button, WindowPointer::Custom);
}

bool PointerFeedback::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseMove && watched->isWidgetType()) {
        auto* widget = static_cast<QWidget*>(watched);
        // A move a watched child ignored travels on to its parents: the child
        // under the pointer has answered already.
        const QPoint at = static_cast<QMouseEvent*>(event)->position().toPoint();
        for (QWidget* under = widget->childAt(at); under && under != widget; under = under->parentWidget()) {
            if (under->property(pointerProperty).isValid())
                return false;
        }
        m_pointer.hover(widget->property(pointerProperty).toInt());
    }
    return QObject::eventFilter(watched, event);
}
