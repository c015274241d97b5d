#pragma once

// The layout block of a source file: the editor's margins, text widths and
// bidirectional mode. A reserved field and the layout size come first; the
// size counts the bytes from the margins on (25 for what this system
// writes). Blocks from partial copies of a document carry more fields after
// the mode byte, which a reader steps over by the size.

#include "document/model/SourceDocument.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>

namespace LayoutBlock {

inline constexpr int LayoutSize = 25;

QByteArray encode(const DocumentLayout &layout);
// Nothing when the size is below 25 or the block is shorter than it says;
// *reason then tells which.
std::optional<DocumentLayout> decode(QByteArrayView block, QString *reason = nullptr);

} // namespace LayoutBlock
