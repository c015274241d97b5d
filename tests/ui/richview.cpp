// The editor control on its own: how the document maps onto the editor and
// back, insertion, style conversion, markers changed in place, the clipboard.

#include "ItemComparison.h"
#include "SampleDocuments.h"
#include "Typing.h"

#include "app/richview/MarkerComboBoxes.h"
#include "app/richview/TRichViewEdit.h"
#include "document/model/CodePage.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QTest>
#include <QTextBlock>

using namespace Qt::StringLiterals;

namespace {

QString typedText(TRichViewEdit &editor)
{
    return editor.document()->toPlainText();
}

} // namespace

class RichViewTest : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        m_editor = std::make_unique<TRichViewEdit>();
        m_editor->resize(500, 300);
        m_editor->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_editor.get()));
    }
    void cleanup() { m_editor.reset(); }

    void emptyDocumentHasNoItems()
    {
        QCOMPARE(m_editor->snapshot().itemCount(), 0);
        QCOMPARE(m_editor->itemCount(), 0);
        QCOMPARE(m_editor->currentItemNo(), -1);
        QVERIFY(!m_editor->isDocumentModified());
    }

    void loadedDocumentSnapshotsToTheSameItems()
    {
        const SourceDocument doc = Samples::everything();
        m_editor->loadDocument(doc);
        QVERIFY(!m_editor->isDocumentModified());
        QVERIFY(!m_editor->document()->isUndoAvailable());
        const SourceDocument back = m_editor->snapshot();
        compareItems(back, doc);
        QCOMPARE(back.styles, doc.styles);
        QCOMPARE(m_editor->itemCount(), doc.itemCount());
        // Four paragraphs: the clear-effect marker starts the second.
        QCOMPARE(m_editor->document()->blockCount(), 4);
    }

    void whatOtherEditorsWroteIsKept()
    {
        const SourceDocument doc = Samples::fromOtherEditors();
        m_editor->loadDocument(doc);
        compareItems(m_editor->snapshot(), doc);
    }

    void typedParagraphsAreTextItemsStartingParagraphs()
    {
        m_editor->setFocus();
        QTest::keyClicks(m_editor.get(), u"AB"_s);
        QTest::keyClick(m_editor.get(), Qt::Key_Return);
        QTest::keyClicks(m_editor.get(), u"CD"_s);
        const SourceDocument doc = m_editor->snapshot();
        QCOMPARE(doc.itemCount(), 2);
        QCOMPARE(doc.item(0).text, QByteArray("AB"));
        QCOMPARE(doc.item(1).text, QByteArray("CD"));
        QCOMPARE(doc.item(0).options, quint8(0));
        QCOMPARE(doc.item(1).options, quint8(0));
        QCOMPARE(doc.item(1).styleNo, 0);
        QVERIFY(m_editor->isDocumentModified());
    }

    void cyrillicIsKeptInTheCodePage()
    {
        m_editor->setFocus();
        typeText(m_editor.get(), u"Привет"_s);
        QCOMPARE(m_editor->snapshot().item(0).text, QByteArray("\xCF\xF0\xE8\xE2\xE5\xF2"));
    }

    void altWithALetterTypesNothing()
    {
        QTest::keyClick(m_editor.get(), Qt::Key_F, Qt::AltModifier, 0);
        QTest::keyClick(m_editor.get(), Qt::Key_A, Qt::AltModifier | Qt::ShiftModifier);
        QCOMPARE(m_editor->document()->toPlainText(), QString());
        QVERIFY(!m_editor->isDocumentModified());
        QTest::keyClicks(m_editor.get(), u"f"_s);
        QCOMPARE(m_editor->document()->toPlainText(), u"f"_s);
    }

    void shiftReturnAndTabBecomeTheirOwnItems()
    {
        m_editor->setFocus();
        QTest::keyClicks(m_editor.get(), u"a"_s);
        QTest::keyClick(m_editor.get(), Qt::Key_Tab);
        QTest::keyClicks(m_editor.get(), u"b"_s);
        QTest::keyClick(m_editor.get(), Qt::Key_Return, Qt::ShiftModifier);
        QTest::keyClicks(m_editor.get(), u"c"_s);
        const SourceDocument doc = m_editor->snapshot();
        QCOMPARE(doc.itemCount(), 4);
        QCOMPARE(doc.item(1).styleNo, ItemStyle::Tab);
        QCOMPARE(doc.item(1).options, ItemOption::ContinuesParagraph);
        QCOMPARE(doc.item(2).options, ItemOption::ContinuesParagraph);
        QCOMPARE(doc.item(3).options, ItemOption::LineBreakBefore);
        QCOMPARE(doc.item(3).text, QByteArray("c"));
    }

    void emptyParagraphIsAnEmptyTextItem()
    {
        m_editor->setFocus();
        QTest::keyClicks(m_editor.get(), u"a"_s);
        QTest::keyClick(m_editor.get(), Qt::Key_Return);
        QTest::keyClick(m_editor.get(), Qt::Key_Return);
        QTest::keyClicks(m_editor.get(), u"b"_s);
        const SourceDocument doc = m_editor->snapshot();
        QCOMPARE(doc.itemCount(), 3);
        QVERIFY(doc.item(1).isText());
        QVERIFY(doc.item(1).text.isEmpty());
        QCOMPARE(doc.item(1).options, quint8(0));
        // Return in the empty paragraph started another one.
        QCOMPARE(m_editor->document()->blockCount(), 3);
    }

    void returnKeepsTheParagraphStyle()
    {
        SourceDocument doc;
        doc.append(Samples::text(u"centred"_s, 0, false, 1));
        m_editor->loadDocument(doc);
        m_editor->setFocus();
        m_editor->moveCursor(QTextCursor::End);
        QTest::keyClick(m_editor.get(), Qt::Key_Return);
        QTest::keyClick(m_editor.get(), Qt::Key_Return);
        QTest::keyClicks(m_editor.get(), u"x"_s);
        const SourceDocument back = m_editor->snapshot();
        QCOMPARE(back.itemCount(), 3);
        QCOMPARE(back.item(1).paraNo, 1);
        QCOMPARE(back.item(2).paraNo, 1);
        m_editor->undo();
        QCOMPARE(m_editor->snapshot().itemCount(), 3);
        QVERIFY(m_editor->snapshot().item(2).text.isEmpty());
    }

    void insertedMarkerReplacesSelectionAndUndoBringsTextBack()
    {
        m_editor->setFocus();
        QTest::keyClicks(m_editor.get(), u"abcd"_s);
        QTextCursor c = m_editor->textCursor();
        c.setPosition(1);
        c.setPosition(3, QTextCursor::KeepAnchor);
        m_editor->setTextCursor(c);
        auto *control = new TPauseComboBox;
        control->addItems(markerEntries(MarkerKind::Pause));
        control->setCurrentIndex(3);
        control->resize(65, 21);
        QVERIFY(m_editor->insertControl(control));
        SourceDocument doc = m_editor->snapshot();
        QCOMPARE(doc.itemCount(), 3);
        QCOMPARE(doc.item(1).markerKind(), MarkerKind::Pause);
        QCOMPARE(doc.item(1).control->ItemIndex, 3);
        QCOMPARE(doc.item(1).control->Width, 65);
        QCOMPARE(doc.item(1).control->Text, u"П.1 сек."_s);
        QCOMPARE(doc.item(2).text, QByteArray("d"));
        QCOMPARE(m_editor->textCursor().position(), 2);  // right after the marker
        QCOMPARE(m_editor->currentItemNo(), 1);

        m_editor->undo();
        doc = m_editor->snapshot();
        QCOMPARE(doc.itemCount(), 1);
        QCOMPARE(doc.item(0).text, QByteArray("abcd"));
        m_editor->redo();
        QCOMPARE(m_editor->snapshot().item(1).markerKind(), MarkerKind::Pause);
    }

    void otherWidgetsAreNotMarkers()
    {
        QComboBox plain;
        QVERIFY(!m_editor->insertControl(&plain));
        QCOMPARE(m_editor->itemCount(), 0);
    }

    void typingAfterAMarkerUsesTheCurrentTextStyle()
    {
        SourceDocument doc;
        TFontInfo black = TFontInfo::normalText();
        black.Color = Colour::Black;
        black.BackColor = Colour::Red;
        doc.styles.TextStyles.push_back(black);
        doc.append(Samples::text(u"x"_s, 1));
        doc.append(Samples::marker(MarkerKind::Effect, 0, true));
        m_editor->loadDocument(doc);
        m_editor->setFocus();
        m_editor->moveCursor(QTextCursor::End);
        QTest::keyClicks(m_editor.get(), u"yz"_s);
        const SourceDocument back = m_editor->snapshot();
        QCOMPARE(back.itemCount(), 3);
        QCOMPARE(back.item(2).styleNo, 1);
        QCOMPARE(back.item(2).text, QByteArray("yz"));
        QCOMPARE(back.item(2).options, ItemOption::ContinuesParagraph);
    }

    void typingOverASelectionEndingInAMarkerGivesText()
    {
        m_editor->loadDocument([] {
            SourceDocument doc;
            doc.append(Samples::text(u"ab"_s));
            doc.append(Samples::marker(MarkerKind::Speed, 2, true));
            return doc;
        }());
        m_editor->setFocus();
        QTextCursor c = m_editor->textCursor();
        c.setPosition(1);
        c.setPosition(3, QTextCursor::KeepAnchor);
        m_editor->setTextCursor(c);
        QTest::keyClicks(m_editor.get(), u"Q"_s);
        const SourceDocument back = m_editor->snapshot();
        QCOMPARE(back.itemCount(), 1);
        QCOMPARE(back.item(0).text, QByteArray("aQ"));
    }

    void itemsCanBeSelectedByNumberAndOffset()
    {
        m_editor->loadDocument(Samples::everything());
        // Item 2 is "мир" in black on red: select it whole.
        m_editor->selectItems(2, 1, 2, 4);
        QCOMPARE(m_editor->textCursor().selectedText(), u"мир"_s);
        // Item 3 is a marker: offsets 0 and 1 enclose it.
        m_editor->selectItems(3, 0, 3, 1);
        QCOMPARE(m_editor->textCursor().selectedText(), QString(QChar(0xFFFC)));
        // Equal ends put the caret there.
        m_editor->selectItems(4, 0, 4, 0);
        QVERIFY(!m_editor->textCursor().hasSelection());
        QCOMPARE(m_editor->currentItemNo(), 4);
        QCOMPARE(m_editor->currentItemStyle(), ItemStyle::Control);
        m_editor->selectItems(10, 1, 10, 1);
        QCOMPARE(m_editor->currentItemNo(), 10);
        QCOMPARE(m_editor->currentItemStyle(), 0);
    }

    void styleConversionAsksOncePerStyleAndIsOneStep()
    {
        m_editor->setFocus();
        QTest::keyClicks(m_editor.get(), u"one two"_s);
        TFontInfo black = TFontInfo::normalText();
        black.Color = Colour::Black;
        const int blackNo = m_editor->rvs().addTextStyle(black);
        QList<std::pair<int, int>> calls;
        m_editor->onStyleConversion = [&](int styleNo, int code) {
            calls.append({styleNo, code});
            return blackNo;
        };
        m_editor->selectAll();
        m_editor->applyStyleConversion(7);
        QCOMPARE(calls.size(), 1);
        QCOMPARE(calls.first(), std::make_pair(0, 7));
        QCOMPARE(m_editor->snapshot().item(0).styleNo, blackNo);
        QCOMPARE(m_editor->currentTextStyle(), blackNo);
        m_editor->undo();
        QCOMPARE(m_editor->snapshot().item(0).styleNo, 0);
        QCOMPARE(m_editor->snapshot().item(0).text, QByteArray("one two"));
    }

    void conversionReturningTheSameStyleChangesNothing()
    {
        m_editor->setFocus();
        QTest::keyClicks(m_editor.get(), u"abc"_s);
        m_editor->setDocumentModified(false);
        m_editor->onStyleConversion = [](int styleNo, int) { return styleNo; };
        m_editor->selectAll();
        m_editor->applyStyleConversion(8);
        QVERIFY(!m_editor->isDocumentModified());
    }

    void clickOnAMarkerOpensItsListAndAPickMarksTheDocument()
    {
        SourceDocument doc;
        doc.append(Samples::marker(MarkerKind::Effect, 0));
        doc.append(Samples::text(u"text"_s, 0, true));
        m_editor->loadDocument(doc);
        // The marker is drawn at the start of the first line.
        QTest::mouseClick(m_editor->viewport(), Qt::LeftButton, {}, QPoint(20, 14));
        auto *list = m_editor->viewport()->findChild<TEffectComboBox *>();
        QVERIFY(list);
        QCOMPARE(list->count(), 20);
        QCOMPARE(list->itemText(0), u"В.Слева"_s);
        QCOMPARE(list->currentIndex(), 0);
        QTRY_VERIFY(list->view()->isVisible());
        emit list->activated(19);
        list->hidePopup();
        QCOMPARE(m_editor->markerAt(0)->ItemIndex, 19);
        QCOMPARE(m_editor->snapshot().item(0).control->Text, u"В.Случайный"_s);
        QVERIFY(m_editor->isDocumentModified());
        // Not an editing step of the text.
        QVERIFY(!m_editor->document()->isUndoAvailable());
        QTRY_VERIFY(!m_editor->viewport()->findChild<TEffectComboBox *>());

        m_editor->setDocumentModified(false);
        QVERIFY(!m_editor->isDocumentModified());
    }

    void markerListOpensFromTheKeyboard()
    {
        SourceDocument doc;
        doc.append(Samples::marker(MarkerKind::Font, 1));
        m_editor->loadDocument(doc);
        m_editor->setFocus();
        m_editor->moveCursor(QTextCursor::End);
        QTest::keyClick(m_editor.get(), Qt::Key_Down, Qt::AltModifier);
        auto *list = m_editor->viewport()->findChild<TFontComboBox *>();
        QVERIFY(list);
        QCOMPARE(list->currentText(), u"Ш.Высокий 6x8"_s);
        list->hidePopup();
    }

    void snapshotAfterAChangeOfEntryIsIndependentOfTheEditor()
    {
        SourceDocument doc;
        doc.append(Samples::marker(MarkerKind::Speed, 0));
        m_editor->loadDocument(doc);
        const SourceDocument before = m_editor->snapshot();
        QVERIFY(m_editor->openMarkerList(0));
        auto *list = m_editor->viewport()->findChild<TSpeedComboBox *>();
        emit list->activated(5);
        list->hidePopup();
        QCOMPARE(before.item(0).control->ItemIndex, 0);
        QCOMPARE(m_editor->snapshot().item(0).control->ItemIndex, 5);
    }

    void clearKeepsTheStyleTables()
    {
        TFontInfo extra = TFontInfo::normalText();
        extra.BackColor = Colour::Red;
        m_editor->rvs().addTextStyle(extra);
        m_editor->setFocus();
        QTest::keyClicks(m_editor.get(), u"abc"_s);
        m_editor->clearDocument();
        QCOMPARE(m_editor->itemCount(), 0);
        QCOMPARE(m_editor->rvs().textStyleCount(), 2);
        QVERIFY(!m_editor->isDocumentModified());
        QVERIFY(!m_editor->document()->isUndoAvailable());
        QCOMPARE(m_editor->currentTextStyle(), 0);
    }

    void pictureShowsAtItsDisplaySize()
    {
        m_editor->insertPicture(Picture::bitmap(Samples::signBitmap(40)), 80, 16);
        const SourceDocument doc = m_editor->snapshot();
        QCOMPARE(doc.itemCount(), 1);
        QVERIFY(doc.item(0).isPicture());
        QCOMPARE(doc.item(0).extras.width, 80);
        QCOMPARE(doc.item(0).extras.height, 16);
        QCOMPARE(doc.item(0).picture->width(), 40);
        const QTextBlock block = m_editor->document()->firstBlock();
        QCOMPARE(qRound(block.layout()->lineAt(0).naturalTextWidth()), 80);
    }

    void rightClickOnlyDropsTheSelection()
    {
        m_editor->setFocus();
        QTest::keyClicks(m_editor.get(), u"some text"_s);
        m_editor->selectAll();
        QTest::mouseClick(m_editor->viewport(), Qt::RightButton, {}, QPoint(30, 12));
        QVERIFY(!m_editor->textCursor().hasSelection());
        QCOMPARE(m_editor->snapshot().item(0).text, QByteArray("some text"));
    }

    void pictureAtTheCaretCanBeResized()
    {
        m_editor->insertPicture(Picture::bitmap(Samples::signBitmap(40)));
        m_editor->setDocumentModified(false);
        QVERIFY(m_editor->setCurrentPictureSize(80, 16));
        QCOMPARE(m_editor->snapshot().item(0).extras.width, 80);
        QVERIFY(m_editor->isDocumentModified());
        QTRY_COMPARE(qRound(m_editor->document()->firstBlock().layout()->lineAt(0).naturalTextWidth()), 80);
        m_editor->moveCursor(QTextCursor::Start);
        QVERIFY(!m_editor->setCurrentPictureSize(10, 10));
    }

    void readOnlyEditorKeepsItsMarkersAndText()
    {
        SourceDocument doc;
        doc.append(Samples::marker(MarkerKind::Effect, 0));
        doc.append(Samples::text(u"text"_s, 0, true));
        m_editor->loadDocument(doc);
        m_editor->setReadOnly(true);
        QTest::mouseClick(m_editor->viewport(), Qt::LeftButton, {}, QPoint(20, 14));
        QVERIFY(!m_editor->viewport()->findChild<TEffectComboBox *>());
        QTest::keyClicks(m_editor.get(), u"x"_s);
        m_editor->addParagraph(u"[Ошибка] line"_s, 0);
        const SourceDocument back = m_editor->snapshot();
        QCOMPARE(back.itemCount(), 3);
        QCOMPARE(back.item(1).text, QByteArray("text"));
    }

    void clearingAnnouncesStyleZero()
    {
        TFontInfo black = TFontInfo::normalText();
        black.Color = Colour::Black;
        const int k = m_editor->rvs().addTextStyle(black);
        m_editor->onStyleConversion = [k](int, int) { return k; };
        m_editor->applyStyleConversion(7);
        QCOMPARE(m_editor->currentTextStyle(), k);
        QList<int> announced;
        connect(m_editor.get(), &TRichViewEdit::currentTextStyleChanged, this, [&](int s) { announced << s; });
        m_editor->clearDocument();
        QCOMPARE(announced, QList<int>{0});
    }

    void pasteOfPlainTextTakesTheCurrentStyle()
    {
        TFontInfo black = TFontInfo::normalText();
        black.Color = Colour::Black;
        black.BackColor = Colour::Red;
        const int k = m_editor->rvs().addTextStyle(black);
        m_editor->onStyleConversion = [k](int, int) { return k; };
        m_editor->applyStyleConversion(7);
        auto *mime = new QMimeData;
        mime->setText(u"one\r\ntwo"_s);
        QApplication::clipboard()->setMimeData(mime);
        m_editor->paste();
        const SourceDocument doc = m_editor->snapshot();
        QCOMPARE(doc.itemCount(), 2);
        QCOMPARE(doc.item(0).styleNo, k);
        QCOMPARE(doc.item(1).text, QByteArray("two"));
    }

    void pastedRichTextAddsItsStyles()
    {
        auto *mime = new QMimeData;
        mime->setHtml(u"<p><span style=\"color:#00ff00\">green</span> plain</p>"_s);
        QApplication::clipboard()->setMimeData(mime);
        m_editor->paste();
        const SourceDocument doc = m_editor->snapshot();
        QCOMPARE(doc.itemCount(), 2);
        const TFontInfo &green = doc.styles.TextStyles[size_t(doc.item(0).styleNo)];
        QCOMPARE(green.Color, TColor(0x00FF00));
        QCOMPARE(doc.item(0).text, QByteArray("green"));
    }

    void copyOffersTextHtmlAndASelectedPicture()
    {
        m_editor->insertPicture(Picture::bitmap(Samples::signBitmap(8)));
        m_editor->selectAll();
        m_editor->copy();
        const QMimeData *mime = QApplication::clipboard()->mimeData();
        QVERIFY(mime->hasImage());
        QCOMPARE(qvariant_cast<QImage>(mime->imageData()).size(), QSize(8, 8));
        QVERIFY(mime->hasHtml());
    }

private:
    std::unique_ptr<TRichViewEdit> m_editor;
};

QTEST_MAIN(RichViewTest)
#include "richview.moc"
