#include "LayoutBlock.h"

#include <QtEndian>

using namespace Qt::StringLiterals;

namespace LayoutBlock {

namespace {
void put32(QByteArray &out, qint32 v)
{
    char b[4];
    qToLittleEndian(v, b);
    out.append(b, 4);
}
qint32 get32(QByteArrayView b, qsizetype at)
{
    return qFromLittleEndian<qint32>(b.data() + at);
}
} // namespace

QByteArray encode(const DocumentLayout &layout)
{
    QByteArray out;
    out.reserve(8 + LayoutSize);
    put32(out, 0);
    put32(out, LayoutSize);
    put32(out, layout.LeftMargin);
    put32(out, layout.RightMargin);
    put32(out, layout.TopMargin);
    put32(out, layout.BottomMargin);
    put32(out, layout.MinTextWidth);
    put32(out, layout.MaxTextWidth);
    out.append(char(layout.BiDiMode));
    return out;
}

std::optional<DocumentLayout> decode(QByteArrayView block, QString *reason)
{
    const auto fail = [&](const QString &why) {
        if (reason)
            *reason = why;
        return std::nullopt;
    };
    if (block.size() < 8)
        return fail(u"the layout block is %1 bytes long, too short for its size field"_s.arg(block.size()));
    const qint32 size = get32(block, 4);
    if (size < LayoutSize)
        return fail(u"the layout size %1 is below %2"_s.arg(size).arg(LayoutSize));
    if (qint64(size) > block.size() - 8)
        return fail(u"the layout size %1 runs past the end of its %2-byte block"_s.arg(size).arg(block.size()));
    DocumentLayout layout;
    layout.LeftMargin = get32(block, 8);
    layout.RightMargin = get32(block, 12);
    layout.TopMargin = get32(block, 16);
    layout.BottomMargin = get32(block, 20);
    layout.MinTextWidth = get32(block, 24);
    layout.MaxTextWidth = get32(block, 28);
    layout.BiDiMode = quint8(block[32]);
    return layout;
}

} // namespace LayoutBlock
