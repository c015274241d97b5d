#include "ExtraPropertyLines.h"

namespace {

QByteArray intLine(const char *name, int value)
{
    return QByteArray(name) + '=' + QByteArray::number(value);
}

QByteArray stringLine(const char *name, const QByteArray &value)
{
    return QByteArray(name) + '=' + value;
}

int numberOrZero(QByteArrayView text)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    return ok ? value : 0;
}

} // namespace

QList<QByteArray> writeExtraProperties(const ExtraProperties &e, ExtraPropertyOwner owner)
{
    QList<QByteArray> lines;
    if (!e.hint.isEmpty())
        lines << stringLine("hint", e.hint);
    if (e.unremovable != 0)
        lines << intLine("unremovable", e.unremovable);
    if (e.vshift != 0)
        lines << intLine("vshift", e.vshift);
    if (e.vshiftabs != 0)
        lines << intLine("vshiftabs", e.vshiftabs);
    if (e.spacing != 1)
        lines << intLine("spacing", e.spacing);
    if (owner == ExtraPropertyOwner::Control) {
        if (e.minheightonpage != 0)
            lines << intLine("minheightonpage", e.minheightonpage);
        if (e.resizable > 0)
            lines << intLine("resizable", 1);
        if (e.visible == 0)
            lines << intLine("visible", 0);
        return lines;
    }
    if (e.resizable == 0)
        lines << intLine("resizable", 0);
    if (e.width != 0)
        lines << intLine("width", e.width);
    if (e.height != 0)
        lines << intLine("height", e.height);
    if (e.minheightonpage != 0)
        lines << intLine("minheightonpage", e.minheightonpage);
    if (e.nohtmlsize != 0)
        lines << intLine("nohtmlsize", e.nohtmlsize);
    if (e.ainterval != 0)
        lines << intLine("ainterval", e.ainterval);
    if (e.transparent != 0) {
        lines << intLine("transparent", 1);
        lines << intLine("tmode", e.tmode);
        // The colour matters only in the fixed-colour mode.
        if (e.tmode == 1)
            lines << intLine("tcolor", e.tcolor);
    }
    if (!e.filename.isEmpty())
        lines << stringLine("filename", e.filename);
    if (!e.alt.isEmpty())
        lines << stringLine("alt", e.alt);
    return lines;
}

void readExtraProperty(QByteArrayView line, ExtraProperties &e)
{
    const qsizetype eq = line.indexOf('=');
    if (eq < 0)
        return;
    const QByteArrayView name = line.first(eq);
    const QByteArrayView value = line.sliced(eq + 1);
    struct IntProperty {
        const char *name;
        int ExtraProperties::*field;
    };
    static constexpr IntProperty ints[] = {
        {"unremovable", &ExtraProperties::unremovable},
        {"vshift", &ExtraProperties::vshift},
        {"vshiftabs", &ExtraProperties::vshiftabs},
        {"spacing", &ExtraProperties::spacing},
        {"resizable", &ExtraProperties::resizable},
        {"width", &ExtraProperties::width},
        {"height", &ExtraProperties::height},
        {"minheightonpage", &ExtraProperties::minheightonpage},
        {"nohtmlsize", &ExtraProperties::nohtmlsize},
        {"ainterval", &ExtraProperties::ainterval},
        {"transparent", &ExtraProperties::transparent},
        {"tmode", &ExtraProperties::tmode},
        {"tcolor", &ExtraProperties::tcolor},
        {"visible", &ExtraProperties::visible},
    };
    for (const IntProperty &p : ints) {
        if (name == p.name) {
            e.*p.field = numberOrZero(value);
            return;
        }
    }
    if (name == "hint")
        e.hint = value.toByteArray();
    else if (name == "filename")
        e.filename = value.toByteArray();
    else if (name == "alt")
        e.alt = value.toByteArray();
}
