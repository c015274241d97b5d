// The editor on a long message: a source file of 100 000 items (text in both
// sign colours, markers of four kinds, pictures) opened into the editor, its
// snapshot taken, and one character typed at the start of it.

#include "app/richview/TRichViewEdit.h"
#include "document/ClassRegistry.h"
#include "document/CodePage.h"
#include "document/SourceFileReader.h"
#include "document/SourceFileWriter.h"

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
    SourceDocument doc;
    TFontInfo darkOnRed = TFontInfo::normalText();
    darkOnRed.Standard = false;
    darkOnRed.Color = Colour::Black;
    doc.styles.TextStyles.push_back(darkOnRed);
    darkOnRed.BackColor = Colour::Red;
    doc.styles.TextStyles.push_back(darkOnRed);
    QImage image(16, 8, QImage::Format_RGB32);
    for (int x = 0; x < 16; ++x) {
        for (int y = 0; y < 8; ++y)
            image.setPixel(x, y, (x + y) % 2 ? qRgb(255, 0, 0) : qRgb(0, 0, 0));
    }
    const PicturePtr picture = Picture::bitmap(image);
    const QByteArray words = CodePage::toWindows1251(u"Скидки на всё "_s);
    doc.items.reserve(ItemCount);
    for (int i = 0; i < ItemCount; ++i) {
        switch (i % 10) {
        case 0: doc.append(SourceItem::controlItem(makeMarker(MarkerKind::Effect, i % 20))); break;
        case 3: doc.append(SourceItem::controlItem(makeMarker(MarkerKind::Speed, 9), 0, true)); break;
        case 7: doc.append(SourceItem::controlItem(makeMarker(MarkerKind::Pause, 3), 0, true)); break;
        case 9: doc.append(SourceItem::controlItem(makeMarker(MarkerKind::Info, 0), 0, true)); break;
        case 5: {
            SourceItem item = SourceItem::pictureItem(picture, 0, true);
            item.extras.width = 48;
            item.extras.height = 24;
            doc.append(std::move(item));
            break;
        }
        default:
            doc.append(SourceItem::textItem(words + QByteArray::number(i), (i % 10 == 8 || i % 10 == 2) ? 2 : 0, 0, true));
            break;
        }
    }
    return doc;
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
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    ClassRegistry::registerStandardClasses();
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
