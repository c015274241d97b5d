// The editor's document without the editor: loading a source document into a
// QTextDocument and collecting it back, item places, parts of the document,
// edits made straight on the QTextDocument, and the changes the document
// keeps outside Qt's undo history. The program links Qt GUI only, so no
// widget can be created here.

#include "ItemComparison.h"
#include "SampleDocuments.h"

#include "document/model/CodePage.h"
#include "richtext/RVDocument.h"
#include "richtext/RVFormats.h"

#include <QFont>
#include <QGuiApplication>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

QByteArray cp1251(const QString &text)
{
    return CodePage::toWindows1251(text);
}

// A plain paragraph of text followed by a marker and more text on its line,
// then a second paragraph: "ab" [marker] "cd" / "ef".
SourceDocument twoParagraphs()
{
    SourceDocument doc;
    doc.append(Samples::text(u"ab"_s));
    doc.append(Samples::marker(MarkerKind::Speed, 2, true));
    doc.append(Samples::text(u"cd"_s, 0, true));
    doc.append(Samples::text(u"ef"_s));
    return doc;
}

} // namespace

class DocumentMappingTest : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        m_owner = std::make_unique<QObject>();
        m_map = std::make_unique<RVDocument>();
    }
    void cleanup()
    {
        m_map.reset();
        m_owner.reset();
    }

    void runsWithoutWidgets()
    {
        QVERIFY(qobject_cast<QGuiApplication *>(QCoreApplication::instance()));
        QVERIFY(!QCoreApplication::instance()->inherits("QApplication"));
    }

    void loadedDocumentsCollectBackToTheSameItems()
    {
        for (const SourceDocument &doc : {Samples::everything(), Samples::fromOtherEditors(), twoParagraphs()}) {
            QTextDocument *text = m_map->load(doc, QFont(), m_owner.get());
            QCOMPARE(text->parent(), m_owner.get());
            QCOMPARE(m_map->document(), text);
            QVERIFY(!text->isUndoAvailable());
            QVERIFY(!m_map->isModified());
            const SourceDocument back = m_map->snapshot();
            compareItems(back, doc);
            QCOMPARE(back.styles, doc.styles);
            QCOMPARE(m_map->itemCount(), doc.itemCount());
        }
    }

    void aSnapshotThatPausesBetweenParagraphsHoldsTheSameItems()
    {
        SourceDocument doc;
        for (int i = 0; i < 5000; ++i) {
            doc.append(Samples::marker(MarkerKind::Effect, i % 20));
            doc.append(Samples::text(u"line %1"_s.arg(i), 0, true));
        }
        doc.append(Samples::text(QString()));  // an empty last paragraph is an item too
        m_map->load(doc, QFont(), m_owner.get());
        int pauses = 0;
        const SourceDocument back = m_map->snapshot([&] { ++pauses; });
        compareItems(back, doc);
        QCOMPARE(pauses, 5);  // after 2000, 4000 ... 10 000 items, between paragraphs
    }

    void undoBackToTheSavedStateLeavesTheDocumentModified()
    {
        QTextDocument *text = m_map->load(twoParagraphs(), QFont(), m_owner.get());
        QTextCursor(text).insertText(u"x"_s);
        m_map->setModified(false);
        QTextCursor(text).insertText(u"y"_s);
        text->undo();
        QVERIFY(!text->isModified());
        QVERIFY(m_map->isModified());
        m_map->setModified(false);
        QVERIFY(!m_map->isModified());
    }

    void itemPlacesAndTheItemAtTheCaret()
    {
        m_map->load(twoParagraphs(), QFont(), m_owner.get());
        const auto &places = m_map->places();
        QCOMPARE(places.size(), size_t(4));
        QCOMPARE(places[1].position, 2);
        QVERIFY(!places[1].isText);
        QCOMPARE(places[3].position, 6);
        QCOMPARE(places[3].length, 2);
        QCOMPARE(m_map->itemAt(0), 0);
        QCOMPARE(m_map->itemAt(3), 1);   // just after the marker
        QCOMPARE(m_map->itemAt(6), 3);   // start of the second line: its first item
        QCOMPARE(m_map->itemStyle(1), ItemStyle::Control);
        QCOMPARE(m_map->positionOf(3, 3), 8);
        QCOMPARE(m_map->positionOf(1, 1), 3);
    }

    void everyPositionHasAnItemAndOffsetThatLeadBackToIt()
    {
        m_map->load(twoParagraphs(), QFont(), m_owner.get());
        int item = -1;
        int offset = -1;
        QVERIFY(m_map->offsetAt(2, &item, &offset));  // after "ab", before the marker
        QCOMPARE(item, 1);
        QCOMPARE(offset, 0);
        QVERIFY(m_map->offsetAt(5, &item, &offset));  // the paragraph end: end of "cd"
        QCOMPARE(item, 2);
        QCOMPARE(offset, 3);
        for (const SourceDocument &doc : {twoParagraphs(), Samples::everything()}) {
            QTextDocument *text = m_map->load(doc, QFont(), m_owner.get());
            for (int p = 0; p < text->characterCount(); ++p) {
                QVERIFY(m_map->offsetAt(p, &item, &offset));
                QCOMPARE(m_map->positionOf(item, offset), p);
            }
        }
        m_map->load(SourceDocument(), QFont(), m_owner.get());
        QVERIFY(!m_map->offsetAt(0, &item, &offset));
    }

    void picturesOfItemsAndNoneForOtherKinds()
    {
        SourceDocument doc = twoParagraphs();
        doc.append(Samples::picture(12));
        m_map->load(doc, QFont(), m_owner.get());
        QCOMPARE(m_map->itemPicture(4)->width(), 12);
        QCOMPARE(m_map->itemPicture(1), nullptr);  // a marker
        QCOMPARE(m_map->itemPicture(0), nullptr);
        QCOMPARE(m_map->itemPicture(9), nullptr);
    }

    void editsOnTheTextDocumentAreSeen()
    {
        QTextDocument *text = m_map->load(twoParagraphs(), QFont(), m_owner.get());
        QCOMPARE(m_map->itemCount(), 4);
        QTextCursor c(text);
        c.setPosition(6);
        c.insertBlock();
        QCOMPARE(m_map->itemCount(), 5);  // the places are walked again
        QVERIFY(m_map->isModified());

        // Text inserted without the document's formats, or with a style
        // number the tables do not have, is read as style 0; an object id
        // outside the object table is no item.
        c.movePosition(QTextCursor::End);
        c.insertText(u"x"_s, QTextCharFormat());
        QTextCharFormat stray = m_map->textFormat(0);
        stray.setProperty(RVFormat::TextStyleNo, 9);
        c.insertText(u"y"_s, stray);
        QTextCharFormat lost;
        lost.setObjectType(RVFormat::PictureObject);
        lost.setProperty(RVFormat::ObjectId, 99);
        c.insertText(QString(QChar(0xFFFC)), lost);
        const SourceDocument back = m_map->snapshot();
        QCOMPARE(back.itemCount(), 7);
        QCOMPARE(back.item(5).text, QByteArray("x"));
        QCOMPARE(back.item(5).styleNo, 0);
        QCOMPARE(back.item(6).text, QByteArray("y"));
        QCOMPARE(back.item(6).styleNo, 0);
    }

    void partsAreCutAtTheirEnds()
    {
        m_map->load(Samples::everything(), QFont(), m_owner.get());
        // From inside "Привет, " to inside "вторая строка".
        const SourceDocument part = m_map->extract(3, 25);
        QCOMPARE(part.itemCount(), 10);
        QCOMPARE(part.item(0).text, cp1251(u"ивет, "_s));
        QCOMPARE(part.item(0).options, quint8(0));
        QCOMPARE(part.item(1).styleNo, 2);
        QCOMPARE(part.item(3).markerKind(), MarkerKind::EffectClear);
        QVERIFY(part.item(3).startsParagraph());
        QCOMPARE(part.item(9).text, cp1251(u"втор"_s));
        QCOMPARE(part.item(9).options, ItemOption::LineBreakBefore);
        QCOMPARE(part.styles, Samples::everything().styles);
        QCOMPARE(m_map->extract(5, 5).itemCount(), 0);
    }

    void aSecondLoadForgetsTheFirstDocument()
    {
        QTextDocument *first = m_map->load(twoParagraphs(), QFont(), m_owner.get());
        SourceDocument other;
        other.append(Samples::picture(8, false));
        m_map->load(other, QFont(), m_owner.get());
        QTextCursor(first).insertText(u"late"_s);
        QCOMPARE(m_map->itemCount(), 1);
        // The first document's marker is gone from the object table.
        QVERIFY(m_map->object(0)->isPicture());
        QVERIFY(!m_map->object(1));
        QVERIFY(m_map->snapshot().item(0).isPicture());
    }

    void entriesAndPictureSizesChangeOutsideTheUndoHistory()
    {
        m_map->load(twoParagraphs(), QFont(), m_owner.get());
        const SourceDocument before = m_map->snapshot();
        const int marker = m_map->objectIdAt(2, RVFormat::MarkerObject);
        QVERIFY(marker >= 0);
        QCOMPARE(m_map->objectIdAt(2, RVFormat::PictureObject), -1);
        QVERIFY(!m_map->setMarkerEntry(marker, 2));   // already selected
        QVERIFY(!m_map->setMarkerEntry(marker, 99));
        QVERIFY(!m_map->isModified());
        QVERIFY(m_map->setMarkerEntry(marker, 4));
        QVERIFY(m_map->isModified());
        QVERIFY(!m_map->document()->isUndoAvailable());
        QCOMPARE(m_map->markerAt(2)->Text, m_map->markerAt(2)->Items.at(4));
        QCOMPARE(before.item(1).control->ItemIndex, 2);  // an earlier snapshot keeps its entry
        m_map->setModified(false);
        QVERIFY(!m_map->isModified());

        QVERIFY(!m_map->setPictureSize(2, 10, 10));  // a marker is no picture
        QTextCursor c(m_map->document());
        c.setPosition(8);
        m_map->insertObject(c, Samples::picture(8));
        m_map->setModified(false);
        QVERIFY(m_map->setPictureSize(8, 48, -5));
        QVERIFY(m_map->isModified());
        QCOMPARE(m_map->snapshot().item(4).extras.width, 48);
        QCOMPARE(m_map->snapshot().item(4).extras.height, 0);
    }

    void styleConversionKeepsTagsAndLeavesObjects()
    {
        SourceDocument doc = twoParagraphs();
        doc.items[0].tag = QByteArray("keep");
        QTextDocument *text = m_map->load(doc, QFont(), m_owner.get());
        TFontInfo black = TFontInfo::normalText();
        black.Color = Colour::Black;
        const int k = m_map->styles().addTextStyle(black);
        int asked = 0;
        QVERIFY(m_map->convertTextStyles(1, 7, [&](int) { ++asked; return k; }));
        QCOMPARE(asked, 1);
        const SourceDocument back = m_map->snapshot();
        QCOMPARE(back.itemCount(), 6);  // "a" and "f" keep style 0 and split off
        QCOMPARE(back.item(1).styleNo, k);
        QCOMPARE(back.item(1).tag, std::optional<QByteArray>("keep"));
        QVERIFY(back.item(2).markerKind());
        QCOMPARE(back.item(5).text, QByteArray("f"));
        QCOMPARE(back.item(5).styleNo, 0);
        text->undo();
        compareItems(m_map->snapshot(), doc);
        QVERIFY(!m_map->convertTextStyles(0, 8, [](int styleNo) { return styleNo; }));
    }

private:
    std::unique_ptr<QObject> m_owner;
    std::unique_ptr<RVDocument> m_map;
};

QTEST_MAIN(DocumentMappingTest)
#include "document_mapping.moc"
