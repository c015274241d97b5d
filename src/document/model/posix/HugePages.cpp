#include "document/model/HugePages.h"

#include <cstdint>

#include <sys/mman.h>
#include <unistd.h>

void HugePages::advise(void *data, std::size_t bytes)
{
#if defined(MADV_HUGEPAGE)
    constexpr std::size_t Worthwhile = 8u << 20;
    const std::size_t page = std::size_t(sysconf(_SC_PAGESIZE));
    const std::uintptr_t begin = (reinterpret_cast<std::uintptr_t>(data) + page - 1) & ~std::uintptr_t(page - 1);
    const std::uintptr_t end = (reinterpret_cast<std::uintptr_t>(data) + bytes) & ~std::uintptr_t(page - 1);
    if (bytes >= Worthwhile && end > begin)
        madvise(reinterpret_cast<void *>(begin), end - begin, MADV_HUGEPAGE);
#else
    (void)data;
    (void)bytes;
#endif
}
