// Reading and writing a source file of more than 10 MB: a long message of
// marker runs, text paragraphs in both sign colours and pictures, as an
// operator would compose it, only much longer. Reports MB/s each way, in
// memory and through a file.

#include "document/streams/ClassRegistry.h"
#include "document/model/CodePage.h"
#include "document/sourcefile/SourceFileReader.h"
#include "document/sourcefile/SourceFileWriter.h"

#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

using namespace Qt::StringLiterals;

namespace {

constexpr qsizetype TargetBytes = 12 * 1024 * 1024;

QImage picture(int width, int seed)
{
    QImage image(width, 8, QImage::Format_RGB32);
    image.fill(qRgb(0, 0, 0));
    for (int x = 0; x < width; ++x)
        image.setPixel(x, (x * seed) % 8, qRgb(255, 0, 0));
    return image;
}

SourceDocument largeDocument()
{
    SourceDocument doc;
    TFontInfo dark = TFontInfo::normalText();
    dark.Standard = false;
    dark.Color = Colour::Black;
    dark.BackColor = Colour::Red;
    doc.styles.TextStyles.push_back(dark);

    const QByteArray line = CodePage::toWindows1251(u"Сегодня в магазине скидки на всю обувь до 50 процентов!"_s);
    qsizetype estimate = 0;
    for (int block = 0; estimate < TargetBytes; ++block) {
        doc.append(SourceItem::controlItem(makeMarker(MarkerKind::Effect, block % 20), 0));
        doc.append(SourceItem::controlItem(makeMarker(MarkerKind::Speed, block % 20), 0, true));
        estimate += 1400;
        for (int i = 0; i < 40; ++i) {
            doc.append(SourceItem::textItem(line, i % 7 == 3 ? 1 : 0, i % 2, i % 5 == 0));
            estimate += line.size() + 12;
        }
        SourceItem pic = SourceItem::pictureItem(Picture::bitmap(picture(40, block % 7 + 1)), 0, true);
        pic.extras.width = 120;
        pic.extras.height = 24;
        doc.append(pic);
        doc.append(SourceItem::controlItem(makeMarker(MarkerKind::Pause, block % 18), 0, true));
        estimate += 800;
    }
    return doc;
}

const SourceDocument &document()
{
    static const SourceDocument doc = largeDocument();
    return doc;
}

const QByteArray &fileBytes()
{
    static const QByteArray bytes = writeSourceBytes(document());
    return bytes;
}

void report(benchmark::State &state)
{
    state.SetBytesProcessed(state.iterations() * fileBytes().size());
    state.counters["MB"] = double(fileBytes().size()) / 1e6;
}

void BM_WriteSourceBytes(benchmark::State &state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(writeSourceBytes(document()));
    report(state);
}

void BM_ReadSourceBytes(benchmark::State &state)
{
    ClassRegistry::registerStandardClasses();
    for (auto _ : state) {
        SourceDocument doc;
        if (!readSourceBytes(fileBytes(), doc))
            state.SkipWithError("the file does not read back");
        benchmark::DoNotOptimize(doc.items.data());
    }
    report(state);
}

void BM_WriteSourceFile(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"large.abc"_s);
    for (auto _ : state) {
        if (!WriteSourceFile(path, document()))
            state.SkipWithError("the file cannot be written");
    }
    report(state);
}

void BM_ReadSourceFile(benchmark::State &state)
{
    ClassRegistry::registerStandardClasses();
    QTemporaryDir dir;
    const QString path = dir.filePath(u"large.abc"_s);
    if (!WriteSourceFile(path, document()))
        state.SkipWithError("the file cannot be written");
    for (auto _ : state) {
        SourceDocument doc;
        if (!ReadSourceFile(path, doc))
            state.SkipWithError("the file does not read back");
        benchmark::DoNotOptimize(doc.items.data());
    }
    report(state);
}

} // namespace

BENCHMARK(BM_WriteSourceBytes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadSourceBytes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteSourceFile)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadSourceFile)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
