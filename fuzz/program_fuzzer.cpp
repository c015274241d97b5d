// Feeds arbitrary bytes to the compiled program's decoder. What it accepts
// must encode back to the very same bytes, and must play: a few frames on a
// narrow and a wide sign, without touching memory it does not own.

#include "simulator/ProgramDecoder.h"
#include "ProgramEncoder.h"
#include "simulator/SignPlayer.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    ProgramError error;
    const std::optional<CompiledProgram> program = decodeProgram(bytes, &error);
    if (!program) {
        if (error.offset < 0 || error.offset > qsizetype(size)) {
            std::fprintf(stderr, "error offset %lld outside the program\n", static_cast<long long>(error.offset));
            std::abort();
        }
        return 0;
    }
    if (encodeProgram(*program).program() != bytes) {
        std::fprintf(stderr, "the decoded program encodes to other bytes\n");
        std::abort();
    }

    // Boxes instead of the installed fonts: the same shapes of data, no files.
    static const SignFonts fonts;
    const QDateTime clock(QDate(2011, 3, 4), QTime(12, 34, 56));
    LedFrame frame;
    for (const int width : {SignPlayer::MinWidth, SignPlayer::MaxWidth}) {
        SignPlayer player(*program, fonts, width);
        const qint64 length = player.passDuration();
        for (const qint64 t : {qint64(0), length / 3, length - 1, length + 17, 3 * length / 2}) {
            player.render(t, clock, frame);
            if (frame.width() != width)
                std::abort();
            player.nextStep(t);
        }
    }
    return 0;
}
