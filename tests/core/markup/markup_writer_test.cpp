// The markup writer, and the two ways round: every example message through
// markup and back compiles to its own program bytes, and the example markup
// through a document and back is the same text.

#include "DocumentBuilder.h"
#include "QtPrinters.h"

#include "compiler/Compiler.h"
#include "document/pictures/BitmapFile.h"
#include "document/streams/ClassRegistry.h"
#include "document/markup/MarkupReader.h"
#include "document/markup/MarkupWriter.h"
#include "document/sourcefile/SourceFileReader.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using B = DocumentBuilder;

namespace {

const QString ExamplesDir = QStringLiteral(ORAVELT_SOURCE_DIR "/examples/");

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

QImage smallPicture(int seed)
{
    return B::pictureFromRows({seed ? "R.R" : "RRR", "...", "...", "...", "...", "...", "...", "R.."});
}

QString text(const WrittenMarkup &markup)
{
    return QString::fromUtf8(markup.text);
}

} // namespace

TEST(MarkupWriter, WritesEachKindOfContentAsTheReaderReadsIt)
{
    B b;
    b.effect(3).speed(9).text("Цена {1} ").text(" 89 руб. ", B::Dark).pause(3);
    b.paragraph().text("#1 в районе").info(0);
    SourceItem tab;  // starts the third paragraph
    tab.styleNo = ItemStyle::Tab;
    b.item(tab).text("после табуляции").clear(28).font(0).text("A", B::Dark).text("B", B::Dark);
    b.paragraph().text("C", B::Dark).text("").text("D");
    const WrittenMarkup markup = writeMarkup(b.build(), u"m"_s);
    // {inverse} closes before a marker and at the end of its line.
    EXPECT_EQ(text(markup), u"{effect: Сдвигом влево}{speed: 10}Цена {{1}} {inverse} 89 руб. {/inverse}{pause: 1 сек.}\n"
                            "{#}1 в районе{info: Время в формате чч:мм}\n"
                            "\tпосле табуляции{clear: Случайный}{font: Широкий высокий}{inverse}AB{/inverse}\n"
                            "{inverse}C{/inverse}D\n"_s);
    EXPECT_TRUE(markup.warnings.empty());
    EXPECT_TRUE(markup.pictures.empty());
    EXPECT_TRUE(writeMarkup(SourceDocument(), u"m"_s).text.isEmpty()) << "no items, no lines";
}

TEST(MarkupWriter, PicturesAreNumberedFilesSharedByTheSamePicture)
{
    B b;
    b.effect(0).picture(smallPicture(0)).text(" и ").picture(smallPicture(1)).picture(smallPicture(0));
    const WrittenMarkup markup = writeMarkup(b.build(), u"shop {window}"_s);
    EXPECT_EQ(text(markup), u"{effect: Слева}{picture: shop _window_-1.bmp} и {picture: shop _window_-2.bmp}"
                            "{picture: shop _window_-1.bmp}\n"_s);
    ASSERT_EQ(markup.pictures.size(), 2u);
    EXPECT_EQ(markup.pictures[0].fileName, u"shop _window_-1.bmp"_s);
    EXPECT_EQ(BitmapFile::decode(markup.pictures[1].bytes)->convertToFormat(QImage::Format_RGB32), smallPicture(1));
}

TEST(MarkupWriter, WhatMarkupCannotHoldIsLeftOutWithAWarningAndAComment)
{
    B b;
    b.effect(0).text("ok").text("green", B::Green);
    auto line = std::make_shared<OpaqueRecord>();
    SourceItem rule;
    rule.styleNo = ItemStyle::Break;
    rule.opaque = line;
    rule.setContinuesParagraph();
    b.item(rule);
    b.paragraph().rawText(QByteArray("a\x01" "b\tc"));
    EmbeddedControl image;
    image.className = "TImage";
    b.item(SourceItem::controlItem(image, 0, true));
    b.picture(smallPicture(0), "TJPEGImage");
    b.picture(B::pictureFromRows({"R", "R", "R", "R", "R", "R", "R"}));
    b.item(SourceItem::controlItem(makeMarker(MarkerKind::Pause, -1), 0, true));
    b.text("end");

    const WrittenMarkup markup = writeMarkup(b.build(), u"m"_s);
    EXPECT_EQ(text(markup),
              u"# item 2: text in a colour the sign does not show (#008000 on none) is left out: \"green\"\n"
              "# item 3: an item of the kind \"line\" is left out\n"
              "{effect: Слева}ok\n"
              "# item 4: 2 control characters of the text are left out\n"
              "# item 5: an embedded TImage control is left out\n"
              "# item 6: a TJPEGImage picture is left out: the sign shows only bitmaps\n"
              "# item 7: a picture is left out: it is 7 pixels high; the sign shows pictures 8 pixels high\n"
              "# item 8: a pause marker with no entry selected is left out\n"
              "abcend\n"_s);
    ASSERT_EQ(markup.warnings.size(), 7u);
    EXPECT_EQ(markup.warnings[0].item, 2);
    EXPECT_EQ(markup.warnings[6].message, u"a pause marker with no entry selected is left out"_s);
}

// ---------------------------------------------------------------------------
// Both ways round

TEST(MarkupRoundTrip, EveryExampleCompilesToItsOwnProgramThroughMarkup)
{
    ClassRegistry::registerStandardClasses();
    const QStringList files = QDir(ExamplesDir).entryList({u"*.abc"_s}, QDir::Files);
    ASSERT_GE(files.size(), 4);
    for (const QString &name : files) {
        SCOPED_TRACE(name.toStdString());
        SourceDocument original;
        ASSERT_TRUE(ReadSourceFile(ExamplesDir + name, original));
        const WrittenMarkup markup = writeMarkup(original, QFileInfo(name).completeBaseName());
        EXPECT_TRUE(markup.warnings.empty());

        QTemporaryDir dir;
        for (const MarkupPicture &picture : markup.pictures) {
            QFile file(dir.filePath(picture.fileName));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(picture.bytes);
        }
        MarkupError error;
        const std::optional<ComposedMessage> composed = readMarkup(markup.text, dir.path(), &error);
        ASSERT_TRUE(composed) << error.at.line << ':' << error.at.column << ": " << error.message.toStdString();
        const CheckResult expected = Compiler::compile(original);
        const CheckResult result = Compiler::compile(composed->document);
        ASSERT_TRUE(expected.succeeded());
        EXPECT_TRUE(result.succeeded());
        EXPECT_EQ(result.program, expected.program);
        EXPECT_EQ(writeMarkup(composed->document, QFileInfo(name).completeBaseName()).text, markup.text)
            << "the markup of the composed message is the same again";
    }
}

TEST(MarkupRoundTrip, TheExampleMarkupComesBackAsTheSameText)
{
    const QByteArray original = readFile(ExamplesDir + u"prices.txt"_s);
    MarkupError error;
    const std::optional<ComposedMessage> composed = readMarkup(original, ExamplesDir, &error);
    ASSERT_TRUE(composed) << error.at.line << ':' << error.at.column << ": " << error.message.toStdString();
    EXPECT_TRUE(Compiler::compile(composed->document).succeeded());

    const WrittenMarkup markup = writeMarkup(composed->document, u"prices"_s);
    // Comments are for people; the message does not keep them.
    QByteArray withoutComments;
    for (const QByteArray &line : original.split('\n')) {
        if (!line.startsWith('#'))
            withoutComments += line + '\n';
    }
    withoutComments.chop(1);
    EXPECT_EQ(markup.text, withoutComments);
    ASSERT_EQ(markup.pictures.size(), 1u);
    EXPECT_EQ(markup.pictures[0].fileName, u"prices-1.bmp"_s);
    EXPECT_EQ(markup.pictures[0].bytes, readFile(ExamplesDir + u"prices-1.bmp"_s));
}
