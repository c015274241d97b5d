#pragma once

// Writes a source document as markup (MarkupSyntax.h), the way back from
// MarkupReader: what the reader makes of the text compiles to the same
// program bytes as the document itself.
//
// Each paragraph (and each line inside a paragraph) becomes a line; text in
// the two sign colours becomes text, each run of the dark one between
// {inverse} and {/inverse} (closed before a marker, a picture or the end of
// the line); markers are written by the names of their entries; tabs as
// tabs; pictures as references to bitmap files named STEM-1.bmp, STEM-2.bmp
// and so on (a picture that occurs again refers to the same file).
//
// What markup cannot hold (items of kinds this system does not make, text
// in colours that are not sign colours, pictures the sign cannot show,
// markers with no entry, control characters in a text) is left out; each
// such item gives a warning and a comment line before its line. Paragraph
// alignment, the display size of pictures and the fonts of text styles are
// appearance only and are not kept.
//
// Works in memory; the caller writes the text and the picture files.

#include "document/model/SourceDocument.h"

#include <QByteArray>
#include <QString>

#include <vector>

struct MarkupPicture {
    QString fileName;  // STEM-N.bmp, to be written beside the markup
    QByteArray bytes;  // the bitmap file
};

struct MarkupWarning {
    int item = -1;     // 0-based item number
    QString message;   // what was left out, as the comment says it
};

struct WrittenMarkup {
    QByteArray text;  // UTF-8, every line ended by LF
    std::vector<MarkupPicture> pictures;
    std::vector<MarkupWarning> warnings;
};

// `pictureStem` names the picture files; braces in it are replaced by "_".
WrittenMarkup writeMarkup(const SourceDocument &document, const QString &pictureStem);
