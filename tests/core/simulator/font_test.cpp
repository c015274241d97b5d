// The sign's fonts read from console (PSF) and FreeType bitmap fonts, and
// what stands in when a font file is missing.

#include "SimulatorTestSupport.h"
#include "TestFiles.h"

#include "simulator/SignFont.h"

#include <QFile>
#include <QTemporaryDir>

#include <zlib.h>

using namespace Qt::StringLiterals;

namespace {

// A PSF1 font of 256 glyphs, 8 rows high, glyph n lighting column n % 8 in
// every row; with a Unicode table that gives glyph 1 to U+0416 (Ж) and
// glyph 2 to '?', and a sequence for glyph 3 that must not count.
QByteArray psf1()
{
    QByteArray bytes = hexBytes("36 04 02 08");
    for (int glyph = 0; glyph < 256; ++glyph)
        bytes.append(QByteArray(8, char(0x80 >> (glyph % 8))));
    auto entry = [&](std::initializer_list<quint16> characters) {
        for (const quint16 c : characters) {
            bytes.append(char(c & 0xFF));
            bytes.append(char(c >> 8));
        }
        bytes.append("\xFF\xFF", 2);
    };
    entry({});
    entry({0x0416});
    entry({u'?'});
    entry({0xFFFE, u'A', 0x0301});
    for (int glyph = 4; glyph < 256; ++glyph)
        entry({});
    return bytes;
}

// A PSF2 font of two glyphs 5 columns wide and 6 rows high (one byte a row),
// a Unicode table in UTF-8: glyph 0 is 'A' and 'Б', glyph 1 is '?'.
QByteArray psf2()
{
    QByteArray bytes = hexBytes("72 B5 4A 86  00 00 00 00  20 00 00 00  01 00 00 00"
                                "02 00 00 00  06 00 00 00  06 00 00 00  05 00 00 00");
    bytes.append(hexBytes("F8 88 88 88 88 F8"));  // a box
    bytes.append(hexBytes("20 20 20 20 00 20"));  // a bar and a dot
    bytes.append("A\xD0\x91\xFF?\xFF");
    return bytes;
}

} // namespace

TEST(SignFonts, AConsoleFontsGlyphsByItsUnicodeTable)
{
    QTemporaryDir dir;
    writeFile(dir.filePath(u"test.psf"_s), psf1());
    QString error;
    const std::optional<SignFont> font = SignFont::fromConsoleFont(dir.filePath(u"test.psf"_s), 9, &error);
    ASSERT_TRUE(font) << error.toStdString();
    // Ж is 0xC6 in Windows-1251; glyph 1 lights column 1 in all rows.
    EXPECT_EQ(font->glyph(0xC6).toByteArray(), hexBytes("00 FF 00 00 00 00 00 00 00"));
    // A character the table leaves out (A only in a sequence) takes '?'.
    EXPECT_EQ(font->glyph('A').toByteArray(), hexBytes("00 00 FF 00 00 00 00 00 00"));
}

TEST(SignFonts, ACompressedPsf2FontStandsOnTheBottomRow)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"test.psf.gz"_s);
    const QByteArray psf = psf2();
    gzFile gz = gzopen(QFile::encodeName(path).constData(), "wb");
    ASSERT_NE(gz, nullptr);
    ASSERT_EQ(gzwrite(gz, psf.constData(), unsigned(psf.size())), int(psf.size()));
    ASSERT_EQ(gzclose(gz), Z_OK);
    QString error;
    const std::optional<SignFont> font = SignFont::fromConsoleFont(path, 6, &error);
    ASSERT_TRUE(font) << error.toStdString();
    // Six rows placed in rows 2 to 7.
    EXPECT_EQ(font->glyph('A').toByteArray(), hexBytes("3F 21 21 21 3F 00"));
    EXPECT_EQ(font->glyph(0xC1).toByteArray(), font->glyph('A').toByteArray());  // Б
    EXPECT_EQ(font->glyph('z').toByteArray(), hexBytes("00 00 3D 00 00 00"));   // '?'
}

TEST(SignFonts, FilesThatAreNotFontsAreRefused)
{
    QTemporaryDir dir;
    QString error;
    writeFile(dir.filePath(u"text.psf"_s), "not a font at all, just some words");
    EXPECT_FALSE(SignFont::fromConsoleFont(dir.filePath(u"text.psf"_s), 9, &error));
    EXPECT_EQ(error, u"not a PSF console font"_s);
    QByteArray cut = psf1().left(1000);
    writeFile(dir.filePath(u"cut.psf"_s), cut);
    EXPECT_FALSE(SignFont::fromConsoleFont(dir.filePath(u"cut.psf"_s), 9, &error));
    EXPECT_EQ(error, u"the font is shorter than its glyphs"_s);
    QByteArray tall = psf1();
    tall[3] = 16;
    writeFile(dir.filePath(u"tall.psf"_s), tall);
    EXPECT_FALSE(SignFont::fromConsoleFont(dir.filePath(u"tall.psf"_s), 9, &error));
    EXPECT_FALSE(SignFont::fromBitmapFont(dir.filePath(u"text.psf"_s), 6, &error));
    EXPECT_FALSE(SignFont::fromBitmapFont(dir.filePath(u"missing.pcf.gz"_s), 6, &error));
}

TEST(SignFonts, AMissingFontIsReportedAndTheOtherStandsIn)
{
    SignFontSource wide = SignFontSource::wide();
    SignFontSource narrow = SignFontSource::narrow();
    SignFontSource nowhere = narrow;
    nowhere.directories = {u"/nonexistent/fonts"_s};

    SignFonts oneMissing = SignFonts::load(wide, nowhere);
    ASSERT_EQ(oneMissing.problems.size(), 1);
    EXPECT_EQ(oneMissing.problems[0].fontName, u"Высокий 6x8"_s);
    EXPECT_EQ(oneMissing.problems[0].path, u"/nonexistent/fonts/5x8.pcf.gz"_s);
    EXPECT_EQ(oneMissing.problems[0].package, u"xfonts-base"_s);
    EXPECT_EQ(oneMissing.problems[0].standIn, u"Широкий высокий"_s);
    EXPECT_EQ(oneMissing.narrow.glyph(0xC6).toByteArray(), oneMissing.wide.glyph(0xC6).toByteArray());

    SignFontSource noWide = wide;
    noWide.directories = {u"/nonexistent/fonts"_s};
    SignFonts bothMissing = SignFonts::load(noWide, nowhere);
    EXPECT_EQ(bothMissing.problems.size(), 2);
    EXPECT_TRUE(bothMissing.problems[0].standIn.isEmpty());
    // Boxes, so that the text still takes its place on the sign.
    EXPECT_EQ(bothMissing.narrow.glyph('A').toByteArray(), hexBytes("7E 42 42 42 7E 00"));
    EXPECT_EQ(bothMissing.narrow.glyph(' ').toByteArray(), QByteArray(6, '\0'));
}
