// The connection window with a sign on the network: an address typed into
// "Другой порт..." stays in the list, a load through ser2net over RFC 2217
// delivers the exact bytes, and the network's faults (a name that does not
// resolve, a refused connection, ser2net killed mid-load, a far side that
// stops reading) end in the same reports as a local port's, with no port,
// descriptor or thread left behind.

#include "DialogScript.h"
#include "Ser2net.h"

#include "ui/ApplicationErrors.h"
#include "app/link/PortComboBox.h"
#include "app/link/TForm4.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

void writeProgram(const QByteArray &bytes)
{
    QFile file(TForm4::programPath());
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

std::unique_ptr<TForm4> makeForm()
{
    auto form = std::make_unique<TForm4>(nullptr, u"/nonexistent-sys"_s);
    form->CheckBox2->setChecked(false);
    form->show();
    return form;
}

// "Другой порт..." with the text typed into its dialog.
void typeOtherPort(DialogScript &script, TForm4 &form, const QString &text)
{
    script.type(text);
    emit form.ComboBox1->activated(form.ComboBox1->count() - 1);
}

} // namespace

class ConnectionNetworkTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { QFile::remove(TForm4::programPath()); }

    void aTypedAddressStaysListedAndALoadReachesTheFarPty()
    {
        Ser2net server;
        if (!server.available())
            QSKIP(qPrintable(server.skipReason()));
        PathReader sign(server.signPath());
        DialogScript script;
        const QByteArray program = QByteArray::fromHex("ff41ff") + QByteArray(20, 'n');
        writeProgram(program);
        auto form = makeForm();
        typeOtherPort(script, *form, u"  "_s + server.rfc2217Address() + u" "_s);
        QCOMPARE(form->ComboBox1->chosenName(), server.rfc2217Address());
        form->ComboBox1->discover();
        QCOMPARE(form->ComboBox1->chosenName(), server.rfc2217Address());
        QCOMPARE(form->ComboBox1->currentText(), server.rfc2217Address());

        QTest::mouseClick(form->btnUpload, Qt::LeftButton);
        QVERIFY2(script.messages.isEmpty(), qPrintable(script.messages.value(0).text));
        QCOMPARE(sign.waitFor(1921 + program.size()), QByteArray(1921, 'A') + program);
        QVERIFY(!form->Comm1->Active());
        QCOMPARE(form->ConnectOKString->text(), u"Порт выключен"_s);
        QVERIFY(form->btnUpload->isEnabled() && form->btnSetupTime->isEnabled());
    }

    void unresolvableAndRefusedAddressesStrandTheWindowUntilStop()
    {
        DialogScript script;
        writeProgram("x");
        const int descriptors = openDescriptorCount();
        auto form = makeForm();
        const int withWindow = openDescriptorCount();
        const QString refused = u"tcp://127.0.0.1:%1"_s.arg(freeLocalPort());
        struct Case {
            QString address;
            QString says;
        };
        for (const Case &c : {Case{u"rfc2217://oravelt-sign.invalid:2000"_s, u"oravelt-sign.invalid"_s},
                              Case{refused, u"Connection refused"_s}}) {
            script.messages.clear();
            form->ComboBox1->choosePath(c.address);
            QTest::mouseClick(form->btnUpload, Qt::LeftButton);
            QCOMPARE(script.messages.size(), 1);
            const QString text = script.messages.constFirst().text;
            QCOMPARE(script.messages.constFirst().icon, QMessageBox::Critical);
            QVERIFY2(text.contains(c.says) && text.endsWith(u" in function: CreateFile."_s), qPrintable(text));
            QCOMPARE(form->ConnectOKString->text(), u"Порт выключен"_s);
            QVERIFY(!form->btnUpload->isEnabled());
            QTest::mouseClick(form->CloseCommButton, Qt::LeftButton);
            QVERIFY(form->btnUpload->isEnabled());
            QCOMPARE(openDescriptorCount(), withWindow);
        }
        form.reset();
        QCOMPARE(openDescriptorCount(), descriptors);
    }

    void ser2netKilledMidLoadIsReportedLikeAPulledAdapter()
    {
        Ser2net server;
        if (!server.available())
            QSKIP(qPrintable(server.skipReason()));
        PathReader sign(server.signPath());
        DialogScript script;
        writeProgram(QByteArray(3000, 'k'));
        auto form = makeForm();
        form->ComboBox1->choosePath(server.rawAddress());
        const int descriptors = openDescriptorCount();
        const int threads = threadCount();
        QTimer killer;
        QObject::connect(&killer, &QTimer::timeout, [&] {
            if (sign.count() > 1921 + 100) {
                server.kill();
                killer.stop();
            }
        });
        killer.start(20);
        QTest::mouseClick(form->btnUpload, Qt::LeftButton);
        QCOMPARE(script.messages.size(), 1);
        const QString text = script.messages.constFirst().text;
        QVERIFY2(text.endsWith(u" in function: WriteFile."_s), qPrintable(text));
        QVERIFY(form->link().report().payloadSent > 0);
        QVERIFY(!form->btnUpload->isEnabled());
        QTest::mouseClick(form->CloseCommButton, Qt::LeftButton);
        QVERIFY(!form->Comm1->Active() && !form->Comm1->hasEventThread());
        QCOMPARE(form->ConnectOKString->text(), u"Порт выключен"_s);
        // Nothing of the transfer is left (what an earlier test left behind
        // may go meanwhile).
        QVERIFY(openDescriptorCount() <= descriptors);
        QVERIFY(threadCount() <= threads);
    }

    void aFarSideThatStopsReadingEndsWithTheLostBytesReport()
    {
        DialogScript script;
        StalledListener stalled;
        writeProgram(QByteArray(300, 's'));
        auto form = makeForm();
        form->link().setWriteTimeout(20);
        form->ComboBox1->choosePath(stalled.address());
        QTest::mouseClick(form->btnUpload, Qt::LeftButton);
        QCOMPARE(script.messages.size(), 1);
        QCOMPARE(script.messages.constFirst().icon, QMessageBox::Warning);
        QVERIFY2(script.messages.constFirst().text.contains(u"не принятых портом"_s),
                 qPrintable(script.messages.constFirst().text));
        QVERIFY(form->link().report().timedOut > 0);
        QVERIFY(!form->Comm1->Active());
        QVERIFY(form->btnUpload->isEnabled());
    }
};

int main(int argc, char *argv[])
{
    OraveltApplication app(argc, argv);
    ConnectionNetworkTest test;
    return QTest::qExec(&test, argc, argv);
}
#include "connection_network.moc"
