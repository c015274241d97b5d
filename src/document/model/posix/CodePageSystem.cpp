#include "document/model/CodePageSystem.h"

#include <QByteArray>

#include <cerrno>

#include <iconv.h>

namespace {

QByteArray iconvName(int codePage)
{
    switch (codePage) {
    case 1361: return QByteArrayLiteral("JOHAB");
    case 10000: return QByteArrayLiteral("MACINTOSH");
    default: return "CP" + QByteArray::number(codePage);
    }
}

} // namespace

std::array<std::optional<char16_t>, 256> CodePageSystem::decodeEachByte(int codePage)
{
    std::array<std::optional<char16_t>, 256> result;
    iconv_t cd = iconv_open("UTF-16LE", iconvName(codePage).constData());
    if (cd == iconv_t(-1))
        return result;
    for (int b = 0; b < 256; ++b) {
        char in = char(b);
        char out[8];
        char *inPtr = &in;
        char *outPtr = out;
        size_t inLeft = 1;
        size_t outLeft = sizeof out;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) != size_t(-1) && outPtr - out == 2)
            result[size_t(b)] = char16_t(quint8(out[0]) | (quint8(out[1]) << 8));
    }
    iconv_close(cd);
    return result;
}

QString CodePageSystem::decode(int codePage, QByteArrayView bytes)
{
    QString result;
    iconv_t cd = iconv_open("UTF-16LE", iconvName(codePage).constData());
    if (cd == iconv_t(-1))
        return QString::fromLatin1(bytes);
    result.reserve(bytes.size());
    char *in = const_cast<char *>(bytes.data());
    size_t inLeft = size_t(bytes.size());
    char buffer[4096];
    while (inLeft > 0) {
        char *out = buffer;
        size_t outLeft = sizeof buffer;
        const size_t rc = iconv(cd, &in, &inLeft, &out, &outLeft);
        result.append(reinterpret_cast<const QChar *>(buffer), (out - buffer) / 2);
        if (rc == size_t(-1) && errno != E2BIG) {
            // An invalid or cut-off sequence: one replacement for its lead byte.
            result.append(QChar(0xFFFD));
            ++in;
            --inLeft;
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
        }
    }
    iconv_close(cd);
    return result;
}

QByteArray CodePageSystem::encode(int codePage, QStringView text)
{
    QByteArray result;
    iconv_t cd = iconv_open(iconvName(codePage).constData(), "UTF-16LE");
    if (cd == iconv_t(-1))
        return text.toLatin1();
    result.reserve(text.size());
    char *in = reinterpret_cast<char *>(const_cast<QChar *>(text.data()));
    size_t inLeft = size_t(text.size()) * 2;
    char buffer[4096];
    while (inLeft > 0) {
        char *out = buffer;
        size_t outLeft = sizeof buffer;
        const size_t rc = iconv(cd, &in, &inLeft, &out, &outLeft);
        result.append(buffer, out - buffer);
        if (rc == size_t(-1) && errno != E2BIG) {
            // A character the page cannot hold (or a lone surrogate).
            result.append('?');
            const char16_t unit = char16_t(quint8(in[0]) | (quint8(in[1]) << 8));
            const size_t skip = (QChar::isHighSurrogate(unit) && inLeft >= 4) ? 4 : 2;
            in += skip;
            inLeft -= skip;
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
        }
    }
    iconv_close(cd);
    return result;
}
