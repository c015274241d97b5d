// The simulator's window driven offscreen: its title, what it says without a
// program or with a broken one, playing a program that a check puts in place
// by renaming, the controls, and the hand-over of a second start.

#include "LedMatrixView.h"
#include "SimulatorWindow.h"
#include "SingleInstance.h"

#include "simulator/SimulatorTitles.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSaveFile>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <thread>

using namespace Qt::StringLiterals;

namespace {

// Written as the check writes it: a temporary file renamed over the old one.
void putProgram(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    QVERIFY(file.commit());
}

// Output effect "Сдвигом влево" at speed 1, the text AB, pause 1 s.
const QByteArray ShiftingAB = QByteArray::fromHex("02010003" "1e00" "4142" "00" "1f03" "03" "0000");
// "В центре", a picture of two columns, all lit.
const QByteArray CentredBar = QByteArray::fromHex("02010002" "020002ffff" "00" "03" "0000");

} // namespace

class SimulatorWindowTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString programPath() const { return m_dir.filePath(u"cmpres8.dat"_s); }

    template <typename T>
    static T *child(const SimulatorWindow &window, const char *name)
    {
        T *widget = window.findChild<T *>(QString::fromLatin1(name));
        if (!widget)
            qFatal("no child %s", name);
        return widget;
    }

private slots:
    void init() { QFile::remove(programPath()); }

    void carriesTheClosingTitle()
    {
        SimulatorWindow window(programPath());
        QCOMPARE(window.windowTitle(), SimulatorTitles::closing());
        QCOMPARE(window.windowTitle(), u"\"Oravelt 8\" v1.1 XP/W7 04.03.2011 - Предварительный просмотр"_s);
    }

    void withoutAProgramSaysToRunACheck()
    {
        SimulatorWindow window(programPath());
        window.show();
        QVERIFY(window.matrix()->message().startsWith(u"Программы ещё нет"_s));
        QVERIFY(window.matrix()->message().contains(u"проверку"_s));
        QVERIFY(!child<QPushButton>(window, "playButton")->isEnabled());
        QVERIFY(!child<QPushButton>(window, "stepButton")->isEnabled());
    }

    void playsTheProgramACheckPutsInPlace()
    {
        SimulatorWindow window(programPath());
        window.show();
        putProgram(programPath(), ShiftingAB);
        QTRY_VERIFY_WITH_TIMEOUT(window.matrix()->message().isEmpty(), 3000);
        QVERIFY(child<QPushButton>(window, "playButton")->isEnabled());
        QVERIFY(child<QLabel>(window, "fileLabel")->text().contains(u"14 байт"_s));
        QTRY_VERIFY(window.time() > 0);
        QVERIFY(child<QLabel>(window, "positionLabel")->text().startsWith(u"Режим вывода: Сдвигом влево"_s));

        // Another check: the new program plays from its start.
        putProgram(programPath(), CentredBar);
        QTRY_VERIFY_WITH_TIMEOUT(child<QLabel>(window, "fileLabel")->text().contains(u"13 байт"_s), 3000);
        QTRY_VERIFY(child<QLabel>(window, "positionLabel")->text().startsWith(u"Режим вывода: В центре"_s));

        // A broken file is named with the offset of its fault.
        putProgram(programPath(), QByteArray::fromHex("020100034142"));
        QTRY_VERIFY_WITH_TIMEOUT(!window.matrix()->message().isEmpty(), 3000);
        QVERIFY(window.matrix()->message().contains(u"offset 6"_s));
        QVERIFY(!child<QPushButton>(window, "playButton")->isEnabled());
    }

    void pauseStepAndRestart()
    {
        putProgram(programPath(), ShiftingAB);
        SimulatorWindow window(programPath());
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        auto *play = child<QPushButton>(window, "playButton");
        QVERIFY(window.isPlaying());
        QTest::keyClick(&window, Qt::Key_Space);
        QVERIFY(!window.isPlaying());
        QCOMPARE(play->text(), u"&Пуск"_s);
        const qint64 stopped = window.time();
        QTest::qWait(100);
        QCOMPARE(window.time(), stopped);

        // Speed 1: a step every 200 ms.
        QTest::keyClick(&window, Qt::Key_Right);
        QCOMPARE(window.time(), (stopped / 200 + 1) * 200);
        QTest::mouseClick(child<QPushButton>(window, "stepButton"), Qt::LeftButton);
        QCOMPARE(window.time(), (stopped / 200 + 2) * 200);

        QTest::keyClick(&window, Qt::Key_Home);
        QCOMPARE(window.time(), 0);
        QVERIFY(!window.isPlaying());
        QTest::mouseClick(play, Qt::LeftButton);
        QVERIFY(window.isPlaying());
        QTRY_VERIFY(window.time() > 0);
    }

    void speedsAndSignWidth()
    {
        putProgram(programPath(), ShiftingAB);
        SimulatorWindow window(programPath());
        window.show();
        auto *speed = child<QComboBox>(window, "speedBox");
        QCOMPARE(speed->count(), 3);
        QCOMPARE(speed->itemText(2), u"×4"_s);
        auto *width = child<QSpinBox>(window, "widthBox");
        QCOMPARE(width->value(), 96);
        QCOMPARE(width->minimum(), 8);
        QCOMPARE(width->maximum(), 1024);
        width->setValue(1024);
        QCOMPARE(window.time(), 0);  // plays again from the start
        QTRY_VERIFY(child<QLabel>(window, "positionLabel")->text().endsWith(u"из 205,8 с"_s));
        // At most the smallest LEDs; the rest scrolls.
        QCOMPARE(window.matrix()->pitch(), 2);
    }

    void aSecondStartHandsOverToTheFirst()
    {
        SingleInstance first(programPath());
        QVERIFY(first.listen());
        QSignalSpy received(&first, &SingleInstance::messageReceived);
        // From another thread, as from another process: the first instance
        // accepts in its own event loop (Windows' pipes need it to).
        std::atomic<int> handedOver{-1};
        std::thread client([&] { handedOver = SingleInstance(programPath()).handOver("show") ? 1 : 0; });
        QTRY_COMPARE(received.count(), 1);
        client.join();
        QCOMPARE(handedOver.load(), 1);
        QCOMPARE(received.at(0).at(0).toByteArray(), QByteArray("show"));

        // Another program file is another simulator.
        SingleInstance other(m_dir.filePath(u"other.dat"_s));
        QVERIFY(!other.handOver("show", 200));
    }

    void aSocketLeftBehindIsTakenOver()
    {
        const QString key = m_dir.filePath(u"stale.dat"_s);
        {
            SingleInstance crashed(key);
            QVERIFY(crashed.listen());
        }
        SingleInstance next(key);
        QVERIFY(!next.handOver("show", 200));
        QVERIFY(next.listen());
    }
};

QTEST_MAIN(SimulatorWindowTest)
#include "simulator_window.moc"
