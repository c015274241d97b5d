#include "TForm4.h"

#include "PortComboBox.h"
#include "TransferProgressDialog.h"

#include "ui/ApplicationErrors.h"
#include "ui/Dialogs.h"
#include "ui/WindowFont.h"
#include "link/LinkMessages.h"
#include "link/ProgramFile.h"
#include "link/TransferText.h"
#include "serial/ConnectError.h"
#include "workfolder/WorkFolder.h"

#include <QCheckBox>
#include <QDateTimeEdit>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QResizeEvent>
#include <QStatusBar>
#include <QTimer>

#include <exception>

using namespace Qt::StringLiterals;

namespace {

constexpr int ClientWidth = 155;
constexpr int ClientHeight = 423;
constexpr int StatusBarHeight = 19;

QLabel *label(const QString &text, QWidget *parent, int left, int top, const char *name)
{
    auto *l = new QLabel(text, parent);
    l->setObjectName(QString::fromLatin1(name));
    l->adjustSize();
    l->move(left, top);
    return l;
}

QPushButton *button(const QString &text, QWidget *parent, const QRect &place, const char *name)
{
    auto *b = new QPushButton(text, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setGeometry(place);
    b->setAutoDefault(false);
    return b;
}

QCheckBox *checkBox(const QString &text, QWidget *parent, const QRect &place, const char *name)
{
    auto *c = new QCheckBox(text, parent);
    c->setObjectName(QString::fromLatin1(name));
    c->setGeometry(place);
    // The captions fit their places in the window's own font; where a wider
    // font stands in, a caption may take the room up to the window's edge
    // rather than lose its last letters.
    if (!text.isEmpty() && c->sizeHint().width() > place.width())
        c->resize(qMin(c->sizeHint().width(), parent->width() - place.left()), place.height());
    return c;
}

QDateTimeEdit *picker(const QString &format, QWidget *parent, const QRect &place, const char *name)
{
    auto *p = new QDateTimeEdit(parent);
    p->setObjectName(QString::fromLatin1(name));
    p->setDisplayFormat(format);
    p->setGeometry(place);
    return p;
}

} // namespace

TForm4::TForm4(QWidget *parent, const QString &sysRoot)
    : QWidget(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
    , Comm1(new TComm(this))
    , m_link(*Comm1)
    , m_runner(m_link)
    , m_sysRoot(sysRoot)
{
    setObjectName(u"Form4"_s);
    // Only the main window keeps the program running.
    setAttribute(Qt::WA_QuitOnClose, false);
    setFont(windowFont());
    setFixedSize(ClientWidth, ClientHeight);
    // Not placed yet: the main window's connection command places it beside
    // itself the first time.
    move(FramePlacement::Unplaced);

    // The port as stored with the window; every opening sets the line up anew.
    Comm1->setObjectName(u"Comm1"_s);
    Comm1->setOptions({});
    Comm1->setDontSynchronize(false);
    Comm1->setMonitorEvents({});
    Comm1->setDeviceName(u"Com2"_s);
    Comm1->setOnRxChar([this](QObject *sender, int count) { Comm1RxChar(sender, count); });
    Comm1->setOnTxEmpty([this](QObject *sender) { Comm1TxEmpty(sender); });
    m_link.setAlreadyOpenHandler([this] {
        Dialogs::message(this, QMessageBox::Warning, LinkMessages::connectionCaption(),
                         LinkMessages::portAlreadyOpen());
    });

    buildControls();
    FormCreate();
}

TForm4::~TForm4()
{
    FormDestroy();
}

QString TForm4::programPath()
{
    return WorkFolder::locate().programPath();
}

void TForm4::buildControls()
{
    GroupBox4 = new QGroupBox(u"Соединение"_s, this);
    GroupBox4->setObjectName(u"GroupBox4"_s);
    GroupBox4->setGeometry(2, 2, 151, 99);
    Label17 = label(u"Порт:"_s, GroupBox4, 4, 20, "Label17");
    ComboBox1 = new PortComboBox(m_sysRoot, GroupBox4);
    ComboBox1->setObjectName(u"ComboBox1"_s);
    ComboBox1->setGeometry(52, 16, 85, 21);
    CloseCommButton = button(u"Стоп"_s, GroupBox4, QRect(8, 44, 129, 21), "CloseCommButton");
    ConnectOKBit = checkBox(QString(), GroupBox4, QRect(8, 72, 17, 17), "ConnectOKBit");
    ConnectOKBit->setEnabled(false);
    ConnectOKString = label(LinkMessages::portOff(), GroupBox4, 25, 73, "ConnectOKString");

    btnUpload = button(u"Загрузить данные"_s, this, QRect(4, 136, 149, 25), "btnUpload");
    CheckBox2 = checkBox(u"Проверить перед загр."_s, this, QRect(4, 164, 137, 17), "CheckBox2");
    CheckBox2->setChecked(true);
    btnSetupTime = button(u"Установить часы"_s, this, QRect(4, 196, 149, 25), "btnSetupTime");
    CheckBox1 = checkBox(u"Системные часы"_s, this, QRect(4, 224, 137, 17), "CheckBox1");
    CheckBox1->setChecked(true);
    Label3 = label(u"Время"_s, this, 4, 244, "Label3");
    DateTimePicker1 = picker(u"H:mm:ss"_s, this, QRect(4, 260, 137, 21), "DateTimePicker1");
    Label2 = label(u"Дата"_s, this, 4, 284, "Label2");
    DateTimePicker2 = picker(u"dd.MM.yy"_s, this, QRect(4, 300, 137, 21), "DateTimePicker2");
    DateTimePicker2->setCalendarPopup(true);

    transferStatus = new QLabel(this);
    transferStatus->setObjectName(u"transferStatus"_s);
    transferStatus->setGeometry(4, 328, 147, ClientHeight - StatusBarHeight - 328 - 2);
    transferStatus->setWordWrap(true);
    transferStatus->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    m_clockTick = new QTimer(this);
    m_clockTick->setSingleShot(true);
    m_clockTick->setTimerType(Qt::PreciseTimer);
    connect(m_clockTick, &QTimer::timeout, this, &TForm4::showSystemClock);

    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(u"StatusBar1"_s);
    StatusBar1->setSizeGripEnabled(false);
    auto *panel = new QLabel(StatusBar1);
    panel->setFixedWidth(200);
    StatusBar1->addWidget(panel);
    StatusBar1->setGeometry(0, ClientHeight - StatusBarHeight, ClientWidth, StatusBarHeight);

    connect(btnUpload, &QPushButton::clicked, this, &TForm4::btnUploadClick);
    connect(btnSetupTime, &QPushButton::clicked, this, &TForm4::btnSetupTimeClick);
    connect(CloseCommButton, &QPushButton::clicked, this, &TForm4::CloseCommButtonClick);
    connect(CheckBox1, &QCheckBox::toggled, this, &TForm4::CheckBox1Click);
    connect(ComboBox1, &PortComboBox::chosenChanged, this, &TForm4::ComboBox1Change);
}

void TForm4::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    if (StatusBar1)
        StatusBar1->setGeometry(0, height() - StatusBarHeight, width(), StatusBarHeight);
}

void TForm4::moveEvent(QMoveEvent *event)
{
    QWidget::moveEvent(event);
    m_placement.moved(*this);
}

void TForm4::FormCreate()
{
    setWindowTitle(LinkMessages::connectionCaption());
    m_programSize = 0;
    CloseCommButtonClick();
    Button12Click();
    CheckBox1Click();
    const QDateTime now = QDateTime::currentDateTime();
    DateTimePicker1->setDateTime(now);
    DateTimePicker2->setDateTime(now);
}

void TForm4::showSystemClock()
{
    if (!CheckBox1->isChecked())
        return;
    const QDateTime now = QDateTime::currentDateTime();
    DateTimePicker1->setDateTime(now);
    DateTimePicker2->setDateTime(now);
    m_clockTick->start(1000 - now.time().msec());
}

void TForm4::FormDestroy()
{
    // The program is ending (or the window going) in the middle of a
    // transfer: let the writer finish its byte before the port closes.
    m_runner.requestStop();
    m_runner.wait();
    CloseCommButtonClick();
}

void TForm4::Button12Click()
{
    ComboBox1->discover();
}

void TForm4::ComboBox1Change()
{
    CloseCommButtonClick();
}

void TForm4::CheckBox1Click()
{
    const bool picked = !CheckBox1->isChecked();
    for (QWidget *w : {static_cast<QWidget *>(Label3), static_cast<QWidget *>(DateTimePicker1),
                       static_cast<QWidget *>(Label2), static_cast<QWidget *>(DateTimePicker2)})
        w->setEnabled(picked && !m_transferRunning);
    // The pickers follow the computer's clock only while it is the one used;
    // cleared, they keep what they show for the operator to change.
    if (picked)
        m_clockTick->stop();
    else if (!m_clockTick->isActive())
        showSystemClock();
}

void TForm4::updateIndicator()
{
    const bool open = Comm1->Active();
    ConnectOKBit->setChecked(open);
    ConnectOKString->setText(open ? LinkMessages::portOn() : LinkMessages::portOff());
    QPalette pal = ConnectOKString->palette();
    pal.setColor(QPalette::WindowText, open ? QColor(Qt::black) : QColor(Qt::red));
    ConnectOKString->setPalette(pal);
    ConnectOKString->adjustSize();
}

void TForm4::OpenCommButtonClick()
{
    if (Comm1->Active()) {
        // The warning only; the indicator stays as it is.
        m_link.openPort(ComboBox1->chosenName());
        return;
    }
    try {
        m_link.openPort(ComboBox1->chosenName());
    } catch (...) {
        updateIndicator();
        throw;
    }
    updateIndicator();
}

void TForm4::CloseCommButtonClick()
{
    btnUpload->setEnabled(true);
    btnSetupTime->setEnabled(true);
    // What the stranded state said is over once the port is released.
    if (m_stranded) {
        m_stranded = false;
        transferStatus->clear();
    }
    // Never under a running writer: a transfer closes the port itself once
    // its writer has ended.
    if (!m_runner.isStarted()) {
        try {
            m_link.purgeAndClose();
        } catch (...) {
            updateIndicator();
            throw;
        }
    }
    updateIndicator();
}

void TForm4::Comm1RxChar(QObject *, int Count)
{
    // While a transfer runs the bytes stay where they are, as they did when
    // a transfer held the window: a read would wait for the port's lock
    // behind a write that may take its whole time-out. Received-character
    // events come once per arrival, so nothing repeats meanwhile; the
    // closing port drops what is left.
    if (m_transferRunning)
        return;
    QByteArray s;
    for (int i = 0; i < Count; ++i) {
        if (Comm1->ReadString(1, s) == 0)
            break;
    }
}

void TForm4::Comm1TxEmpty(QObject *)
{
}

void TForm4::setTransferring(bool running)
{
    m_transferRunning = running;
    for (QWidget *w : {static_cast<QWidget *>(ComboBox1), static_cast<QWidget *>(CloseCommButton),
                       static_cast<QWidget *>(CheckBox1), static_cast<QWidget *>(CheckBox2)})
        w->setEnabled(!running);
    CheckBox1Click();
    emit transferRunningChanged(running);
}

void TForm4::btnUploadClick()
{
    if (m_transferRunning)
        return;
    m_programSize = 0;
    // A load refused below must not leave the last transfer's line standing.
    transferStatus->clear();
    // A check that did not succeed has left the previous program in place,
    // which is not the message the operator has just checked: nothing goes.
    if (CheckBox2->isChecked() && m_checkCommand && !m_checkCommand()) {
        Dialogs::message(this, QMessageBox::Critical, LinkMessages::errorCaption(), LinkMessages::checkFailed());
        return;
    }

    const QString path = programPath();
    const ProgramFile program = ProgramFile::read(path);
    switch (program.status) {
    case ProgramFile::Loaded:
        break;
    case ProgramFile::Empty:
        return;
    case ProgramFile::Missing:
        // Named in full: the check may have written it somewhere else (the
        // command-line tool writes into the current folder).
        Dialogs::message(this, QMessageBox::Critical, LinkMessages::errorCaption(),
                         program.message + u"\n\n"_s + QDir::toNativeSeparators(path));
        return;
    case ProgramFile::TooLarge:
        Dialogs::message(this, QMessageBox::Critical, LinkMessages::errorCaption(), program.message);
        return;
    case ProgramFile::Unreadable:
        ApplicationErrors::show(program.message, this);
        return;
    }
    m_programSize = program.bytes.size();
    runTransfer(TransferPlan::programLoad(program.bytes));
}

void TForm4::btnSetupTimeClick()
{
    if (m_transferRunning)
        return;
    std::function<QDateTime()> moment;
    if (CheckBox1->isChecked()) {
        moment = [] { return QDateTime::currentDateTime(); };
    } else {
        // The pickers cannot change while the transfer runs: what they show
        // now is what they show after the preamble.
        const QDateTime picked(DateTimePicker2->date(), DateTimePicker1->time());
        moment = [picked] { return picked; };
    }
    runTransfer(TransferPlan::clockSetting(std::move(moment)));
}

void TForm4::strand(const QString &status)
{
    m_stranded = true;
    transferStatus->setText(status);
    // A check before the load may have left the main window in front.
    activateWindow();
    CloseCommButton->setFocus();
}

void TForm4::runTransfer(const TransferPlan &plan)
{
    transferStatus->clear();
    btnUpload->setEnabled(false);
    btnSetupTime->setEnabled(false);
    QElapsedTimer took;
    took.start();
    try {
        OpenCommButtonClick();
    } catch (const EConnectError &error) {
        // Stranded, with the port closed; which port failed is not in the
        // system's text.
        ApplicationErrors::show(TransferText::portNotOpened(Comm1->DeviceName(), error.message()), this);
        strand(TransferText::strandedByOpening());
        return;
    }

    setTransferring(true);
    QEventLoop loop;
    TransferProgressDialog dialog(plan.isClockSetting(), [this] { return m_runner.progress(); }, this);
    connect(&dialog, &TransferProgressDialog::stopRequested, this, [this] { m_runner.requestStop(); });
    m_progressDialog = &dialog;
    m_runner.start(plan, [&loop] { QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection); });
    dialog.show();
    loop.exec();
    // The loop also ends when the application quits; the writer then stops
    // after its byte.
    if (m_runner.isRunning())
        m_runner.requestStop();
    m_runner.wait();
    dialog.finish();
    m_progressDialog = nullptr;
    setTransferring(false);

    const TransferReport report = m_runner.report();
    if (plan.isClockSetting() && CheckBox1->isChecked() && report.moment.isValid()) {
        DateTimePicker1->setDateTime(report.moment);
        DateTimePicker2->setDateTime(report.moment);
    }
    if (const std::exception_ptr error = m_runner.error()) {
        // Stranded: the port stays as the failure left it, both commands
        // disabled until "Стоп" or another port. Other exceptions go on to
        // the application's error box as they are.
        updateIndicator();
        try {
            std::rethrow_exception(error);
        } catch (const EConnectError &portError) {
            ApplicationErrors::show(portError.message(), this);
            strand(plan.isClockSetting() ? TransferText::strandedClock()
                                         : TransferText::strandedLoad(report, m_programSize));
            return;
        }
    }
    CloseCommButtonClick();
    if (report.complete()) {
        transferStatus->setText(plan.isClockSetting() ? TransferText::clockDone(report.moment, took.elapsed())
                                                      : TransferText::loadDone(report, took.elapsed()));
    }

    if (report.stopped) {
        Dialogs::message(this, QMessageBox::Information, LinkMessages::connectionCaption(),
                         TransferText::stopped(report, plan.isClockSetting(), m_programSize));
    } else if (const QString lost = TransferText::lostBytes(report); !lost.isEmpty()) {
        Dialogs::message(this, QMessageBox::Warning, LinkMessages::connectionCaption(), lost);
    }
}
