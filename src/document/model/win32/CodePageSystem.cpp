#include "document/model/CodePageSystem.h"

#include <windows.h>

std::array<std::optional<char16_t>, 256> CodePageSystem::decodeEachByte(int codePage)
{
    std::array<std::optional<char16_t>, 256> result;
    for (int b = 0; b < 256; ++b) {
        const char in = char(b);
        wchar_t out[2] = {};
        // Strict: a byte the page does not define fails instead of becoming
        // a default character.
        if (MultiByteToWideChar(UINT(codePage), MB_ERR_INVALID_CHARS, &in, 1, out, 2) == 1)
            result[size_t(b)] = char16_t(out[0]);
    }
    return result;
}

QString CodePageSystem::decode(int codePage, QByteArrayView bytes)
{
    if (!IsValidCodePage(UINT(codePage)))
        return QString::fromLatin1(bytes);
    QString result;
    result.reserve(bytes.size());
    // Sequence by sequence, so that an invalid one gives one replacement for
    // its lead byte, as iconv's converter does.
    qsizetype i = 0;
    while (i < bytes.size()) {
        wchar_t out[2];
        const int length = IsDBCSLeadByteEx(UINT(codePage), BYTE(bytes[i])) && i + 1 < bytes.size() ? 2 : 1;
        const int n = MultiByteToWideChar(UINT(codePage), MB_ERR_INVALID_CHARS, bytes.data() + i, length, out, 2);
        if (n <= 0) {
            result.append(QChar(0xFFFD));
            ++i;
            continue;
        }
        result.append(QStringView(reinterpret_cast<const char16_t *>(out), n));
        i += length;
    }
    return result;
}

QByteArray CodePageSystem::encode(int codePage, QStringView text)
{
    if (!IsValidCodePage(UINT(codePage)))
        return text.toLatin1();
    QByteArray result;
    result.reserve(text.size());
    // Character by character: no "best fit" (Windows would write 'a' for
    // 'ä'), and '?' for what the page cannot hold, as iconv's converter does.
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype n = QChar::isHighSurrogate(text[i].unicode()) && i + 1 < text.size()
                && QChar::isLowSurrogate(text[i + 1].unicode())
            ? 2
            : 1;
        char out[8];
        BOOL usedDefault = FALSE;
        const int got = WideCharToMultiByte(UINT(codePage), WC_NO_BEST_FIT_CHARS,
                                            reinterpret_cast<const wchar_t *>(text.data() + i), int(n), out,
                                            sizeof out, nullptr, &usedDefault);
        if (got <= 0 || usedDefault)
            result.append('?');
        else
            result.append(out, got);
        i += n - 1;
    }
    return result;
}
