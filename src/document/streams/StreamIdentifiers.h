#pragma once

// The identifiers that object streams use for some integer values: the
// colour names ("clRed", "clWindowText", ...) and the character set names
// ("DEFAULT_CHARSET", ...). A value with a name is written as the name; any
// other value as an integer.

#include "document/model/Colour.h"

#include <QByteArrayView>

#include <optional>

namespace StreamIdentifiers {

// The name of a colour, or nullptr when it has none.
const char *colourName(TColor colour);
std::optional<TColor> colourOfName(QByteArrayView name);

const char *charsetName(int charset);
std::optional<int> charsetOfName(QByteArrayView name);

} // namespace StreamIdentifiers
