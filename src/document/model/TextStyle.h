#pragma once

// One entry of the text style table (TFontInfo). Every property a source file
// can carry is held, so that a file read and written again keeps its styles;
// the compiler looks only at Color and BackColor, the editor at the font.
// Defaults are those of the file format: a property equal to its default is
// not written.

#include "Colour.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

enum class TBiDiMode : quint8 { Unspecified, LeftToRight, RightToLeft };

struct TFontInfo {
    // Members of the Style set, in enumeration order.
    enum FontStyle : quint8 { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
    // Members of StyleEx.
    enum StyleExFlag : quint8 { rvfsOverline = 1, rvfsAllCaps = 2 };
    // Members of Protection, in enumeration order (bit n = member n).
    enum ProtectionFlag : quint16 {
        rvprStyleProtect = 1 << 0,
        rvprStyleSplitProtect = 1 << 1,
        rvprModifyProtect = 1 << 2,
        rvprDeleteProtect = 1 << 3,
        rvprConcateProtect = 1 << 4,
        rvprRVFInsertProtect = 1 << 5,
        rvprDoNotAutoSwitch = 1 << 6,
        rvprParaStartProtect = 1 << 7,
        rvprSticking = 1 << 8,
        rvprStickToTop = 1 << 9,
        rvprStickToBottom = 1 << 10,
    };
    // Members of Options.
    enum TextOption : quint8 { rvteoHTMLCode = 1, rvteoRTFCode = 2 };

    int BaseStyleNo = -1;
    QString StyleName;
    bool Standard = true;
    int StyleTemplateId = -1;
    int Charset = 1;  // DEFAULT_CHARSET
    QString FontName;
    int Size = 10;
    quint8 Style = 0;
    int VShift = 0;
    TColor Color = Colour::WindowText;
    TColor BackColor = Colour::None;
    TColor HoverBackColor = Colour::None;
    TColor HoverColor = Colour::None;
    quint8 StyleEx = 0;
    bool Jump = false;
    int JumpCursor = 101;
    int CharScale = 100;
    int CharSpacing = 0;
    TBiDiMode BiDiMode = TBiDiMode::Unspecified;
    quint16 Protection = 0;
    quint8 Options = 0;
    int NextStyleNo = -1;
    bool Unicode = false;
    // Member names of the ModifiedProperties set, as read (written back in order).
    QList<QByteArray> ModifiedProperties;

    // Equal in every property except StyleName and Standard: the test by which
    // the colour commands reuse an existing entry instead of adding one.
    bool sameAs(const TFontInfo &other) const;
    bool operator==(const TFontInfo &other) const;

    // The Windows code page of this style's item texts.
    int codePage() const;

    // Entry 0 of a new document: "Normal text", Times New Roman 14, red.
    static TFontInfo normalText();
};

// The colour code the compiled program carries for a style (0 red characters
// on the dark display, 1 dark characters on a lit red background), or nothing
// when the style's (Color, BackColor) pair is not one of the two sign colours.
std::optional<int> signColourCode(const TFontInfo &style);

namespace SignColour {
constexpr int RedOnDark = 0;
constexpr int DarkOnRed = 1;
constexpr TColor colourOf(int code) { return code == DarkOnRed ? Colour::Black : Colour::Red; }
constexpr TColor backColourOf(int code) { return code == DarkOnRed ? Colour::Red : Colour::None; }
} // namespace SignColour
