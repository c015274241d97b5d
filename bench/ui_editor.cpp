// The editor on a long message: a source file of 100 000 items (text in both
// sign colours, markers of four kinds, pictures) opened into the editor, its
// snapshot taken, and one character typed at the start of it.

#include "LongMessage.h"
#include "QtBenchMain.h"

#include "app/richview/TRichViewEdit.h"
#include "document/streams/ClassRegistry.h"
#include "document/model/CodePage.h"
#include "document/sourcefile/SourceFileReader.h"
#include "document/sourcefile/SourceFileWriter.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <QTextBlock>

#include <benchmark/benchmark.h>

#include <cstdlib>

using namespace Qt::StringLiterals;

namespace {

constexpr int ItemCount = 100000;

SourceDocument longMessage()
{
    return LongMessage::make(ItemCount);
}

const QString &messageFile()
{
    static QTemporaryDir dir;
    static const QString path = [] {
        const QString p = dir.filePath(u"long.abc"_s);
        WriteSourceFile(p, longMessage());
        return p;
    }();
    return path;
}

void loadInto(TRichViewEdit &editor)
{
    SourceDocument doc;
    ReadSourceFile(messageFile(), doc);
    editor.loadDocument(std::move(doc));
}

void BM_OpenLongMessage(benchmark::State &state)
{
    messageFile();
    TRichViewEdit editor;
    editor.resize(520, 300);
    editor.show();
    for (auto _ : state) {
        loadInto(editor);
        QApplication::processEvents();  // the first screen is laid out and shown
        benchmark::DoNotOptimize(editor.document()->characterCount());
    }
    state.counters["items"] = ItemCount;
}
BENCHMARK(BM_OpenLongMessage)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_SnapshotLongMessage(benchmark::State &state)
{
    TRichViewEdit editor;
    loadInto(editor);
    for (auto _ : state) {
        const SourceDocument doc = editor.snapshot();
        benchmark::DoNotOptimize(doc.items.data());
        if (doc.itemCount() != ItemCount)
            state.SkipWithError("wrong item count");
    }
}
BENCHMARK(BM_SnapshotLongMessage)->Unit(benchmark::kMillisecond);

void BM_KeystrokeAtStartOfLongMessage(benchmark::State &state)
{
    TRichViewEdit editor;
    editor.resize(520, 300);
    editor.show();
    loadInto(editor);
    // Lay the whole document out first, as it is once the editor has idled.
    editor.document()->documentLayout()->blockBoundingRect(editor.document()->lastBlock());
    QApplication::processEvents();
    editor.moveCursor(QTextCursor::Start);
    editor.setFocus();
    for (auto _ : state) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, u"a"_s);
        QApplication::sendEvent(&editor, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_A, Qt::NoModifier, u"a"_s);
        QApplication::sendEvent(&editor, &release);
        editor.viewport()->repaint();
    }
}
BENCHMARK(BM_KeystrokeAtStartOfLongMessage)->Unit(benchmark::kMillisecond)->Iterations(50);

} // namespace

int main(int argc, char **argv)
{
    return runQtBenchmarks(argc, argv);
}
