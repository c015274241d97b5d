// oravelt-cli compose and markup, run as the real program: what they write,
// where errors point, that nothing is written after an error, and the check
// that compose runs on request.

#include "CliRun.h"
#include "DocumentBuilder.h"
#include "QtPrinters.h"

#include "compiler/CheckMessages.h"
#include "document/sourcefile/SourceFileWriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

class MarkupCliTest : public ::testing::Test {
protected:
    QString path(const QString &name) const { return m_dir.filePath(name); }
    QString markup(const QByteArray &text, const QString &name = u"message.txt"_s) const
    {
        writeFile(path(name), text);
        return path(name);
    }
    QTemporaryDir m_dir;
};

const QStringList Calibration{u"--pressure"_s, u"0"_s, u"--humidity"_s, u"0"_s};

} // namespace

TEST_F(MarkupCliTest, ComposeWritesTheFileTheEditorWouldSave)
{
    const CliRun run = runCli({u"compose"_s, markup("Привет\nмир\n"), u"-o"_s, path(u"m.abc"_s)});
    EXPECT_EQ(run.status, 0) << run.err.constData();
    EXPECT_TRUE(run.out.isEmpty() && run.err.isEmpty());
    // Two paragraphs of text in a new document's tables: one text record.
    const SourceDocument expected = DocumentBuilder().text("Привет").paragraph().text("мир").build();
    const QByteArray bytes = readFile(path(u"m.abc"_s));
    EXPECT_EQ(bytes, writeSourceBytes(expected));
    EXPECT_TRUE(bytes.endsWith("0 2 0 0 0 0\r\n\xCF\xF0\xE8\xE2\xE5\xF2\r\n\xEC\xE8\xF0\r\n"));
}

TEST_F(MarkupCliTest, ComposeBetweenStandardStreams)
{
    writeFile(path(u"logo.bmp"_s), readFile(QStringLiteral(ORAVELT_SOURCE_DIR "/examples/prices-1.bmp")));
    const CliRun run = runCli({u"compose"_s, u"-"_s, u"-o"_s, u"-"_s}, QStringLiteral(ORAVELT_CLI),
                              {"{effect: 0}{picture: logo.bmp}A\n", m_dir.path()});
    EXPECT_EQ(run.status, 0) << run.err.constData();
    EXPECT_TRUE(run.out.startsWith("-8 1 3\r\n")) << "pictures are found from the current directory";
    EXPECT_TRUE(run.out.contains("TBitmap"));

    const CliRun bad = runCli({u"compose"_s, u"-"_s, u"-o"_s, u"-"_s}, QStringLiteral(ORAVELT_CLI), {"ok\n{x}\n", {}});
    EXPECT_EQ(bad.status, 2);
    EXPECT_TRUE(bad.out.isEmpty());
    EXPECT_TRUE(bad.err.startsWith("<stdin>:2:2: unknown kind \"x\"")) << bad.err.constData();
}

TEST_F(MarkupCliTest, AMarkupErrorPointsAtItsPlaceAndWritesNothing)
{
    writeFile(path(u"m.abc"_s), "the previous file");
    const QString source = markup("{effect: Слева}Цена\n{effect: Слвеа}\n");
    const CliRun run = runCli(QStringList{u"compose"_s, source, u"-o"_s, path(u"m.abc"_s), u"--check"_s, m_dir.path()}
                              + Calibration);
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(QString::fromUtf8(run.err).section(u';', 0, 0),
              source + u":2:10: effect has no entry \"Слвеа\""_s);
    EXPECT_TRUE(run.err.contains("\"Сдвигом влево\"")) << "the message lists the entries";
    EXPECT_EQ(readFile(path(u"m.abc"_s)), QByteArray("the previous file"));
    EXPECT_FALSE(QFile::exists(path(u"cmpres8.dat"_s)));
    EXPECT_FALSE(QFile::exists(path(u"cmpres.bak"_s)));
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files).size(), 2) << "no temporary file is left either";
}

TEST_F(MarkupCliTest, ComposeChecksIntoTheDirectoryItIsGiven)
{
    QDir(m_dir.path()).mkdir(u"out"_s);
    const CliRun run = runCli({u"compose"_s, markup("{effect: Слева}AB{pause: 1 сек.}\n"), u"-o"_s, path(u"m.abc"_s),
                               u"--check"_s, path(u"out"_s), u"--pressure"_s, u"-1"_s, u"--humidity"_s, u"300"_s});
    EXPECT_EQ(run.status, 0) << run.err.constData();
    EXPECT_EQ(readFile(path(u"out/cmpres8.dat"_s)), QByteArray::fromHex("020100004142001F0303FF2C"));
    EXPECT_TRUE(readFile(path(u"out/cmpres.bak"_s)).startsWith("0x02, \r\n0x01, \r\n"));
    EXPECT_TRUE(QFile::exists(path(u"m.abc"_s)));

    // A check error is shown where the markup says what is wrong; the
    // program of the check before stays.
    const QString source = markup("# no effect yet\n  Привет\n");
    const CliRun error =
        runCli(QStringList{u"compose"_s, source, u"-o"_s, path(u"e.abc"_s), u"--check"_s, path(u"out"_s)} + Calibration);
    EXPECT_EQ(error.status, 1);
    EXPECT_EQ(QString::fromUtf8(error.err), source + u":2:1: "_s + CheckMessages::NoOutputEffect + u'\n');
    EXPECT_TRUE(QFile::exists(path(u"e.abc"_s))) << "the markup was right; the file is written";
    EXPECT_EQ(readFile(path(u"out/cmpres8.dat"_s)), QByteArray::fromHex("020100004142001F0303FF2C"));
}

TEST_F(MarkupCliTest, ComposeRefusesWhatItCannotRun)
{
    const QString source = markup("A\n");
    EXPECT_EQ(runCli({u"compose"_s, source}).status, 2) << "-o is needed";
    EXPECT_EQ(runCli({u"compose"_s, source, u"-o"_s, path(u"m.abc"_s), u"--pressure"_s, u"1"_s}).status, 2);
    const CliRun missing = runCli({u"compose"_s, path(u"none.txt"_s), u"-o"_s, path(u"m.abc"_s)});
    EXPECT_EQ(missing.status, 2);
    EXPECT_TRUE(missing.err.contains("none.txt")) << missing.err.constData();
    const CliRun noDir = runCli({u"compose"_s, source, u"-o"_s, path(u"no/such/m.abc"_s)});
    EXPECT_EQ(noDir.status, 2);
    EXPECT_TRUE(noDir.err.contains("no/such/m.abc")) << noDir.err.constData();
    EXPECT_FALSE(QFile::exists(path(u"m.abc"_s)));
}

TEST_F(MarkupCliTest, ABadCheckDirectoryIsFoundBeforeAnythingIsWritten)
{
    const QString source = markup("{effect: Слева}A\n");
    writeFile(path(u"plain"_s), "a file");
    for (const QString &dir : {path(u"none"_s), path(u"plain"_s)}) {
        SCOPED_TRACE(dir.toStdString());
        const CliRun run =
            runCli(QStringList{u"compose"_s, source, u"-o"_s, path(u"m.abc"_s), u"--check"_s, dir} + Calibration);
        EXPECT_EQ(run.status, 2);
        EXPECT_TRUE(run.err.contains(dir.toUtf8())) << run.err.constData();
        EXPECT_FALSE(QFile::exists(path(u"m.abc"_s))) << "the source file is not written either";
    }
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files).size(), 2);
}

TEST_F(MarkupCliTest, MarkupWritesTheTextAndItsPicturesBesideIt)
{
    const QString example = QStringLiteral(ORAVELT_SOURCE_DIR "/examples/welcome.abc");
    QDir(m_dir.path()).mkdir(u"text"_s);
    const CliRun run = runCli({u"markup"_s, example, u"-o"_s, path(u"text/welcome.txt"_s)});
    EXPECT_EQ(run.status, 0) << run.err.constData();
    EXPECT_TRUE(run.out.isEmpty() && run.err.isEmpty());
    const QByteArray text = readFile(path(u"text/welcome.txt"_s));
    EXPECT_TRUE(text.startsWith("{effect: Сдвигом влево}{speed: 10}{font: Высокий 6x8}Добро пожаловать!"))
        << text.constData();
    EXPECT_TRUE(text.contains("{picture: welcome-1.bmp}"));
    EXPECT_TRUE(QFile::exists(path(u"text/welcome-1.bmp"_s)));

    // And back: compose reads it as it stands.
    const CliRun back = runCli(QStringList{u"compose"_s, path(u"text/welcome.txt"_s), u"-o"_s, path(u"w.abc"_s),
                                           u"--check"_s, m_dir.path()}
                               + Calibration);
    EXPECT_EQ(back.status, 0) << back.err.constData();
}

TEST_F(MarkupCliTest, MarkupToStandardOutputWarnsOfWhatItLeavesOut)
{
    const SourceDocument doc = DocumentBuilder().effect(0).text("ok").text("green", DocumentBuilder::Green).build();
    writeFile(path(u"green.abc"_s), writeSourceBytes(doc));
    const CliRun run = runCli({u"markup"_s, u"green.abc"_s}, QStringLiteral(ORAVELT_CLI), {{}, m_dir.path()});
    EXPECT_EQ(run.status, 0) << run.err.constData();
    EXPECT_EQ(run.out, QByteArray("# item 2: text in a colour the sign does not show (#008000 on none) is left out: "
                                  "\"green\"\n{effect: Слева}ok\n"));
    EXPECT_EQ(run.err, QByteArray("green.abc: warning: item 2: text in a colour the sign does not show (#008000 on "
                                  "none) is left out: \"green\"\n"));

    // Absolute: the program runs in another folder (on another drive, on Windows).
    const QString sale = QFileInfo(QStringLiteral(ORAVELT_SOURCE_DIR "/examples/sale.abc")).absoluteFilePath();
    const CliRun pictures = runCli({u"markup"_s, sale},
                                   QStringLiteral(ORAVELT_CLI), {{}, m_dir.path()});
    EXPECT_EQ(pictures.status, 0);
    EXPECT_TRUE(QFile::exists(path(u"sale-1.bmp"_s))) << "named after the source, in the current directory";
    EXPECT_TRUE(QFile::exists(path(u"sale-2.bmp"_s)));

    writeFile(path(u"broken.abc"_s), "-8 1 3\r\n0 x 0 0 0 0\r\n");
    const CliRun broken = runCli({u"markup"_s, path(u"broken.abc"_s), u"-o"_s, path(u"broken.txt"_s)});
    EXPECT_EQ(broken.status, 2);
    EXPECT_TRUE(broken.err.contains("broken.abc: line 2")) << broken.err.constData();
    EXPECT_FALSE(QFile::exists(path(u"broken.txt"_s)));
}
