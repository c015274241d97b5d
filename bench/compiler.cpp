// Compiling a large message: items per second and output bytes (program and
// listing together) per second, on one core.

#include "compiler/Compiler.h"
#include "document/model/CodePage.h"
#include "document/model/SourceDocument.h"

#include <benchmark/benchmark.h>

#include <QImage>

namespace {

SourceDocument largeDocument(int items)
{
    SourceDocument doc;
    TFontInfo dark = TFontInfo::normalText();
    dark.Color = Colour::Black;
    dark.BackColor = Colour::Red;
    dark.Standard = false;
    doc.styles.TextStyles.push_back(dark);

    QImage image(24, 8, QImage::Format_Indexed8);
    image.setColorTable({qRgb(0, 0, 0), qRgb(255, 0, 0)});
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 24; ++x)
            image.setPixel(x, y, (x + y) % 3 == 0 ? 1 : 0);
    const PicturePtr picture = Picture::bitmap(image);
    const QByteArray text = CodePage::toWindows1251(QStringLiteral("Скидки до 50% на все товары! "));

    int n = 0;
    while (n < items) {
        doc.append(SourceItem::controlItem(makeMarker(MarkerKind::Effect, n % 20), 0, n > 0));
        doc.append(SourceItem::textItem(text, 0, 0, true));
        doc.append(SourceItem::controlItem(makeMarker(MarkerKind::Pause, 3), 0, true));
        doc.append(SourceItem::textItem(text, 1, 0, true));
        doc.append(SourceItem::pictureItem(picture, 0, true));
        doc.append(SourceItem::controlItem(makeMarker(MarkerKind::Info, 1), 0, true));
        doc.append(SourceItem::controlItem(makeMarker(MarkerKind::Speed, 9), 0, true));
        doc.append(SourceItem::controlItem(makeMarker(MarkerKind::EffectClear, 2), 0, true));
        n += 8;
    }
    return doc;
}

void BM_CompileLargeDocument(benchmark::State &state)
{
    const SourceDocument doc = largeDocument(int(state.range(0)));
    qint64 outputBytes = 0;
    for (auto _ : state) {
        CheckResult result = Compiler::compile(doc);
        if (!result.succeeded())
            state.SkipWithError("the generated document does not compile");
        outputBytes += result.program.size() + result.listing.size();
        benchmark::DoNotOptimize(result);
    }
    state.SetItemsProcessed(state.iterations() * doc.itemCount());
    state.SetBytesProcessed(outputBytes);
    state.counters["program+listing MB"] =
        double(outputBytes) / double(state.iterations()) / 1e6;
}

BENCHMARK(BM_CompileLargeDocument)->Arg(100000)->Arg(400000)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
