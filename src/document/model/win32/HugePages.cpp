#include "document/model/HugePages.h"

// Windows gives large pages only to programs holding a privilege that
// ordinary users lack, and only to memory allocated for them: nothing to ask.
void HugePages::advise(void *, std::size_t)
{
}
