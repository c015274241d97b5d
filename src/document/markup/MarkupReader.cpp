#include "MarkupReader.h"

#include "document/pictures/BitmapFile.h"
#include "document/model/BorrowedView.h"
#include "document/model/CodePage.h"
#include "document/model/HugePages.h"
#include "MarkupSyntax.h"
#include "document/model/StyleConversion.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QList>
#include <QStringDecoder>

#include <algorithm>
#include <array>

using namespace Qt::StringLiterals;

namespace {

// The markup's text always goes to the sign in Windows-1251.
constexpr int SignCodePage = 1251;

// Columns of one line in characters, found by walking forward from the last
// one asked for (items and errors are met left to right), so that a long
// line costs one pass however many items it holds.
class Columns {
public:
    void reset(QStringView line)
    {
        m_line = line;
        m_offset = 0;
        m_column = 1;
    }
    template <TemporaryOwner<QStringView> Owner>
    void reset(Owner &&) = delete;
    int at(qsizetype offset)
    {
        offset = std::min(offset, m_line.size());
        if (offset < m_offset)
            reset(m_line);
        for (; m_offset < offset; ++m_offset) {
            // The low half of a surrogate pair is not a character of its own.
            const bool secondHalf = m_line[m_offset].isLowSurrogate() && m_offset > 0
                                    && m_line[m_offset - 1].isHighSurrogate();
            if (!secondHalf)
                ++m_column;
        }
        return m_column;
    }

private:
    QStringView m_line;
    qsizetype m_offset = 0;
    int m_column = 1;
};

// The value of a brace: the text after the colon, without surrounding
// blanks, and where it starts on the line.
struct BraceValue {
    bool present = false;
    QStringView text;
    qsizetype offset = 0;
};

// Where the first byte that is not UTF-8 stands, for the message.
qsizetype firstInvalidUtf8(QByteArrayView bytes)
{
    const auto *b = reinterpret_cast<const uchar *>(bytes.data());
    const qsizetype n = bytes.size();
    qsizetype i = 0;
    while (i < n) {
        const uchar c = b[i];
        int follow = 0;
        uchar low = 0x80;
        uchar high = 0xBF;
        if (c < 0x80) {
            ++i;
            continue;
        }
        if (c >= 0xC2 && c <= 0xDF) {
            follow = 1;
        } else if (c >= 0xE0 && c <= 0xEF) {
            follow = 2;
            low = c == 0xE0 ? 0xA0 : 0x80;  // no overlong forms
            high = c == 0xED ? 0x9F : 0xBF; // no surrogates
        } else if (c >= 0xF0 && c <= 0xF4) {
            follow = 3;
            low = c == 0xF0 ? 0x90 : 0x80;
            high = c == 0xF4 ? 0x8F : 0xBF; // nothing past U+10FFFF
        } else {
            return i;
        }
        for (int k = 1; k <= follow; ++k) {
            if (i + k >= n)
                return i;
            const uchar f = b[i + k];
            if (f < (k == 1 ? low : 0x80) || f > (k == 1 ? high : 0xBF))
                return i;
        }
        i += follow + 1;
    }
    return n;
}

// A decimal number, "1", "0,5" or "0.5" (a comma or a full stop), in tenths;
// nothing when it has more digits than tenths, is too large, or is not such
// a number (*isNumber tells these apart).
std::optional<qint64> decimalTenths(QStringView text, bool *isNumber = nullptr)
{
    const qsizetype mark = std::max(text.indexOf(u','), text.indexOf(u'.'));
    const QStringView whole = mark < 0 ? text : text.first(mark);
    const QStringView fraction = mark < 0 ? QStringView() : text.sliced(mark + 1);
    auto digits = [](QStringView part) {
        return std::all_of(part.begin(), part.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
    };
    const bool number = !whole.isEmpty() && digits(whole) && (mark < 0 || (!fraction.isEmpty() && digits(fraction)))
                        && text.count(u',') + text.count(u'.') <= 1;
    if (isNumber)
        *isNumber = number;
    if (!number || whole.size() > 9)
        return std::nullopt;
    qint64 tenths = whole.toLongLong() * 10;
    for (qsizetype i = 0; i < fraction.size(); ++i) {
        if (i == 0)
            tenths += fraction[0].unicode() - u'0';
        else if (fraction[i] != u'0')
            return std::nullopt;
    }
    return tenths;
}

class Reader {
public:
    Reader(const QString &pictureDirectory, MarkupError *error) : m_pictureDirectory(pictureDirectory), m_error(error)
    {
        for (MarkerKind kind : allMarkerKinds()) {
            const MarkerKindInfo &info = markerKindInfo(kind);
            auto &markers = m_markers[size_t(kind)];
            auto &names = m_entryNames[size_t(kind)];
            for (int i = 0; i < info.entries.size(); ++i) {
                markers.push_back(makeMarker(kind, i));
                names.insert(info.entries.at(i).toCaseFolded(), i);
            }
        }
        // "0,3 сек.": the number before the unit.
        for (const QString &entry : markerKindInfo(MarkerKind::Pause).entries)
            m_pauseTenths << decimalTenths(QStringView(entry).first(entry.indexOf(u' '))).value_or(-1);
    }

    std::optional<ComposedMessage> read(QByteArrayView utf8);

private:
    bool readLine(QStringView line);
    template <TemporaryOwner<QStringView> Owner>
    bool readLine(Owner &&) = delete;
    bool readText(qsizetype from, qsizetype to);
    void endText();
    bool readBrace(qsizetype open, qsizetype close);
    bool readMarker(MarkerKind kind, const BraceValue &value, qsizetype open);
    // The entry a value that is no entry's name stands for: for a pause a
    // number of seconds, for a speed nothing (its names are its numbers),
    // for the other kinds the entry's 0-based number. -1, with the message
    // in *why, when it stands for none.
    int entryOfNumber(MarkerKind kind, QStringView text, QString *why) const;
    bool readInverse(qsizetype open);
    bool readInverseEnd(qsizetype open);
    bool readPicture(const BraceValue &value, qsizetype open);
    void readTab(qsizetype at);
    void readEmptyParagraph();

    void reserveItems(QByteArrayView utf8);
    int currentStyle();
    // Appends an item at `offset` of the line: the first of a line starts a
    // paragraph, the others continue it.
    SourceItem &add(qsizetype offset);
    void add(SourceItem item, qsizetype offset);
    MarkupPosition position(qsizetype offset) { return {m_lineNo, m_columns.at(offset)}; }
    bool fail(MarkupPosition at, QString message);
    bool fail(qsizetype offset, QString message) { return fail(position(offset), std::move(message)); }

    const QString m_pictureDirectory;
    MarkupError *m_error;
    std::array<std::vector<EmbeddedControl>, 6> m_markers;
    std::array<QHash<QString, int>, 6> m_entryNames;
    // The pause entries in tenths of a second, by index.
    QList<qint64> m_pauseTenths;
    QHash<QString, PicturePtr> m_pictures;

    ComposedMessage m_message;
    QStringView m_line;
    int m_lineNo = 0;
    Columns m_columns;
    bool m_lineHasItems = false;
    // The text run being collected: its bytes and where it started (-1: none).
    QByteArray m_run;
    qsizetype m_runStart = -1;
    bool m_inverse = false;
    MarkupPosition m_inverseAt;
    int m_darkStyle = -1;
};

std::optional<ComposedMessage> Reader::read(QByteArrayView utf8)
{
    if (utf8.startsWith("\xEF\xBB\xBF"))
        utf8 = utf8.sliced(3);
    reserveItems(utf8);
    // Line by line into one buffer: the whole text as UTF-16 would be twice
    // the markup again, only to be read once.
    // Stateless: a sequence cut off at the end of a line is an error there.
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString buffer;
    qsizetype start = 0;
    while (start < utf8.size()) {
        qsizetype end = utf8.indexOf('\n', start);
        if (end < 0)
            end = utf8.size();
        QByteArrayView bytes = utf8.sliced(start, end - start);
        if (bytes.endsWith('\r'))
            bytes.chop(1);
        ++m_lineNo;
        if (buffer.size() < bytes.size())
            buffer.resize(bytes.size());
        const QChar *decodedEnd = decoder.appendToBuffer(buffer.data(), bytes);
        if (decoder.hasError()) {
            const qsizetype bad = firstInvalidUtf8(bytes);
            int column = 1;
            for (const char c : bytes.first(bad))
                column += (uchar(c) & 0xC0) != 0x80;
            const uchar byte = bad < bytes.size() ? uchar(bytes[bad]) : 0;
            fail(MarkupPosition{m_lineNo, column}, u"not UTF-8 text (byte 0x%1); save the markup as UTF-8"_s.arg(
                                                       QString::number(byte, 16).toUpper().rightJustified(2, u'0')));
            return std::nullopt;
        }
        if (!readLine(QStringView(buffer.constData(), decodedEnd - buffer.constData())))
            return std::nullopt;
        start = end + 1;
    }
    if (m_inverse) {
        fail(m_inverseAt, u"{inverse} is not closed; end the dark text with {/inverse}"_s);
        return std::nullopt;
    }
    return std::move(m_message);
}

bool Reader::readLine(QStringView line)
{
    if (line.startsWith(Markup::Comment))
        return true;
    m_line = line;
    m_columns.reset(line);
    m_lineHasItems = false;
    // Plain text from `segment` up to the character in hand is not yet taken.
    qsizetype segment = 0;
    const qsizetype n = line.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = line[i].unicode();
        if (c != Markup::Open && c != Markup::Close && !Markup::isControlCharacter(c))
            continue;
        const bool doubled = i + 1 < n && line[i + 1].unicode() == c;
        if (c == Markup::Open && doubled) {
            if (!readText(segment, i + 1))
                return false;
            segment = ++i + 1;
        } else if (c == Markup::Open) {
            const qsizetype close = line.indexOf(Markup::Close, i + 1);
            if (close < 0)
                return fail(i, u"the brace is not closed on its line; write {{ for a brace of the text"_s);
            if (!readText(segment, i))
                return false;
            if (line.sliced(i + 1, close - i - 1).trimmed() == Markup::NumberSign) {
                if (m_runStart < 0)
                    m_runStart = i;
                m_run += '#';
            } else {
                endText();
                if (!readBrace(i, close))
                    return false;
            }
            segment = close + 1;
            i = close;
        } else if (c == Markup::Close && doubled) {
            if (!readText(segment, i + 1))
                return false;
            segment = ++i + 1;
        } else if (c == Markup::Close) {
            return fail(i, u"a closing brace without an opening one; write }} for a brace of the text"_s);
        } else if (c == u'\t') {
            if (!readText(segment, i))
                return false;
            endText();
            readTab(i);
            segment = i + 1;
        } else {
            return fail(i, u"the control character U+%1 cannot stand in a message"_s.arg(
                               QString::number(c, 16).toUpper().rightJustified(4, u'0')));
        }
    }
    if (!readText(segment, n))
        return false;
    endText();
    if (!m_lineHasItems)
        readEmptyParagraph();
    return true;
}

bool Reader::readText(qsizetype from, qsizetype to)
{
    if (to <= from)
        return true;
    qsizetype bad = -1;
    std::optional<QByteArray> bytes = CodePage::fromUnicodeExactly(SignCodePage, m_line.sliced(from, to - from), &bad);
    if (!bytes) {
        const char32_t ch = QChar::isHighSurrogate(m_line[from + bad].unicode()) && from + bad + 1 < m_line.size()
                                ? QChar::surrogateToUcs4(m_line[from + bad], m_line[from + bad + 1])
                                : char32_t(m_line[from + bad].unicode());
        return fail(from + bad, u"the character %1 (U+%2) cannot be carried in Windows-1251, the sign's code page"_s
                                    .arg(QString::fromUcs4(&ch, 1))
                                    .arg(QString::number(quint32(ch), 16).toUpper().rightJustified(4, u'0')));
    }
    if (m_runStart < 0) {
        m_runStart = from;
        m_run = std::move(*bytes);
    } else {
        m_run += *bytes;
    }
    return true;
}

void Reader::endText()
{
    if (m_runStart < 0)
        return;
    SourceItem &item = add(m_runStart);
    item.styleNo = currentStyle();
    item.text = std::move(m_run);
    m_run = QByteArray();
    m_runStart = -1;
}

bool Reader::readBrace(qsizetype open, qsizetype close)
{
    const QStringView content = m_line.sliced(open + 1, close - open - 1);
    const qsizetype colon = content.indexOf(Markup::ValueMark);
    const QStringView wordPart = colon < 0 ? content : content.first(colon);
    const QStringView word = wordPart.trimmed();
    const qsizetype wordOffset = open + 1 + (word.isEmpty() ? 0 : word.data() - wordPart.data());
    BraceValue value;
    if (colon >= 0) {
        const QStringView rest = content.sliced(colon + 1);
        value.text = rest.trimmed();
        value.present = !value.text.isEmpty();
        value.offset = open + 1 + colon + 1 + (value.present ? value.text.data() - rest.data() : 0);
    }

    if (word.isEmpty())
        return fail(open, u"empty braces: start them with one of %1, or write {{ and }} for braces of the text"_s.arg(
                              Markup::allWords()));
    const bool inverse = word.compare(Markup::Inverse, Qt::CaseInsensitive) == 0;
    const bool inverseEnd = word.compare(Markup::InverseEnd, Qt::CaseInsensitive) == 0;
    if (inverse || inverseEnd) {
        if (colon >= 0)
            return fail(colon + open + 1, u"{%1} takes no value"_s.arg(word.toString().toLower()));
        return inverse ? readInverse(open) : readInverseEnd(open);
    }
    const bool picture = word.compare(Markup::PictureWord, Qt::CaseInsensitive) == 0;
    const std::optional<MarkerKind> kind = Markup::kindOfWord(word);
    if (!picture && !kind) {
        // "{effect Слева}": a word the markup knows, then no colon.
        const qsizetype blank = word.indexOf(u' ');
        const QStringView first = blank > 0 ? word.first(blank) : QStringView();
        if (Markup::kindOfWord(first) || first.compare(Markup::PictureWord, Qt::CaseInsensitive) == 0) {
            return fail(wordOffset + blank, u"a colon is missing after \"%1\": write {%1: %2}"_s.arg(
                                                first.toString().toLower(), word.sliced(blank + 1).trimmed().toString()));
        }
        return fail(wordOffset,
                    u"unknown kind \"%1\"; braces start with one of %2"_s.arg(word.toString(), Markup::allWords()));
    }
    const QString wordText = picture ? Markup::PictureWord.toString() : Markup::kindWord(*kind).toString();
    if (!value.present) {
        return fail(open, picture ? u"{picture} needs a file: {picture: FILE.bmp}"_s
                                  : u"{%1} needs an entry: {%1: NAME} or {%1: NUMBER}"_s.arg(wordText));
    }
    return picture ? readPicture(value, open) : readMarker(*kind, value, open);
}

bool Reader::readMarker(MarkerKind kind, const BraceValue &value, qsizetype open)
{
    const auto &names = m_entryNames[size_t(kind)];
    const auto &markers = m_markers[size_t(kind)];
    // A name wins over a number: "1 сек." and "10" are names.
    int index = names.value(value.text.toString().toCaseFolded(), -1);
    if (index < 0) {
        QString why;
        index = entryOfNumber(kind, value.text, &why);
        if (index < 0)
            return fail(value.offset, why);
    }
    add(SourceItem::controlItem(markers[size_t(index)]), open);
    return true;
}

int Reader::entryOfNumber(MarkerKind kind, QStringView text, QString *why) const
{
    const QString word = Markup::kindWord(kind).toString();
    const QStringList &entries = markerKindInfo(kind).entries;
    auto listed = [&] {
        QStringList quoted;
        for (const QString &entry : entries)
            quoted << u'"' + entry + u'"';
        return quoted.join(u", "_s);
    };
    if (kind == MarkerKind::Pause) {
        // A script writer means seconds: "1", "0,5" and "0.5" are the
        // entries "1 сек." and "0,5 сек.".
        bool isNumber = false;
        const std::optional<qint64> tenths = decimalTenths(text, &isNumber);
        const qsizetype i = tenths ? m_pauseTenths.indexOf(*tenths) : -1;
        if (i >= 0)
            return int(i);
        *why = isNumber ? u"pause has no entry of %1 seconds; its entries are %2"_s.arg(text.toString(), listed())
                        : u"pause has no entry \"%1\"; its entries are %2, or their numbers of seconds"_s.arg(
                              text.toString(), listed());
        return -1;
    }
    bool isNumber = false;
    const int number = text.toInt(&isNumber);
    if (!isNumber) {
        *why = u"%1 has no entry \"%2\"; its entries are %3"_s.arg(word, text.toString(), listed());
        return -1;
    }
    if (kind == MarkerKind::Speed) {
        // A number is the speed, as the entries show it ("05" too).
        if (number >= 1 && number <= entries.size())
            return number - 1;
        *why = u"speed %1 is out of range: the speeds go from 1 to %2"_s.arg(number).arg(entries.size());
        return -1;
    }
    if (number < 0 || number >= entries.size()) {
        *why = u"%1 number %2 is out of range: the numbers go from 0 to %3"_s.arg(word).arg(number).arg(
            entries.size() - 1);
        return -1;
    }
    return number;
}

bool Reader::readInverse(qsizetype open)
{
    if (m_inverse)
        return fail(open, u"{inverse} inside {inverse}; close the first with {/inverse}"_s);
    m_inverse = true;
    m_inverseAt = position(open);
    return true;
}

bool Reader::readInverseEnd(qsizetype open)
{
    if (!m_inverse)
        return fail(open, u"{/inverse} without {inverse} before it"_s);
    m_inverse = false;
    return true;
}

bool Reader::readPicture(const BraceValue &value, qsizetype open)
{
    const QString name = value.text.toString();
    const QString path = QFileInfo(QDir(m_pictureDirectory), name).absoluteFilePath();
    PicturePtr picture = m_pictures.value(path);
    if (!picture) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            return fail(value.offset, QFileInfo::exists(path)
                                          ? u"cannot read the picture file \"%1\": %2"_s.arg(name, file.errorString())
                                          : u"the picture file \"%1\" is missing"_s.arg(name));
        }
        const QByteArray bytes = file.readAll();
        const std::optional<QImage> image = BitmapFile::decode(bytes);
        if (!image)
            return fail(value.offset, u"the picture file \"%1\" is not a bitmap (*.bmp)"_s.arg(name));
        if (const auto problem = Markup::signPictureProblem(*image))
            return fail(value.offset, u"the picture \"%1\" %2"_s.arg(name, *problem));
        // Stored as the graphic editor stores a picture it inserts: encoded
        // afresh (red and black at 4 bits per pixel), once for every use.
        picture = Picture::fromBody("TBitmap", BitmapFile::encode(*image), *image);
        m_pictures.insert(path, picture);
    }
    SourceItem item = SourceItem::pictureItem(picture);
    item.extras.width = Markup::PictureDisplayScale * picture->width();
    item.extras.height = Markup::PictureDisplayScale * picture->height();
    add(std::move(item), open);
    return true;
}

void Reader::readTab(qsizetype at)
{
    SourceItem tab;
    tab.styleNo = ItemStyle::Tab;
    tab.tabTextStyle = currentStyle();
    add(std::move(tab), at);
}

void Reader::readEmptyParagraph()
{
    add(SourceItem::textItem(QByteArray(), currentStyle()), 0);
}

void Reader::reserveItems(QByteArrayView utf8)
{
    // A line holds at most one item more than twice its braces and tabs.
    // Room for that many is reserved at once: items are large, and moving
    // them each time the list grows costs more than reading them. Markup
    // that is nearly all braces (an error, as a rule) gets less, and grows.
    qsizetype bound = 1;
    const qsizetype n = utf8.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char c = utf8[i];
        if (c == '\n')
            bound += 1;
        else if (c == '\t' || (c == '{' && (i + 1 == n || utf8[i + 1] != '{')))
            bound += 2;
    }
    bound = std::min(bound, n / 4 + 16);
    auto &items = m_message.document.items;
    items.reserve(size_t(bound));
    m_message.itemPositions.reserve(size_t(bound));
    HugePages::advise(items.data(), items.capacity() * sizeof(SourceItem));
}

int Reader::currentStyle()
{
    if (!m_inverse)
        return 0;
    // Added when first needed, so that a message without dark text keeps the
    // single style of a new document.
    if (m_darkStyle < 0)
        m_darkStyle = StyleConversion::applySignColour(m_message.document.styles, 0, SignColour::DarkOnRed);
    return m_darkStyle;
}

SourceItem &Reader::add(qsizetype offset)
{
    // Made in place: an item is large, and most are short runs of text.
    SourceItem &item = m_message.document.items.emplace_back();
    if (m_lineHasItems)
        item.setContinuesParagraph();
    m_lineHasItems = true;
    m_message.itemPositions.push_back(position(offset));
    return item;
}

void Reader::add(SourceItem item, qsizetype offset)
{
    SourceItem &placed = add(offset);
    item.options = placed.options;
    placed = std::move(item);
}

bool Reader::fail(MarkupPosition at, QString message)
{
    if (m_error) {
        m_error->at = at;
        m_error->message = std::move(message);
    }
    return false;
}

} // namespace

std::optional<ComposedMessage> readMarkup(QByteArrayView utf8, const QString &pictureDirectory, MarkupError *error)
{
    return Reader(pictureDirectory, error).read(utf8);
}
