// The main window driven as the operator drives it: start-up, the save
// prompt, files, markers from the toolbar and the menu, the colour commands,
// find, the clipboard between two windows and the simulator on close.

#include "DialogScript.h"
#include "OraveltVersion.h"
#include "SampleDocuments.h"
#include "TestFiles.h"
#include "Typing.h"

#include "app/FindDialog.h"
#include "app/richview/MarkerComboBoxes.h"
#include "app/TForm1.h"
#include "app/platform/TopLevelWindows.h"
#include "app/richview/TRichViewEdit.h"
#include "app/pictures/TForm2.h"
#include "document/streams/ClassRegistry.h"
#include "document/markup/MarkupReader.h"
#include "document/sourcefile/SourceFileWriter.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QSettings>
#include <QStandardPaths>
#include <QLabel>
#include <QLineEdit>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

using namespace Qt::StringLiterals;

namespace {

const QString Suffix = OraveltVersion::captionSuffix();

// Windows of the desktop as a test sets them up: titles and which were closed.
class FakeDesktop : public TopLevelWindows {
public:
    QStringList titles;
    QStringList closed;
    std::optional<Handle> find(const QString &title) override
    {
        const qsizetype i = titles.indexOf(title);
        return i < 0 ? std::nullopt : std::optional<Handle>(Handle(i));
    }
    void close(Handle window) override { closed << titles.at(qsizetype(window)); }
    void bringToTop(Handle window) override { raised << titles.at(qsizetype(window)); }
    QStringList raised;
};

// Picks entry `index` in a toolbar box through its open list.
void pick(QComboBox *box, int index)
{
    QTest::mouseClick(box, Qt::LeftButton);
    QAbstractItemView *view = box->view();
    QTRY_VERIFY(view->isVisible());
    const QModelIndex item = view->model()->index(index, 0);
    view->setCurrentIndex(item);
    QTest::keyClick(view, Qt::Key_Return);
    QTRY_VERIFY(!view->isVisible());
}

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // The folders the file dialogs remember go to a settings file of
        // the tests' own.
        QStandardPaths::setTestModeEnabled(true);
        ClassRegistry::registerStandardClasses();
    }

    void init()
    {
        m_script = std::make_unique<DialogScript>();
        m_form = std::make_unique<TForm1>();
        m_form->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
        m_form->activateWindow();
    }

    void cleanup()
    {
        if (m_form)
            m_form->rve->setDocumentModified(false);
        m_form.reset();
        m_script.reset();
        TopLevelWindows::setDesktop(nullptr);
    }

    // ----- start-up and layout

    void startsUnnamedAndEmptyWithoutAPrompt()
    {
        QCOMPARE(m_form->windowTitle(), u"Unnamed"_s + Suffix);
        QCOMPARE(m_form->rve->itemCount(), 0);
        QVERIFY(m_script->messages.isEmpty());
        QCOMPARE(m_form->fontCB->currentText(), u"Высокий 6x8"_s);
        QCOMPARE(m_form->fontCB->count(), 2);
        QCOMPARE(m_form->EffectCB->currentText(), u"Слева"_s);
        QCOMPARE(m_form->EffectClearCB->currentIndex(), 2);
        QCOMPARE(m_form->PauseCB->currentText(), u"1 сек."_s);
        QCOMPARE(m_form->SpeedCB->currentText(), u"10"_s);
        QCOMPARE(m_form->EffectClearCB->maxVisibleItems(), 29);
        QVERIFY(m_form->btnRed->isChecked());
        QVERIFY(!m_form->btnBlackOnRed->isChecked());
        QVERIFY(!m_form->rve->isDocumentModified());
    }

    void controlsStandWhereTheLayoutPutsThem()
    {
        QCOMPARE(m_form->Panel1->width(), 520);
        QCOMPARE(m_form->Panel1->height(), 41);
        QCOMPARE(m_form->panel->height(), 80);
        QCOMPARE(m_form->btnNew->geometry(), QRect(8, 8, 25, 25));
        QCOMPARE(m_form->btnComm->geometry(), QRect(196, 8, 25, 25));
        QCOMPARE(m_form->btnClose->geometry(), QRect(483, 8, 25, 25));
        QCOMPARE(m_form->EffectCB->geometry(), QRect(8, 20, 129, 21));
        QCOMPARE(m_form->SpeedCB->geometry(), QRect(140, 20, 49, 21));
        QCOMPARE(m_form->fontCB->geometry(), QRect(192, 20, 121, 21));
        QCOMPARE(m_form->PauseCB->geometry(), QRect(316, 20, 65, 21));
        QCOMPARE(m_form->EffectClearCB->geometry(), QRect(384, 20, 129, 21));
        QCOMPARE(m_form->gEditor->geometry(), QRect(8, 48, 153, 25));
        QCOMPARE(m_form->btnRed->geometry(), QRect(216, 48, 25, 25));
        QCOMPARE(m_form->btnBlackOnRed->geometry(), QRect(248, 48, 25, 25));
        QCOMPARE(m_form->InfoCB->geometry(), QRect(356, 52, 157, 21));
        QCOMPARE(m_form->btnRed->toolTip(), u"Красный"_s);
        QCOMPARE(m_form->btnBlackOnRed->toolTip(), u"Чёрный на красном фоне"_s);
        QCOMPARE(m_form->rve->toolTip(), u"Начните работу со вставки эффекта вывода, затем введите Ваш текст"_s);
        // The close button stays at the right edge.
        m_form->resize(700, m_form->height());
        QTRY_COMPARE(m_form->btnClose->x(), 700 - 37);
        // Commands whose windows do not exist yet are there but disabled.
        QVERIFY(!m_form->action("menuCheckText")->isEnabled());
        QCOMPARE(m_form->action("menuCheckText")->shortcut(), QKeySequence(Qt::Key_F9));
        QCOMPARE(m_form->action("mitRedo")->shortcut(), QKeySequence(u"Ctrl+Y"_s));
        QCOMPARE(m_form->action("mitSaveAs")->text(), u"Сохранить &как..."_s);
        QVERIFY(!m_form->SpeedButton3->isEnabled());
    }

    // ----- the save prompt

    void newAfterTypingAsksAndCancelKeepsEverything()
    {
        m_form->rve->setFocus();
        QTest::keyClicks(m_form->rve, u"A"_s);
        m_script->answer(QMessageBox::Cancel);
        m_form->action("mitNew")->trigger();
        QCOMPARE(m_script->messages.size(), 1);
        QCOMPARE(m_script->messages[0].text, u"Save file now?"_s);
        QCOMPARE(m_script->messages[0].caption, u"File was modified"_s);
        QCOMPARE(m_script->messages[0].icon, QMessageBox::Question);
        QCOMPARE(m_script->messages[0].buttons, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        QCOMPARE(m_form->rve->itemCount(), 1);
        QVERIFY(m_form->rve->isDocumentModified());
    }

    void newAnsweredNoEmptiesWithoutWriting()
    {
        m_form->rve->setFocus();
        QTest::keyClicks(m_form->rve, u"A"_s);
        QVERIFY(m_form->action("mitUndo")->isEnabled());
        m_script->answer(QMessageBox::No);
        QTest::mouseClick(m_form->btnNew, Qt::LeftButton);
        QVERIFY(!m_form->action("mitUndo")->isEnabled());
        QCOMPARE(m_form->rve->itemCount(), 0);
        QVERIFY(m_script->fileDialogs.isEmpty());
        QVERIFY(!m_form->rve->isDocumentModified());
        QCOMPARE(m_form->windowTitle(), u"Unnamed"_s + Suffix);
    }

    void newAnsweredYesOnAnUnnamedDocumentAsksForAFileAndCancelKeepsIt()
    {
        m_form->rve->setFocus();
        QTest::keyClicks(m_form->rve, u"A"_s);
        m_script->answer(QMessageBox::Yes);
        m_script->choose(QString());
        m_form->action("mitNew")->trigger();
        QCOMPARE(m_script->fileDialogs, QStringList{u"sd"_s});
        QCOMPARE(m_form->rve->itemCount(), 1);
        QVERIFY(m_form->rve->isDocumentModified());
        QCOMPARE(m_form->windowTitle(), u"Unnamed"_s + Suffix);
    }

    void closeAnsweredCancelStaysOpenAndLeavesTheSimulator()
    {
        auto desktop = std::make_unique<FakeDesktop>();
        FakeDesktop *windows = desktop.get();
        windows->titles << Simulator::closingTitle();
        TopLevelWindows::setDesktop(std::move(desktop));
        m_form->rve->setFocus();
        QTest::keyClicks(m_form->rve, u"A"_s);
        m_script->answer(QMessageBox::Cancel);
        QVERIFY(!m_form->close());
        QVERIFY(m_form->isVisible());
        QVERIFY(windows->closed.isEmpty());
    }

    void closingClosesOnlyTheSimulatorWithTheExactTitle()
    {
        auto desktop = std::make_unique<FakeDesktop>();
        FakeDesktop *windows = desktop.get();
        windows->titles << Simulator::previewTitle() << u"Oravelt 8 v1.1 XP/W7 04.03.2011 - Предварительный просмотр"_s
                        << Simulator::closingTitle();
        TopLevelWindows::setDesktop(std::move(desktop));
        QTest::mouseClick(m_form->btnClose, Qt::LeftButton);
        QVERIFY(!m_form->isVisible());
        QCOMPARE(windows->closed, QStringList{Simulator::closingTitle()});
        QCOMPARE(Simulator::closingTitle(),
                 u"\"Oravelt 8\" v1.1 XP/W7 04.03.2011 - Предварительный просмотр"_s);
    }

    // ----- files

    void saveOnAnUnnamedDocumentIsSaveAsAndThenWritesWithoutADialog()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"message.abc"_s);
        m_form->rve->setFocus();
        QTest::keyClicks(m_form->rve, u"AB"_s);
        m_script->choose(path);
        m_form->action("mitSave")->trigger();
        QCOMPARE(m_script->fileDialogs, QStringList{u"sd"_s});
        QCOMPARE(m_script->filters.first(), u"Файлы исходного текста (*.abc)"_s);
        QCOMPARE(m_form->windowTitle(), u"message.abc"_s + Suffix);
        QVERIFY(!m_form->rve->isDocumentModified());
        QVERIFY(fileBytes(path).endsWith("0 1 0 0 0 0\r\nAB\r\n"));

        QTest::keyClicks(m_form->rve, u"C"_s);
        QTest::mouseClick(m_form->btnSave, Qt::LeftButton);
        QCOMPARE(m_script->fileDialogs.size(), 1);
        QCOMPARE(m_form->windowTitle(), u"message.abc"_s + Suffix);
        QVERIFY(fileBytes(path).endsWith("ABC\r\n"));
    }

    void aFailedSaveSaysWhyAndKeepsTheDocumentModified()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"no-such-folder/message.abc"_s);
        m_form->rve->setFocus();
        QTest::keyClicks(m_form->rve, u"AB"_s);
        m_script->choose(path);
        QVERIFY(!m_form->SaveDocumentAs());
        QCOMPARE(m_script->messages.size(), 1);
        QCOMPARE(m_script->messages[0].icon, QMessageBox::Critical);
        QVERIFY(m_script->messages[0].text.contains(u"message.abc"_s));
        QVERIFY(m_form->rve->isDocumentModified());
        QCOMPARE(m_form->windowTitle(), u"Unnamed"_s + Suffix);
        QVERIFY(m_form->currentFileName().isEmpty());
    }

    void aFileThatCannotBeReadLeavesTheDocumentAndItsName()
    {
        QTemporaryDir dir;
        const QString good = dir.filePath(u"good.abc"_s);
        m_form->rve->loadDocument(Samples::everything());
        QVERIFY(WriteSourceFile(good, m_form->rve->snapshot()));
        QVERIFY(m_form->openFile(good));
        const QByteArray original = fileBytes(good);

        const QString bad = dir.filePath(u"bad.abc"_s);
        QFile file(bad);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("-8 1 3\r\n-9 2 0 0 2 0 3\r\n\r\n\x18\x00\x00\x00");  // a layout block cut short
        file.close();
        m_script->choose(bad);
        m_form->action("mitOpen")->trigger();
        QCOMPARE(m_script->messages.size(), 1);
        QVERIFY(m_script->messages[0].text.contains(u"bad.abc"_s));
        QCOMPARE(m_form->windowTitle(), u"good.abc"_s + Suffix);
        QCOMPARE(m_form->currentFileName(), good);
        QCOMPARE(m_form->rve->itemCount(), Samples::everything().itemCount());

        // A later Save writes the document to the file it came from.
        m_form->rve->setFocus();
        m_form->rve->moveCursor(QTextCursor::End);
        QTest::keyClicks(m_form->rve, u"!"_s);
        QVERIFY(m_form->SaveDocument());
        QVERIFY(fileBytes(bad).startsWith("-8 1 3\r\n-9 2 0 0 2 0 3"));
        QVERIFY(fileBytes(good) != original);
        QVERIFY(fileBytes(good).endsWith("!\r\n"));
    }

    void everyKindOfItemSurvivesSaveAndOpenByteForByte()
    {
        QTemporaryDir dir;
        const QString first = dir.filePath(u"first.abc"_s);
        const QString second = dir.filePath(u"second.abc"_s);
        const SourceDocument doc = Samples::everything();
        m_form->rve->loadDocument(doc);
        m_script->choose(first);
        QVERIFY(m_form->SaveDocumentAs());
        QCOMPARE(fileBytes(first), writeSourceBytes(doc));

        m_script->choose(first);
        m_form->action("mitOpen")->trigger();
        QCOMPARE(m_form->windowTitle(), u"first.abc"_s + Suffix);
        QVERIFY(!m_form->rve->isDocumentModified());
        const SourceDocument back = m_form->rve->snapshot();
        QCOMPARE(back.itemCount(), doc.itemCount());
        QList<QByteArray> classes;
        for (const SourceItem &item : back.items) {
            if (item.control)
                classes << item.control->className;
        }
        QCOMPARE(classes, (QList<QByteArray>{"TEffectComboBox", "TPauseComboBox", "TEffectClearComboBox",
                                              "TSpeedComboBox", "TFontComboBox", "TInfoComboBox"}));
        QCOMPARE(back.item(4).control->ItemIndex, 23);
        QCOMPARE(back.item(4).control->Text, u"О.*Негатив"_s);
        QCOMPARE(back.item(7).picture->image().pixel(0, 0), qRgb(255, 0, 0));

        m_script->choose(second);
        QVERIFY(m_form->SaveDocumentAs());
        QCOMPARE(fileBytes(second), fileBytes(first));
    }

    void theExampleMessagesOpenAndSaveUnchanged()
    {
        QTemporaryDir dir;
        const QStringList examples{u"welcome.abc"_s, u"sale.abc"_s, u"clock.abc"_s, u"bus-stop.abc"_s};
        for (const QString &name : examples) {
            const QString source = QStringLiteral(ORAVELT_SOURCE_DIR "/examples/") + name;
            QVERIFY2(m_form->openFile(source), qPrintable(name));
            QVERIFY(m_form->rve->itemCount() > 0);
            const QString copy = dir.filePath(name);
            m_script->choose(copy);
            QVERIFY(m_form->SaveDocumentAs());
            QVERIFY2(fileBytes(copy) == fileBytes(source), qPrintable(name));
        }
        QVERIFY(m_script->messages.isEmpty());
    }

    void openingTheSameFileOnTheCommandLineGivesTheSameDocument()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"from desktop.abc"_s);
        QVERIFY(WriteSourceFile(path, Samples::everything()));
        QVERIFY(m_form->openFile(path));
        QCOMPARE(m_form->windowTitle(), u"from desktop.abc"_s + Suffix);
        QVERIFY(!m_form->openFile(dir.filePath(u"missing.abc"_s)));
        QCOMPARE(m_form->windowTitle(), u"from desktop.abc"_s + Suffix);
    }

    // ----- markers

    void insertMenuMakesAMarkerFromTheToolbarBox()
    {
        m_form->insertAction(MarkerKind::Effect)->trigger();
        SourceDocument doc = m_form->rve->snapshot();
        QCOMPARE(doc.itemCount(), 1);
        QCOMPARE(doc.item(0).markerKind(), MarkerKind::Effect);
        QCOMPARE(doc.item(0).control->ItemIndex, 0);
        QCOMPARE(doc.item(0).control->Text, u"В.Слева"_s);
        QCOMPARE(doc.item(0).control->Width, 129);
        QCOMPARE(doc.item(0).control->Hint, u"Режим вывода текста"_s);
        QCOMPARE(doc.item(0).control->DropDownCount, 20);
        QCOMPARE(m_form->rve->textCursor().position(), 1);
        QTRY_VERIFY(m_form->rve->hasFocus());
        QVERIFY(m_form->rve->isDocumentModified());
    }

    void pickingInAToolbarBoxInsertsAtOnceAndTheBoxRemembers()
    {
        pick(m_form->EffectCB, 1);
        QCOMPARE(m_form->EffectCB->currentText(), u"Справа"_s);
        m_form->insertAction(MarkerKind::Effect)->trigger();
        const SourceDocument doc = m_form->rve->snapshot();
        QCOMPARE(doc.itemCount(), 2);
        QCOMPARE(doc.item(0).control->ItemIndex, 1);
        QCOMPARE(doc.item(1).control->ItemIndex, 1);
        QCOMPARE(doc.item(1).control->Text, u"В.Справа"_s);
        QCOMPARE(doc.item(1).options, ItemOption::ContinuesParagraph);
    }

    void eachKindTakesItsPrefixAndDefaultEntry()
    {
        m_form->insertAction(MarkerKind::Pause)->trigger();
        m_form->insertAction(MarkerKind::Font)->trigger();
        m_form->insertAction(MarkerKind::Speed)->trigger();
        m_form->insertAction(MarkerKind::EffectClear)->trigger();
        m_form->insertAction(MarkerKind::Info)->trigger();
        const SourceDocument doc = m_form->rve->snapshot();
        QCOMPARE(doc.itemCount(), 5);
        QCOMPARE(doc.item(0).control->Text, u"П.1 сек."_s);
        QCOMPARE(doc.item(0).control->ItemIndex, 3);
        QCOMPARE(doc.item(1).control->Text, u"Ш.Высокий 6x8"_s);
        QCOMPARE(doc.item(2).control->Text, u"С.10"_s);
        QCOMPARE(doc.item(3).control->Text, u"О.Сдвигом влево"_s);
        QCOMPARE(doc.item(3).control->DropDownCount, 29);
        QCOMPARE(doc.item(4).control->Text, u"И.Время в формате чч:мм"_s);
        QCOMPARE(doc.item(4).control->Items.size(), 5);
    }

    void typingInTheEffectBoxOpensItsList()
    {
        m_form->EffectCB->setFocus();
        QTest::keyClick(m_form->EffectCB, Qt::Key_Down);
        QTRY_VERIFY(m_form->EffectCB->view()->isVisible());
        QCOMPARE(m_form->rve->itemCount(), 0);
        m_form->EffectCB->hidePopup();
        // The speed box steps through its entries instead, each step a pick.
        m_form->SpeedCB->setFocus();
        QTest::keyClick(m_form->SpeedCB, Qt::Key_Down);
        QCOMPARE(m_form->SpeedCB->currentText(), u"11"_s);
        QCOMPARE(m_form->rve->snapshot().item(0).control->Text, u"С.11"_s);
    }

    void markerReplacesTheSelectionAndUndoBringsItBack()
    {
        m_form->rve->setFocus();
        QTest::keyClicks(m_form->rve, u"word"_s);
        m_form->action("mitSelectAll")->trigger();
        m_form->insertAction(MarkerKind::Speed)->trigger();
        QCOMPARE(m_form->rve->itemCount(), 1);
        QVERIFY(m_form->rve->snapshot().item(0).markerKind() == MarkerKind::Speed);
        m_form->action("mitUndo")->trigger();
        QCOMPARE(m_form->rve->snapshot().item(0).text, QByteArray("word"));
    }

    void aPickInAMarkerOfASavedDocumentIsNotLostOnNew()
    {
        QTemporaryDir dir;
        m_form->insertAction(MarkerKind::Pause)->trigger();
        m_script->choose(dir.filePath(u"m.abc"_s));
        QVERIFY(m_form->SaveDocumentAs());
        QVERIFY(m_form->rve->openMarkerList(0));
        auto *list = m_form->rve->viewport()->findChild<TPauseComboBox *>();
        QVERIFY(list);
        emit list->activated(17);
        list->hidePopup();
        QCOMPARE(m_form->rve->snapshot().item(0).control->Text, u"П.15 сек."_s);
        m_script->answer(QMessageBox::Cancel);
        m_form->action("mitNew")->trigger();
        QCOMPARE(m_script->messages.size(), 1);
        QCOMPARE(m_form->rve->itemCount(), 1);
    }

    // ----- colours

    void blackOnRedAddsTwoStylesAndReusesThem()
    {
        m_form->rve->setFocus();
        QTest::keyClicks(m_form->rve, u"one two"_s);
        m_form->rve->selectItems(0, 1, 0, 4);
        QTest::mouseClick(m_form->btnBlackOnRed, Qt::LeftButton);
        const RVStyleView &styles = m_form->rvs();
        QCOMPARE(styles.textStyleCount(), 3);
        QCOMPARE(styles.textStyle(1).Color, Colour::Black);
        QCOMPARE(styles.textStyle(1).BackColor, Colour::None);
        QCOMPARE(styles.textStyle(2).Color, Colour::Black);
        QCOMPARE(styles.textStyle(2).BackColor, Colour::Red);
        QVERIFY(!styles.textStyle(2).Standard);
        SourceDocument doc = m_form->rve->snapshot();
        QCOMPARE(doc.item(0).styleNo, 2);
        QCOMPARE(doc.item(0).text, QByteArray("one"));
        QVERIFY(m_form->btnBlackOnRed->isChecked());
        QVERIFY(!m_form->btnRed->isChecked());

        m_form->rve->selectItems(1, 2, 1, 5);  // "two" after the space
        QTest::mouseClick(m_form->btnBlackOnRed, Qt::LeftButton);
        QCOMPARE(styles.textStyleCount(), 3);
        doc = m_form->rve->snapshot();
        QCOMPARE(doc.item(doc.itemCount() - 1).styleNo, 2);

        // Back to red: an intermediate red-on-red entry stays in the table.
        m_form->rve->selectItems(0, 1, 0, 4);
        QTest::mouseClick(m_form->btnRed, Qt::LeftButton);
        QCOMPARE(styles.textStyleCount(), 4);
        QCOMPARE(styles.textStyle(3).Color, Colour::Red);
        QCOMPARE(styles.textStyle(3).BackColor, Colour::Red);
        QCOMPARE(m_form->rve->snapshot().item(0).styleNo, 0);
        QVERIFY(m_form->btnRed->isChecked());
    }

    void redOnRedTextAddsNothing()
    {
        m_form->rve->setFocus();
        QTest::keyClicks(m_form->rve, u"abc"_s);
        m_form->rve->setDocumentModified(false);
        m_form->action("mitSelectAll")->trigger();
        QTest::mouseClick(m_form->btnRed, Qt::LeftButton);
        QCOMPARE(m_form->rvs().textStyleCount(), 1);
        QCOMPARE(m_form->rve->snapshot().item(0).styleNo, 0);
        QVERIFY(!m_form->rve->isDocumentModified());
        QVERIFY(m_form->btnRed->isChecked());
    }

    void withNothingSelectedTheNextTypedTextTakesTheColour()
    {
        m_form->rve->setFocus();
        QTest::keyClicks(m_form->rve, u"ab"_s);
        QTest::mouseClick(m_form->btnBlackOnRed, Qt::LeftButton);
        m_form->rve->setFocus();
        QTest::keyClicks(m_form->rve, u"cd"_s);
        const SourceDocument doc = m_form->rve->snapshot();
        QCOMPARE(doc.itemCount(), 2);
        QCOMPARE(doc.item(1).text, QByteArray("cd"));
        QCOMPARE(doc.item(1).styleNo, 2);
        QCOMPARE(doc.item(1).options, ItemOption::ContinuesParagraph);
    }

    void buttonsFollowTheCaret()
    {
        SourceDocument doc = Samples::everything();
        TFontInfo green = TFontInfo::normalText();
        green.Color = Colour::Green;
        doc.styles.TextStyles.push_back(green);
        doc.append(Samples::text(u"зелёный"_s, 3, true, 1));
        m_form->rve->loadDocument(doc);
        m_form->rve->selectItems(2, 2, 2, 2);  // inside "мир", black on red
        QVERIFY(m_form->btnBlackOnRed->isChecked());
        QVERIFY(!m_form->btnRed->isChecked());
        m_form->rve->selectItems(1, 2, 1, 2);  // inside "Привет, "
        QVERIFY(m_form->btnRed->isChecked());
        QVERIFY(!m_form->btnBlackOnRed->isChecked());
        m_form->rve->selectItems(doc.itemCount() - 1, 3, doc.itemCount() - 1, 3);
        QVERIFY(!m_form->btnRed->isChecked());
        QVERIFY(!m_form->btnBlackOnRed->isChecked());
    }

    void oneUndoRevertsOnlyTheBackgroundConversion()
    {
        m_form->rve->setFocus();
        QTest::keyClicks(m_form->rve, u"word"_s);
        m_form->action("mitSelectAll")->trigger();
        QTest::mouseClick(m_form->btnBlackOnRed, Qt::LeftButton);
        QCOMPARE(m_form->rve->snapshot().item(0).styleNo, 2);
        m_form->action("mitUndo")->trigger();
        QCOMPARE(m_form->rve->snapshot().item(0).styleNo, 1);  // black on none
        m_form->action("mitUndo")->trigger();
        QCOMPARE(m_form->rve->snapshot().item(0).styleNo, 0);
        m_form->action("mitRedo")->trigger();
        QCOMPARE(m_form->rve->snapshot().item(0).styleNo, 1);
    }

    void newKeepsStylesAddedByColourCommands()
    {
        m_form->rve->setFocus();
        QTest::keyClicks(m_form->rve, u"word"_s);
        m_form->action("mitSelectAll")->trigger();
        QTest::mouseClick(m_form->btnBlackOnRed, Qt::LeftButton);
        m_script->answer(QMessageBox::No);
        m_form->action("mitNew")->trigger();
        QCOMPARE(m_form->rve->itemCount(), 0);
        QCOMPARE(m_form->windowTitle(), u"Unnamed"_s + Suffix);
        QCOMPARE(m_form->rvs().textStyleCount(), 3);
        QVERIFY(m_form->btnRed->isChecked());
    }

    // ----- editing commands

    void findSelectsTheTextOrSaysItIsNotThere()
    {
        m_form->rve->setFocus();
        typeText(m_form->rve, u"Добро пожаловать"_s);
        m_form->rve->moveCursor(QTextCursor::Start);
        m_form->action("N6")->trigger();
        auto *dialog = m_form->findChild<FindDialog *>();
        QVERIFY(dialog && dialog->isVisible());
        auto *pattern = static_cast<FindDialog *>(dialog)->textEdit();
        typeText(pattern, u"пожал"_s);
        QTest::keyClick(pattern, Qt::Key_Return);
        QCOMPARE(m_form->rve->textCursor().selectedText(), u"пожал"_s);
        QVERIFY(m_script->messages.isEmpty());
        QTest::keyClick(pattern, Qt::Key_Return);
        QCOMPARE(m_script->messages.size(), 1);
        QCOMPARE(m_script->messages[0].text, u"Искомый текст не найден"_s);
        QCOMPARE(m_script->messages[0].caption, u"Закончен просмотр документа"_s);
        QCOMPARE(m_script->messages[0].icon, QMessageBox::Warning);
    }

    void selectCurrentWordAndDelete()
    {
        m_form->rve->setFocus();
        QTest::keyClicks(m_form->rve, u"alpha beta"_s);
        m_form->rve->moveCursor(QTextCursor::Left);
        m_form->action("N7")->trigger();
        QCOMPARE(m_form->rve->textCursor().selectedText(), u"beta"_s);
        QVERIFY(m_form->action("mitDelete")->isEnabled());
        m_form->action("mitDelete")->trigger();
        QCOMPARE(m_form->rve->snapshot().item(0).text, QByteArray("alpha "));
    }

    void copiedMarkersAndPicturesPasteIntoAnotherWindow()
    {
        m_form->rve->loadDocument(Samples::everything());
        m_form->action("mitSelectAll")->trigger();
        m_form->action("mitCopy")->trigger();
        TForm1 other;
        other.show();
        other.rve->setFocus();
        other.action("mitPaste")->trigger();
        const SourceDocument pasted = other.rve->snapshot();
        const SourceDocument original = m_form->rve->snapshot();
        QCOMPARE(pasted.itemCount(), original.itemCount());
        for (int i = 0; i < original.itemCount(); ++i) {
            QCOMPARE(pasted.item(i).styleNo < 0 ? pasted.item(i).styleNo : 0,
                     original.item(i).styleNo < 0 ? original.item(i).styleNo : 0);
            QCOMPARE(pasted.item(i).options, original.item(i).options);
            QCOMPARE(pasted.item(i).text, original.item(i).text);
            if (original.item(i).control)
                QCOMPARE(*pasted.item(i).control, *original.item(i).control);
            if (original.item(i).picture)
                QCOMPARE(pasted.item(i).picture->image().convertToFormat(QImage::Format_RGB32),
                         original.item(i).picture->image().convertToFormat(QImage::Format_RGB32));
        }
        // Only the styles the clip uses reach the other window's table.
        QCOMPARE(other.rvs().textStyleCount(), 2);
        QCOMPARE(signColourCode(pasted.styles.TextStyles[size_t(pasted.item(2).styleNo)]), SignColour::DarkOnRed);
        QVERIFY(other.rve->isDocumentModified());
        other.rve->setDocumentModified(false);
    }

    // ----- faults found by trying the window as a new user

    // ----- keyboard

    void fileCommandsHaveTheUsualShortcuts()
    {
        QCOMPARE(m_form->action("mitNew")->shortcut(), QKeySequence(u"Ctrl+N"_s));
        QCOMPARE(m_form->action("mitOpen")->shortcut(), QKeySequence(u"Ctrl+O"_s));
        QCOMPARE(m_form->action("mitSave")->shortcut(), QKeySequence(u"Ctrl+S"_s));
        QTest::keyClicks(m_form->rve, u"a"_s);
        QTest::keyClick(m_form->rve, Qt::Key_N, Qt::ControlModifier);
        // New asks before it drops the typed text.
        QCOMPARE(m_script->messages.size(), 1);
        QTest::keyClick(m_form->rve, Qt::Key_S, Qt::ControlModifier);
        m_script->answer(QMessageBox::No);
        QTest::keyClick(m_form->rve, Qt::Key_O, Qt::ControlModifier);
        QCOMPARE(m_script->fileDialogs, (QStringList{u"sd"_s, u"od"_s}));
    }

    void tabReachesTheColourButtonsAlongTheRows()
    {
        TForm2 graphicEditor(m_form.get());
        m_form->attachGraphicEditor(&graphicEditor);  // enables its button
        m_form->EffectCB->setFocus();
        QStringList order{QApplication::focusWidget()->objectName()};
        for (int i = 0; i < 8; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            order << QApplication::focusWidget()->objectName();
        }
        QCOMPARE(order, (QStringList{u"EffectCB"_s, u"SpeedCB"_s, u"fontCB"_s, u"PauseCB"_s, u"EffectClearCB"_s,
                                     u"gEditor"_s, u"btnRed"_s, u"btnBlackOnRed"_s, u"InfoCB"_s}));
        // Tab is text in the editor; Ctrl+Tab leaves it, either way round.
        m_form->rve->setFocus();
        QTest::keyClick(m_form->rve, Qt::Key_Tab, Qt::ControlModifier);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(m_form->btnNew));
        m_form->rve->setFocus();
        QTest::keyClick(m_form->rve, Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(m_form->InfoCB));
        QVERIFY(m_form->rve->toPlainText().isEmpty());
        // Space on a focused colour button colours the selected text.
        QTest::keyClicks(m_form->rve, u"word"_s);
        m_form->rve->selectAll();
        m_form->btnBlackOnRed->setFocus();
        QTest::keyClick(m_form->btnBlackOnRed, Qt::Key_Space);
        QVERIFY(m_form->btnBlackOnRed->isChecked());
        QCOMPARE(m_form->rve->snapshot().item(0).styleNo, 2);
    }

    void theColourCommandsAreInTheEditMenuWithShortcuts()
    {
        QAction *red = m_form->action("mitRed");
        QAction *dark = m_form->action("mitBlackOnRed");
        QCOMPARE(red->text().remove(u'&'), u"Красный"_s);
        QCOMPARE(dark->text().remove(u'&'), u"Чёрный на красном фоне"_s);
        QVERIFY(!red->shortcut().isEmpty() && !dark->shortcut().isEmpty());
        QTest::keyClicks(m_form->rve, u"word"_s);
        m_form->rve->selectAll();
        QTest::keySequence(m_form->rve, dark->shortcut());
        QCOMPARE(m_form->rve->snapshot().item(0).styleNo, 2);
        m_form->rve->selectAll();
        QTest::keySequence(m_form->rve, red->shortcut());
        QCOMPARE(m_form->rve->snapshot().item(0).styleNo, 0);
        QVERIFY(m_form->btnRed->isChecked());
        m_form->setDocumentLocked(true);
        QVERIFY(!red->isEnabled() && !dark->isEnabled());
        m_form->setDocumentLocked(false);
    }

    // ----- where the file dialogs start

    void fileDialogsStartInTheFolderOfTheFileInHandOrTheOneLastUsed()
    {
        QSettings(u"oravelt"_s, u"oravelt"_s).clear();
        QTemporaryDir first;
        QTemporaryDir second;
        const QString file = first.filePath(u"prices.abc"_s);
        QVERIFY(writeFile(file, writeSourceBytes(SourceDocument())));

        // Nothing in hand, nothing used yet: the documents folder.
        m_form->action("mitOpen")->trigger();
        const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        QCOMPARE(m_script->folders.last(), QFileInfo(documents).isDir() ? documents : QDir::homePath());
        QVERIFY(m_script->folders.last() != QCoreApplication::applicationDirPath());
        QCOMPARE(m_script->names.last(), QString());

        m_script->choose(file);
        m_form->action("mitOpen")->trigger();
        QCOMPARE(m_form->currentFileName(), file);
        // The file in hand: its folder, and its name alone in the field.
        m_form->action("mitSaveAs")->trigger();
        QCOMPARE(m_script->folders.last(), first.path());
        QCOMPARE(m_script->names.last(), u"prices.abc"_s);
        m_script->choose(second.filePath(u"copy.abc"_s));
        m_form->action("mitSaveAs")->trigger();

        // Unnamed again: the folder last used, also in the next run.
        m_form->action("mitNew")->trigger();
        m_form.reset();
        m_form = std::make_unique<TForm1>();
        m_form->action("mitOpen")->trigger();
        QCOMPARE(m_script->folders.last(), second.path());
        QCOMPARE(m_script->names.last(), QString());
    }

    // ----- markup in Open

    void openComposesMarkupIntoANewUnnamedModifiedDocument()
    {
        QCOMPARE(m_script->filters.size(), 0);
        m_script->choose(QStringLiteral(ORAVELT_SOURCE_DIR "/examples/prices.txt"));
        m_form->action("mitOpen")->trigger();
        QVERIFY(m_script->filters.first().contains(u"(*.txt)"_s));
        QVERIFY(m_script->messages.isEmpty());
        QCOMPARE(m_form->windowTitle(), u"Unnamed"_s + Suffix);
        QCOMPARE(m_form->currentFileName(), QString());
        QVERIFY(m_form->rve->isDocumentModified());
        // What compose makes of it.
        QFile markup(QStringLiteral(ORAVELT_SOURCE_DIR "/examples/prices.txt"));
        QVERIFY(markup.open(QIODevice::ReadOnly));
        const auto composed = readMarkup(markup.readAll(), QStringLiteral(ORAVELT_SOURCE_DIR "/examples"));
        QVERIFY(composed);
        QCOMPARE(writeSourceBytes(m_form->rve->snapshot()), writeSourceBytes(composed->document));
        // Save asks for a name.
        m_form->action("mitSave")->trigger();
        QCOMPARE(m_script->fileDialogs.last(), u"sd"_s);
    }

    void aFaultInMarkupOrAFileOfAnotherKindIsShownAndChangesNothing()
    {
        QTemporaryDir dir;
        const QString markup = dir.filePath(u"m.txt"_s);
        QVERIFY(writeFile(markup, "{effect: Слева}Цена\n{effect: Слвеа}\n"));
        m_script->choose(markup);
        m_form->action("mitOpen")->trigger();
        QCOMPARE(m_script->messages.size(), 1);
        QCOMPARE(m_script->messages[0].icon, QMessageBox::Critical);
        QVERIFY(m_script->messages[0].text.startsWith(markup + u":2:10: effect has no entry \"Слвеа\""_s));

        const QString picture = dir.filePath(u"p.bmp"_s);
        QVERIFY(writeFile(picture, fileBytes(QStringLiteral(ORAVELT_SOURCE_DIR "/examples/prices-1.bmp"))));
        m_script->choose(picture);
        m_form->action("mitOpen")->trigger();
        QCOMPARE(m_script->messages.size(), 2);
        const QString text = m_script->messages[1].text;
        QVERIFY(text.contains(u"Ожидался исходный текст (*.abc) или сообщение в разметке (*.txt)"_s));
        // Beside the reader's detail.
        QVERIFY(text.contains(u"p.bmp"_s));
        QCOMPARE(m_form->rve->itemCount(), 0);
        QVERIFY(!m_form->rve->isDocumentModified());
        QCOMPARE(m_form->windowTitle(), u"Unnamed"_s + Suffix);
    }

    void theEditorHasTheFocusAtStartAndAfterEveryFileCommand()
    {
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(m_form->rve));
        // Buttons are reached with Tab, never by a click.
        for (QToolButton *b : {m_form->btnNew, m_form->btnOpen, m_form->btnSave, m_form->btnSaveAs,
                               m_form->SpeedButton3, m_form->SpeedButton1, m_form->btnClose, m_form->btnRed})
            QCOMPARE(b->focusPolicy(), Qt::TabFocus);
        // Space and Return go into the text, never to a button.
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(m_form->rve->snapshot().itemCount(), 2);
        QVERIFY(m_script->messages.isEmpty());

        m_script->answer(QMessageBox::No);
        QTest::mouseClick(m_form->btnNew, Qt::LeftButton);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(m_form->rve));
        m_script->choose(QString());
        QTest::mouseClick(m_form->btnOpen, Qt::LeftButton);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(m_form->rve));
        m_script->choose(QString());
        QTest::mouseClick(m_form->btnSaveAs, Qt::LeftButton);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(m_form->rve));
    }

    void undoAndRedoKeepTheDocumentModified()
    {
        m_form->rve->setFocus();
        QTest::keyClicks(m_form->rve, u"A"_s);
        m_form->action("mitUndo")->trigger();
        QCOMPARE(m_form->rve->itemCount(), 0);
        QVERIFY(m_form->rve->isDocumentModified());
        // So closing asks, and Cancel keeps the window.
        m_script->answer(QMessageBox::Cancel);
        QVERIFY(!m_form->close());
        QCOMPARE(m_script->messages.size(), 1);

        // Undo and redo after a save are changes too.
        QTemporaryDir dir;
        m_form->action("mitRedo")->trigger();
        m_script->choose(dir.filePath(u"a.abc"_s));
        QVERIFY(m_form->SaveDocumentAs());
        QVERIFY(!m_form->rve->isDocumentModified());
        m_form->action("mitUndo")->trigger();
        QVERIFY(m_form->rve->isDocumentModified());
        m_form->action("mitRedo")->trigger();
        QVERIFY(m_form->rve->isDocumentModified());
    }

    void newAndOpenFreeThePreviousDocument()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"all.abc"_s);
        QVERIFY(WriteSourceFile(path, Samples::everything()));
        for (int i = 0; i < 20; ++i) {
            QVERIFY(m_form->openFile(path));
            m_form->NewDocument();
        }
        QCOMPARE(m_form->rve->findChildren<QTextDocument *>().size(), 1);
    }

    void charactersTheCodePageCannotCarryAreReplacedAsTheyAreTypedOrPasted()
    {
        m_form->rve->setFocus();
        // Windows-1251 carries Cyrillic, the euro sign and the dash; not CJK
        // or Greek. What the editor shows is what the file will hold.
        typeText(m_form->rve, u"Я€—中λ"_s);
        QCOMPARE(m_form->rve->toPlainText(), u"Я€—??"_s);
        QGuiApplication::clipboard()->setText(u"a\tλ\nб中"_s);
        m_form->action("mitPaste")->trigger();
        QCOMPARE(m_form->rve->toPlainText(), u"Я€—??a\t?\nб?"_s);
        const SourceDocument saved = m_form->rve->snapshot();
        QCOMPARE(saved.unicodeText(0), u"Я€—??a"_s);
        // Typing over a selection is replaced the same way.
        m_form->action("mitSelectAll")->trigger();
        typeText(m_form->rve, u"ω"_s);
        QCOMPARE(m_form->rve->toPlainText(), u"?"_s);
    }

    // ----- preview

    void previewStartsTheSimulatorAndBringsItsWindowUp()
    {
        auto desktop = std::make_unique<FakeDesktop>();
        FakeDesktop *windows = desktop.get();
        windows->titles << Simulator::closingTitle() << Simulator::previewTitle();
        TopLevelWindows::setDesktop(std::move(desktop));

        // A stand-in simulator beside the executable tells how it was started.
        if (QSysInfo::kernelType() == u"winnt"_s)
            QSKIP("the stand-in simulator is a shell script; tools/windows/test.sh starts the real one with F11");
        QTemporaryDir dir;
        const QString log = dir.filePath(u"started"_s);
        const QString program = QCoreApplication::applicationDirPath() + u"/ledsim8"_s;
        QVERIFY(!QFile::exists(program));
        {
            QFile script(program);
            QVERIFY(script.open(QIODevice::WriteOnly));
            script.write("#!/bin/sh\necho \"$# $(pwd)\" > \"" + log.toLocal8Bit() + "\"\n");
        }
        const auto removeProgram = qScopeGuard([&] { QFile::remove(program); });
        QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

        QTest::mouseClick(m_form->SpeedButton1, Qt::LeftButton);
        QCOMPARE(windows->raised, QStringList{Simulator::previewTitle()});
        QTRY_VERIFY(QFileInfo(log).size() > 0);
        QCOMPARE(fileBytes(log), (u"0 "_s + QDir::currentPath() + u"\n"_s).toLocal8Bit());
        QCOMPARE(m_form->action("mitPreview")->shortcut(), QKeySequence(Qt::Key_F11));
        QVERIFY(m_script->messages.isEmpty());
    }

    void previewWithoutTheSimulatorShowsNothing()
    {
        auto desktop = std::make_unique<FakeDesktop>();
        FakeDesktop *windows = desktop.get();
        TopLevelWindows::setDesktop(std::move(desktop));
        QVERIFY(!QFile::exists(QCoreApplication::applicationDirPath() + u"/ledsim8"_s));
        m_form->action("mitPreview")->trigger();
        QVERIFY(windows->raised.isEmpty());
        QVERIFY(m_script->messages.isEmpty());
    }

private:
    std::unique_ptr<DialogScript> m_script;
    std::unique_ptr<TForm1> m_form;
};

QTEST_MAIN(MainWindowTest)
#include "mainwindow.moc"
