#include "pairs/widgets/loadsetsdialog.h"

#include "base/fileexists.h"
#include "base/programfiles.h"
#include "base/settings.h"
#include "base/widgets/cursorfile.h"
#include "base/widgets/facecolour.h"
#include "base/widgets/pointerfeedback.h"
#include "base/widgets/programicon.h"
#include "engine/textfile/textfilereader.h"
#include "pairs/setsfile.h"
#include "pairs/setsfolder.h"

#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>

namespace {
const QString separatorKey = QStringLiteral("Form2.Text2");

// Blanks (spaces) only: a tab or a line break is part of what was typed.
bool onlyBlanks(const QString& text)
{
    return std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c == QLatin1Char(' '); });
}
} // namespace

LoadSetsDialog::LoadSetsDialog(WindowServices& services, AppendSet appendSet, QWidget* parent)
    : QDialog(parent),
      m_services(services),
      m_appendSet(std::move(appendSet))
{
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("Load Sets"));
    setFont(QFont(QStringLiteral("Arial"), 9));

    Label1_0 = new QLabel(QStringLiteral("File To Load:"), this);
    Label1_1 = new QLabel(QStringLiteral("Separator:"), this);
    Text1 = new QLineEdit(this);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text2 = new QLineEdit(this);
    Text2->setObjectName(QStringLiteral("Text2"));
    PushButton16 = new QPushButton(QStringLiteral("..."), this);
    PushButton3 = new QPushButton(QStringLiteral("?"), this);
    PushButton1 = new QPushButton(QStringLiteral("Load"), this);
    PushButton2 = new QPushButton(QStringLiteral("Cancel"), this);
    // Return in either box loads; on a focused button it clicks that button.
    PushButton1->setDefault(true);
    Label1_0->setBuddy(Text1);
    Label1_1->setBuddy(Text2);
    Text1->setAccessibleName(QStringLiteral("File To Load"));
    Text2->setAccessibleName(QStringLiteral("Separator"));
    PushButton16->setAccessibleName(QStringLiteral("Browse for set file"));
    PushButton3->setAccessibleName(QStringLiteral("Help on the separator"));

    auto* grid = new QGridLayout(this);
    grid->addWidget(Label1_0, 0, 0);
    grid->addWidget(Text1, 0, 1);
    grid->addWidget(PushButton16, 0, 2);
    grid->addWidget(Label1_1, 1, 0);
    grid->addWidget(Text2, 1, 1);
    grid->addWidget(PushButton3, 1, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(PushButton1);
    buttons->addWidget(PushButton2);
    grid->addLayout(buttons, 2, 0, 1, 3);
    resize(480, sizeHint().height());

    setTabOrder(Text1, Text2);
    setTabOrder(Text2, PushButton1);
    setTabOrder(PushButton1, PushButton2);
    setTabOrder(PushButton2, PushButton16);
    setTabOrder(PushButton16, PushButton3);

    connect(PushButton1, &QPushButton::clicked, this, &LoadSetsDialog::PushButton1_Click);
    connect(PushButton2, &QPushButton::clicked, this, &LoadSetsDialog::PushButton2_Click);
    connect(PushButton3, &QPushButton::clicked, this, &LoadSetsDialog::PushButton3_Click);
    connect(PushButton16, &QPushButton::clicked, this, &LoadSetsDialog::PushButton16_Click);
    connect(Text2, &QLineEdit::textChanged, this, &LoadSetsDialog::Text2_Change);

    auto* feedback = new PointerFeedback(m_pointer, this);
    feedback->watch(this, WindowPointer::Default);
    feedback->watchButtons(this);
}

GuardedProcedure LoadSetsDialog::guarded(const char* procedure)
{
    return GuardedProcedure(m_services.reporter, errorLocation(QStringLiteral("Form2"), QLatin1String(procedure)));
}

// Labels of the steps below, as error reports give them.
namespace form2LoadStep {
constexpr int faceColour = 100, icon = 102, findHand = 104, loadHand = 106, restoreSeparator = 108;
}

void LoadSetsDialog::Form_Load()
{
    GuardedProcedure proc = guarded("Form_Load");
    proc.step(form2LoadStep::faceColour, [&] { SetFaceColour(this); });
    proc.step(form2LoadStep::icon, [&] { setWindowIcon(programIcon()); });
    bool haveHand = false;
    const QString handFile = programFile(m_services.programFolder, QStringLiteral("HAND-M.CUR"));
    proc.step(form2LoadStep::findHand, [&] { haveHand = FileExists(handFile); });
    if (haveHand) {
        proc.step(form2LoadStep::loadHand, [&] {
            const auto hand = loadCursorFile(handFile);
            m_pointer.onChange([this, hand](int value) {
                if (value == WindowPointer::Custom && hand)
                    setCursor(*hand);
                else
                    unsetCursor();
            });
        });
    }
    proc.step(form2LoadStep::restoreSeparator, [&] { Text2->setText(GetSetting(separatorKey, QStringLiteral("::"))); });
}

// Labels of the steps below, as error reports give them.
namespace separatorChangeStep {
constexpr int remember = 100;
}

void LoadSetsDialog::Text2_Change()
{
    // Remembered on every change, even when the dialog is then cancelled.
    // Guarded: a settings store that can't be written must not end the
    // program from a keystroke.
    GuardedProcedure proc = guarded("Text2_Change");
    proc.step(separatorChangeStep::remember, [&] { SaveSetting(separatorKey, Text2->text()); });
}

// Labels of the steps below, as error reports give them.
namespace loadSetFileStep {
constexpr int readFile = 106, appendSet = 116, close = 122, notFound = 124, noSeparator = 126;
}

void LoadSetsDialog::PushButton1_Click()
{
    GuardedProcedure proc = guarded("PushButton1_Click");
    const QString separator = Text2->text();
    if (separator.isEmpty()) {
        proc.step(loadSetFileStep::noSeparator,
            [&] { m_services.prompts.message(QStringLiteral("You must enter separating character(s).")); });
        return;
    }
    if (onlyBlanks(Text1->text()))
        return;
    const QString path = Text1->text();
    // Folders and other non-files are not set files; hidden files are.
    if (!QFileInfo(path).isFile()) {
        proc.step(loadSetFileStep::notFound, [&] {
            m_services.prompts.message(
                path + QStringLiteral(" not found."), StyleStop, QStringLiteral("File Not Found"));
        });
        return;
    }
    QStringList lines;
    // A file that cannot be read appends nothing; the dialog stays open for another try.
    if (!proc.step(loadSetFileStep::readFile, [&] { lines = ReadFileLines(path).lines; }))
        return;
    for (const QString& line : lines) {
        SetLine set;
        if (!cutSetLine(line, separator, set))
            continue;
        proc.step(loadSetFileStep::appendSet, [&] { m_appendSet(set.find, set.replace); });
    }
    proc.step(loadSetFileStep::close, [&] { accept(); });
}

// Labels of the steps below, as error reports give them.
namespace cancelStep {
constexpr int close = 100;
}

void LoadSetsDialog::PushButton2_Click()
{
    GuardedProcedure proc = guarded("PushButton2_Click");
    proc.step(cancelStep::close, [&] { reject(); });
}

QString LoadSetsDialog::helpText()
{
    return QStringList{QStringLiteral("If the text file you are loading looks like this:"), QString(),
        QStringLiteral("hi::hello"), QStringLiteral("peter::pete"), QString(),
        QStringLiteral("then use :: as a Separator"), QString(),
        QStringLiteral("If the text file you are loading looks like this:"), QString(), QStringLiteral("hi,hello"),
        QStringLiteral("peter,pete"), QString(), QStringLiteral("then use , as a Separator"), QString(),
        QStringLiteral("NOTE: The 'Save Sets' feature in this software always saves in this format:"), QString(),
        QStringLiteral("hi::hello"), QStringLiteral("peter::pete")}
        .join(QStringLiteral("\r\n"));
}

// Labels of the steps below, as error reports give them.
namespace separatorHelpStep {
constexpr int show = 100;
}

void LoadSetsDialog::PushButton3_Click()
{
    GuardedProcedure proc = guarded("PushButton3_Click");
    proc.step(separatorHelpStep::show, [&] { m_services.prompts.message(helpText()); });
}

// Labels of the steps below, as error reports give them.
namespace pickFileStep {
constexpr int pick = 100, rememberFolder = 108, show = 110;
}

void LoadSetsDialog::PushButton16_Click()
{
    GuardedProcedure proc = guarded("PushButton16_Click");
    QString chosen;
    proc.step(pickFileStep::pick, [&] {
        chosen = m_services.prompts
                     .openFiles({QStringLiteral("Select Text File"), QStringLiteral("Text Files (*.txt)|*.txt|"), false,
                         setsStartFolder()})
                     .value(0);
    });
    if (chosen.isEmpty())
        return;
    proc.step(pickFileStep::rememberFolder, [&] { rememberSetsFolder(chosen); });
    proc.step(pickFileStep::show, [&] { Text1->setText(chosen); });
}
