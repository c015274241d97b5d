#include "MarkerStream.h"

#include "ComponentStream.h"
#include "ObjectStreamWriter.h"
#include "StreamProperties.h"

using namespace Qt::StringLiterals;
using namespace StreamProperties;

namespace {

void writeMarkerProperties(ObjectStreamWriter &w, const EmbeddedControl &c)
{
    if (c.Tag != 0) {
        w.writeProperty("Tag");
        w.writeInteger(c.Tag);
    }
    w.writeProperty("Left");
    w.writeInteger(c.Left);
    w.writeProperty("Top");
    w.writeInteger(c.Top);
    w.writeProperty("Width");
    w.writeInteger(c.Width);
    w.writeProperty("Height");
    w.writeInteger(c.Height);
    if (!c.Hint.isEmpty()) {
        w.writeProperty("Hint");
        w.writeString(c.Hint);
    }
    w.writeProperty("Style");
    w.writeIdent(c.Style.isEmpty() ? QByteArrayView("csDropDownList") : QByteArrayView(c.Style));
    if (c.DropDownCount != 8) {
        w.writeProperty("DropDownCount");
        w.writeInteger(c.DropDownCount);
    }
    if (c.Font) {
        w.writeProperty("Font.Charset");
        w.writeCharset(c.Font->Charset);
        w.writeProperty("Font.Color");
        w.writeColour(c.Font->Color);
        w.writeProperty("Font.Height");
        w.writeInteger(c.Font->Height);
        w.writeProperty("Font.Name");
        w.writeString(c.Font->Name);
        w.writeProperty("Font.Style");
        w.writeSet(flagNames(c.Font->Style, FontStyleNames));
    }
    w.writeProperty("ItemHeight");
    w.writeInteger(c.ItemHeight);
    if (c.ItemIndex != -1) {
        w.writeProperty("ItemIndex");
        w.writeInteger(c.ItemIndex);
    }
    if (c.Font) {
        w.writeProperty("ParentFont");
        w.writeBoolean(false);
    }
    if (c.TabOrder != -1) {
        w.writeProperty("TabOrder");
        w.writeInteger(c.TabOrder);
    }
    if (!c.Text.isEmpty()) {
        w.writeProperty("Text");
        w.writeString(c.Text);
    }
    if (!c.Items.isEmpty()) {
        w.writeProperty("Items.Strings");
        w.writeTag(ValueTag::List);
        for (const QString &entry : c.Items)
            w.writeListString(entry);
        w.writeEndOfList();
    }
}

// The entries of Items.Strings: a list of strings.
bool readItems(ObjectStreamReader &r, QStringList &items)
{
    if (r.readTag() != ValueTag::List)
        return false;
    QStringList read;
    while (r.ok() && r.peekByte() != 0x00) {
        auto text = r.readText();
        if (!text)
            return false;
        read.append(std::move(*text));
    }
    r.readByte();
    items = std::move(read);
    return r.ok();
}

ControlFont &fontOf(EmbeddedControl &c)
{
    if (!c.Font)
        c.Font.emplace();
    return *c.Font;
}

// Sets one property of a marker; false when the list has no such property
// or the value is not of its type.
bool readMarkerProperty(ObjectStreamReader &r, QByteArrayView name, EmbeddedControl &c, int &itemIndex)
{
    if (name == "Items.Strings")
        return readItems(r, c.Items);
    const StreamValue v = r.readValue();
    if (!r.ok())
        return false;
    if (name == "Tag")
        return readInt(v, c.Tag);
    if (name == "Left")
        return readInt(v, c.Left);
    if (name == "Top")
        return readInt(v, c.Top);
    if (name == "Width")
        return readInt(v, c.Width);
    if (name == "Height")
        return readInt(v, c.Height);
    if (name == "Hint")
        return readText(v, c.Hint);
    if (name == "Style") {
        if (v.tag != ValueTag::Ident)
            return false;
        c.Style = v.bytes;
        return true;
    }
    if (name == "DropDownCount")
        return readInt(v, c.DropDownCount);
    if (name == "Font.Charset")
        return readCharset(v, fontOf(c).Charset);
    if (name == "Font.Color")
        return readColour(v, fontOf(c).Color);
    if (name == "Font.Height")
        return readInt(v, fontOf(c).Height);
    if (name == "Font.Name")
        return readText(v, fontOf(c).Name);
    if (name == "Font.Style")
        return readFlagsField(v, FontStyleNames, fontOf(c).Style);
    if (name == "ItemHeight")
        return readInt(v, c.ItemHeight);
    if (name == "ItemIndex")
        return readInt(v, itemIndex);
    if (name == "ParentFont") {
        bool parent = true;
        if (!readBool(v, parent))
            return false;
        // A list that follows the editor's font has no font of its own.
        if (parent)
            c.Font.reset();
        else
            fontOf(c);
        return true;
    }
    if (name == "TabOrder")
        return readInt(v, c.TabOrder);
    if (name == "Text")
        return readText(v, c.Text);
    return false;
}

} // namespace

QByteArray EncodeMarkerControl(const EmbeddedControl &control)
{
    if (!control.markerKind() && !control.stream.isEmpty())
        return control.stream;
    ObjectStreamWriter w;
    ComponentStream::writeHead(w, control.className, QByteArrayView());
    if (control.markerKind())
        writeMarkerProperties(w, control);
    ComponentStream::writeEnd(w);
    return w.take();
}

bool DecodeMarkerControl(QByteArrayView bytes, EmbeddedControl &control, StreamError *error)
{
    if (!control.markerKind()) {
        // Another registered control: kept as its stream once it is known
        // to be whole.
        if (!ComponentStream::validate(bytes, error))
            return false;
        control.stream = bytes.toByteArray();
        return true;
    }

    ObjectStreamReader r(bytes);
    ComponentStream::readHead(r);
    EmbeddedControl read = control;
    int itemIndex = read.ItemIndex;
    while (r.ok()) {
        const qsizetype at = r.offset();
        const QByteArrayView name = r.readShortNameView();
        if (name.isEmpty())
            break;
        if (!readMarkerProperty(r, name, read, itemIndex) && r.ok()) {
            r.fail(u"the drop-down list has no property %1 of this type (offset %2)"_s
                       .arg(QString::fromLatin1(name.toByteArray()))
                       .arg(at));
        }
    }
    ComponentStream::skipChildren(r);
    if (!r.report(error))
        return false;
    // The selection comes before the entries in the stream; it selects
    // among them, so it is applied once they are all read.
    read.ItemIndex = (itemIndex >= 0 && itemIndex < read.Items.size()) ? itemIndex : -1;
    control = std::move(read);
    return true;
}
