#pragma once

// The style tables of a document (the TRVStyle "rvs" of the editor): text
// styles, paragraph styles and the list style table, which this system never
// fills itself and keeps exactly as a file brought it.

#include "ParaStyle.h"
#include "TextStyle.h"

#include <QByteArray>

#include <vector>

struct TRVStyle {
    std::vector<TFontInfo> TextStyles;
    std::vector<TParaInfo> ParaStyles;
    // The collection stream of the list style table, as read; 0E 00 when empty.
    QByteArray ListStyles = QByteArray("\x0E\x00", 2);

    // The tables of a new document: "Normal text"; "Paragraph Style", "Centered".
    static TRVStyle newDocument();

    // The lowest index whose style equals `style` in the sense of
    // TFontInfo::sameAs, skipping `except`; -1 when there is none.
    int findTextStyle(const TFontInfo &style, int except = -1) const;

    bool operator==(const TRVStyle &) const = default;
};
