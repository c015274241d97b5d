#include "TForm3.h"

#include "ui/AppIcons.h"
#include "ui/ApplicationErrors.h"
#include "ui/Caption.h"
#include "ui/Dialogs.h"
#include "app/EditorSession.h"
#include "ui/WindowFont.h"
#include "app/richview/TRichViewEdit.h"
#include "compiler/CheckRun.h"
#include "compiler/CheckMessages.h"
#include "compiler/Compiler.h"
#include "workfolder/WorkFolder.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProgressBar>
#include <QPushButton>
#include <QScopeGuard>
#include <QShortcut>

using namespace Qt::StringLiterals;

namespace {

constexpr int DesignClientWidth = 553;

// The pane's style table: one text style and the two paragraph styles.
TRVStyle paneStyles()
{
    TRVStyle styles;
    TFontInfo text;
    text.StyleName = u"default"_s;
    text.FontName = u"MS Sans Serif"_s;
    text.Size = 8;
    styles.TextStyles.push_back(text);
    styles.ParaStyles.push_back(TParaInfo::paragraphStyle());
    styles.ParaStyles.push_back(TParaInfo::centered());
    return styles;
}

} // namespace

TForm3::TForm3(EditorSession &editor, const QString &outputDirectory)
    : QWidget(editor.editorWindow(), Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint
                               | Qt::WindowStaysOnTopHint),
      m_editor(editor),
      m_outputDirectory(outputDirectory)
{
    if (m_outputDirectory.isEmpty()) {
        const WorkFolder workFolder = WorkFolder::locate();
        m_outputDirectory = workFolder.path();
        m_outputProblem = workFolder.error();
    }
    setObjectName(u"Form3"_s);
    // Only the main window keeps the program running.
    setAttribute(Qt::WA_QuitOnClose, false);
    setFont(windowFont());

    btnStart = new QPushButton(u"Проверить"_s, this);
    btnStart->setObjectName(u"btnStart"_s);
    btnStart->setIcon(AppIcons::check());
    btnStart->setGeometry(4, 4, 85, 25);
    connect(btnStart, &QPushButton::clicked, this, &TForm3::btnStartClick);

    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName(u"ProgressBar1"_s);
    ProgressBar1->setTextVisible(false);
    ProgressBar1->setRange(0, 1);
    ProgressBar1->setGeometry(96, 12, 453, 9);

    // The cancel button lies under the pane: never seen, pressed by Esc.
    Button2 = new QPushButton(u"stop"_s, this);
    Button2->setObjectName(u"Button2"_s);
    Button2->setGeometry(50, 50, 77, 25);
    Button2->setFocusPolicy(Qt::NoFocus);
    connect(Button2, &QPushButton::clicked, this, &TForm3::Button2Click);
    // While a check runs, Esc stops it wherever the operator pressed it: in
    // this window, or in the main window, which F9 leaves active under some
    // window managers. A modal box shadows it; between checks it is off, so
    // Esc keeps its usual meaning everywhere else.
    m_escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    m_escape->setContext(Qt::ApplicationShortcut);
    m_escape->setEnabled(false);
    connect(m_escape, &QShortcut::activated, Button2, &QPushButton::click);

    RichView1 = new TRichViewEdit(this);
    RichView1->setObjectName(u"RichView1"_s);
    SourceDocument empty;
    empty.styles = paneStyles();
    empty.background.colour = Colour::Window;
    RichView1->loadDocument(std::move(empty));
    RichView1->setReadOnly(true);
    RichView1->setGeometry(0, 34, DesignClientWidth, 85);
    RichView1->raise();

    setFixedSize(DesignClientWidth, RunningHeight - FrameHeight);
    move(UnplacedLeft, UnplacedTop);
    FormCreate();
}

TForm3::~TForm3() = default;

void TForm3::FormCreate()
{
    setWindowTitle(u"Проверка исходного текста"_s + Caption::suffix());
}

RVStyleView &TForm3::RVStyle1()
{
    return RichView1->rvs();
}

bool TForm3::isRunning() const
{
    return !btnStart->isEnabled();
}

void TForm3::setOuterHeight(int outer)
{
    setFixedSize(width(), std::max(0, outer - FrameHeight));
}

void TForm3::resizeEvent(QResizeEvent *event)
{
    // The bar and the pane stretch with the window's width; the button and
    // the bar's left end stay where they are.
    ProgressBar1->setGeometry(96, 12, std::max(0, width() - 96 - 4), 9);
    RichView1->setGeometry(0, 34, width(), 85);
    QWidget::resizeEvent(event);
}

void TForm3::placeFrameAt(QPoint point, QPoint insideOffset)
{
    m_placement.placeFrameAt(*this, point, insideOffset);
}

void TForm3::moveEvent(QMoveEvent *event)
{
    QWidget::moveEvent(event);
    m_placement.moved(*this);
}

void TForm3::showEvent(QShowEvent *event)
{
    ProgressBar1->setValue(0);
    QWidget::showEvent(event);
}

void TForm3::resetProgress()
{
    if (!isRunning())
        ProgressBar1->setValue(0);
}

void TForm3::closeEvent(QCloseEvent *event)
{
    // Hidden, the window could no longer show the check or take its Esc, so
    // closing it during a check stops the check as Esc would.
    if (isRunning())
        Button2Click();
    hide();
    event->ignore();
}

void TForm3::Button2Click()
{
    m_abort = true;
}

void TForm3::addMessage(const QString &line)
{
    RichView1->addParagraph(line, 0, 0);
}

void TForm3::selectLastMessage()
{
    const int last = RichView1->itemCount() - 1;
    if (last < 0)
        return;
    RichView1->selectItems(last, RichView1->offsetBeforeItem(last), last, RichView1->offsetAfterItem(last));
}

void TForm3::endRun()
{
    if (!isRunning())
        return;
    btnStart->setEnabled(true);
    m_escape->setEnabled(false);
    m_editor.setDocumentLocked(false);
    emit runningChanged(false);
}

void TForm3::btnStartClick()
{
    if (isRunning())
        return;

    // The lock and the button come back however this check ends: normally,
    // early, or by an exception that the application's error box reports.
    btnStart->setEnabled(false);
    m_escape->setEnabled(true);
    m_editor.setDocumentLocked(true);
    emit runningChanged(true);
    const auto unlock = qScopeGuard([this] { endRun(); });

    m_abort = false;
    m_succeeded = false;
    setOuterHeight(RunningHeight);
    RichView1->clearDocument();
    addMessage(CheckMessages::Start);

    CheckRun run(m_outputDirectory, m_calibration);
    QString createError;
    if (!run.start(&createError)) {
        endRun();
        // The box names the file and why, so the operator knows which folder
        // to look at: a program installed for all users writes elsewhere
        // than beside itself.
        Dialogs::message(this, QMessageBox::Critical, CheckMessages::FileErrorCaption + Caption::suffix(),
                         CheckMessages::FileErrorText + u"\n\n"_s
                             + (m_outputProblem.isEmpty() ? createError : m_outputProblem));
        return;
    }

    // The editor is locked, so its document stays as it is while reading it
    // lets the event loop run.
    QElapsedTimer sinceYield;
    sinceYield.start();
    const auto yield = [&] {
        QCoreApplication::processEvents();
        sinceYield.restart();
    };
    const SourceDocument document = m_editor.snapshot(yield);

    const int count = document.itemCount();
    // An empty range would make the bar a busy indicator.
    ProgressBar1->setRange(0, std::max(1, count));
    ProgressBar1->setValue(0);
    Compiler::Hooks hooks;
    hooks.abort = &m_abort;
    hooks.afterItem = [&](int done, int) {
        if (sinceYield.nsecsElapsed() < m_yieldInterval.count())
            return;
        ProgressBar1->setValue(done);
        yield();
    };
    // The calibration values are read when the walk has ended, so a value
    // typed into the calibration window meanwhile is the one sent.
    const CheckResult &result = run.compile(document, hooks);

    if (result.error) {
        const CheckError &error = *result.error;
        m_editor.markItem(error.item, error.place == ErrorPlace::CaretBeforeItem ? EditorSession::Mark::CaretBeforeItem
                                                                                 : EditorSession::Mark::SelectItem);
        addMessage(error.message);
        m_abort = true;
    }
    ProgressBar1->setValue(result.succeeded() ? ProgressBar1->maximum() : result.itemsDone);

    if (m_abort)
        selectLastMessage();
    else
        setOuterHeight(SucceededHeight);
    // The windows show the outcome before the files are written; the check
    // still runs meanwhile, so a new one cannot start and write them first.
    yield();
    QString reason;
    const CheckRun::Failure failure = run.finish(&reason);
    endRun();
    m_editor.activateEditor();
    raise();
    if (failure != CheckRun::Failure::None)
        ApplicationErrors::show(reason, this);
    else
        m_succeeded = result.succeeded();
}
