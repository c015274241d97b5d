// The simulator: decoding the largest program the sign takes (540 672 bytes;
// aim under 10 ms), and drawing frames of a 1024-column sign (aim: 60 frames
// a second in under 5 % of one core). "core_%_at_60fps" is the share of one
// core, in per cent, that 60 frames a second take (the library prints it with
// a unit "s", being the inverse of a rate).

#include "simulator/LedPainter.h"
#include "simulator/ProgramDecoder.h"
#include "simulator/SignPlayer.h"

#include <benchmark/benchmark.h>

#include <QByteArray>

namespace {

constexpr qsizetype LargestProgram = 540672;

// Records of text and a picture with a pause and a clear between them, as a
// long message compiles, filled up to exactly `size` bytes.
QByteArray largeProgram(qsizetype size)
{
    QByteArray bytes("\x02\x01", 2);
    const QByteArray text = QByteArrayLiteral("\xD1\xEA\xE8\xE4\xEA\xE8 \xE4\xEE 50% \xED\xE0 \xE2\xF1\xE5! ");
    int n = 0;
    while (bytes.size() < size - 200) {
        bytes.append(char(0x00)).append(char(n % 20));
        bytes.append(char(0x1E)).append(char(9));
        for (int k = 0; k < 3; ++k)
            bytes.append(text);
        bytes.append(char(0x02)).append(char(0)).append(char(24));
        for (int x = 0; x < 24; ++x)
            bytes.append(char(0x81 | (x * 7)));
        bytes.append(char(0x03)).append(char(1));
        bytes.append(char(0x00));
        bytes.append(char(0x1F)).append(char(3));
        bytes.append(char(0x01)).append(char(n % 29)).append(char(0x00));
        ++n;
    }
    // One last record whose text takes up what is left.
    bytes.append(char(0x00)).append(char(3));
    bytes.append(QByteArray(size - bytes.size() - 4, 'A'));
    bytes.append(char(0x00)).append(char(0x03)).append(char(0)).append(char(0));
    return bytes;
}

void BM_DecodeLargestProgram(benchmark::State &state)
{
    const QByteArray bytes = largeProgram(LargestProgram);
    if (bytes.size() != LargestProgram || !decodeProgram(bytes))
        state.SkipWithError("the generated program is not what it should be");
    for (auto _ : state) {
        std::optional<CompiledProgram> program = decodeProgram(bytes);
        benchmark::DoNotOptimize(program);
    }
    state.SetBytesProcessed(state.iterations() * bytes.size());
}
BENCHMARK(BM_DecodeLargestProgram)->Unit(benchmark::kMillisecond);

void BM_BuildPlayerForLargestProgram(benchmark::State &state)
{
    const CompiledProgram program = *decodeProgram(largeProgram(LargestProgram));
    const SignFonts fonts = SignFonts::load();
    for (auto _ : state) {
        SignPlayer player(program, fonts, SignPlayer::MaxWidth);
        benchmark::DoNotOptimize(player.passDuration());
    }
}
BENCHMARK(BM_BuildPlayerForLargestProgram)->Unit(benchmark::kMillisecond);

void share(benchmark::State &state)
{
    state.counters["core_%_at_60fps"]
        = benchmark::Counter(double(state.iterations()) / 6000.0, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// Frames 1/60 s apart through a whole pass of the program, as the window
// draws them; range(0) 1 adds the drawing of the LEDs at pitch range(1).
void BM_Frames1024Columns(benchmark::State &state)
{
    const CompiledProgram program = *decodeProgram(largeProgram(LargestProgram));
    const SignFonts fonts = SignFonts::load();
    SignPlayer player(program, fonts, SignPlayer::MaxWidth);
    const LedPainter painter(int(state.range(1)));
    const bool draw = state.range(0) != 0;
    const QDateTime clock = QDateTime::currentDateTime();
    LedFrame frame;
    QImage image;
    qint64 frameNumber = 0;
    for (auto _ : state) {
        const qint64 time = frameNumber++ * 1000 / 60;
        player.render(time, clock, frame);
        if (draw)
            painter.paint(frame, image);
        benchmark::DoNotOptimize(frame.columns.data());
    }
    share(state);
}
BENCHMARK(BM_Frames1024Columns)->Args({0, 2})->Args({1, 2})->Args({1, 6})->Unit(benchmark::kMicrosecond);

// The dearest effects on a full sign: every LED decided one by one.
void BM_EffectFrames1024Columns(benchmark::State &state)
{
    const int effect = int(state.range(0));
    const bool clear = state.range(1) != 0;
    QByteArray content(1024, '\0');
    for (int x = 0; x < 1024; ++x)
        content[x] = char(x * 37 + 11);
    LedFrame display;
    display.clear(1024);
    SignEffects::place(content, 0, display);
    const SignEffects::Span all{0, 1024};
    const int steps = clear ? SignEffects::clearSteps(effect, all, 1024).count
                            : SignEffects::outputSteps(effect, 1024, 1024).count;
    LedFrame out;
    out.clear(1024);
    int step = 0;
    for (auto _ : state) {
        step = step % steps + 1;
        if (clear)
            SignEffects::renderClear(effect, step, display, all, 42, out);
        else
            SignEffects::renderOutput(effect, step, content, 42, out);
        benchmark::DoNotOptimize(out.columns.data());
    }
    share(state);
}
// Random dots, random columns, ash (output); falling and scattering dots (clear).
BENCHMARK(BM_EffectFrames1024Columns)->Args({13, 0})->Args({14, 0})->Args({16, 0})->Args({17, 1})->Args({18, 1})
    ->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
