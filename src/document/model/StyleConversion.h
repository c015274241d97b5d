#pragma once

// How text gets a sign colour: the colour commands convert a text style
// twice, first its text colour, then its background, and each conversion
// finds the entry of the text style table the text is to have or appends
// it. The editor's conversion handler and the markup reader both go through
// here, so a composed message has the style table the editor would make.

#include "StyleTables.h"

#include <optional>

namespace StyleConversion {

// Conversion codes, as the editor passes them to its conversion handler.
enum Code : int {
    TextColour = 7,  // Color := the colour
    BackColour = 8,  // BackColor := the colour
};

struct Result {
    int styleNo = 0;                 // the style the text takes
    std::optional<TFontInfo> added;  // to be appended first (at index styleNo)
};

// The style that replaces text style `styleNo` (an index of `tables`) when
// `code` sets `colour`: the style itself when nothing changes, else the
// lowest other entry equal to the converted style in everything but name
// and standard mark, else a new entry (a copy, not a standard style).
Result convert(const TRVStyle &tables, int styleNo, int code, TColor colour);

// The same, appending the new entry to `tables` when there is one.
int apply(TRVStyle &tables, int styleNo, int code, TColor colour);

// A colour command on text in style `styleNo`: both conversions for the
// sign colour `signColourCode` (0 or 1), leaving the table as the editor's
// command leaves it (the first conversion may add an entry no text uses).
int applySignColour(TRVStyle &tables, int styleNo, int signColourCode);

} // namespace StyleConversion
