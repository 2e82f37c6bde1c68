#include "window/taborder.h"

#include "filelist/widgets/filelistview.h"
#include "window/form1.h"
#include "window/tabcontrol.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>

void setKeyboardOrder(Form1& form)
{
    const QList<QWidget*> order{form.ListView1, form.PushButton13, form.PushButton3, form.PushButton9, form.PushButton5,
        form.PushButton17, form.PushButton11, form.PushButton8, form.PushButton10, form.TabControl1->tabBar(),
        form.Text1, form.Text2, form.Combo1, form.Combo2, form.PushButton7, form.PushButton1, form.PushButton2,
        form.PushButton6, form.PushButton4, form.Option1, form.Option2, form.Text3, form.PushButton14,
        form.PushButton12};
    for (int i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);

    // Outside dialogs a push button ignores Return unless it is an auto-default
    // button; users expect Return to do what Space does.
    const auto buttons = form.findChildren<QPushButton*>();
    for (QPushButton* button : buttons)
        button->setAutoDefault(true);

    form.ListView1->setFocus(Qt::OtherFocusReason);
}
