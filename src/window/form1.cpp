#include "window/form1.h"

#include "base/eventyield.h"
#include "base/settings.h"
#include "base/widgets/cursorfile.h"
#include "base/widgets/pointerfeedback.h"
#include "engine/widgets/destinationcontrols.h"
#include "filelist/filelistmodel.h"
#include "filelist/folderscan.h"
#include "filelist/widgets/filelistcommands.h"
#include "filelist/widgets/filelistview.h"
#include "pairs/widgets/setfilescommands.h"
#include "pairs/widgets/setspage.h"
#include "window/accessiblenames.h"
#include "window/batchruncontrols.h"
#include "window/helpcommand.h"
#include "window/samplefilescommands.h"
#include "window/tabcontrol.h"
#include "window/taborder.h"
#include "window/twiplayout.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

namespace {
template <class T> T* named(T* widget, const char* name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

QPushButton* button(const char* name, const QString& caption, QWidget* parent)
{
    return named(new QPushButton(caption, parent), name);
}

QLabel* label(const char* name, const QString& caption, QWidget* parent)
{
    return named(new QLabel(caption, parent), name);
}

QPlainTextEdit* multiLineBox(const char* name, QWidget* parent)
{
    auto* box = named(new QPlainTextEdit(parent), name);
    box->setLineWrapMode(QPlainTextEdit::NoWrap);
    // Tab and Shift+Tab move on to the next control, as in every other box;
    // a tab can still be pasted.
    box->setTabChangesFocus(true);
    return box;
}
} // namespace

Form1::Form1(Prompts& prompts, Form1Environment environment, QWidget* parent)
    : QWidget(parent),
      m_prompts(prompts),
      m_environment(std::move(environment)),
      m_reporter(prompts),
      m_services{prompts, m_reporter, m_pointer, m_environment.programFolder, EventYield(),
          [this] { return m_closing; }, [] { QCoreApplication::processEvents(); }}
{
    setObjectName(QStringLiteral("Form1"));
    setFont(QFont(QStringLiteral("Arial"), 9));
    buildControls();
    placeControls();
    connectShell();
    attachSubsystems();
    setKeyboardOrder(*this);
    nameControlsForScreenReaders(*this);
    m_pointer.onChange([this](int value) { showPointer(value); });
}

Form1::~Form1()
{
    // The children (the subsystems' commands, the pointer feedback, the list
    // view) hold references to the services and the pointer, which are members
    // and would go before QWidget deletes its children: they go first.
    m_pointer.onChange({});
    while (!children().isEmpty())
        delete children().constLast();
}

void Form1::buildControls()
{
    TabControl1 = named(new TabControl(this), "TabControl1");
    QWidget* single = TabControl1->addPage(QStringLiteral("Single find and replace"));
    QWidget* sets = TabControl1->addPage(QStringLiteral("Multiple find and replace (sets)"));

    Label1 = label("Label1", QStringLiteral(" Find what (exact case):"), single);
    Text1 = multiLineBox("Text1", single);
    Label2 = label("Label2", QStringLiteral(" Replace with:"), single);
    Text2 = multiLineBox("Text2", single);

    Label3 = label("Label3", QStringLiteral(" Find what (exact case):"), sets);
    Combo1 = named(new QComboBox(sets), "Combo1");
    Label4 = label("Label4", QStringLiteral(" Replace with:"), sets);
    Combo2 = named(new QComboBox(sets), "Combo2");
    PushButton7 = button("PushButton7", QStringLiteral("Add Set"), sets);
    PushButton6 = button("PushButton6", QStringLiteral("Remove Selected Set"), sets);
    PushButton4 = button("PushButton4", QStringLiteral("Clear All Sets"), sets);
    PushButton1 = button("PushButton1", QStringLiteral("Load Sets"), sets);
    PushButton2 = button("PushButton2", QStringLiteral("Save Sets"), sets);

    ListView1 = named(new FileListView(this), "ListView1");
    PushButton13 = button("PushButton13", QStringLiteral("Add CSV File(s)"), this);
    PushButton3 = button("PushButton3", QStringLiteral("Add All CSV File(s) In Folder"), this);
    PushButton9 = button("PushButton9", QStringLiteral("Load List Of Files From File"), this);
    PushButton8 = button("PushButton8", QStringLiteral("Load Sample/Example Files"), this);
    PushButton17 = button("PushButton17", QStringLiteral("Remove Filenames Contain. X"), this);
    PushButton11 = button("PushButton11", QStringLiteral("Remove Filenames Not Cont. X"), this);
    PushButton5 = button("PushButton5", QStringLiteral("Clear List"), this);
    PushButton10 = button("PushButton10", QStringLiteral("Help"), this);
    PushButton12 = button("PushButton12", QStringLiteral("Start Replacing"), this);

    Frame3 = named(new QGroupBox(QStringLiteral("Save Option"), this), "Frame3");
    Option1 = named(new QRadioButton(QStringLiteral("Save results to this folder:"), Frame3), "Option1");
    Option2 = named(new QRadioButton(QStringLiteral("Save results in folder of original file"), Frame3), "Option2");
    Frame4 = named(new QGroupBox(Frame3), "Frame4");
    Text3 = named(new QLineEdit(Frame4), "Text3");
    PushButton14 = button("PushButton14", QStringLiteral("..."), Frame4);
    // The first option is chosen until the settings say otherwise.
    Option1->setChecked(true);

    QFont listFont(QStringLiteral("Arial"), 9);
    listFont.setBold(true);
    ListView1->setFont(listFont);
}

void Form1::placeControls()
{
    const qreal dpi = logicalDpiX();
    setFixedSize(twipsToPixels(TwipLayout::windowWidth, dpi), twipsToPixels(TwipLayout::windowHeight, dpi));
    const auto children = findChildren<QWidget*>();
    for (QWidget* child : children) {
        const PlacedControl* placed = TwipLayout::find(child->objectName());
        if (!placed)
            continue;
        QRect rect = twipsToPixels(placed->rect, dpi);
        if (placed->rect.width == 0)
            rect.setWidth(child->sizeHint().width());
        child->setGeometry(rect);
    }
}

void Form1::connectShell()
{
    connect(TabControl1, &TabControl::currentChanged, this, &Form1::TabControl1_Click);

    m_feedback = new PointerFeedback(m_pointer, this);
    for (QWidget* plain : {static_cast<QWidget*>(this), static_cast<QWidget*>(Frame3), static_cast<QWidget*>(Frame4),
             static_cast<QWidget*>(Text3), static_cast<QWidget*>(TabControl1)})
        m_feedback->watch(plain, WindowPointer::Default);
    // The pages and the headers cover the tab control: a move over them is a
    // move over the tab control, which would otherwise never hear of it.
    m_feedback->watch(TabControl1->tabBar(), WindowPointer::Default);
    for (int i = 0; i < TabControl1->count(); ++i)
        m_feedback->watch(TabControl1->page(i), WindowPointer::Default);
    m_feedback->watchButtons(this);
}

void Form1::attachSubsystems()
{
    m_fileList = new FileListCommands(
        {ListView1, PushButton13, PushButton3, PushButton9, PushButton5, PushButton17, PushButton11}, m_services, this);
    // Pairs: Text1/Text2 are read by the batch run; the sets page owns Combo1/Combo2 and the sets buttons.
    m_setsPage = new SetsPage({Combo1, Combo2, PushButton7, PushButton6, PushButton4}, m_services, this);
    new SetFilesCommands({PushButton1, PushButton2, m_setsPage->sets()}, m_services, this);
    // Output destination (Frame3) and the batch run (PushButton12).
    m_destination = new DestinationControls({Option1, Option2, Frame4, Text3, PushButton14}, m_services, this);
    m_batchRun
        = new BatchRunControls({PushButton12, ListView1->fileList(), [this] { return TabControl1->currentIndex(); },
                                   Text1, Text2, m_setsPage->sets(), m_destination, this},
            m_services, this);
    m_samples = new SampleFilesCommands(
        {PushButton8, ListView1->fileList(), Text1, Text2, TabControl1}, m_services, ListFilesInFolder, this);
    new HelpCommand({PushButton10}, m_services, this);
}

void Form1::AddStartFiles(const QStringList& paths)
{
    m_fileList->AddStartFiles(paths);
}

void Form1::showPointer(int value)
{
    switch (value) {
    case WindowPointer::Hourglass: setCursor(Qt::WaitCursor); break;
    case WindowPointer::Arrow: setCursor(Qt::ArrowCursor); break;
    case WindowPointer::Custom:
        if (m_handCursor)
            setCursor(*m_handCursor);
        else
            unsetCursor();
        break;
    default: unsetCursor(); break;
    }
}

// Labels of the steps below, as error reports give them.
namespace tabClickStep {
constexpr int rememberTab = 100;
}

void Form1::TabControl1_Click()
{
    // Guarded: a settings store that can't be written must not end the
    // program from a click on a tab.
    GuardedProcedure proc(m_reporter, form1Location("TabControl1_Click"));
    proc.step(tabClickStep::rememberTab,
        [&] { SaveSetting(QStringLiteral("TabSel"), QString::number(TabControl1->currentIndex())); });
}

void Form1::closeEvent(QCloseEvent* event)
{
    // Closing ends the program at once; a long command stops at its next yield.
    m_closing = true;
    emit closing();
    event->accept();
    QCoreApplication::quit();
}
