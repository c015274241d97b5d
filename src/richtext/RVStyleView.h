#pragma once

// The editor's view of the style tables (the "rvs" of the main window): the
// core tables themselves, and the Qt formats that show each entry. The core
// tables stay the single truth: they are what a file stores and what the
// compiler reads; the formats are derived from them and rebuilt on change.

#include "document/model/StyleTables.h"

#include <QColor>
#include <QTextBlockFormat>
#include <QTextCharFormat>

#include <vector>

class RVStyleView {
public:
    RVStyleView();

    const TRVStyle &tables() const { return m_tables; }
    // Replaces every table (a file read, a new document's tables).
    void setTables(TRVStyle tables);

    int textStyleCount() const { return int(m_tables.TextStyles.size()); }
    int paraStyleCount() const { return int(m_tables.ParaStyles.size()); }
    const TFontInfo &textStyle(int k) const { return m_tables.TextStyles[size_t(k)]; }
    bool isTextStyle(int k) const { return k >= 0 && k < textStyleCount(); }

    // Appends an entry; returns its index.
    int addTextStyle(const TFontInfo &style);
    // The lowest index equal to `style` in every property but the name and
    // the standard mark, skipping `except`; -1 when there is none.
    int findTextStyle(const TFontInfo &style, int except = -1) const;
    // The index of an entry equal to `style`, appending it when there is none.
    int findOrAddTextStyle(const TFontInfo &style);

    // The index of a paragraph style equal to `para`, appending it when
    // there is none.
    int findOrAddParaStyle(const TParaInfo &para);

    // The format of text in style k (an index outside the table shows as 0).
    const QTextCharFormat &charFormat(int k) const;
    QTextBlockFormat blockFormat(int paraNo) const;

    // A text style for text that came from another program as rich text:
    // entry 0 with the font, size, style and colours that the format sets.
    TFontInfo fontInfoFor(const QTextCharFormat &format) const;

    // How a colour of the Windows layout shows on screen; system colours show
    // as their usual desktop values.
    static QColor screenColour(TColor colour);

private:
    QTextCharFormat makeCharFormat(int k) const;

    TRVStyle m_tables;
    std::vector<QTextCharFormat> m_charFormats;
};
