// Feeds arbitrary bytes to the markup reader, the parser behind
// `oravelt-cli compose`. A fault must be reported at a place inside the
// markup. What it accepts must give one position per item, each inside the
// markup; must write as a source file that reads back and writes again to
// the same bytes; and, written back as markup, must read again into a
// document that compiles to the same program (the markup writer's promise).
//
// Pictures are read from a directory of this process that holds two good
// ones, "p.bmp" and "prices-1.bmp" (the name the example uses).

#include "compiler/Compiler.h"
#include "document/pictures/BitmapFile.h"
#include "document/streams/ClassRegistry.h"
#include "document/markup/MarkupReader.h"
#include "document/markup/MarkupWriter.h"
#include "document/sourcefile/SourceFileReader.h"
#include "document/sourcefile/SourceFileWriter.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

[[noreturn]] void fault(const char *what)
{
    std::fprintf(stderr, "%s\n", what);
    std::abort();
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        fault("cannot write a picture for the fuzzer");
}

struct Directories {
    QTemporaryDir pictures;
    QTemporaryDir written;  // the markup writer's pictures, read back from here

    Directories()
    {
        ClassRegistry::registerStandardClasses();
        QImage image(5, 8, QImage::Format_RGB32);
        image.fill(qRgb(0, 0, 0));
        for (int x = 0; x < 5; ++x)
            image.setPixel(x, x % 8, qRgb(255, 0, 0));
        const QByteArray bitmap = BitmapFile::encode(image);
        writeFile(pictures.filePath(QStringLiteral("p.bmp")), bitmap);
        writeFile(pictures.filePath(QStringLiteral("prices-1.bmp")), bitmap);
    }
};

// The byte length of each line, LF-ended (a CR before the LF counted in).
std::vector<qsizetype> lineLengths(QByteArrayView bytes)
{
    std::vector<qsizetype> lengths{0};
    for (const char c : bytes) {
        if (c == '\n')
            lengths.push_back(0);
        else
            ++lengths.back();
    }
    return lengths;
}

// A column counts characters, never more than the line's bytes; one past
// the end stands for the end of the line.
bool inside(const MarkupPosition &at, const std::vector<qsizetype> &lines)
{
    return at.line >= 1 && size_t(at.line) <= lines.size() && at.column >= 1
           && at.column <= lines[size_t(at.line - 1)] + 1;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static Directories directories;
    const QByteArrayView markup(reinterpret_cast<const char *>(data), qsizetype(size));
    const std::vector<qsizetype> lines = lineLengths(markup);

    MarkupError error;
    const std::optional<ComposedMessage> message = readMarkup(markup, directories.pictures.path(), &error);
    if (!message) {
        if (!inside(error.at, lines)) {
            std::fprintf(stderr, "fault reported at %d:%d\n", error.at.line, error.at.column);
            fault("a fault is reported outside the markup");
        }
        if (error.message.isEmpty())
            fault("a fault without a message");
        return 0;
    }
    const SourceDocument &document = message->document;
    if (message->itemPositions.size() != size_t(document.itemCount()))
        fault("not one position per item");
    for (const MarkupPosition &at : message->itemPositions) {
        if (!inside(at, lines)) {
            std::fprintf(stderr, "item at %d:%d\n", at.line, at.column);
            fault("an item placed outside the markup");
        }
    }

    const QByteArray source = writeSourceBytes(document);
    SourceDocument again;
    FileError readError;
    if (!readSourceBytes(source, again, &readError)) {
        std::fprintf(stderr, "%s\n", qPrintable(readError.toString()));
        fault("the source file of a composed message does not read back");
    }
    if (writeSourceBytes(again) != source)
        fault("the composed message's source file writes again to other bytes");

    const WrittenMarkup written = writeMarkup(document, QStringLiteral("m"));
    if (!written.warnings.empty()) {
        std::fprintf(stderr, "%s\n", qPrintable(written.warnings.front().message));
        fault("the markup writer leaves out something the markup reader made");
    }
    for (const MarkupPicture &picture : written.pictures)
        writeFile(directories.written.filePath(picture.fileName), picture.bytes);
    MarkupError againError;
    const std::optional<ComposedMessage> reread =
        readMarkup(written.text, directories.written.path(), &againError);
    if (!reread) {
        std::fprintf(stderr, "%d:%d: %s\n", againError.at.line, againError.at.column,
                     qPrintable(againError.message));
        fault("the markup written back does not read");
    }
    const CheckResult first = Compiler::compile(document);
    const CheckResult second = Compiler::compile(reread->document);
    if (first.program != second.program || first.error.has_value() != second.error.has_value())
        fault("the markup written back compiles to another program");
    return 0;
}
