#pragma once

// A long message has hundreds of thousands of items, each some hundred
// bytes: first touching the pages of their list costs a third of reading
// it. Huge pages, where the kernel offers them on request, make that a
// small fraction; nothing changes where it does not.

#include <cstddef>

namespace HugePages {

// Asks for huge pages under the block, when it is large enough to gain.
void advise(void *data, std::size_t bytes);

} // namespace HugePages
