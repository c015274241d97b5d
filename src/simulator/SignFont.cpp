#include "SignFont.h"

#include "document/model/CodePage.h"
#include "workfolder/ExecutableDirectory.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>

#include <ft2build.h>
#include FT_FREETYPE_H
#include <zlib.h>

#include <array>
#include <cstring>

using namespace Qt::StringLiterals;

namespace {

// Font files are small; anything larger than this is not one of ours.
constexpr qsizetype MaxFontBytes = 8 << 20;

// The Unicode character of each byte of Windows-1251 text.
const std::array<char32_t, 256> &windows1251()
{
    static const std::array<char32_t, 256> table = [] {
        std::array<char32_t, 256> t{};
        for (int b = 0; b < 256; ++b) {
            const char byte = char(b);
            const QString text = CodePage::toUnicode(1251, QByteArrayView(&byte, 1));
            t[size_t(b)] = text.size() == 1 ? char32_t(text.at(0).unicode()) : U'?';
        }
        return t;
    }();
    return table;
}

bool readWhole(const QString &path, QByteArray &bytes, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    if (file.size() > MaxFontBytes) {
        if (error)
            *error = u"the file is too large for a bitmap font"_s;
        return false;
    }
    bytes = file.readAll();
    return true;
}

// gzip (or zlib) data inflated; other data as it is.
bool gunzip(QByteArray &bytes, QString *error)
{
    if (bytes.size() < 2 || quint8(bytes[0]) != 0x1F || quint8(bytes[1]) != 0x8B)
        return true;
    z_stream z;
    std::memset(&z, 0, sizeof z);
    if (inflateInit2(&z, 15 + 32) != Z_OK) {
        if (error)
            *error = u"zlib cannot start"_s;
        return false;
    }
    QByteArray out;
    z.next_in = reinterpret_cast<Bytef *>(bytes.data());
    z.avail_in = uInt(bytes.size());
    int status = Z_OK;
    while (status == Z_OK) {
        if (out.size() >= MaxFontBytes)
            break;
        const qsizetype before = out.size();
        out.resize(before + 65536);
        z.next_out = reinterpret_cast<Bytef *>(out.data() + before);
        z.avail_out = 65536;
        status = inflate(&z, Z_NO_FLUSH);
        out.resize(before + (65536 - qsizetype(z.avail_out)));
    }
    inflateEnd(&z);
    if (status != Z_STREAM_END) {
        if (error)
            *error = u"the compressed font is damaged or too large"_s;
        return false;
    }
    bytes = std::move(out);
    return true;
}

quint32 le32(const QByteArray &b, qsizetype at)
{
    return quint32(quint8(b[at])) | quint32(quint8(b[at + 1])) << 8 | quint32(quint8(b[at + 2])) << 16
           | quint32(quint8(b[at + 3])) << 24;
}

// A console font's glyph bitmaps and which glyph each character has.
struct ConsoleGlyphs {
    qsizetype count = 0;
    int width = 8;
    int height = 0;
    qsizetype rowBytes = 1;
    qsizetype glyphBytes = 0;
    qsizetype first = 0;  // offset of glyph 0
    QHash<char32_t, qsizetype> glyphOf;
};

// The PSF1 table: for each glyph, 16-bit characters up to 0xFFFF; a 0xFFFE
// starts sequences of combining characters, which the sign does not need.
void readPsf1Table(const QByteArray &b, qsizetype at, ConsoleGlyphs &g)
{
    for (qsizetype glyph = 0; glyph < g.count && at + 1 < b.size(); ++glyph) {
        bool inSequence = false;
        while (at + 1 < b.size()) {
            const char32_t u = char32_t(quint8(b[at]) | quint8(b[at + 1]) << 8);
            at += 2;
            if (u == 0xFFFF)
                break;
            if (u == 0xFFFE)
                inSequence = true;
            else if (!inSequence && !g.glyphOf.contains(u))
                g.glyphOf.insert(u, glyph);
        }
    }
}

// The PSF2 table: UTF-8 characters per glyph up to 0xFF, sequences after 0xFE.
void readPsf2Table(const QByteArray &b, qsizetype at, ConsoleGlyphs &g)
{
    for (qsizetype glyph = 0; glyph < g.count && at < b.size(); ++glyph) {
        qsizetype end = at;
        while (end < b.size() && quint8(b[end]) != 0xFF)
            ++end;
        qsizetype stop = at;
        while (stop < end && quint8(b[stop]) != 0xFE)
            ++stop;
        const QString characters = QString::fromUtf8(b.constData() + at, stop - at);
        for (const char32_t u : characters.toUcs4())
            if (!g.glyphOf.contains(u))
                g.glyphOf.insert(u, glyph);
        at = end + 1;
    }
}

bool parseConsoleFont(const QByteArray &b, ConsoleGlyphs &g, QString *error)
{
    auto fail = [&](const QString &why) {
        if (error)
            *error = why;
        return false;
    };
    bool hasTable = false;
    qsizetype tableAt = 0;
    if (b.size() >= 4 && quint8(b[0]) == 0x36 && quint8(b[1]) == 0x04) {
        const quint8 mode = quint8(b[2]);
        g.count = (mode & 0x01) ? 512 : 256;
        g.width = 8;
        g.height = quint8(b[3]);
        g.rowBytes = 1;
        g.first = 4;
        hasTable = (mode & 0x06) != 0;
    } else if (b.size() >= 32 && le32(b, 0) == 0x864AB572u) {
        const quint32 header = le32(b, 8);
        const quint32 flags = le32(b, 12);
        const quint32 count = le32(b, 16);
        const quint32 charSize = le32(b, 20);
        g.height = int(qMin<quint32>(le32(b, 24), 0x7FFF));
        g.width = int(qMin<quint32>(le32(b, 28), 0x7FFF));
        g.rowBytes = (g.width + 7) / 8;
        if (header < 32 || header > quint32(b.size()) || count > 65536
            || charSize != quint32(g.rowBytes * g.height))
            return fail(u"the PSF2 header is not consistent"_s);
        g.count = count;
        g.first = header;
        hasTable = flags & 1;
    } else {
        return fail(u"not a PSF console font"_s);
    }
    if (g.height < 1 || g.height > 8 || g.width < 1)
        return fail(u"the glyphs are %1 rows high; the sign has 8"_s.arg(g.height));
    g.glyphBytes = g.rowBytes * g.height;
    if (g.first + g.count * g.glyphBytes > b.size())
        return fail(u"the font is shorter than its glyphs"_s);
    tableAt = g.first + g.count * g.glyphBytes;
    if (hasTable) {
        if (quint8(b[0]) == 0x36)
            readPsf1Table(b, tableAt, g);
        else
            readPsf2Table(b, tableAt, g);
    } else {
        // Without a table the glyphs stand in the order of Latin-1.
        for (qsizetype i = 0; i < qMin<qsizetype>(g.count, 256); ++i)
            g.glyphOf.insert(char32_t(i), i);
    }
    return true;
}

struct FreeTypeFace {
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    ~FreeTypeFace()
    {
        if (face)
            FT_Done_Face(face);
        if (library)
            FT_Done_FreeType(library);
    }
};

} // namespace

SignFont::SignFont(int cellWidth) : m_cellWidth(cellWidth), m_cells(qsizetype(256) * cellWidth, '\0') {}

SignFont SignFont::boxes(int cellWidth)
{
    SignFont font(cellWidth);
    const int inner = qMax(1, cellWidth - 1);
    for (int b = 0; b < 256; ++b) {
        if (b == 0x20)
            continue;
        char *cell = font.m_cells.data() + qsizetype(b) * cellWidth;
        for (int x = 0; x < inner; ++x)
            cell[x] = char(x == 0 || x == inner - 1 ? 0x7E : 0x42);  // rows 1 to 6
    }
    return font;
}

void SignFont::fillMissing(const bool (&found)[256])
{
    if (!found[quint8('?')])
        return;
    const QByteArray question = glyph(quint8('?')).toByteArray();
    for (int b = 0; b < 256; ++b)
        if (!found[b])
            std::memcpy(m_cells.data() + qsizetype(b) * m_cellWidth, question.constData(), size_t(m_cellWidth));
}

std::optional<SignFont> SignFont::fromConsoleFont(const QString &path, int cellWidth, QString *error)
{
    QByteArray bytes;
    ConsoleGlyphs g;
    if (!readWhole(path, bytes, error) || !gunzip(bytes, error) || !parseConsoleFont(bytes, g, error))
        return std::nullopt;

    SignFont font(cellWidth);
    bool found[256] = {};
    const int top = 8 - g.height;  // short glyphs stand on the bottom row
    const int width = qMin(g.width, cellWidth);
    for (int b = 0; b < 256; ++b) {
        const auto it = g.glyphOf.constFind(windows1251()[size_t(b)]);
        if (it == g.glyphOf.constEnd())
            continue;
        found[b] = true;
        const char *bitmap = bytes.constData() + g.first + *it * g.glyphBytes;
        char *cell = font.m_cells.data() + qsizetype(b) * cellWidth;
        for (int y = 0; y < g.height; ++y) {
            const char *row = bitmap + y * g.rowBytes;
            for (int x = 0; x < width; ++x)
                if (quint8(row[x / 8]) & (0x80 >> (x % 8)))
                    cell[x] = char(quint8(cell[x]) | (0x80 >> (top + y)));
        }
    }
    font.fillMissing(found);
    return font;
}

std::optional<SignFont> SignFont::fromBitmapFont(const QString &path, int cellWidth, QString *error)
{
    auto fail = [&](const QString &why) -> std::optional<SignFont> {
        if (error)
            *error = why;
        return std::nullopt;
    };
    if (!QFileInfo(path).isFile())
        return fail(u"No such file or directory"_s);
    FreeTypeFace ft;
    if (FT_Init_FreeType(&ft.library) != 0)
        return fail(u"FreeType cannot start"_s);
    const QByteArray name = QFile::encodeName(path);
    if (FT_New_Face(ft.library, name.constData(), 0, &ft.face) != 0)
        return fail(u"FreeType cannot read the font"_s);
    FT_Face face = ft.face;
    if (face->num_fixed_sizes > 0)
        FT_Select_Size(face, 0);
    if (FT_Select_Charmap(face, FT_ENCODING_UNICODE) != 0)
        return fail(u"the font has no Unicode character map"_s);
    int ascent = int(face->size->metrics.ascender >> 6);
    if (ascent <= 0 || ascent > 8)
        ascent = 7;

    SignFont font(cellWidth);
    bool found[256] = {};
    for (int b = 0; b < 256; ++b) {
        const FT_UInt index = FT_Get_Char_Index(face, FT_ULong(windows1251()[size_t(b)]));
        if (index == 0 || FT_Load_Glyph(face, index, FT_LOAD_RENDER | FT_LOAD_TARGET_MONO) != 0)
            continue;
        const FT_Bitmap &bitmap = face->glyph->bitmap;
        if (bitmap.pixel_mode != FT_PIXEL_MODE_MONO)
            continue;
        found[b] = true;
        char *cell = font.m_cells.data() + qsizetype(b) * cellWidth;
        const int left = face->glyph->bitmap_left;
        const int top = ascent - face->glyph->bitmap_top;
        for (int y = 0; y < int(bitmap.rows); ++y) {
            const int row = top + y;
            if (row < 0 || row > 7)
                continue;
            const unsigned char *bits = bitmap.buffer + y * bitmap.pitch;
            for (int x = 0; x < int(bitmap.width); ++x) {
                const int column = left + x;
                if (column >= 0 && column < cellWidth && (bits[x / 8] & (0x80 >> (x % 8))))
                    cell[column] = char(quint8(cell[column]) | (0x80 >> row));
            }
        }
    }
    font.fillMissing(found);
    return font;
}

SignFontSource SignFontSource::wide()
{
    return {u"Широкий высокий"_s, u"Cyr_a8x8.psf.gz"_s, u"console-data"_s,
            {executableDirectory() + u"fonts"_s, u"/usr/share/consolefonts"_s}, 9, true};
}

SignFontSource SignFontSource::narrow()
{
    return {u"Высокий 6x8"_s, u"5x8.pcf.gz"_s, u"xfonts-base"_s,
            {executableDirectory() + u"fonts"_s, u"/usr/share/fonts/X11/misc"_s}, 6, false};
}

namespace {

std::optional<SignFont> loadFrom(const SignFontSource &source, SignFontProblem &problem)
{
    problem.fontName = source.name;
    problem.package = source.package;
    for (const QString &directory : source.directories) {
        const QString path = directory + u'/' + source.fileName;
        if (!QFileInfo::exists(path))
            continue;
        problem.path = path;
        return source.consoleFont ? SignFont::fromConsoleFont(path, source.cellWidth, &problem.reason)
                                  : SignFont::fromBitmapFont(path, source.cellWidth, &problem.reason);
    }
    problem.path = source.directories.isEmpty() ? source.fileName
                                                : source.directories.last() + u'/' + source.fileName;
    problem.reason = u"No such file or directory"_s;
    return std::nullopt;
}

} // namespace

SignFonts SignFonts::load()
{
    return load(SignFontSource::wide(), SignFontSource::narrow());
}

SignFonts SignFonts::load(const SignFontSource &wideSource, const SignFontSource &narrowSource)
{
    SignFonts fonts;
    SignFontProblem wideProblem;
    SignFontProblem narrowProblem;
    std::optional<SignFont> wide = loadFrom(wideSource, wideProblem);
    std::optional<SignFont> narrow = loadFrom(narrowSource, narrowProblem);
    if (wide)
        fonts.wide = *wide;
    if (narrow)
        fonts.narrow = *narrow;
    if (!wide) {
        if (narrow) {
            fonts.wide = *narrow;
            wideProblem.standIn = narrowSource.name;
        }
        fonts.problems << wideProblem;
    }
    if (!narrow) {
        if (wide) {
            fonts.narrow = *wide;
            narrowProblem.standIn = wideSource.name;
        }
        fonts.problems << narrowProblem;
    }
    return fonts;
}
