#include "CodePage.h"

#include "CodePageSystem.h"

#include <array>
#include <atomic>
#include <bitset>
#include <map>
#include <memory>
#include <mutex>

namespace CodePage {

namespace {

// The pages a source file may name, the same on every platform.
bool isKnownPage(int codePage)
{
    switch (codePage) {
    case 866: case 874: case 932: case 936: case 949: case 950:
    case 1250: case 1251: case 1252: case 1253: case 1254: case 1255: case 1256: case 1257: case 1258:
    case 1361: case 10000:
        return true;
    default:
        return false;
    }
}

bool isDoubleByte(int codePage)
{
    return codePage == 932 || codePage == 936 || codePage == 949 || codePage == 950 || codePage == 1361;
}

// Both directions of one single-byte code page, built once from the system's converter.
struct SingleByteTable {
    std::array<char16_t, 256> decode{};
    std::array<quint8, 65536> encode{};
    std::bitset<65536> encodable;
    std::bitset<256> assigned;  // bytes that are characters of the page
};

std::unique_ptr<SingleByteTable> buildTable(int codePage)
{
    auto table = std::make_unique<SingleByteTable>();
    std::bitset<256> &assigned = table->assigned;
    const auto decoded = CodePageSystem::decodeEachByte(codePage);
    for (int b = 0; b < 256; ++b) {
        table->decode[size_t(b)] = char16_t(b);  // unassigned bytes stand for themselves
        const std::optional<char16_t> &u = decoded[size_t(b)];
        // A byte of 0x80 to 0x9F that comes back as the C1 control of its own
        // value is a hole in the page (Windows' tables pass those through,
        // iconv refuses them): no page has such a control as a character.
        if (u && !(b >= 0x80 && b <= 0x9F && *u == char16_t(b))) {
            table->decode[size_t(b)] = *u;
            assigned.set(size_t(b));
        }
    }
    // Real characters of the page first, then the fallbacks of unassigned
    // bytes where no real character claims the same code.
    for (int b = 0; b < 256; ++b) {
        if (!assigned.test(size_t(b)))
            continue;
        const char16_t u = table->decode[size_t(b)];
        if (!table->encodable.test(u)) {
            table->encode[u] = quint8(b);
            table->encodable.set(u);
        }
    }
    for (int b = 0; b < 256; ++b) {
        if (assigned.test(size_t(b)))
            continue;
        // Where a real character already has the code U+00xx, the byte gets
        // a private-use character instead, so that it still round-trips.
        const char16_t u = table->encodable.test(size_t(b)) ? char16_t(0xF700 + b) : char16_t(b);
        table->decode[size_t(b)] = u;
        table->encode[u] = quint8(b);
        table->encodable.set(u);
    }
    return table;
}

const SingleByteTable *singleByteTable(int codePage)
{
    static std::mutex mutex;
    static std::map<int, std::unique_ptr<SingleByteTable>> tables;
    static std::atomic<const SingleByteTable *> table1251{nullptr};
    if (codePage == 1251) {
        if (const SingleByteTable *table = table1251.load(std::memory_order_acquire))
            return table;
    }
    std::lock_guard lock(mutex);
    auto &slot = tables[codePage];
    if (!slot)
        slot = buildTable(codePage);
    if (codePage == 1251)
        table1251.store(slot.get(), std::memory_order_release);
    return slot.get();
}

} // namespace

int forCharset(int charset)
{
    switch (charset) {
    case ANSI_CHARSET: return 1252;
    case DEFAULT_CHARSET: return SystemAnsi;
    case SYMBOL_CHARSET: return Symbol;
    case MAC_CHARSET: return 10000;
    case SHIFTJIS_CHARSET: return 932;
    case HANGEUL_CHARSET: return 949;
    case JOHAB_CHARSET: return 1361;
    case GB2312_CHARSET: return 936;
    case CHINESEBIG5_CHARSET: return 950;
    case GREEK_CHARSET: return 1253;
    case TURKISH_CHARSET: return 1254;
    case HEBREW_CHARSET: return 1255;
    case ARABIC_CHARSET: return 1256;
    case BALTIC_CHARSET: return 1257;
    case RUSSIAN_CHARSET: return 1251;
    case THAI_CHARSET: return 874;
    case EASTEUROPE_CHARSET: return 1250;
    case OEM_CHARSET: return SystemOem;
    case 163: return 1258;  // VIETNAMESE_CHARSET
    default: return SystemAnsi;
    }
}

bool isSupported(int codePage)
{
    return codePage == Symbol || isKnownPage(codePage);
}

QString toUnicode(int codePage, QByteArrayView bytes)
{
    if (bytes.isEmpty())
        return QString();
    if (codePage == Symbol) {
        // The symbol page maps byte b to the private-use character U+F0bb.
        QString result(bytes.size(), Qt::Uninitialized);
        for (qsizetype i = 0; i < bytes.size(); ++i)
            result[i] = QChar(char16_t(0xF000 | quint8(bytes[i])));
        return result;
    }
    if (!isKnownPage(codePage))
        codePage = SystemAnsi;
    if (isDoubleByte(codePage))
        return CodePageSystem::decode(codePage, bytes);
    const SingleByteTable *table = singleByteTable(codePage);
    QString result(bytes.size(), Qt::Uninitialized);
    QChar *out = result.data();
    for (qsizetype i = 0; i < bytes.size(); ++i)
        out[i] = QChar(table->decode[quint8(bytes[i])]);
    return result;
}

QByteArray fromUnicode(int codePage, QStringView text)
{
    if (text.isEmpty())
        return QByteArray();
    if (codePage == Symbol) {
        QByteArray result(text.size(), Qt::Uninitialized);
        for (qsizetype i = 0; i < text.size(); ++i) {
            const char16_t u = text[i].unicode();
            result[i] = (u <= 0xFF || (u >= 0xF000 && u <= 0xF0FF)) ? char(u & 0xFF) : '?';
        }
        return result;
    }
    if (!isKnownPage(codePage))
        codePage = SystemAnsi;
    if (isDoubleByte(codePage))
        return CodePageSystem::encode(codePage, text);
    const SingleByteTable *table = singleByteTable(codePage);
    QByteArray result(text.size(), Qt::Uninitialized);
    qsizetype n = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t u = text[i].unicode();
        if (QChar::isHighSurrogate(u) && i + 1 < text.size() && QChar::isLowSurrogate(text[i + 1].unicode()))
            ++i;  // one '?' for the whole pair
        result[n++] = table->encodable.test(u) ? char(table->encode[u]) : '?';
    }
    result.truncate(n);
    return result;
}

std::optional<QByteArray> fromUnicodeExactly(int codePage, QStringView text, qsizetype *unencodable)
{
    auto refuse = [&](qsizetype at) -> std::optional<QByteArray> {
        if (unencodable)
            *unencodable = at;
        return std::nullopt;
    };
    if (!isKnownPage(codePage) || isDoubleByte(codePage)) {
        // Rare pages: a character is held when it comes back from the round trip.
        for (qsizetype i = 0; i < text.size(); ++i) {
            const qsizetype n = QChar::isHighSurrogate(text[i].unicode()) && i + 1 < text.size() ? 2 : 1;
            const QStringView one = text.mid(i, n);
            if (toUnicode(codePage, fromUnicode(codePage, one)) != one)
                return refuse(i);
            i += n - 1;
        }
        return fromUnicode(codePage, text);
    }
    const SingleByteTable *table = singleByteTable(codePage);
    QByteArray result(text.size(), Qt::Uninitialized);
    char *out = result.data();
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t u = text[i].unicode();
        // The stand-ins of unassigned bytes round-trip a file's bytes, but
        // they are not characters anyone could mean.
        if (!table->encodable.test(u) || !table->assigned.test(table->encode[u]))
            return refuse(i);
        out[i] = char(table->encode[u]);
    }
    return result;
}

} // namespace CodePage
