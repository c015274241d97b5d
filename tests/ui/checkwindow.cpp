// The check window driven from the main window: placement, the three window
// heights, error reporting in the pane and in the editor, Esc, a second start,
// the file error box, the editor lock after every ending, and the calibration
// window's values around a check (read when the walk has ended).

#include "DialogScript.h"
#include "OraveltVersion.h"
#include "SampleDocuments.h"
#include "TestFiles.h"

#include "app/TForm1.h"
#include "app/richview/TRichViewEdit.h"
#include "app/calibration/TForm6.h"
#include "compiler/CheckMessages.h"
#include "app/check/TForm3.h"
#include "document/streams/ClassRegistry.h"
#include "document/sourcefile/SourceFileWriter.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QToolButton>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

const QString Suffix = OraveltVersion::captionSuffix();

// The lines of the message pane, one per paragraph.
QStringList paneLines(const TForm3 &check)
{
    QStringList lines;
    for (QTextBlock b = check.RichView1->document()->begin(); b.isValid(); b = b.next())
        lines << b.text();
    return lines;
}

// The editor's document with a text style that is not a sign colour (1).
SourceDocument withGreenStyle()
{
    SourceDocument doc;
    TFontInfo green = TFontInfo::normalText();
    green.Standard = false;
    green.Color = Colour::Green;
    doc.styles.TextStyles.push_back(green);
    return doc;
}

SourceDocument longMessage(int items)
{
    SourceDocument doc;
    doc.append(Samples::marker(MarkerKind::Effect, 0));
    // One paragraph each: texts of one style side by side would be one item.
    for (int i = 1; i < items; ++i)
        doc.append(Samples::text(u"x"_s + QString::number(i)));
    return doc;
}

// Esc pressed in `window` as soon as the event loop runs (during a check:
// at its first turn of the loop).
void pressEscapeSoon(QWidget *window)
{
    QMetaObject::invokeMethod(window, [window] { QTest::keyClick(window, Qt::Key_Escape); }, Qt::QueuedConnection);
}

} // namespace

class CheckWindowTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { ClassRegistry::registerStandardClasses(); }

    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_script = std::make_unique<DialogScript>();
        createWindows(m_dir->path() + u'/');
    }

    void cleanup()
    {
        destroyWindows();
        m_script.reset();
        m_dir.reset();
    }

    // ----- placement and heights

    void theFirstCheckPlacesTheWindowBelowAndAsWideAndAMovedWindowStaysPut()
    {
        m_form1->move(40, 30);
        QVERIFY(m_form3->isUnplaced());
        m_form1->menuCheckTextClick();
        QVERIFY(m_form3->isVisible());
        const QRect main = m_form1->frameGeometry();
        QTRY_COMPARE(m_form3->frameGeometry().topLeft(), QPoint(main.left(), main.bottom() + 1));
        QCOMPARE(m_form3->width(), m_form1->width());

        m_form3->move(300, 20);
        m_form1->menuCheckTextClick();
        QCOMPARE(m_form3->pos(), QPoint(300, 20));
    }

    void nearTheBottomOfTheScreenTheWindowIsPulledUpToItsEdge()
    {
        const QRect screen = m_form1->screen()->geometry();
        m_form1->move(10, screen.bottom() - m_form1->frameGeometry().height() + 1 - 20);
        m_form1->menuCheckTextClick();
        // Height 148 was taken for the placement, before the check shrank it.
        const int frame = m_form3->frameGeometry().height() - m_form3->height();
        QTRY_COMPARE(m_form3->frameGeometry().top() + TForm3::RunningHeight - TForm3::FrameHeight + frame,
                     screen.bottom() + 1);
    }

    void anEmptyDocumentShrinksTheWindowAndLeavesOnlyTheStartLine()
    {
        m_form1->menuCheckTextClick();
        QCOMPARE(m_form3->outerHeight(), 56);
        QCOMPARE(m_form3->height(), 29);  // the row with the button, whole
        QCOMPARE(paneLines(*m_form3), QStringList{CheckMessages::Start});
        QCOMPARE(m_form3->ProgressBar1->value(), m_form3->ProgressBar1->maximum());
        QCOMPARE(fileBytes(m_form3->outputDirectory() + u"cmpres8.dat"_s), QByteArray("\x02\x01\x03\x00\x00", 5));
        QVERIFY(m_script->messages.isEmpty());
        // Shown again, the bar starts from nothing.
        m_form3->hide();
        m_form3->show();
        QCOMPARE(m_form3->ProgressBar1->value(), 0);
    }

    void newAndOpenEmptyTheProgressOfTheMessageChecked()
    {
        const QString file = m_dir->filePath(u"m.abc"_s);
        QVERIFY(writeFile(file, writeSourceBytes(SourceDocument())));
        m_form1->menuCheckTextClick();
        QCOMPARE(m_form3->ProgressBar1->value(), m_form3->ProgressBar1->maximum());
        m_form1->NewDocument();
        QCOMPARE(m_form3->ProgressBar1->value(), 0);
        m_form1->menuCheckTextClick();
        QVERIFY(m_form1->openFile(file));
        QCOMPARE(m_form3->ProgressBar1->value(), 0);
    }

    // ----- errors of the document

    void aColourErrorSelectsTheTextItemAndTheMessage()
    {
        SourceDocument doc = withGreenStyle();
        doc.append(Samples::marker(MarkerKind::Effect, 0));
        doc.append(Samples::text(u"Привет"_s, 1, true));
        doc.append(Samples::text(u"!"_s, 0, true));
        m_form1->rve->loadDocument(std::move(doc));
        m_form1->menuCheckTextClick();

        QCOMPARE(paneLines(*m_form3), (QStringList{CheckMessages::Start, CheckMessages::BadTextColour}));
        QCOMPARE(m_form3->RichView1->textCursor().selectedText(), CheckMessages::BadTextColour);
        QCOMPARE(m_form3->outerHeight(), 148);
        QCOMPARE(m_form1->rve->textCursor().selectedText(), u"Привет"_s);
        // The main window comes to the front, its editor focused.
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget *>(m_form1->rve));
        QVERIFY(m_form3->abortFlag());
        // The bar stops before the item in error.
        QCOMPARE(m_form3->ProgressBar1->value(), 1);
        // The listing ends with the closing of the empty record; no program
        // of a check with an error is put in place.
        QCOMPARE(fileBytes(m_form3->outputDirectory() + u"cmpres8.dat"_s), QByteArray("<missing>"));
        QVERIFY(fileBytes(m_form3->outputDirectory() + u"cmpres.bak"_s)
                    .endsWith("0x00,// close empty effect(for item end)\r\n0x03,\r\n0x00,\r\n0x00\r\n"));
    }

    void theMissingEffectErrorPutsTheCaretBeforeTheItem()
    {
        SourceDocument doc;
        doc.append(Samples::marker(MarkerKind::Effect, 0));
        doc.append(Samples::marker(MarkerKind::EffectClear, 2, true));
        doc.append(Samples::text(u"Привет"_s, 0, true));
        m_form1->rve->loadDocument(std::move(doc));
        m_form1->rve->moveCursor(QTextCursor::End);
        m_form1->menuCheckTextClick();

        QCOMPARE(paneLines(*m_form3).last(), CheckMessages::NoOutputEffect);
        const QTextCursor caret = m_form1->rve->textCursor();
        QVERIFY(!caret.hasSelection());
        QCOMPARE(caret.position(), 2);  // after the two markers, before the text
        QCOMPARE(m_form3->outerHeight(), 148);
    }

    // ----- stopping, and a second start

    void escDuringALongCheckStopsAfterTheItemInHandWithoutAMessage()
    {
        m_form1->rve->loadDocument(longMessage(50));
        m_form3->setYieldInterval(std::chrono::nanoseconds(0));
        pressEscapeSoon(m_form3.get());
        m_form1->menuCheckTextClick();

        QCOMPARE(paneLines(*m_form3), QStringList{CheckMessages::Start});
        QCOMPARE(m_form3->RichView1->textCursor().selectedText(), CheckMessages::Start);
        QCOMPARE(m_form3->outerHeight(), 148);
        QCOMPARE(m_form3->ProgressBar1->value(), 1);
        QVERIFY(m_script->messages.isEmpty());
        // The output effect of item 0 was the last thing written; the
        // listing's record is closed and completed, and the program of a
        // stopped check is not put in place.
        QCOMPARE(fileBytes(m_form3->outputDirectory() + u"cmpres8.dat"_s), QByteArray("<missing>"));
        QVERIFY(fileBytes(m_form3->outputDirectory() + u"cmpres.bak"_s)
                    .endsWith("0x00,// close empty effect(for item end)\r\n0x03,\r\n0x00,\r\n0x00\r\n"));
    }

    void aSecondStartDuringACheckDoesNothing()
    {
        m_form1->rve->loadDocument(longMessage(20));
        m_form3->setYieldInterval(std::chrono::nanoseconds(0));
        QSignalSpy running(m_form3.get(), &TForm3::runningChanged);
        int nested = 0;
        QMetaObject::invokeMethod(
            this,
            [&] {
                ++nested;
                m_form1->menuCheckTextClick();  // as the upload does
                m_form3->btnStartClick();
            },
            Qt::QueuedConnection);
        m_form1->menuCheckTextClick();
        QCOMPARE(nested, 1);
        QCOMPARE(running.count(), 2);  // one start, one end
        QCOMPARE(paneLines(*m_form3), QStringList{CheckMessages::Start});
        QCOMPARE(m_form3->outerHeight(), 56);
        QCOMPARE(m_form3->ProgressBar1->value(), 20);
    }

    // ----- the lock on the editor

    void theEditorIsLockedDuringACheck()
    {
        m_form1->rve->loadDocument(longMessage(5));
        m_form3->setYieldInterval(std::chrono::nanoseconds(0));
        m_form1->rve->setFocus();
        m_form1->rve->moveCursor(QTextCursor::End);
        QStringList seen;
        QMetaObject::invokeMethod(
            this,
            [&] {
                seen << (m_form1->rve->isReadOnly() ? u"read-only"_s : u"editable"_s);
                const auto state = [&](const char *name, bool enabled) {
                    seen << QLatin1StringView(name) + (enabled ? u" true"_s : u" false"_s);
                };
                for (const char *name : {"mitNew", "mitOpen", "mitPaste", "mitInsertEffectCB"})
                    state(name, m_form1->action(name)->isEnabled());
                state("EffectCB", m_form1->EffectCB->isEnabled());
                state("btnBlackOnRed", m_form1->btnBlackOnRed->isEnabled());
                state("mitSave", m_form1->action("mitSave")->isEnabled());
                // Commands that do not look at the lock change nothing.
                m_form1->mitPasteClick();
                QTest::keyClicks(m_form1->rve, u"typed"_s);
                m_form1->EffectCBChange();
            },
            Qt::QueuedConnection);
        m_form1->menuCheckTextClick();
        QCOMPARE(seen, (QStringList{u"read-only"_s, u"mitNew false"_s, u"mitOpen false"_s, u"mitPaste false"_s,
                                    u"mitInsertEffectCB false"_s, u"EffectCB false"_s, u"btnBlackOnRed false"_s,
                                    u"mitSave true"_s}));
        QCOMPARE(m_form1->rve->snapshot().itemCount(), 5);
        QVERIFY(!m_form1->rve->isDocumentModified());
    }

    void everyEndingOfACheckUnlocksTheEditorAndTheButton_data()
    {
        QTest::addColumn<QString>("ending");
        QTest::newRow("success") << u"success"_s;
        QTest::newRow("document error") << u"error"_s;
        QTest::newRow("Esc in the main window") << u"esc"_s;
        QTest::newRow("check window closed during the run") << u"closed"_s;
        QTest::newRow("file error") << u"file"_s;
    }

    void everyEndingOfACheckUnlocksTheEditorAndTheButton()
    {
        QFETCH(QString, ending);
        if (ending == u"file"_s) {
            destroyWindows();
            QVERIFY(writeFile(m_dir->filePath(u"plain-file"_s), "x"));
            createWindows(m_dir->filePath(u"plain-file"_s) + u"/out/"_s);
            m_script->answer(QMessageBox::Ok);
        }
        SourceDocument doc = ending == u"error"_s ? withGreenStyle() : SourceDocument();
        doc.append(Samples::marker(MarkerKind::Effect, 0));
        for (int i = 0; i < 10; ++i)
            doc.append(Samples::text(u"ab"_s, ending == u"error"_s && i == 5 ? 1 : 0));
        m_form1->rve->loadDocument(std::move(doc));
        m_form1->rve->moveCursor(QTextCursor::Start);
        m_form1->rve->textCursor();
        m_form3->setYieldInterval(std::chrono::nanoseconds(0));
        if (ending == u"esc"_s)
            pressEscapeSoon(m_form1->rve); else if (ending == u"closed"_s) {
            QMetaObject::invokeMethod(m_form3.get(), [this] { m_form3->close(); }, Qt::QueuedConnection);
        }
        m_form1->menuCheckTextClick();

        QVERIFY(!m_form3->isRunning());
        QCOMPARE(m_form3->lastCheckSucceeded(), ending == u"success"_s);
        QVERIFY(m_form3->btnStart->isEnabled());
        QVERIFY(!m_form1->rve->isReadOnly());
        QVERIFY(!m_form1->isDocumentLocked());
        for (const char *name : {"mitNew", "mitOpen", "mitPaste", "mitInsertPauseCB"})
            QVERIFY2(m_form1->action(name)->isEnabled(), name);
        QVERIFY(m_form1->EffectCB->isEnabled());
        QVERIFY(m_form1->btnRed->isEnabled());
        QCOMPARE(m_form3->isVisible(), ending != u"closed"_s);
        if (ending == u"closed"_s || ending == u"esc"_s)
            QVERIFY(m_form3->ProgressBar1->value() < 11);
        // The editor takes typing again.
        m_form1->rve->setFocus();
        QTest::keyClicks(m_form1->rve, u"Z"_s);
        QVERIFY(m_form1->rve->isDocumentModified());
    }

    // ----- files

    void aDirectoryThatCannotBeWrittenGivesTheFileErrorBox_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("read-only directory") << u"read-only"_s;
        QTest::newRow("a file where the directory should be") << u"file"_s;
    }

    void aDirectoryThatCannotBeWrittenGivesTheFileErrorBox()
    {
        QFETCH(QString, kind);
        QString directory;
        if (kind == u"read-only"_s) {
            directory = m_dir->filePath(u"read-only"_s);
            QVERIFY(QDir().mkpath(directory));
            QFile::setPermissions(directory, QFile::ReadOwner | QFile::ExeOwner);
            QFile probe(directory + u"/probe"_s);
            if (probe.open(QIODevice::WriteOnly)) {
                probe.remove();
                QSKIP("this user writes into read-only directories");
            }
        } else {
            QVERIFY(writeFile(m_dir->filePath(u"plain-file"_s), "x"));
            directory = m_dir->filePath(u"plain-file"_s);
        }
        destroyWindows();
        createWindows(directory + u'/');
        m_form1->rve->loadDocument(longMessage(3));
        m_script->answer(QMessageBox::Ok);
        m_form1->menuCheckTextClick();

        QCOMPARE(m_script->messages.size(), 1);
        const Dialogs::MessageRequest &box = m_script->messages.constFirst();
        QCOMPARE(box.icon, QMessageBox::Critical);
        QCOMPARE(box.caption, u"Ошибка - Проверка исходного текста"_s + Suffix);
        // The fixed text, then the file that could not be made and why.
        const QString fixed = u"Ошибка. Невозможно создать файл результата проверки исходного текста.\n\n"
                              u"Убедитесь, что диск, с которого запущена программа, не защищен от записи."_s;
        QVERIFY2(box.text.startsWith(fixed + u"\n\n"_s + QDir::toNativeSeparators(directory + u"/cmpres.bak"_s)
                                     + u": "_s),
                 qPrintable(box.text));
        QCOMPARE(box.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        QCOMPARE(box.parent, static_cast<QWidget *>(m_form3.get()));
        QVERIFY(m_form3->btnStart->isEnabled());
        QCOMPARE(m_form3->outerHeight(), 148);
        QCOMPARE(paneLines(*m_form3), QStringList{CheckMessages::Start});
        QFile::setPermissions(directory, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    // ----- the calibration window

    void calibrationValuesAreReducedByTheCheckAndWrittenAtTheEnd()
    {
        destroyWindows();
        const QString ini = m_dir->filePath(u"sensor.ini"_s);
        QVERIFY(writeFile(ini, "[other]\r\nk=v\r\n[sensor]\r\n1=300\r\n2=abc\r\n"));
        createWindows(m_dir->path() + u'/');
        QCOMPARE(m_form6->Edit1->text(), u"300"_s);
        QCOMPARE(m_form6->Edit2->text(), u"abc"_s);

        m_form1->menuCheckTextClick();
        QCOMPARE(fileBytes(m_form3->outputDirectory() + u"cmpres8.dat"_s), QByteArray("\x02\x01\x03\x2C\x00", 5));
        QCOMPARE(m_form6->Edit1->text(), u"44"_s);
        QCOMPARE(m_form6->Edit2->text(), u"0"_s);
        QCOMPARE(fileBytes(ini), QByteArray("[other]\r\nk=v\r\n[sensor]\r\n1=300\r\n2=abc\r\n"));
        destroyWindows();
        QCOMPARE(fileBytes(ini), QByteArray("[other]\r\nk=v\r\n[sensor]\r\n1=44\r\n2=0\r\n"));
    }

    void aValueTypedIntoTheCalibrationWindowDuringTheWalkIsTheOneSent()
    {
        m_form1->rve->loadDocument(longMessage(20));
        m_form3->setYieldInterval(std::chrono::nanoseconds(0));
        // Typed once the walk is under way (the bar moves only then).
        connect(m_form3->ProgressBar1, &QProgressBar::valueChanged, this, [this](int value) {
            if (value == 5)
                m_form6->Edit1->setText(u"300"_s);
        });
        m_form1->menuCheckTextClick();
        QVERIFY(fileBytes(m_form3->outputDirectory() + u"cmpres8.dat"_s).endsWith(QByteArray("\x03\x2C\x00", 3)));
        QCOMPARE(m_form6->Edit1->text(), u"44"_s);
    }

    void withoutASettingsFileTheFieldsShowZeroAndTheFileIsCreatedAtTheEnd()
    {
        QCOMPARE(m_form6->Edit1->text(), u"0"_s);
        QCOMPARE(m_form6->Edit2->text(), u"0"_s);
        destroyWindows();
        QCOMPARE(fileBytes(m_dir->filePath(u"sensor.ini"_s)), QByteArray("[sensor]\r\n1=0\r\n2=0\r\n"));
        QVERIFY(m_script->messages.isEmpty());
    }

    void aSettingsFileThatCannotBeWrittenIsReportedInTheStandardErrorBox()
    {
        destroyWindows();
        QVERIFY(writeFile(m_dir->filePath(u"plain-file"_s), "x"));
        const QString directory = m_dir->filePath(u"plain-file"_s) + u'/';
        createWindows(directory);
        destroyWindows();
        QCOMPARE(m_script->messages.size(), 1);
        QCOMPARE(m_script->messages[0].icon, QMessageBox::Critical);
        QCOMPARE(m_script->messages[0].text, u"Unable to write to "_s + directory + u"sensor.ini."_s);
    }

    void theCalibrationCommandShowsTheWindowCentredAndCloseHidesIt()
    {
        m_form1->action("mitCalibration")->trigger();
        QVERIFY(m_form6->isVisible());
        QVERIFY(qAbs(m_form6->frameGeometry().center().x() - m_form1->frameGeometry().center().x()) <= 1);
        QVERIFY(qAbs(m_form6->frameGeometry().center().y() - m_form1->frameGeometry().center().y()) <= 1);
        QTest::mouseClick(m_form6->Button1, Qt::LeftButton);
        QVERIFY(!m_form6->isVisible());
    }

    void escapeOrEnterInAFieldClosesTheCalibrationWindowKeepingWhatWasTyped()
    {
        for (const Qt::Key key : {Qt::Key_Escape, Qt::Key_Return, Qt::Key_Enter}) {
            m_form1->mitCalibrationClick();
            QVERIFY(QTest::qWaitForWindowExposed(m_form6.get()));
            m_form6->Edit2->setFocus();
            m_form6->Edit2->setText(u"17"_s);
            QTest::keyClick(m_form6->Edit2, key);
            QVERIFY2(!m_form6->isVisible(), qPrintable(QString::number(key, 16)));
            QCOMPARE(m_form6->Edit2->text(), u"17"_s);
        }
        // A key with Ctrl or Shift is the field's.
        m_form1->mitCalibrationClick();
        QTest::keyClick(m_form6->Edit1, Qt::Key_Return, Qt::ShiftModifier);
        QVERIFY(m_form6->isVisible());
        m_form6->close();
    }

    void closingTheMainWindowTakesTheOtherWindowsWithIt()
    {
        m_form1->menuCheckTextClick();
        m_form1->mitCalibrationClick();
        QVERIFY(m_form1->close());
        QVERIFY(!m_form3->isVisible());
        QVERIFY(!m_form6->isVisible());
        QVERIFY(!m_form3->testAttribute(Qt::WA_QuitOnClose));
        QVERIFY(!m_form6->testAttribute(Qt::WA_QuitOnClose));
    }

    void theCloseBoxHidesTheCheckWindowAndItKeepsItsPlace()
    {
        m_form1->menuCheckTextClick();
        const QPoint place = m_form3->pos();
        QVERIFY(!m_form3->close());
        QVERIFY(!m_form3->isVisible());
        m_form1->menuCheckTextClick();
        QCOMPARE(m_form3->pos(), place);
    }

private:
    void createWindows(const QString &directory)
    {
        m_form1 = std::make_unique<TForm1>();
        // Wired as start-up wires them.
        m_form3 = std::make_unique<TForm3>(*m_form1, directory);
        m_form1->setCheckWindow(m_form3.get());
        m_form6 = std::make_unique<TForm6>(m_form1.get(), directory);
        m_form1->setCalibrationWindow(m_form6.get());
        m_form3->setCalibrationSource(m_form6.get());
        m_form1->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_form1.get()));
    }

    void destroyWindows()
    {
        if (m_form1)
            m_form1->rve->setDocumentModified(false);
        m_form6.reset();
        m_form3.reset();
        m_form1.reset();
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<DialogScript> m_script;
    std::unique_ptr<TForm1> m_form1;
    std::unique_ptr<TForm3> m_form3;
    std::unique_ptr<TForm6> m_form6;
};

QTEST_MAIN(CheckWindowTest)
#include "checkwindow.moc"
