// The connection window driven as the operator drives it, end to end on
// pseudo-terminals: the layout, the port list and its discovery, program
// loads and clock settings with the exact bytes on the line, the progress
// dialog and "Стоп", the messages, and the failures (a port that cannot be
// opened, a far side that goes away, writes that time out).

#include "DialogScript.h"
#include "FakeSysfs.h"
#include "PseudoTerminal.h"
#include "SampleDocuments.h"
#include "TestFiles.h"
#include "TestProcess.h"

#include "ui/ApplicationErrors.h"
#include "app/TForm1.h"
#include "app/richview/TRichViewEdit.h"
#include "compiler/CheckMessages.h"
#include "app/check/TForm3.h"
#include "document/streams/ClassRegistry.h"
#include "link/LinkMessages.h"
#include "app/link/PortComboBox.h"
#include "app/link/TForm4.h"
#include "app/link/TransferProgressDialog.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QDateTimeEdit>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QMenuBar>
#include <QProgressBar>
#include <QRegularExpression>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QToolButton>


using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

const QString Suffix = u" - \"Oravelt\" XP/W7 v2.2.1 16.11.2011"_s;

QByteArray program(qsizetype size)
{
    QByteArray bytes(size, '\0');
    for (qsizetype i = 0; i < size; ++i)
        bytes[i] = char((i * 31 + 0x41) & 0xFF);
    return bytes;
}

QByteArray preamble(char marker)
{
    return QByteArray(1921, marker);
}

void writeProgram(const QByteArray &bytes)
{
    QDir().rmdir(TForm4::programPath());
    QFile file(TForm4::programPath());
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

void removeProgram()
{
    QFile::remove(TForm4::programPath());
    QDir().rmdir(TForm4::programPath());
}

// Watches the window while a transfer runs inside a click: how often the
// event loop came round, the longest gap, whether the dialog was up and
// modal, and whether the window's controls were all disabled.
struct TransferWatch {
    explicit TransferWatch(TForm4 &form)
        : form(form)
    {
        QObject::connect(&timer, &QTimer::timeout, [this] { look(); });
        timer.start(10);
        sinceTick.start();
    }

    void look()
    {
        if (!form.transferRunning())
            return;
        if (ticks > 0)
            longestGapMs = qMax(longestGapMs, sinceTick.elapsed());
        sinceTick.restart();
        ++ticks;
        TransferProgressDialog *dialog = form.progressDialog();
        dialogSeen = dialogSeen || (dialog && dialog->isVisible());
        modal = modal || (dialog && QApplication::activeModalWidget() == dialog);
        for (QWidget *w : {static_cast<QWidget *>(form.btnUpload), static_cast<QWidget *>(form.btnSetupTime),
                           static_cast<QWidget *>(form.CloseCommButton), static_cast<QWidget *>(form.ComboBox1),
                           static_cast<QWidget *>(form.CheckBox1), static_cast<QWidget *>(form.CheckBox2)})
            anyEnabled = anyEnabled || w->isEnabled();
        if (dialog)
            lastCounts = dialog->countsLabel->text();
        if (onTick)
            onTick(dialog);
    }

    TForm4 &form;
    QTimer timer;
    QElapsedTimer sinceTick;
    int ticks = 0;
    qint64 longestGapMs = 0;
    bool dialogSeen = false;
    bool modal = false;
    bool anyEnabled = false;
    QString lastCounts;
    std::function<void(TransferProgressDialog *)> onTick;
};

// The connection window with a pseudo-terminal chosen through its port list
// ("Другой порт...") and a far side reading the other end; the operator's
// boxes answered by a script.
struct WindowOnPty {
    explicit WindowOnPty(MasterReader::Pacing pacing = {})
        : reader(pty, pacing)
        , form(std::make_unique<TForm4>(nullptr, u"/nonexistent-sys"_s))
    {
        form->CheckBox2->setChecked(false);
        form->show();
        form->ComboBox1->choosePath(pty.slavePath());
    }

    DialogScript script;
    PseudoTerminal pty;
    MasterReader reader;
    std::unique_ptr<TForm4> form;
};

// The windows as start-up makes them, connection window wired to the main
// window; `checkDirectory` is where the check writes its files (the
// executable's directory, where the connection window reads, when empty).
struct MainWindows {
    explicit MainWindows(const QString &checkDirectory = {})
        : form3(std::make_unique<TForm3>(form1, checkDirectory))
        , form4(std::make_unique<TForm4>(&form1, u"/nonexistent-sys"_s))
    {
        form1.setCheckWindow(form3.get());
        form1.setConnectionWindow(form4.get());
        form1.show();
    }
    ~MainWindows() { form1.rve->setDocumentModified(false); }

    DialogScript script;
    TForm1 form1;
    std::unique_ptr<TForm3> form3;
    std::unique_ptr<TForm4> form4;
};

} // namespace

class ConnectionWindowTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<TForm4> makeForm(const QString &sysRoot = u"/nonexistent-sys"_s)
    {
        auto form = std::make_unique<TForm4>(nullptr, sysRoot);
        form->CheckBox2->setChecked(false);
        form->show();
        return form;
    }

private slots:
    void initTestCase() { ClassRegistry::registerStandardClasses(); }
    void init() { removeProgram(); }
    void cleanup() { removeProgram(); }

    void theWindowAsItOpens()
    {
        TForm4 form(nullptr, u"/nonexistent-sys"_s);
        QCOMPARE(form.windowTitle(), u"Соединение"_s + Suffix);
        QVERIFY(form.windowFlags() & Qt::Tool);
        QVERIFY(!(form.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
        QCOMPARE(form.size(), QSize(155, 423));
        QCOMPARE(form.pos(), QPoint(-100, -100));
        QVERIFY(!form.isVisible());

        struct Place {
            QWidget *widget;
            QRect rect;
        };
        const Place places[] = {
            {form.GroupBox4, {2, 2, 151, 99}},        {form.ComboBox1, {52, 16, 85, 21}},
            {form.CloseCommButton, {8, 44, 129, 21}}, {form.ConnectOKBit, {8, 72, 17, 17}},
            {form.btnUpload, {4, 136, 149, 25}},      {form.btnSetupTime, {4, 196, 149, 25}},
            {form.DateTimePicker1, {4, 260, 137, 21}}, {form.DateTimePicker2, {4, 300, 137, 21}},
        };
        for (const Place &place : places)
            QCOMPARE(place.widget->geometry(), place.rect);
        // Check boxes may grow to the window's edge where the font is wider.
        for (const Place &place : {Place{form.CheckBox2, {4, 164, 137, 17}}, Place{form.CheckBox1, {4, 224, 137, 17}}}) {
            QCOMPARE(place.widget->pos(), place.rect.topLeft());
            QCOMPARE(place.widget->height(), 17);
            QVERIFY(place.widget->width() >= 137 && place.widget->width() <= 151);
        }
        QCOMPARE(form.Label17->pos(), QPoint(4, 20));
        QCOMPARE(form.ConnectOKString->pos(), QPoint(25, 73));
        QCOMPARE(form.Label3->pos(), QPoint(4, 244));
        QCOMPARE(form.Label2->pos(), QPoint(4, 284));
        QCOMPARE(form.StatusBar1->geometry(), QRect(0, 423 - 19, 155, 19));
        QCOMPARE(form.Label17->parentWidget(), form.GroupBox4);
        QCOMPARE(form.ConnectOKString->parentWidget(), form.GroupBox4);

        QCOMPARE(form.GroupBox4->title(), u"Соединение"_s);
        QCOMPARE(form.Label17->text(), u"Порт:"_s);
        QCOMPARE(form.CloseCommButton->text(), u"Стоп"_s);
        QCOMPARE(form.btnUpload->text(), u"Загрузить данные"_s);
        QCOMPARE(form.CheckBox2->text(), u"Проверить перед загр."_s);
        QCOMPARE(form.btnSetupTime->text(), u"Установить часы"_s);
        QCOMPARE(form.CheckBox1->text(), u"Системные часы"_s);
        QCOMPARE(form.Label3->text(), u"Время"_s);
        QCOMPARE(form.Label2->text(), u"Дата"_s);
        QVERIFY(form.CheckBox1->isChecked());
        QVERIFY(form.CheckBox2->isChecked());

        // The port indicator: off, in red, its tick never usable.
        QVERIFY(!form.ConnectOKBit->isEnabled());
        QVERIFY(!form.ConnectOKBit->isChecked());
        QCOMPARE(form.ConnectOKString->text(), u"Порт выключен"_s);
        QCOMPARE(form.ConnectOKString->palette().color(QPalette::WindowText), QColor(Qt::red));
        QVERIFY(form.btnUpload->isEnabled());
        QVERIFY(form.btnSetupTime->isEnabled());

        // The port list: fixed names without a device tree, then the other port.
        QVERIFY(!form.ComboBox1->isEditable());
        QCOMPARE(form.ComboBox1->maxVisibleItems(), 16);
        QCOMPARE(form.ComboBox1->count(), 33);
        QCOMPARE(form.ComboBox1->itemText(0), u"COM1"_s);
        QCOMPARE(form.ComboBox1->itemText(31), u"COM32"_s);
        QCOMPARE(form.ComboBox1->itemText(32), u"Другой порт..."_s);
        QCOMPARE(form.ComboBox1->currentText(), u"COM1"_s);

        // Pickers: the system clock is used, so they are off; the date with
        // two-digit years and a calendar.
        QCOMPARE(form.DateTimePicker2->displayFormat(), u"dd.MM.yy"_s);
        QVERIFY(form.DateTimePicker2->calendarPopup());
        QVERIFY(qAbs(form.DateTimePicker1->dateTime().secsTo(QDateTime::currentDateTime())) < 5);
        QCOMPARE(form.DateTimePicker2->date(), QDate::currentDate());
        for (QWidget *w : {static_cast<QWidget *>(form.Label3), static_cast<QWidget *>(form.DateTimePicker1),
                           static_cast<QWidget *>(form.Label2), static_cast<QWidget *>(form.DateTimePicker2)})
            QVERIFY(!w->isEnabled());
        form.CheckBox1->click();
        QVERIFY(form.DateTimePicker1->isEnabled() && form.DateTimePicker2->isEnabled());
        QVERIFY(form.Label3->isEnabled() && form.Label2->isEnabled());
        form.CheckBox1->click();
        QVERIFY(!form.DateTimePicker1->isEnabled() && !form.Label2->isEnabled());

        // The port as stored with the window.
        QCOMPARE(form.Comm1->DeviceName(), u"Com2"_s);
        QVERIFY(!form.Comm1->Active());
        QVERIFY(!form.Comm1->DontSynchronize());
        QCOMPARE(form.Comm1->MonitorEvents(), TCommEventTypes());
        QCOMPARE(form.Comm1->Options(), TCommOptions());
    }

    void thePortListComesFromTheDeviceTreeEveryTimeItDropsDown()
    {
        FakeSysfs sys;
        sys.tty(u"ttyS0"_s, u"devices/platform/serial8250/port0"_s, u"serial8250"_s, "4\n");
        const QString usb = u"devices/pci0000:00/0000:00:14.0/usb1/1-2"_s;
        sys.file(usb + u"/idVendor"_s, "0403\n");
        sys.file(usb + u"/manufacturer"_s, "FTDI\n");
        sys.file(usb + u"/product"_s, "FT232R USB UART\n");
        sys.file(usb + u"/serial"_s, "A50285BI\n");
        sys.tty(u"ttyUSB0"_s, usb + u"/1-2:1.0/ttyUSB0"_s, u"ftdi_sio"_s);

        TForm4 form(nullptr, sys.root());
        form.show();
        QCOMPARE(form.ComboBox1->count(), 3);
        QCOMPARE(form.ComboBox1->itemText(0), u"ttyS0"_s);
        QCOMPARE(form.ComboBox1->itemText(1), u"ttyUSB0"_s);
        QCOMPARE(form.ComboBox1->itemText(2), u"Другой порт..."_s);
        QCOMPARE(form.ComboBox1->currentIndex(), 0);
        QCOMPARE(form.ComboBox1->itemData(1, Qt::ToolTipRole).toString(),
                 u"FTDI FT232R USB UART, serial number A50285BI"_s);
        QCOMPARE(form.ComboBox1->itemData(0, Qt::ToolTipRole).toString(), u"/dev/ttyS0"_s);

        form.ComboBox1->setCurrentIndex(1);
        emit form.ComboBox1->activated(1);
        QCOMPARE(form.ComboBox1->toolTip(), u"FTDI FT232R USB UART, serial number A50285BI"_s);

        // An adapter plugged in after start appears when the list drops down;
        // the chosen port stays chosen.
        sys.tty(u"ttyACM0"_s, u"devices/pci0000:00/0000:00:14.0/usb1/1-3/1-3:1.0/tty/ttyACM0"_s, u"cdc_acm"_s);
        form.ComboBox1->showPopup();
        QVERIFY(form.ComboBox1->view()->isVisible());
        QCOMPARE(form.ComboBox1->count(), 4);
        QCOMPARE(form.ComboBox1->itemText(0), u"ttyACM0"_s);
        QCOMPARE(form.ComboBox1->currentText(), u"ttyUSB0"_s);
        form.ComboBox1->hidePopup();

        // Typing drops the list down.
        form.ComboBox1->setFocus();
        QTest::keyClick(form.ComboBox1, Qt::Key_T);
        QVERIFY(form.ComboBox1->view()->isVisible());
        form.ComboBox1->hidePopup();
    }

    void anotherPortIsTypedInAndChoosingAPortClosesTheOpenOne()
    {
        DialogScript script;
        PseudoTerminal pty;
        auto form = makeForm();
        const int other = form->ComboBox1->count() - 1;

        // Cancelled: the entry chosen before stays.
        form->ComboBox1->setCurrentIndex(other);
        emit form->ComboBox1->activated(other);
        QCOMPARE(script.texts.size(), 1);
        QCOMPARE(script.texts.constFirst().caption, u"Соединение"_s + Suffix);
        QCOMPARE(form->ComboBox1->currentText(), u"COM1"_s);

        script.type(pty.slavePath());
        form->ComboBox1->setCurrentIndex(other);
        emit form->ComboBox1->activated(other);
        QCOMPARE(form->ComboBox1->currentText(), pty.slavePath());
        QCOMPARE(form->ComboBox1->itemText(form->ComboBox1->count() - 1), u"Другой порт..."_s);

        // Open on that port, then choose another: the close routine runs.
        form->OpenCommButtonClick();
        QVERIFY(form->Comm1->Active());
        QCOMPARE(form->ConnectOKString->text(), u"Порт включен"_s);
        QCOMPARE(form->ConnectOKString->palette().color(QPalette::WindowText), QColor(Qt::black));
        QVERIFY(form->ConnectOKBit->isChecked());
        form->btnUpload->setEnabled(false);
        form->ComboBox1->setCurrentIndex(2);
        emit form->ComboBox1->activated(2);
        QVERIFY(!form->Comm1->Active());
        QCOMPARE(form->ConnectOKString->text(), u"Порт выключен"_s);
        QVERIFY(form->btnUpload->isEnabled());
        QVERIFY(script.messages.isEmpty());
    }

    void hidingKeepsThePortOpenAndDestroyingClosesIt()
    {
        DialogScript script;
        PseudoTerminal pty;
        auto form = makeForm();
        form->ComboBox1->choosePath(pty.slavePath());
        form->OpenCommButtonClick();
        form->hide();
        QVERIFY(form->Comm1->Active());

        // Opening again only warns.
        form->OpenCommButtonClick();
        QCOMPARE(script.messages.size(), 1);
        QCOMPARE(script.messages.constFirst().icon, QMessageBox::Warning);
        QCOMPARE(script.messages.constFirst().caption, u"Соединение"_s + Suffix);
        QCOMPARE(script.messages.constFirst().text, u"Порт уже открыт!"_s);

        form.reset();
        // The port is opened exclusively: it can be opened again only once closed.
        TComm other;
        other.setDeviceName(pty.slavePath());
        other.Open();
        QVERIFY(other.Active());
    }

    void whatTheSignSendsWhileIdleIsReadAndDropped()
    {
        WindowOnPty w;
        w.form->OpenCommButtonClick();
        w.pty.writeMaster("0123456789");
        QTest::qWait(200);
        QCOMPARE(w.form->Comm1->InQueCount(), 0);  // read by the handler
        // Announced as more than can be read: the first empty read ends it.
        w.form->Comm1RxChar(w.form->Comm1, 1000);
        QVERIFY(w.script.messages.isEmpty());
        QVERIFY(w.form->Comm1->Active());
        w.form->CloseCommButtonClick();
    }

    void aLoadSendsThePreambleAndTheFileWhileTheWindowKeepsAnswering()
    {
        // A far side slow enough for the load to take a while.
        WindowOnPty w({.burstBytes = 4096, .pause = 10ms});
        const QByteArray bytes = program(200000);
        writeProgram(bytes);
        QList<bool> running;
        connect(w.form.get(), &TForm4::transferRunningChanged, [&](bool on) { running << on; });

        TransferWatch watch(*w.form);
        QTest::mouseClick(w.form->btnUpload, Qt::LeftButton);

        QCOMPARE(w.reader.waitFor(1921 + bytes.size()), preamble('A') + bytes);
        QVERIFY(watch.ticks > 5);
        QVERIFY(watch.dialogSeen);
        QVERIFY(watch.modal);
        QVERIFY(!watch.anyEnabled);
        QVERIFY2(watch.lastCounts.startsWith(u"Отправлено "_s), qPrintable(watch.lastCounts));
        QVERIFY(watch.lastCounts.contains(u" из 201921 байт"_s));
        QCOMPARE(running, QList<bool>({true, false}));
        QVERIFY(!w.form->progressDialog());
        const QString done = w.form->transferStatus->text();
        QVERIFY2(QRegularExpression(u"^Загрузка завершена: 200000 байт программы \\(всего 201921 байт\\) "
                                    "за \\d+:\\d\\d\\.$"_s)
                     .match(done)
                     .hasMatch(),
                 qPrintable(done));
        QVERIFY(!w.form->Comm1->Active());
        QVERIFY(!w.form->Comm1->hasEventThread());
        QCOMPARE(w.form->ConnectOKString->text(), u"Порт выключен"_s);
        QVERIFY(w.form->btnUpload->isEnabled() && w.form->btnSetupTime->isEnabled());
        QVERIFY(w.form->ComboBox1->isEnabled() && w.form->CloseCommButton->isEnabled());
        QVERIFY(w.script.messages.isEmpty());
    }

    void theLargestProgramGoesWholeAndOneByteMoreIsRefused()
    {
        WindowOnPty w;

        const QByteArray largest = program(540672);
        writeProgram(largest);
        QTest::mouseClick(w.form->btnUpload, Qt::LeftButton);
        QCOMPARE(w.reader.waitFor(1921 + 540672), preamble('A') + largest);
        QVERIFY(w.script.messages.isEmpty());

        writeProgram(program(540673));
        QTest::mouseClick(w.form->btnUpload, Qt::LeftButton);
        QCOMPARE(w.script.messages.size(), 1);
        const Dialogs::MessageRequest box = w.script.messages.constFirst();
        QCOMPARE(box.icon, QMessageBox::Critical);
        QCOMPARE(box.caption, u"Ошибка - Соединение"_s + Suffix);
        QCOMPARE(box.text, u"Размер данных результата проверки исходного текста слишком велик."_s);
        QTest::qWait(100);
        QCOMPARE(w.reader.received().size(), 1921 + 540672);  // nothing more went out
        QVERIFY(w.form->btnUpload->isEnabled());
    }

    void missingEmptyAndUnreadableFiles()
    {
        WindowOnPty w;

        // No compiled program: the message, the port untouched.
        QTest::mouseClick(w.form->btnUpload, Qt::LeftButton);
        QCOMPARE(w.script.messages.size(), 1);
        QCOMPARE(w.script.messages.at(0).icon, QMessageBox::Critical);
        QCOMPARE(w.script.messages.at(0).caption, u"Ошибка - Соединение"_s + Suffix);
        QCOMPARE(w.script.messages.at(0).text,
                 u"Не найден результат проверки исходного текста.\n\nВыполните проверку исходного текста.\n\n"_s
                     + TForm4::programPath());

        // With the check first: the check runs, then the file is looked for.
        QStringList order;
        w.form->setCheckCommand([&] {
            order << u"check with %1 boxes shown"_s.arg(w.script.messages.size());
            return true;
        });
        w.form->CheckBox2->setChecked(true);
        QTest::mouseClick(w.form->btnUpload, Qt::LeftButton);
        QCOMPARE(order, QStringList({u"check with 1 boxes shown"_s}));
        QCOMPARE(w.script.messages.size(), 2);
        QCOMPARE(w.script.messages.at(1).text, w.script.messages.at(0).text);
        w.form->CheckBox2->setChecked(false);

        // Empty: nothing sent, nothing said.
        writeProgram({});
        QTest::mouseClick(w.form->btnUpload, Qt::LeftButton);
        QCOMPARE(w.script.messages.size(), 2);

        // A file that cannot be read (a directory by that name): the runtime's
        // error in the standard error box.
        removeProgram();
        QVERIFY(QDir().mkdir(TForm4::programPath()));
        QTest::mouseClick(w.form->btnUpload, Qt::LeftButton);
        QCOMPARE(w.script.messages.size(), 3);
        QCOMPARE(w.script.messages.at(2).caption, u"ui_connection"_s);
        QCOMPARE(w.script.messages.at(2).text, u"I/O error 21."_s);

        QTest::qWait(100);
        QVERIFY(w.reader.received().isEmpty());
        QVERIFY(w.form->btnUpload->isEnabled() && w.form->btnSetupTime->isEnabled());
        QVERIFY(!w.form->Comm1->Active());
    }

    void theClockGetsThePickedMoment()
    {
        WindowOnPty w;
        w.form->CheckBox1->setChecked(false);
        w.form->DateTimePicker1->setTime(QTime(23, 59, 59));
        w.form->DateTimePicker2->setDate(QDate(2011, 12, 31));
        QTest::mouseClick(w.form->btnSetupTime, Qt::LeftButton);
        QCOMPARE(w.reader.waitFor(1927), preamble('d') + QByteArray::fromHex("0b0c1f173b3b"));
        QCOMPARE(w.form->DateTimePicker2->date(), QDate(2011, 12, 31));
        QVERIFY(w.script.messages.isEmpty());
        QVERIFY(w.form->DateTimePicker1->isEnabled());
        QVERIFY2(w.form->transferStatus->text().startsWith(u"Часы установлены: 31.12.2011 23:59:59 (передача 0:0"_s),
                 qPrintable(w.form->transferStatus->text()));

        // The next transfer replaces the line as soon as it starts.
        writeProgram("xyz");
        QString seen = u"not looked"_s;
        const QMetaObject::Connection started =
            QObject::connect(w.form.get(), &TForm4::transferRunningChanged, [&](bool running) {
                if (running)
                    seen = w.form->transferStatus->text();
            });
        QTest::mouseClick(w.form->btnUpload, Qt::LeftButton);
        QObject::disconnect(started);
        QCOMPARE(seen, QString());
        QVERIFY(w.form->transferStatus->text().startsWith(u"Загрузка завершена: 3 байт программы (всего 1924 байт)"_s));

        // Cleared, the pickers keep what they show; ticked, they follow the clock.
        w.form->DateTimePicker1->setTime(QTime(1, 2, 3));
        QTest::qWait(1300);
        QCOMPARE(w.form->DateTimePicker1->time(), QTime(1, 2, 3));
        w.form->CheckBox1->setChecked(true);
        QVERIFY(qAbs(w.form->DateTimePicker1->time().secsTo(QTime::currentTime())) <= 1);
        const QTime ticked = w.form->DateTimePicker1->time();
        QTRY_VERIFY_WITH_TIMEOUT(w.form->DateTimePicker1->time() != ticked, 2500);
        QCOMPARE(w.form->DateTimePicker2->date(), QDate::currentDate());
    }

    void theSystemClockIsReadAfterThePreambleAndShown()
    {
        WindowOnPty w;
        w.form->DateTimePicker1->setDateTime(QDateTime(QDate(2001, 2, 3), QTime(4, 5, 6)));
        w.form->DateTimePicker2->setDateTime(QDateTime(QDate(2001, 2, 3), QTime(4, 5, 6)));
        TransferWatch watch(*w.form);
        const QDateTime started = QDateTime::currentDateTime();
        QTest::mouseClick(w.form->btnSetupTime, Qt::LeftButton);
        const QDateTime ended = QDateTime::currentDateTime();

        const QDateTime shownTime = w.form->DateTimePicker1->dateTime();
        const QDate shownDate = w.form->DateTimePicker2->date();
        QVERIFY2(started.msecsTo(shownTime) >= 4400, qPrintable(shownTime.toString(Qt::ISODateWithMs)));
        QVERIFY(shownTime <= ended);
        QCOMPARE(shownDate, shownTime.date());
        const QTime t = shownTime.time();
        QByteArray payload;
        for (int field : {shownDate.year() % 100, shownDate.month(), shownDate.day(), t.hour(), t.minute(), t.second()})
            payload.append(char(field));
        QCOMPARE(w.reader.waitFor(1927), preamble('d') + payload);
        QVERIFY(watch.dialogSeen);
        QVERIFY(watch.ticks > 100);  // the window answered through the whole preamble
        QVERIFY(w.script.messages.isEmpty());
    }

    void aPortThatCannotBeOpenedLeavesTheWindowStrandedUntilStop()
    {
        DialogScript script;
        writeProgram(program(10));
        auto form = makeForm();
        form->ComboBox1->choosePath(u"/dev/ttyOraveltMissing"_s);
        for (QPushButton *command : {form->btnUpload, form->btnSetupTime}) {
            script.messages.clear();
            QTest::mouseClick(command, Qt::LeftButton);
            QCOMPARE(script.messages.size(), 1);
            QCOMPARE(script.messages.constFirst().icon, QMessageBox::Critical);
            QCOMPARE(script.messages.constFirst().caption, u"ui_connection"_s);
            QVERIFY2(script.messages.constFirst().text.endsWith(u" in function: CreateFile."_s),
                     qPrintable(script.messages.constFirst().text));
            // The port first, then the system's error.
            QVERIFY(script.messages.constFirst().text.startsWith(
                u"Не удалось открыть порт /dev/ttyOraveltMissing.\n\nError 2 "_s));
            QCOMPARE(form->ConnectOKString->text(), u"Порт выключен"_s);
            QVERIFY(!form->btnUpload->isEnabled());
            QVERIFY(!form->btnSetupTime->isEnabled());
            QVERIFY(form->CloseCommButton->isEnabled());
            QCOMPARE(form->transferStatus->text(),
                     u"Порт не открыт. Нажмите «Стоп» или выберите другой порт."_s);
            QCOMPARE(form->focusWidget(), static_cast<QWidget *>(form->CloseCommButton));

            QTest::mouseClick(form->CloseCommButton, Qt::LeftButton);
            QVERIFY(form->btnUpload->isEnabled());
            QVERIFY(form->btnSetupTime->isEnabled());
            QCOMPARE(form->ConnectOKString->text(), u"Порт выключен"_s);
            QCOMPARE(form->transferStatus->text(), QString());
        }
    }

    void aFarSideThatTalksDuringALoadChangesNothing()
    {
        WindowOnPty w({.burstBytes = 4096, .pause = 10ms});
        const QByteArray bytes = program(150000);
        writeProgram(bytes);
        TransferWatch watch(*w.form);
        int talked = 0;
        watch.onTick = [&](TransferProgressDialog *) {
            if (talked < 20) {
                w.pty.writeMaster("the sign says something");
                ++talked;
            }
        };
        QTest::mouseClick(w.form->btnUpload, Qt::LeftButton);
        QVERIFY(talked > 0);
        QCOMPARE(w.reader.waitFor(1921 + bytes.size()), preamble('A') + bytes);
        QVERIFY(w.script.messages.isEmpty());
        QVERIFY(!w.form->Comm1->Active());
    }

    void aFarSideThatGoesAwayMidLoadStrandsTheWindowWithoutAHang()
    {
        WindowOnPty w({.closeAfter = 6000});
        writeProgram(program(300000));
        QElapsedTimer took;
        took.start();
        QTest::mouseClick(w.form->btnUpload, Qt::LeftButton);
        QVERIFY(took.elapsed() < 30000);

        QCOMPARE(w.script.messages.size(), 1);
        QCOMPARE(w.script.messages.constFirst().icon, QMessageBox::Critical);
        QVERIFY2(w.script.messages.constFirst().text.endsWith(u" in function: WriteFile."_s),
                 qPrintable(w.script.messages.constFirst().text));
        QVERIFY(w.form->Comm1->Active());
        QCOMPARE(w.form->ConnectOKString->text(), u"Порт включен"_s);
        QVERIFY(!w.form->btnUpload->isEnabled() && !w.form->btnSetupTime->isEnabled());
        QVERIFY(w.form->CloseCommButton->isEnabled() && w.form->ComboBox1->isEnabled());
        QVERIFY(!w.form->progressDialog());
        // How far it got, and the way out, with the focus on it.
        const QRegularExpressionMatch got =
            QRegularExpression(u"^Загрузка прервана ошибкой порта: отправлено (\\d+) из 300000 байт программы. "
                               "Нажмите «Стоп» или выберите другой порт.$"_s)
                .match(w.form->transferStatus->text());
        QVERIFY2(got.hasMatch(), qPrintable(w.form->transferStatus->text()));
        QVERIFY(got.captured(1).toInt() >= 6000 - 1921 && got.captured(1).toInt() < 300000);
        QCOMPARE(w.form->focusWidget(), static_cast<QWidget *>(w.form->CloseCommButton));

        const double before = processCpuSeconds();
        QTest::qWait(500);
        QVERIFY2(processCpuSeconds() - before < 0.2, "a thread keeps spinning on the dead port");

        QTest::mouseClick(w.form->CloseCommButton, Qt::LeftButton);
        QVERIFY(!w.form->Comm1->Active());
        QVERIFY(!w.form->Comm1->hasEventThread());
        QCOMPARE(w.form->ConnectOKString->text(), u"Порт выключен"_s);
        QVERIFY(w.form->btnUpload->isEnabled() && w.form->btnSetupTime->isEnabled());

        // Usable again: the next load goes to a sign that is there.
        PseudoTerminal next;
        MasterReader nextReader(next);
        writeProgram("again");
        w.form->ComboBox1->choosePath(next.slavePath());
        QTest::mouseClick(w.form->btnUpload, Qt::LeftButton);
        QCOMPARE(nextReader.waitFor(1926), preamble('A') + "again");
    }

    void stopInTheProgressDialogEndsTheLoadAfterTheByteInHand()
    {
        WindowOnPty w({.burstBytes = 1024, .pause = 10ms});
        const QByteArray stream = preamble('A') + program(400000);
        writeProgram(stream.mid(1921));
        TransferWatch watch(*w.form);
        bool pressed = false;
        watch.onTick = [&](TransferProgressDialog *dialog) {
            if (!pressed && dialog && dialog->progressBar->value() >= 5) {
                pressed = true;
                QTest::mouseClick(dialog->stopButton, Qt::LeftButton);
            }
        };
        QTest::mouseClick(w.form->btnUpload, Qt::LeftButton);
        QVERIFY(pressed);

        QTest::qWait(300);
        const QByteArray got = w.reader.waitFor(stream.size(), 3s);
        QTest::qWait(200);
        QCOMPARE(w.reader.received().size(), got.size());  // nothing after
        QVERIFY(got.size() > 1921);
        QVERIFY(got.size() < stream.size());
        QCOMPARE(got, stream.left(got.size()));

        QCOMPARE(w.script.messages.size(), 1);
        QCOMPARE(w.script.messages.constFirst().icon, QMessageBox::Information);
        QCOMPARE(w.script.messages.constFirst().caption, u"Соединение"_s + Suffix);
        QCOMPARE(w.script.messages.constFirst().text,
                 u"Загрузка остановлена.\n\nОтправлено байт программы: %1 из 400000."_s.arg(got.size() - 1921));
        QVERIFY(!w.form->Comm1->Active());
        QVERIFY(w.form->btnUpload->isEnabled());
    }

    void writesThatTimeOutAreCountedAndTold()
    {
        // The far side reads nothing for a while: the terminal's buffer fills
        // and writes time out until it starts reading.
        WindowOnPty w({.initialStall = 1500ms});
        const QByteArray bytes = program(120000);
        writeProgram(bytes);
        w.form->link().setWriteTimeout(50);
        QTest::mouseClick(w.form->btnUpload, Qt::LeftButton);

        QCOMPARE(w.script.messages.size(), 1);
        const Dialogs::MessageRequest box = w.script.messages.constFirst();
        QCOMPARE(box.icon, QMessageBox::Warning);
        QCOMPARE(box.caption, u"Соединение"_s + Suffix);
        const QString prefix = u"Передача завершена, но изделие получило не все данные.\n\n"
                               "Байт, не принятых портом за время ожидания записи: "_s;
        QVERIFY2(box.text.startsWith(prefix), qPrintable(box.text));
        const qint64 lost = box.text.mid(prefix.size()).chopped(1).toLongLong();
        QVERIFY(lost > 0);
        QTest::qWait(200);
        QCOMPARE(w.reader.waitFor(1921 + bytes.size() - lost, 5s).size(), 1921 + bytes.size() - lost);
    }

    // ----- from the main window

    void theConnectionCommandPlacesTheWindowBesideTheMainWindowOnce()
    {
        MainWindows w;
        QVERIFY(w.form1.btnComm->isEnabled());
        QVERIFY(w.form1.action("mitComm")->isEnabled());
        w.form1.move(20, 30);
        QVERIFY(w.form4->isUnplaced());
        w.form1.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w.form1));
        QTest::keyClick(&w.form1, Qt::Key_F12);
        QVERIFY(w.form4->isVisible());
        const QRect main = w.form1.frameGeometry();
        QTRY_COMPARE(w.form4->frameGeometry().topLeft(), QPoint(main.right() + 1, main.top()));
        QCOMPARE(w.form4->frameGeometry().height(), main.height());
        QCOMPARE(w.form4->width(), 155);

        // Moved by the operator, it stays put; hidden and shown again too.
        w.form4->move(500, 40);
        w.form4->hide();
        QTest::mouseClick(w.form1.btnComm, Qt::LeftButton);
        QVERIFY(w.form4->isVisible());
        QCOMPARE(w.form4->pos(), QPoint(500, 40));
    }

    void nearTheRightEdgeOfTheScreenTheWindowIsPulledLeft()
    {
        MainWindows w;
        const QRect screen = w.form1.screen()->geometry();
        w.form1.move(screen.right() - w.form1.frameGeometry().width() - 50, 10);
        w.form1.btnCommClick();
        QTRY_COMPARE(w.form4->frameGeometry().right(), screen.right());
        QCOMPARE(w.form4->frameGeometry().top(), w.form1.frameGeometry().top());
    }

    void withTheCheckBoxTickedTheCheckRunsFirstAndItsResultIsLoaded()
    {
        PseudoTerminal pty;
        MasterReader reader(pty);
        MainWindows w;
        w.form4->ComboBox1->choosePath(pty.slavePath());
        QVERIFY(w.form4->CheckBox2->isChecked());
        QTest::mouseClick(w.form4->btnUpload, Qt::LeftButton);
        QVERIFY(w.form3->isVisible());
        // An empty document: its program is the output-effect-less record
        // and the two calibration values.
        QCOMPARE(reader.waitFor(1921 + 5), preamble('A') + QByteArray("\x02\x01\x03\x00\x00", 5));
        QVERIFY(w.script.messages.isEmpty());
    }

    // Whatever way the check before a load ends, only a check that
    // succeeded is loaded: any other leaves the last good program in place
    // and sends nothing.
    void withTheCheckBoxTickedOnlyASucceededCheckIsLoaded_data()
    {
        QTest::addColumn<QString>("ending");
        QTest::newRow("success") << u"success"_s;
        QTest::newRow("document error") << u"error"_s;
        QTest::newRow("Esc") << u"esc"_s;
        QTest::newRow("check window closed during the check") << u"closed"_s;
        QTest::newRow("listing cannot be written") << u"write"_s;
        QTest::newRow("files cannot be created") << u"create"_s;
    }

    void withTheCheckBoxTickedOnlyASucceededCheckIsLoaded()
    {
        QFETCH(QString, ending);
        PseudoTerminal pty;
        MasterReader reader(pty);
        const QByteArray previous("\x02\x01\x00\x00\x41\x00\x03\x00\x00", 9);
        writeProgram(previous);
        MainWindows w(ending == u"create"_s ? u"/nonexistent-oravelt-dir/"_s : QString());
        w.form4->ComboBox1->choosePath(pty.slavePath());
        w.form3->setYieldInterval(std::chrono::nanoseconds(0));
        SourceDocument doc;
        if (ending == u"error"_s)
            doc.append(Samples::text(u"before any effect"_s));
        doc.append(Samples::marker(MarkerKind::Effect, 0));
        for (int i = 0; i < 10; ++i)
            doc.append(Samples::text(u"ab"_s));
        w.form1.rve->loadDocument(std::move(doc));
        const QString listing = w.form3->outputDirectory() + u"cmpres.bak"_s;
        const auto atFirstTurn = [&](auto action) { QMetaObject::invokeMethod(this, action, Qt::QueuedConnection); };
        if (ending == u"esc"_s) {
            // Shortcuts need an active window to reach.
            w.form1.activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&w.form1));
            atFirstTurn([&] { QTest::keyClick(w.form3.get(), Qt::Key_Escape); });
        }
        if (ending == u"closed"_s)
            atFirstTurn([&] { w.form3->close(); });
        else if (ending == u"write"_s)
            atFirstTurn([&] {
                QFile::remove(listing);
                QDir().mkdir(listing);
            });

        w.form4->btnUploadClick();
        const QByteArray compiled = fileBytes(TForm4::programPath());
        QDir().rmdir(listing);

        if (ending == u"success"_s) {
            QVERIFY(compiled != previous);
            QCOMPARE(reader.waitFor(1921 + compiled.size()), preamble('A') + compiled);
            QVERIFY(w.script.messages.isEmpty());
            return;
        }
        QCOMPARE(compiled, previous);
        QVERIFY(!w.script.messages.isEmpty());
        const Dialogs::MessageRequest box = w.script.messages.constLast();
        QCOMPARE(box.icon, QMessageBox::Critical);
        QCOMPARE(box.caption, u"Ошибка - Соединение"_s + Suffix);
        QCOMPARE(box.text, LinkMessages::checkFailed());
        QCOMPARE(box.parent, static_cast<QWidget *>(w.form4.get()));
        // The check's own box comes first where it has one.
        if (ending == u"create"_s)
            QCOMPARE(w.script.messages.constFirst().caption, CheckMessages::FileErrorCaption + Suffix);
        QCOMPARE(w.script.messages.size(), ending == u"create"_s || ending == u"write"_s ? 2 : 1);
        QTest::qWait(200);
        QVERIFY(reader.received().isEmpty());
        QVERIFY(!w.form4->Comm1->Active());
        QVERIFY(w.form4->btnUpload->isEnabled() && w.form4->btnSetupTime->isEnabled());
    }

    void theMainWindowsCommandsWaitWhileATransferRuns()
    {
        PseudoTerminal pty;
        MasterReader reader(pty, {.burstBytes = 4096, .pause = 10ms});
        MainWindows w;
        const QByteArray bytes = program(150000);
        writeProgram(bytes);
        w.form4->CheckBox2->setChecked(false);
        w.form4->ComboBox1->choosePath(pty.slavePath());
        w.form1.btnCommClick();
        TransferWatch watch(*w.form4);
        bool commandsHeld = true;
        watch.onTick = [&](TransferProgressDialog *) {
            commandsHeld = commandsHeld && !w.form1.menuBar()->isEnabled() && !w.form1.Panel1->isEnabled()
                && !w.form1.panel->isEnabled() && w.form1.rve->isReadOnly();
        };
        QTest::mouseClick(w.form4->btnUpload, Qt::LeftButton);
        QCOMPARE(reader.waitFor(1921 + bytes.size()), preamble('A') + bytes);
        QVERIFY(watch.ticks > 0);
        QVERIFY(commandsHeld);
        QVERIFY(w.form1.menuBar()->isEnabled() && w.form1.Panel1->isEnabled() && w.form1.panel->isEnabled());
        QVERIFY(!w.form1.rve->isReadOnly());
        QVERIFY(!w.form1.isTransferRunning());
    }
};

int main(int argc, char *argv[])
{
    OraveltApplication app(argc, argv);
    ConnectionWindowTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "connection.moc"
