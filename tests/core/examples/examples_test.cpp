// The example messages under examples/: built here in code, so they can be
// made again (ORAVELT_REGENERATE_EXAMPLES=1 ./build/tests/test_examples),
// and checked to be what the writer makes of them, to read back and write
// again byte for byte, and to pass the check.

#include "DocumentBuilder.h"
#include "QtPrinters.h"

#include "compiler/Compiler.h"
#include "document/streams/ClassRegistry.h"
#include "document/sourcefile/SourceFileReader.h"
#include "document/sourcefile/SourceFileWriter.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <functional>

using namespace Qt::StringLiterals;
using B = DocumentBuilder;

namespace {

const QString ExamplesDir = QStringLiteral(ORAVELT_SOURCE_DIR "/examples/");

// A picture 8 rows high drawn with '#' for lit pixels.
QImage drawing(const std::vector<const char *> &rows)
{
    std::vector<QByteArray> picture;
    for (const char *row : rows)
        picture.push_back(QByteArray(row).replace('#', 'R').replace(' ', '.'));
    return B::pictureFromRows(picture);
}

// As the graphic editor's insert command puts a picture: shown three times
// as large, on the line of what stands before it.
B &insertPicture(B &b, const QImage &image)
{
    SourceDocument &doc = b.document();
    SourceItem item = SourceItem::pictureItem(Picture::bitmap(image), doc.items.empty() ? 0 : doc.items.back().paraNo,
                                              !doc.items.empty());
    item.extras.width = 3 * image.width();
    item.extras.height = 3 * image.height();
    doc.append(std::move(item));
    return b;
}

QImage heart()
{
    return drawing({" ## ## ", "#######", "#######", "#######", " ##### ", "  ###  ", "   #   ", "       "});
}

QImage arrow()
{
    return drawing({"    #    ", "    ##   ", "#######  ", "######## ", "#######  ", "    ##   ", "    #    ",
                    "         "});
}

QImage percent()
{
    return drawing({"##    #", "##   # ", "    #  ", "   #   ", "  #    ", " #   ##", "#    ##", "       "});
}

QImage bus()
{
    return drawing({" ############ ", "#  #  #  #  ##", "#  #  #  #  ##", "##############",
                    "##############", "##############", "  ##      ##  ", "  ##      ##  "});
}

SourceDocument welcome()
{
    B b;
    b.effect(3).speed(9).font(1).text("Добро пожаловать!").pause(5);
    b.paragraph().clear(2).effect(2).text("Время ").info(0).pause(7);
    b.paragraph().clear(28).effect(0);
    insertPicture(b, heart());
    b.text(" Хорошего дня! ", B::Dark);
    insertPicture(b, heart());
    b.pause(5).clear(1);
    return b.build();
}

SourceDocument sale()
{
    B b;
    b.effect(7).speed(11).text("РАСПРОДАЖА").pause(3).clear(23);
    b.paragraph().effect(3).text("Скидки до 50", B::Dark);
    insertPicture(b, percent());
    b.text(" на всю обувь ", B::Dark).text("с 1 по 15 марта").pause(5);
    b.paragraph().clear(11).effect(9);
    insertPicture(b, arrow());
    b.text(" Вход со двора").pause(6).clear(14);
    return b.build();
}

SourceDocument clock()
{
    B b;
    b.font(0).effect(2).info(1).pause(11).clear(6);
    b.paragraph().effect(10).info(3).pause(7).clear(9);
    b.paragraph().font(1).effect(4).text("Сегодня ").info(4).pause(5).clear(19);
    return b.build();
}

SourceDocument busStop()
{
    B b;
    b.effect(0);
    insertPicture(b, bus());
    b.text(" 12 ").text(" Вокзал ", B::Dark).text(" — 3 мин.").pause(7).clear(3);
    b.paragraph().effect(16).speed(4).text("Маршрут 27 временно не ходит").pause(4).clear(20);
    return b.build();
}

const std::vector<std::pair<QString, std::function<SourceDocument()>>> &examples()
{
    static const std::vector<std::pair<QString, std::function<SourceDocument()>>> list{
        {u"welcome.abc"_s, welcome},
        {u"sale.abc"_s, sale},
        {u"clock.abc"_s, clock},
        {u"bus-stop.abc"_s, busStop},
    };
    return list;
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

TEST(Examples, AreWhatTheWriterMakesOfThem)
{
    const bool regenerate = qEnvironmentVariableIntValue("ORAVELT_REGENERATE_EXAMPLES") != 0;
    for (const auto &[name, make] : examples()) {
        const QByteArray bytes = writeSourceBytes(make());
        if (regenerate) {
            FileError error;
            ASSERT_TRUE(WriteSourceFile(ExamplesDir + name, make(), &error)) << error.toString().toStdString();
        }
        EXPECT_EQ(readFile(ExamplesDir + name), bytes)
            << name.toStdString() << " differs from the code that makes it; regenerate with "
            << "ORAVELT_REGENERATE_EXAMPLES=1";
    }
}

TEST(Examples, EveryFileReadsBackAndWritesTheSameBytes)
{
    ClassRegistry::registerStandardClasses();
    const QStringList files = QDir(ExamplesDir).entryList({u"*.abc"_s}, QDir::Files);
    EXPECT_GE(files.size(), 4);
    for (const QString &name : files) {
        SCOPED_TRACE(name.toStdString());
        const QByteArray bytes = readFile(ExamplesDir + name);
        SourceDocument doc;
        FileError error;
        ASSERT_TRUE(readSourceBytes(bytes, doc, &error)) << error.toString().toStdString();
        EXPECT_EQ(writeSourceBytes(doc), bytes);
        const CheckResult result = Compiler::compile(doc);
        EXPECT_TRUE(result.succeeded()) << (result.error ? result.error->message.toStdString() : std::string());
        EXPECT_GT(result.program.size(), 10);
    }
}
