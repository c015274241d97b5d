// The editors' file dialogs shown for real: where they start, what the name
// field holds, and that the name field's completion list is gone once the
// dialog has closed, also under a window manager (an Xvfb of the test's own
// with openbox, where the list used to stay over the editor and take its
// keys).

#include "PrivateXServer.h"
#include "TestFiles.h"

#include "ui/DialogFolders.h"
#include "app/TForm1.h"
#include "app/richview/TRichViewEdit.h"
#include "document/streams/ClassRegistry.h"
#include "document/sourcefile/SourceFileWriter.h"
#include "app/pictures/TForm2.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCompleter>
#include <QFileDialog>
#include <QLineEdit>
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

// Set in the environment of the copy of this program that runs under the
// window manager.
constexpr const char *UnderWindowManager = "ORAVELT_TEST_UNDER_WINDOW_MANAGER";

QLineEdit *nameField(QFileDialog *dialog)
{
    return dialog->findChild<QLineEdit *>(u"fileNameEdit"_s);
}

bool completionListShown(QFileDialog *dialog)
{
    for (QCompleter *completer : dialog->findChildren<QCompleter *>()) {
        if (completer->popup() && completer->popup()->isVisible())
            return true;
    }
    return false;
}

// Runs `inside` once `dialog` is up, from within its own event loop.
void whenShown(QFileDialog *dialog, std::function<void()> inside)
{
    QTimer::singleShot(0, dialog, [dialog, inside = std::move(inside)] {
        if (QTest::qWaitFor([dialog] { return dialog->isVisible() && nameField(dialog)->hasFocus(); }, 5000))
            inside();
        dialog->reject();
    });
}

} // namespace

class FileDialogsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        ClassRegistry::registerStandardClasses();
    }

    void init()
    {
        QSettings(u"oravelt"_s, u"oravelt"_s).clear();
        m_dir = std::make_unique<QTemporaryDir>();
        for (const char *name : {"alpha.abc", "alpine.abc"})
            QVERIFY(writeFile(m_dir->filePath(QString::fromLatin1(name)), writeSourceBytes(SourceDocument())));
    }

    void cleanup() { m_dir.reset(); }

    void theStartFolderIsTheFilesThenTheLastUsedThenTheDocuments()
    {
        const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        const QString fallback = QFileInfo(documents).isDir() ? documents : QDir::homePath();
        QCOMPARE(DialogFolders::startFolder(QString(), u"abc"_s), fallback);
        QVERIFY(fallback != QCoreApplication::applicationDirPath());

        QTemporaryDir other;
        DialogFolders::remember(other.filePath(u"x.abc"_s), u"abc"_s);
        QCOMPARE(DialogFolders::startFolder(QString(), u"abc"_s), other.path());
        // Each kind has its own.
        QCOMPARE(DialogFolders::startFolder(QString(), u"bmp"_s), fallback);
        QCOMPARE(DialogFolders::startFolder(m_dir->filePath(u"alpha.abc"_s), u"abc"_s), m_dir->path());
        // A file in a folder that is gone, and a remembered folder that is gone.
        QCOMPARE(DialogFolders::startFolder(u"/no/such/folder/a.abc"_s, u"abc"_s), other.path());
        const QString gone = other.path();
        other.remove();
        QCOMPARE(DialogFolders::startFolder(QString(), u"abc"_s), fallback);
        // Kept in the settings, across runs.
        QCOMPARE(QSettings(u"oravelt"_s, u"oravelt"_s).value(u"folders/abc"_s).toString(), gone);
    }

    void theNameFieldHoldsTheFileNameAloneSelected()
    {
        TForm1 form;
        QVERIFY(form.openFile(m_dir->filePath(u"alpha.abc"_s)));
        QString held;
        QString selected;
        QString folder;
        whenShown(form.sd, [&] {
            held = nameField(form.sd)->text();
            selected = nameField(form.sd)->selectedText();
            folder = form.sd->directory().absolutePath();
        });
        QVERIFY(!form.SaveDocumentAs());
        QCOMPARE(held, u"alpha.abc"_s);
        QCOMPARE(selected, held);
        QCOMPARE(folder, m_dir->path());
    }

    void theGraphicEditorsDialogsFollowTheSameRule()
    {
        TForm1 main;
        TForm2 editor(&main);
        QString folder;
        whenShown(editor.savepictdlg, [&] { folder = editor.savepictdlg->directory().absolutePath(); });
        DialogFolders::remember(m_dir->filePath(u"logo.bmp"_s), u"bmp"_s);
        QVERIFY(!editor.SavePictureAs());
        QCOMPARE(folder, m_dir->path());
    }

    // The operator's way: the path typed slowly into the open dialog, so that
    // the completion list opens, and Enter while it is open.
    void theCompletionListIsGoneAfterTheDialogClosesUnderAWindowManager()
    {
        const QString openbox = QStandardPaths::findExecutable(u"openbox"_s);
        if (openbox.isEmpty())
            QSKIP("openbox is not installed");
        PrivateXServer server;
        QString why;
        if (!server.start(u"1024x768x24"_s, &why))
            QSKIP(qPrintable(why));
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"DISPLAY"_s, QString::fromLatin1(server.display()));
        QProcess manager;
        manager.setProcessEnvironment(environment);
        manager.start(openbox, {});
        QVERIFY(manager.waitForStarted());
        QTest::qWait(700);  // until it manages the screen

        environment.insert(u"QT_QPA_PLATFORM"_s, u"xcb"_s);
        environment.insert(QString::fromLatin1(UnderWindowManager), u"1"_s);
        QProcess child;
        child.setProcessEnvironment(environment);
        child.setProcessChannelMode(QProcess::MergedChannels);
        child.start(QCoreApplication::applicationFilePath(), {u"openTypedSlowlyAndEnter"_s});
        QVERIFY(child.waitForFinished(120000));
        const QByteArray output = child.readAll();
        manager.terminate();
        manager.waitForFinished(3000);
        QVERIFY2(child.exitCode() == 0, output.constData());
        QVERIFY2(output.contains("PASS   : FileDialogsTest::openTypedSlowlyAndEnter()"), output.constData());
    }

    // Run by the test above, in a copy of this program on its X server.
    void openTypedSlowlyAndEnter()
    {
        if (qEnvironmentVariableIsEmpty(UnderWindowManager))
            QSKIP("runs under a window manager, started by the test above");
        TForm1 form;
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        const QString path = m_dir->filePath(u"alpha.abc"_s);
        bool listOpened = false;
        QTimer::singleShot(0, form.od, [&] {
            QFileDialog *od = form.od;
            if (!QTest::qWaitFor([od] { return od->isActiveWindow() && nameField(od)->hasFocus(); }, 10000))
                return od->reject();
            // Keys as the X server delivers them: to the window, whose open
            // list (if any) takes them.
            for (const QChar c : path) {
                QTest::keyClick(od->windowHandle(), char(c.toLatin1()));
                QTest::qWait(150);
            }
            listOpened = QTest::qWaitFor([od] { return completionListShown(od); }, 5000);
            QTest::keyClick(od->windowHandle(), Qt::Key_Return);
            if (od->isVisible())
                od->reject();
        });
        form.mitOpenClick();
        QVERIFY2(listOpened, "the completion list did not open; nothing was shown");
        QCOMPARE(form.currentFileName(), path);
        QTest::qWait(300);
        QVERIFY(!completionListShown(form.od));
        QVERIFY(!QApplication::activePopupWidget());
        // The next key goes into the text. The window manager gives the main
        // window back the focus in its own time, and a window manager that
        // refuses activation requests from a program is free to keep it; what
        // matters here is that no list left open takes the key.
        if (!QTest::qWaitFor([&form] { return form.isActiveWindow(); }, 3000)) {
            form.activateWindow();
            QTest::qWaitFor([&form] { return form.isActiveWindow(); }, 3000);
        }
        QTest::keyClick(form.windowHandle(), 'x');
        QCOMPARE(form.rve->toPlainText(), u"x"_s);
        form.rve->setDocumentModified(false);
    }

private:
    std::unique_ptr<QTemporaryDir> m_dir;
};

QTEST_MAIN(FileDialogsTest)
#include "file_dialogs.moc"
