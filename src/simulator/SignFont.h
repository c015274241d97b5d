#pragma once

// The sign's two fonts, "Широкий высокий" and "Высокий 6x8", as glyph cells
// of column bytes (bit 7 the top row) for every byte of Windows-1251 text.
// The glyphs come from bitmap fonts that Debian ships: an 8 x 8 Cyrillic
// console font (PSF, read here) for the wide font, in cells of nine columns
// since its widest letters fill all eight (a console, too, shows a blank
// ninth column between them), and the 5 x 8 fixed font (PCF, read through
// FreeType) in cells of six columns, the sixth being the gap, for the
// narrow one.
//
// Errors: a font file that is missing or cannot be read is not fatal. The
// fonts that loaded stand in for the one that did not, and when neither did,
// every character is an outlined box; each such problem is kept, worded for
// the operator, so that the window and the command line can say why the
// preview does not look like the sign.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QList>
#include <QStringList>

#include <optional>

class SignFont {
public:
    // Every character an outlined box one column narrower than the cell.
    static SignFont boxes(int cellWidth);

    // A PSF console font (version 1 or 2, gzip-compressed or not) whose
    // glyphs are at most 8 rows high; characters found through its Unicode
    // table. Glyphs wider than the cell are cut at its right edge.
    static std::optional<SignFont> fromConsoleFont(const QString &path, int cellWidth, QString *error = nullptr);
    // A bitmap font that FreeType reads (PCF or BDF, gzip-compressed or not),
    // set on its baseline in 8 rows.
    static std::optional<SignFont> fromBitmapFont(const QString &path, int cellWidth, QString *error = nullptr);

    int cellWidth() const { return m_cellWidth; }
    // The columns of the cell for one text byte, cellWidth() bytes.
    QByteArrayView glyph(quint8 byte) const
    {
        return QByteArrayView(m_cells).sliced(qsizetype(byte) * m_cellWidth, m_cellWidth);
    }

private:
    explicit SignFont(int cellWidth);
    // Cells of characters the font has no glyph for take its '?' (or stay blank).
    void fillMissing(const bool (&found)[256]);

    int m_cellWidth = 0;
    QByteArray m_cells;  // 256 cells of m_cellWidth columns
};

// Where one of the sign's fonts comes from.
struct SignFontSource {
    QString name;       // the font marker's entry, "Широкий высокий"
    QString fileName;   // "Cyr_a8x8.psf.gz"
    QString package;    // the Debian package that ships it
    QStringList directories;  // searched in order
    int cellWidth = 9;
    bool consoleFont = false;  // PSF; otherwise through FreeType

    static SignFontSource wide();
    static SignFontSource narrow();
};

// A font that could not be loaded, and what stands in for it.
struct SignFontProblem {
    QString fontName;     // "Высокий 6x8"
    QString path;         // the file looked for (the first place searched when none was found)
    QString package;      // the Debian package that ships it
    QString reason;       // the reader's or the system's words
    QString standIn;      // the name of the font used instead; empty for boxes
};

struct SignFonts {
    SignFont wide = SignFont::boxes(9);    // font number 0
    SignFont narrow = SignFont::boxes(6);  // font number 1
    QList<SignFontProblem> problems;

    // The font of a font number; numbers past the table take "Высокий 6x8",
    // the font a new font marker gets.
    const SignFont &font(quint8 number) const { return number == 0 ? wide : narrow; }

    // Loads both fonts from their sources' directories (a "fonts" folder
    // beside the executable first, then where the Debian package puts them).
    static SignFonts load();
    static SignFonts load(const SignFontSource &wideSource, const SignFontSource &narrowSource);
};
