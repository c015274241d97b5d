#pragma once

// A long message for the editor benchmarks: text in both sign colours,
// markers of four kinds and pictures, every tenth item an output effect, so
// that it checks without error.

#include "document/model/CodePage.h"
#include "document/model/EmbeddedControl.h"
#include "document/model/SourceDocument.h"

#include <QImage>

namespace LongMessage {

inline SourceDocument make(int itemCount)
{
    SourceDocument doc;
    TFontInfo darkOnRed = TFontInfo::normalText();
    darkOnRed.Standard = false;
    darkOnRed.Color = Colour::Black;
    doc.styles.TextStyles.push_back(darkOnRed);
    darkOnRed.BackColor = Colour::Red;
    doc.styles.TextStyles.push_back(darkOnRed);
    QImage image(16, 8, QImage::Format_RGB32);
    for (int x = 0; x < 16; ++x) {
        for (int y = 0; y < 8; ++y)
            image.setPixel(x, y, (x + y) % 2 ? qRgb(255, 0, 0) : qRgb(0, 0, 0));
    }
    const PicturePtr picture = Picture::bitmap(image);
    const QByteArray words = CodePage::toWindows1251(QStringLiteral("Скидки на всё "));
    doc.items.reserve(size_t(itemCount));
    for (int i = 0; i < itemCount; ++i) {
        switch (i % 10) {
        case 0: doc.append(SourceItem::controlItem(makeMarker(MarkerKind::Effect, i % 20))); break;
        case 3: doc.append(SourceItem::controlItem(makeMarker(MarkerKind::Speed, 9), 0, true)); break;
        case 7: doc.append(SourceItem::controlItem(makeMarker(MarkerKind::Pause, 3), 0, true)); break;
        case 9: doc.append(SourceItem::controlItem(makeMarker(MarkerKind::Info, 0), 0, true)); break;
        case 5: {
            SourceItem item = SourceItem::pictureItem(picture, 0, true);
            item.extras.width = 48;
            item.extras.height = 24;
            doc.append(std::move(item));
            break;
        }
        default:
            doc.append(SourceItem::textItem(words + QByteArray::number(i), (i % 10 == 8 || i % 10 == 2) ? 2 : 0, 0, true));
            break;
        }
    }
    return doc;
}

} // namespace LongMessage
