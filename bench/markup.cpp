// Composing a message from more than 10 MB of markup, as a script that
// writes a long price list would: lines of prices with dark price labels,
// markers between them, a picture in every block. Reports MB/s of markup:
// reading it into a document, composing (reading and writing the source
// file), through the file system as "oravelt-cli compose" does, and the way
// back from the document to markup.

#include "document/pictures/BitmapFile.h"
#include "document/markup/MarkupReader.h"
#include "document/markup/MarkupWriter.h"
#include "document/sourcefile/SourceFileWriter.h"

#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

using namespace Qt::StringLiterals;

namespace {

constexpr qsizetype TargetBytes = 10 * 1024 * 1024 + 1;

const QTemporaryDir &pictureDir()
{
    static const QTemporaryDir dir = [] {
        QTemporaryDir d;
        QImage logo(24, 8, QImage::Format_RGB32);
        logo.fill(qRgb(0, 0, 0));
        for (int x = 0; x < 24; ++x)
            logo.setPixel(x, (x * 3) % 8, qRgb(255, 0, 0));
        QFile file(d.filePath(u"logo.bmp"_s));
        if (file.open(QIODevice::WriteOnly))
            file.write(BitmapFile::encode(logo));
        return d;
    }();
    return dir;
}

const QByteArray &markupText()
{
    static const QByteArray text = [] {
        const QByteArray head = QByteArray("{clear: Сдвигом влево}{effect: Сдвигом влево}{speed: 10}Цены на "
                                           "{info: Дата в формате дд-мм-гггг}{pause: 2 сек.}\n");
        const QByteArray line = QByteArray("Молоко 3,2% «Домик в деревне», 930 мл {inverse} 89 руб. {/inverse}"
                                           " по карте {{скидка}}\n");
        const QByteArray tail = QByteArray("{effect: 3}{picture: logo.bmp} Вход со двора{pause: 3 сек.}\n");
        QByteArray all;
        all.reserve(TargetBytes + 8192);
        while (all.size() < TargetBytes) {
            all += "# block\n" + head;
            for (int i = 0; i < 40; ++i)
                all += line;
            all += tail;
        }
        return all;
    }();
    return text;
}

void report(benchmark::State &state)
{
    state.SetBytesProcessed(state.iterations() * markupText().size());
    state.counters["MB"] = double(markupText().size()) / 1e6;
}

ComposedMessage compose()
{
    std::optional<ComposedMessage> message = readMarkup(markupText(), pictureDir().path());
    return message ? std::move(*message) : ComposedMessage{};
}

void BM_ReadMarkup(benchmark::State &state)
{
    for (auto _ : state) {
        std::optional<ComposedMessage> message = readMarkup(markupText(), pictureDir().path());
        if (!message)
            state.SkipWithError("the markup does not read");
        benchmark::DoNotOptimize(message);
    }
    report(state);
}

void BM_ComposeMarkup(benchmark::State &state)
{
    qsizetype written = 0;
    for (auto _ : state) {
        const QByteArray bytes = writeSourceBytes(compose().document);
        written = bytes.size();
        benchmark::DoNotOptimize(bytes.data());
    }
    report(state);
    state.counters["source MB"] = double(written) / 1e6;
}

void BM_ComposeMarkupFile(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString in = dir.filePath(u"prices.txt"_s);
    const QString out = dir.filePath(u"prices.abc"_s);
    {
        QFile file(in);
        if (!file.open(QIODevice::WriteOnly) || file.write(markupText()) != markupText().size())
            state.SkipWithError("the markup cannot be written");
    }
    for (auto _ : state) {
        QFile file(in);
        if (!file.open(QIODevice::ReadOnly))
            state.SkipWithError("the markup cannot be read");
        const std::optional<ComposedMessage> message = readMarkup(file.readAll(), pictureDir().path());
        if (!message || !WriteSourceFile(out, message->document))
            state.SkipWithError("the message cannot be composed");
    }
    report(state);
}

void BM_WriteMarkup(benchmark::State &state)
{
    const SourceDocument document = compose().document;
    for (auto _ : state) {
        const WrittenMarkup markup = writeMarkup(document, u"prices"_s);
        benchmark::DoNotOptimize(markup.text.data());
    }
    report(state);
}

} // namespace

BENCHMARK(BM_ReadMarkup)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ComposeMarkup)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ComposeMarkupFile)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteMarkup)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
