#pragma once

// Builds source documents in memory for tests, one item at a time:
//   DocumentBuilder().effect(0).text("AB").pause(3).effect(2).text("C", Dark).build()

#include "document/model/CodePage.h"
#include "document/model/SourceDocument.h"

#include <QImage>
#include <QString>

class DocumentBuilder {
public:
    enum TextColour { Red, Dark, Green, RedOnBlack, WindowText };

    DocumentBuilder() : m_doc() {}

    DocumentBuilder &marker(MarkerKind kind, int index)
    {
        m_doc.append(SourceItem::controlItem(makeMarker(kind, index), 0, continues()));
        return *this;
    }
    DocumentBuilder &effect(int index) { return marker(MarkerKind::Effect, index); }
    DocumentBuilder &clear(int index) { return marker(MarkerKind::EffectClear, index); }
    DocumentBuilder &pause(int index) { return marker(MarkerKind::Pause, index); }
    DocumentBuilder &speed(int index) { return marker(MarkerKind::Speed, index); }
    DocumentBuilder &font(int index) { return marker(MarkerKind::Font, index); }
    DocumentBuilder &info(int index) { return marker(MarkerKind::Info, index); }

    // Text given as Unicode, stored in Windows-1251 as the editor stores it.
    DocumentBuilder &text(const QString &text, TextColour colour = Red)
    {
        return rawText(CodePage::toWindows1251(text), colour);
    }
    DocumentBuilder &text(const char *utf8, TextColour colour = Red) { return text(QString::fromUtf8(utf8), colour); }
    DocumentBuilder &rawText(const QByteArray &bytes, TextColour colour = Red)
    {
        m_doc.append(SourceItem::textItem(bytes, styleFor(colour), 0, continues()));
        return *this;
    }
    // Starts the next item on a new paragraph.
    DocumentBuilder &paragraph()
    {
        m_newParagraph = true;
        return *this;
    }

    DocumentBuilder &picture(const QImage &image, const QByteArray &className = "TBitmap")
    {
        m_doc.append(SourceItem::pictureItem(Picture::fromBody(className, QByteArray(), image), 0, continues()));
        return *this;
    }
    DocumentBuilder &item(SourceItem item)
    {
        m_doc.append(std::move(item));
        return *this;
    }

    SourceDocument build() const { return m_doc; }
    SourceDocument &document() { return m_doc; }

    // A picture 8 rows high from column strings, top row first: 'R' red, '.'
    // black, anything else that colour's character code as an RGB value.
    static QImage pictureFromRows(const std::vector<QByteArray> &rows, QImage::Format format = QImage::Format_RGB32)
    {
        const int width = rows.empty() ? 0 : int(rows[0].size());
        QImage image(width, int(rows.size()), QImage::Format_RGB32);
        for (int y = 0; y < int(rows.size()); ++y) {
            for (int x = 0; x < width; ++x) {
                const char c = rows[size_t(y)][x];
                image.setPixel(x, y, c == 'R' ? qRgb(255, 0, 0) : c == '.' ? qRgb(0, 0, 0) : qRgb(255, 255, 255));
            }
        }
        return format == QImage::Format_RGB32 ? image : image.convertToFormat(format);
    }

private:
    bool continues()
    {
        // Everything on one line unless a paragraph was asked for; the very
        // first item always starts the document's first paragraph.
        const bool result = !m_newParagraph && !m_doc.items.empty();
        m_newParagraph = false;
        return result;
    }

    int styleFor(TextColour colour)
    {
        TFontInfo style = TFontInfo::normalText();
        switch (colour) {
        case Red: return 0;
        case Dark: style.Color = Colour::Black; style.BackColor = Colour::Red; break;
        case Green: style.Color = Colour::Green; break;
        case RedOnBlack: style.BackColor = Colour::Black; break;
        case WindowText: style.Color = Colour::WindowText; break;
        }
        style.Standard = false;
        const int found = m_doc.styles.findTextStyle(style);
        if (found >= 0)
            return found;
        m_doc.styles.TextStyles.push_back(style);
        return int(m_doc.styles.TextStyles.size()) - 1;
    }

    SourceDocument m_doc;
    bool m_newParagraph = false;
};
