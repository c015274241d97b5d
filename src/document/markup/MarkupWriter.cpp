#include "MarkupWriter.h"

#include "document/model/CodePage.h"
#include "MarkupSyntax.h"
#include "document/pictures/PictureCodec.h"

#include <QHash>

using namespace Qt::StringLiterals;

namespace {

QString colourText(TColor colour)
{
    if (colour == Colour::None)
        return u"none"_s;
    if (Colour::isSystemColour(colour))
        return u"system colour 0x"_s + QString::number(quint32(colour), 16).toUpper();
    return u"#"_s + QString::number(Colour::toRgb(colour) & 0xFFFFFFu, 16).toUpper().rightJustified(6, u'0');
}

// The comment for an item of a kind markup has no form for.
QString otherItem(const SourceItem &item)
{
    if (item.isControl() && item.control)
        return u"an embedded %1 control is left out"_s.arg(QString::fromLatin1(item.control->className));
    return u"an item of the kind \"%1\" is left out"_s.arg(itemKindName(item));
}

// Comments hold one line: control characters of quoted text become blanks.
QString oneLine(QString text)
{
    for (QChar &c : text) {
        if (Markup::isControlCharacter(c.unicode()))
            c = u' ';
    }
    return text;
}

class Writer {
public:
    Writer(const SourceDocument &document, const QString &stem) : m_document(document), m_stem(stem)
    {
        for (QChar &c : m_stem) {
            if (c == Markup::Open || c == Markup::Close || Markup::isControlCharacter(c.unicode()))
                c = u'_';
        }
        m_stem = m_stem.trimmed();
        if (m_stem.isEmpty())
            m_stem = u"picture"_s;
    }

    WrittenMarkup write();

private:
    void writeLineEnd();
    void writeText(int i);
    void writeColour(int code);
    void writeMarker(int i);
    void writePicture(int i);
    void writeTab(int i);
    void leaveOut(int i, const QString &what);

    const SourceDocument &m_document;
    QString m_stem;
    WrittenMarkup m_result;
    QString m_out;
    QString m_line;
    QStringList m_comments;  // for the line being written
    int m_colour = SignColour::RedOnDark;
    QHash<QByteArray, QString> m_pictureNames;
};

WrittenMarkup Writer::write()
{
    for (int i = 0; i < m_document.itemCount(); ++i) {
        const SourceItem &item = m_document.item(i);
        if (i > 0 && (item.options & ItemOption::ContinuesParagraph) == 0)
            writeLineEnd();
        if (item.isText())
            writeText(i);
        else if (item.isPicture())
            writePicture(i);
        else if (item.markerKind())
            writeMarker(i);
        else if (item.isTab())
            writeTab(i);
        else
            leaveOut(i, otherItem(item));
    }
    if (m_document.itemCount() > 0)
        writeLineEnd();
    m_result.text = m_out.toUtf8();
    return std::move(m_result);
}

void Writer::writeLineEnd()
{
    // {inverse} closes on the line it opens, so that each line reads alone.
    writeColour(SignColour::RedOnDark);
    for (const QString &comment : std::as_const(m_comments))
        m_out += Markup::Comment + (u' ' + comment) + u'\n';
    m_comments.clear();
    m_out += m_line;
    m_out += u'\n';
    m_line.clear();
}

void Writer::writeText(int i)
{
    const QByteArray bytes = m_document.singleByteText(i);
    if (bytes.isEmpty())
        return;
    // The sign reads every text in Windows-1251, whatever the style's font
    // says, so that is how the text is read here.
    const QString text = CodePage::fromWindows1251(bytes);
    const TFontInfo *style = m_document.textStyleOf(m_document.item(i));
    const std::optional<int> code = style ? signColourCode(*style) : std::nullopt;
    if (!code) {
        const QString colours = style ? u"%1 on %2"_s.arg(colourText(style->Color), colourText(style->BackColor))
                                      : u"an unknown style"_s;
        leaveOut(i, u"text in a colour the sign does not show (%1) is left out: \"%2\""_s.arg(colours, oneLine(text)));
        return;
    }
    writeColour(*code);
    int dropped = 0;
    for (const QChar c : text) {
        if (c == Markup::Open || c == Markup::Close) {
            m_line += c;
            m_line += c;
        } else if (c == Markup::Comment && m_line.isEmpty()) {
            m_line += Markup::Open + Markup::NumberSign.toString() + Markup::Close;
        } else if (Markup::isControlCharacter(c.unicode())) {
            ++dropped;
        } else {
            m_line += c;
        }
    }
    if (dropped > 0)
        leaveOut(i, u"%1 control characters of the text are left out"_s.arg(dropped));
}

void Writer::writeColour(int code)
{
    if (code == m_colour)
        return;
    m_line += Markup::Open + (code == SignColour::DarkOnRed ? Markup::Inverse : Markup::InverseEnd).toString()
              + Markup::Close;
    m_colour = code;
}

void Writer::writeMarker(int i)
{
    const EmbeddedControl &control = *m_document.item(i).control;
    const MarkerKind kind = *control.markerKind();
    const QStringList &entries = markerKindInfo(kind).entries;
    const QString word = Markup::kindWord(kind).toString();
    if (control.ItemIndex < 0 || control.ItemIndex >= entries.size()) {
        leaveOut(i, control.ItemIndex < 0 ? u"a %1 marker with no entry selected is left out"_s.arg(word)
                                          : u"a %1 marker with entry %2, which its table does not have, is left out"_s
                                                .arg(word)
                                                .arg(control.ItemIndex));
        return;
    }
    writeColour(SignColour::RedOnDark);
    m_line += Markup::Open + word + Markup::ValueMark + u' ' + entries.at(control.ItemIndex) + Markup::Close;
}

void Writer::writePicture(int i)
{
    const PicturePtr &picture = m_document.item(i).picture;
    if (!picture || !picture->isBitmap()) {
        leaveOut(i, u"a %1 picture is left out: the sign shows only bitmaps"_s.arg(
                        picture ? QString::fromLatin1(picture->className()) : u"missing"_s));
        return;
    }
    if (const auto problem = Markup::signPictureProblem(picture->image())) {
        leaveOut(i, u"a picture is left out: it %1"_s.arg(*problem));
        return;
    }
    const QByteArray bytes = EncodePicture(*picture);
    QString name = m_pictureNames.value(bytes);
    if (name.isEmpty()) {
        name = u"%1-%2.bmp"_s.arg(m_stem).arg(m_result.pictures.size() + 1);
        m_pictureNames.insert(bytes, name);
        m_result.pictures.push_back({name, bytes});
    }
    writeColour(SignColour::RedOnDark);
    m_line += Markup::Open + Markup::PictureWord.toString() + Markup::ValueMark + u' ' + name + Markup::Close;
}

void Writer::writeTab(int i)
{
    // A tab keeps the colour of the text around it, as the reader gives it.
    const SourceItem &tab = m_document.item(i);
    const size_t styleNo = size_t(tab.tabTextStyle);
    if (styleNo < m_document.styles.TextStyles.size()) {
        if (const auto code = signColourCode(m_document.styles.TextStyles[styleNo]))
            writeColour(*code);
    }
    m_line += u'\t';
}

void Writer::leaveOut(int i, const QString &what)
{
    m_comments << u"item %1: %2"_s.arg(i).arg(what);
    m_result.warnings.push_back({i, what});
}

} // namespace

WrittenMarkup writeMarkup(const SourceDocument &document, const QString &pictureStem)
{
    return Writer(document, pictureStem).write();
}
