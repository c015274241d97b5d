// The graphic editor on a picture 1024 pixels wide (a work bitmap of
// 8193 x 65): one screen of the work area painted at a scroll position, a
// paint stroke across the grid with its repaints, and the whole work bitmap
// rendered at once (what a window holding it whole would redo on every open).

#include "app/TForm1.h"
#include "document/streams/ClassRegistry.h"
#include "imageeditor/WorkBitmap.h"
#include "app/pictures/TForm2.h"
#include "app/pictures/WorkBitmapView.h"

#include <QApplication>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

constexpr int Width = 1024;

struct Windows {
    TForm1 main;
    TForm2 editor{&main};
    Windows()
    {
        editor.show();
        editor.WidthTextEdit->setValue(Width);
        editor.btnNewClick();
        QApplication::processEvents();
    }
};

Windows *g_windows = nullptr;

Windows &windows()
{
    return *g_windows;
}

// Scrolls to successive places along the picture and repaints the visible
// part of the work area: the cost of one frame while scrolling.
void BM_ScrollWorkArea1024(benchmark::State &state)
{
    TForm2 &editor = windows().editor;
    QScrollBar *bar = editor.ScrollBox1->horizontalScrollBar();
    int step = 0;
    for (auto _ : state) {
        bar->setValue((step * 97) % (bar->maximum() + 1));
        editor.ScrollBox1->viewport()->repaint();
        ++step;
    }
    state.counters["frames/s"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}

// A left-button stroke along a row: one painted square and its repaints
// (work area and preview) per mouse move.
void BM_PaintStroke1024(benchmark::State &state)
{
    TForm2 &editor = windows().editor;
    editor.ScrollBox1->horizontalScrollBar()->setValue(0);
    editor.WorkImageMouseDown(Qt::LeftButton, QPoint(1, 1));
    int x = 1;
    for (auto _ : state) {
        editor.WorkImageMouseMove(QPoint(x, 20));
        QApplication::processEvents();
        x = (x + 8) % (8 * 40);
    }
    editor.WorkImageMouseUp();
    state.counters["squares/s"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_RenderWholeWorkBitmap1024(benchmark::State &state)
{
    const QImage &picture = windows().editor.model().picture();
    for (auto _ : state) {
        QImage work = WorkBitmap::render(picture);
        benchmark::DoNotOptimize(work.constBits());
    }
}

BENCHMARK(BM_ScrollWorkArea1024)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PaintStroke1024)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RenderWholeWorkBitmap1024)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    ClassRegistry::registerStandardClasses();
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    // The windows go before the application does.
    auto windows = std::make_unique<Windows>();
    g_windows = windows.get();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
