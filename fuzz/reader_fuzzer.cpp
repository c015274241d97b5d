// Feeds arbitrary bytes to the source file reader. Whatever it makes of
// them must be writable, the writer's bytes must read back without fault,
// and writing again must give the same bytes.

#include "document/streams/ClassRegistry.h"
#include "document/sourcefile/SourceFileReader.h"
#include "document/sourcefile/SourceFileWriter.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static const bool registered = [] {
        ClassRegistry::registerStandardClasses();
        return true;
    }();
    (void)registered;

    SourceDocument document;
    readSourceBytes(QByteArrayView(reinterpret_cast<const char *>(data), qsizetype(size)), document);

    const QByteArray written = writeSourceBytes(document);
    SourceDocument again;
    FileError error;
    if (!readSourceBytes(written, again, &error)) {
        std::fprintf(stderr, "the writer's output does not read back: %s\n", qPrintable(error.toString()));
        std::abort();
    }
    if (writeSourceBytes(again) != written) {
        std::fprintf(stderr, "writing what was read back gives other bytes\n");
        std::abort();
    }
    return 0;
}
