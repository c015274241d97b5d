#include "MarkupSyntax.h"

#include <array>

using namespace Qt::StringLiterals;

namespace Markup {

namespace {
constexpr std::array<QStringView, 6> KindWords{u"effect", u"clear", u"pause", u"speed", u"font", u"info"};
} // namespace

QStringView kindWord(MarkerKind kind)
{
    return KindWords[size_t(kind)];
}

std::optional<MarkerKind> kindOfWord(QStringView word)
{
    for (MarkerKind kind : allMarkerKinds()) {
        if (word.compare(kindWord(kind), Qt::CaseInsensitive) == 0)
            return kind;
    }
    return std::nullopt;
}

QString allWords()
{
    QStringList words;
    for (MarkerKind kind : allMarkerKinds())
        words << kindWord(kind).toString();
    words << PictureWord.toString() << Inverse.toString() << InverseEnd.toString();
    return words.join(u", "_s);
}

std::optional<QString> signPictureProblem(const QImage &image)
{
    // The width goes to the sign in 16 bits.
    constexpr int MaxWidth = 65535;
    if (image.isNull() || image.width() == 0)
        return u"has no pixels"_s;
    if (image.height() != 8)
        return u"is %1 pixels high; the sign shows pictures 8 pixels high"_s.arg(image.height());
    if (image.width() > MaxWidth)
        return u"is %1 pixels wide; at most 65535 columns fit"_s.arg(image.width());
    const QImage rgb = image.format() == QImage::Format_RGB32 ? image : image.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < rgb.height(); ++y) {
        const auto *row = reinterpret_cast<const QRgb *>(rgb.constScanLine(y));
        for (int x = 0; x < rgb.width(); ++x) {
            const QRgb c = row[x] & 0xFFFFFFu;
            if (c != 0xFF0000u && c != 0x000000u) {
                const QString hex = QString::number(c, 16).toUpper().rightJustified(6, u'0');
                return u"has the colour #%1 at x %2, y %3; only pure red #FF0000 and black #000000 light "
                       "and darken the sign"_s.arg(hex).arg(x).arg(y);
            }
        }
    }
    return std::nullopt;
}

} // namespace Markup
