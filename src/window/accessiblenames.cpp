#include "window/accessiblenames.h"

#include "filelist/widgets/filelistview.h"
#include "window/form1.h"
#include "window/tabcontrol.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>

namespace {
// " Find what (exact case):" is read as "Find what (exact case)".
QString spokenCaption(const QString& caption)
{
    QString text = caption.trimmed();
    if (text.endsWith(QLatin1Char(':')))
        text.chop(1);
    return text;
}

void nameByLabel(QLabel* label, QWidget* control)
{
    label->setBuddy(control);
    control->setAccessibleName(spokenCaption(label->text()));
    // A combo box's drop-down list is a control of its own to a screen reader.
    if (auto* combo = qobject_cast<QComboBox*>(control))
        combo->view()->setAccessibleName(control->accessibleName());
}
} // namespace

void nameControlsForScreenReaders(Form1& form)
{
    nameByLabel(form.Label1, form.Text1);
    nameByLabel(form.Label2, form.Text2);
    nameByLabel(form.Label3, form.Combo1);
    nameByLabel(form.Label4, form.Combo2);

    for (int i = 0; i < form.TabControl1->count(); ++i)
        form.TabControl1->page(i)->setAccessibleName(form.TabControl1->tabBar()->tabText(i));

    form.ListView1->setAccessibleName(QStringLiteral("File(s)"));
    form.ListView1->setAccessibleDescription(form.ListView1->toolTip());

    // The output folder box is the one Option1 speaks of.
    form.Frame4->setAccessibleName(spokenCaption(form.Option1->text()));
    form.Text3->setAccessibleName(spokenCaption(form.Option1->text()));
    form.PushButton14->setAccessibleName(QStringLiteral("Browse for output folder"));
}
