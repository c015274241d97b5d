// The editor's clipboard: its own format (the source file bytes of the
// selection, so markers and pictures survive a copy between two editors)
// together with HTML, plain text and a picture for other programs. Paste takes
// the own format first, then rich text, then text, then a picture.
//
// Drags: within the editor, what the clipboard takes; from outside it, only
// the graphic editor's picture (PictureDrag), which lands at the drop point
// at twice its size.

#include "TRichViewEdit.h"

#include "document/model/CodePage.h"
#include "imageeditor/PictureDrag.h"
#include "document/sourcefile/SourceFileReader.h"
#include "document/sourcefile/SourceFileWriter.h"

#include <QBuffer>
#include <QDropEvent>
#include <QImage>
#include <QMimeData>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QUrl>

using namespace Qt::StringLiterals;

namespace {

QString pngDataUrl(const QImage &image)
{
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return u"data:image/png;base64,"_s + QString::fromLatin1(png.toBase64());
}

} // namespace

SourceDocument TRichViewEdit::selectionDocument() const
{
    const QTextCursor c = textCursor();
    return m_content.extract(c.selectionStart(), c.selectionEnd());
}

QMimeData *TRichViewEdit::createMimeDataFromSelection() const
{
    const SourceDocument selection = selectionDocument();
    auto *mime = new QMimeData;
    mime->setData(QString::fromLatin1(SourceMimeType), writeSourceBytes(selection));

    // For other programs: the text with the sign colours, markers as the
    // entry they show, pictures inline.
    QTextDocument rich;
    QTextCursor out(&rich);
    QString plain;
    const PicturePtr *onlyPicture = nullptr;
    for (int i = 0; i < selection.itemCount(); ++i) {
        const SourceItem &item = selection.item(i);
        if (i > 0 && item.startsParagraph()) {
            out.insertBlock();
            plain += u'\n';
        } else if (i > 0 && (item.options & ItemOption::LineBreakBefore)) {
            out.insertText(QString(QChar(0x2028)));
            plain += u'\n';
        }
        if (item.isText()) {
            const QString text = selection.unicodeText(i);
            QTextCharFormat format = rvs().charFormat(item.styleNo);
            out.insertText(text, format);
            plain += text;
        } else if (item.isTab()) {
            out.insertText(u"\t"_s, rvs().charFormat(item.tabTextStyle));
            plain += u'\t';
        } else if (item.isPicture() && item.picture && !item.picture->image().isNull()) {
            QTextImageFormat image;
            image.setName(pngDataUrl(item.picture->image()));
            const QSize size = item.picture->image().size();
            image.setWidth(item.extras.width > 0 ? item.extras.width : size.width());
            image.setHeight(item.extras.height > 0 ? item.extras.height : size.height());
            out.insertImage(image);
            if (selection.itemCount() == 1)
                onlyPicture = &item.picture;
        } else if (const auto kind = item.markerKind()) {
            const EmbeddedControl &control = *item.control;
            const QString shown = u"["_s + (control.ItemIndex >= 0 ? control.Text : QString()) + u"]"_s;
            out.insertText(shown);
            plain += shown;
        }
    }
    mime->setHtml(rich.toHtml());
    mime->setText(plain);
    if (onlyPicture)
        mime->setImageData((*onlyPicture)->image());
    return mime;
}

bool TRichViewEdit::canInsertFromMimeData(const QMimeData *source) const
{
    return source->hasFormat(QString::fromLatin1(SourceMimeType)) || source->hasHtml() || source->hasText()
        || source->hasImage() || source->hasFormat(QString::fromLatin1(PictureDrag::MimeType));
}

bool TRichViewEdit::acceptsDrag(const QDropEvent *event) const
{
    if (event->source() == this || event->source() == viewport())
        return true;
    return event->mimeData() && event->mimeData()->hasFormat(QString::fromLatin1(PictureDrag::MimeType));
}

void TRichViewEdit::dragEnterEvent(QDragEnterEvent *event)
{
    if (acceptsDrag(event))
        QTextEdit::dragEnterEvent(event);
    else
        event->ignore();
}

void TRichViewEdit::dragMoveEvent(QDragMoveEvent *event)
{
    if (acceptsDrag(event))
        QTextEdit::dragMoveEvent(event);
    else
        event->ignore();
}

void TRichViewEdit::dropEvent(QDropEvent *event)
{
    if (acceptsDrag(event))
        QTextEdit::dropEvent(event);
    else
        event->ignore();
}

void TRichViewEdit::insertFromMimeData(const QMimeData *source)
{
    if (isReadOnly())
        return;
    const QString picture = QString::fromLatin1(PictureDrag::MimeType);
    if (source->hasFormat(picture)) {
        // The caret already stands at the drop point.
        const std::optional<QImage> image = PictureDrag::decode(source->data(picture));
        if (!image)
            return;
        insertPicture(Picture::bitmap(*image), 2 * image->width(), 2 * image->height());
        // The picture came from another window: this one takes the keyboard.
        activateWindow();
        setFocus();
        return;
    }
    const QString own = QString::fromLatin1(SourceMimeType);
    if (source->hasFormat(own)) {
        SourceDocument clip;
        // A clip that cannot be read whole is not pasted in part.
        if (readSourceBytes(source->data(own), clip)) {
            pasteSourceDocument(clip);
            ensureCursorVisible();
            return;
        }
    }
    if (source->hasHtml()) {
        pasteRichText(source->html());
    } else if (source->hasText()) {
        pastePlainText(source->text());
    } else if (source->hasImage()) {
        const QImage image = qvariant_cast<QImage>(source->imageData());
        if (!image.isNull())
            insertPicture(Picture::bitmap(image.convertToFormat(QImage::Format_RGB32)));
    }
    ensureCursorVisible();
}

void TRichViewEdit::pasteSourceDocument(SourceDocument &source)
{
    if (source.items.empty())
        return;
    // The styles the clip uses find their equal in this document's tables or
    // are added to them.
    std::vector<int> styleMap(source.styles.TextStyles.size(), 0);
    std::vector<bool> styleMapped(source.styles.TextStyles.size(), false);
    std::vector<int> paraMap(source.styles.ParaStyles.size(), 0);
    std::vector<bool> paraMapped(source.styles.ParaStyles.size(), false);
    for (const SourceItem &item : source.items) {
        const int k = item.isText() ? item.styleNo : item.isTab() ? item.tabTextStyle : -1;
        if (k >= 0 && size_t(k) < styleMap.size() && !styleMapped[size_t(k)]) {
            styleMap[size_t(k)] = rvs().findOrAddTextStyle(source.styles.TextStyles[size_t(k)]);
            styleMapped[size_t(k)] = true;
        }
        const int p = item.paraNo;
        if (p >= 0 && size_t(p) < paraMap.size() && !paraMapped[size_t(p)]) {
            paraMap[size_t(p)] = rvs().findOrAddParaStyle(source.styles.ParaStyles[size_t(p)]);
            paraMapped[size_t(p)] = true;
        }
    }
    QTextCursor c = textCursor();
    c.beginEditBlock();
    if (c.hasSelection())
        c.removeSelectedText();
    m_content.insertItems(c, source, styleMap, paraMap, false, false, m_currentTextStyle);
    c.endEditBlock();
    setTextCursor(c);
}

void TRichViewEdit::pasteRichText(const QString &html)
{
    QTextDocument rich;
    rich.setHtml(html);
    SourceDocument clip;
    clip.styles = rvs().tables();
    bool firstBlock = true;
    for (QTextBlock block = rich.begin(); block.isValid(); block = block.next()) {
        TParaInfo para = rvs().tables().ParaStyles.front();
        const Qt::Alignment align = block.blockFormat().alignment();
        if (align & Qt::AlignHCenter)
            para.Alignment = TParaInfo::rvaCenter;
        else if (align & Qt::AlignRight)
            para.Alignment = TParaInfo::rvaRight;
        else if (align & Qt::AlignJustify)
            para.Alignment = TParaInfo::rvaJustify;
        int paraNo = 0;
        if (para.Alignment != rvs().tables().ParaStyles.front().Alignment) {
            paraNo = -1;
            for (int p = 0; p < int(clip.styles.ParaStyles.size()); ++p) {
                if (clip.styles.ParaStyles[size_t(p)].Alignment == para.Alignment) {
                    paraNo = p;
                    break;
                }
            }
            if (paraNo < 0) {
                para.Standard = false;
                clip.styles.ParaStyles.push_back(para);
                paraNo = int(clip.styles.ParaStyles.size()) - 1;
            }
        }
        bool startOfBlock = true;
        auto add = [&](SourceItem item) {
            item.paraNo = paraNo;
            if (!startOfBlock)
                item.setContinuesParagraph();
            startOfBlock = false;
            clip.append(std::move(item));
        };
        for (QTextBlock::iterator it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const QTextCharFormat format = fragment.charFormat();
            if (format.isImageFormat()) {
                const QTextImageFormat imageFormat = format.toImageFormat();
                const QVariant resource = rich.resource(QTextDocument::ImageResource, QUrl(imageFormat.name()));
                QImage image = qvariant_cast<QImage>(resource);
                if (image.isNull())
                    image.loadFromData(resource.toByteArray());
                if (image.isNull())
                    continue;
                SourceItem item = SourceItem::pictureItem(Picture::bitmap(image.convertToFormat(QImage::Format_RGB32)));
                if (imageFormat.width() > 0)
                    item.extras.width = int(imageFormat.width());
                if (imageFormat.height() > 0)
                    item.extras.height = int(imageFormat.height());
                add(std::move(item));
                continue;
            }
            TFontInfo style = rvs().fontInfoFor(format);
            int styleNo = clip.styles.findTextStyle(style);
            if (styleNo < 0) {
                clip.styles.TextStyles.push_back(style);
                styleNo = int(clip.styles.TextStyles.size()) - 1;
            }
            const QString text = fragment.text();
            QString run;
            auto flush = [&] {
                if (run.isEmpty())
                    return;
                const TFontInfo &s = clip.styles.TextStyles[size_t(styleNo)];
                add(SourceItem::textItem(CodePage::fromUnicode(s.codePage(), run), styleNo));
                run.clear();
            };
            for (QChar ch : text) {
                if (ch == u'\t') {
                    flush();
                    SourceItem tab;
                    tab.styleNo = ItemStyle::Tab;
                    tab.tabTextStyle = styleNo;
                    add(std::move(tab));
                } else if (ch == QChar(0x2028)) {
                    flush();
                    SourceItem empty = SourceItem::textItem(QByteArray(), styleNo);
                    empty.paraNo = paraNo;
                    empty.setLineBreakBefore();
                    clip.append(std::move(empty));
                    startOfBlock = false;
                } else if (ch != QChar(0xFFFC)) {
                    run += ch;
                }
            }
            flush();
        }
        if (startOfBlock && !(firstBlock && !block.next().isValid()))
            add(SourceItem::textItem(QByteArray(), 0));
        firstBlock = false;
    }
    pasteSourceDocument(clip);
}

void TRichViewEdit::pastePlainText(const QString &text)
{
    QString clean = text;
    clean.replace(u"\r\n"_s, u"\n"_s).replace(QChar(u'\r'), QChar(u'\n'));
    clean.remove(QChar(0xFFFC));
    QTextCursor c = textCursor();
    c.insertText(carriedText(clean, m_currentTextStyle), m_content.textFormat(m_currentTextStyle));
    setTextCursor(c);
}
