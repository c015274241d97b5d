// The real ledsim8 on an X server of the test's own, as the editor meets it:
// started from its directory, found by its closing title, brought up by a
// second start that then ends, and closed by the editor's close request.

#include "app/platform/TopLevelWindows.h"
#include "app/platform/X11Windows.h"

#include "PrivateXServer.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

class SimulatorProcessTest : public QObject {
    Q_OBJECT

private:
    PrivateXServer m_server;
    QTemporaryDir m_dir;
    QString m_program;  // ledsim8, copied into the temporary directory
    std::unique_ptr<X11Windows> m_windows;

    void startSimulator(QProcess &process)
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"DISPLAY"_s, QString::fromLatin1(m_server.display()));
        environment.insert(u"QT_QPA_PLATFORM"_s, u"xcb"_s);
        process.setProcessEnvironment(environment);
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.start(m_program, {});
        QVERIFY2(process.waitForStarted(5000), qPrintable(process.errorString()));
    }

    std::optional<TopLevelWindows::Handle> simulatorWindow() { return m_windows->find(Simulator::closingTitle()); }

private slots:
    void initTestCase()
    {
        QString why;
        if (!m_server.start(u"1024x768x24"_s, &why))
            QSKIP(qPrintable(why));
        m_windows = X11Windows::connect(m_server.display());
        if (!m_windows)
            QSKIP("the editor is built without its X11 layer");
        m_program = m_dir.filePath(u"ledsim8"_s);
        QVERIFY(QFile::copy(QStringLiteral(LEDSIM8_PATH), m_program));
        // Output effect "Сдвигом влево", the text AB.
        QFile program(m_dir.filePath(u"cmpres8.dat"_s));
        QVERIFY(program.open(QIODevice::WriteOnly));
        program.write(QByteArray::fromHex("0201000341420003" "0000"));
    }

    void cleanupTestCase()
    {
        m_windows.reset();
        m_server.stop();
    }

    void aSecondStartHandsOverAndTheEditorsCloseRequestEndsIt()
    {
        QProcess first;
        startSimulator(first);
        QTRY_VERIFY_WITH_TIMEOUT(simulatorWindow().has_value(), 15000);
        const auto window = simulatorWindow();

        QProcess second;
        startSimulator(second);
        QVERIFY(second.waitForFinished(10000));
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 0);
        QCOMPARE(first.state(), QProcess::Running);
        QCOMPARE(simulatorWindow(), window);

        QVERIFY(Simulator::closeWindow(*m_windows));
        QVERIFY(first.waitForFinished(10000));
        QCOMPARE(first.exitStatus(), QProcess::NormalExit);
        QCOMPARE(first.exitCode(), 0);
        QTRY_VERIFY(!simulatorWindow().has_value());
    }
};

QTEST_GUILESS_MAIN(SimulatorProcessTest)
#include "simulator_process.moc"
