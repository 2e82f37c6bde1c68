#include "base/widgets/facecolour.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>

namespace {
void paintFace(QWidget* widget, const QColor& face)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, face);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}
} // namespace

void SetFaceColour(QWidget* window)
{
    const QColor face = window->palette().color(QPalette::Button);
    paintFace(window, face);
    const auto children = window->findChildren<QWidget*>();
    for (QWidget* child : children) {
        if (qobject_cast<QRadioButton*>(child) || qobject_cast<QCheckBox*>(child) || qobject_cast<QGroupBox*>(child)
            || qobject_cast<QLabel*>(child))
            paintFace(child, face);
    }
}
