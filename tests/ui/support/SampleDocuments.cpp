#include "SampleDocuments.h"

#include "document/model/CodePage.h"

using namespace Qt::StringLiterals;

namespace Samples {

QImage signBitmap(int width)
{
    QImage image(width, 8, QImage::Format_RGB32);
    for (int x = 0; x < width; ++x) {
        for (int y = 0; y < 8; ++y)
            image.setPixel(x, y, ((x + y) % 3 == 0) ? qRgb(255, 0, 0) : qRgb(0, 0, 0));
    }
    return image;
}

SourceItem text(const QString &t, int styleNo, bool continues, int paraNo)
{
    return SourceItem::textItem(CodePage::toWindows1251(t), styleNo, paraNo, continues);
}

SourceItem marker(MarkerKind kind, int index, bool continues)
{
    return SourceItem::controlItem(makeMarker(kind, index), 0, continues);
}

SourceItem picture(int width, bool continues)
{
    SourceItem item = SourceItem::pictureItem(Picture::bitmap(signBitmap(width)), 0, continues);
    item.extras.width = width * 3;
    item.extras.height = 24;
    return item;
}

SourceDocument everything()
{
    SourceDocument doc;
    TFontInfo blackOnRed = TFontInfo::normalText();
    blackOnRed.Standard = false;
    blackOnRed.Color = Colour::Black;
    doc.styles.TextStyles.push_back(blackOnRed);  // 1: black on none
    blackOnRed.BackColor = Colour::Red;
    doc.styles.TextStyles.push_back(blackOnRed);  // 2: black on red

    doc.append(marker(MarkerKind::Effect, 1));
    doc.append(text(u"Привет, "_s, 0, true));
    doc.append(text(u"мир"_s, 2, true));
    doc.append(marker(MarkerKind::Pause, 17, true));
    doc.append(marker(MarkerKind::EffectClear, 23));
    doc.append(marker(MarkerKind::Speed, 0, true));
    doc.append(marker(MarkerKind::Font, 1, true));
    doc.append(picture(40));
    SourceItem tab;
    tab.styleNo = ItemStyle::Tab;
    tab.tabTextStyle = 2;
    tab.setContinuesParagraph();
    doc.append(tab);
    doc.append(marker(MarkerKind::Info, 4, true));
    SourceItem broken = text(u"вторая строка"_s);
    broken.setLineBreakBefore();
    doc.append(broken);
    doc.append(text(QString()));                      // an empty paragraph
    doc.append(text(u"По центру"_s, 0, false, 1));   // "Centered"
    SourceItem last = picture(8);
    last.paraNo = 1;  // an item that continues a paragraph is in its style
    doc.append(last);
    return doc;
}

SourceDocument fromOtherEditors()
{
    SourceDocument doc;
    TFontInfo wide = TFontInfo::normalText();
    wide.Unicode = true;
    doc.styles.TextStyles.push_back(wide);
    SourceItem tagged = text(u"tagged"_s);
    tagged.tag = QByteArray("note");
    tagged.hint = QByteArray("hint");
    tagged.checkpoint = Checkpoint{QByteArray("cp"), QByteArray(), false, true, false};
    doc.append(tagged);
    SourceItem hotspot;
    hotspot.styleNo = ItemStyle::Hotspot;
    auto record = std::make_shared<OpaqueRecord>();
    record->headerTail = "1 2";
    record->lines = {QByteArray("x")};
    record->lineIsBlock = {false};
    hotspot.opaque = record;
    hotspot.setContinuesParagraph();
    doc.append(hotspot);
    SourceItem named = picture(8);
    named.name = QByteArray("pic");
    named.vAlign = 1;
    named.tag = QByteArray("t");
    doc.append(named);
    const QString unicodeText = u"Ω unicode"_s;
    SourceItem unicode;
    unicode.styleNo = 1;
    unicode.options = ItemOption::Utf16Text;
    unicode.text = QByteArray(reinterpret_cast<const char *>(unicodeText.utf16()), unicodeText.size() * 2);
    unicode.setPageBreakBefore();
    doc.append(unicode);
    return doc;
}

} // namespace Samples
