// oravelt-cli check, dump and normalize, run as the real program: exit
// statuses, what lands on stdout and stderr, the files written, and the
// calibration settings beside the program.

#include "CliRun.h"
#include "DocumentBuilder.h"
#include "OraveltVersion.h"
#include "QtPrinters.h"

#include "compiler/CheckMessages.h"
#include "document/sourcefile/SourceFileWriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

class CliTest : public ::testing::Test {
protected:
    QString path(const QString &name) const { return m_dir.filePath(name); }
    QString source(const SourceDocument &doc, const QString &name = u"message.abc"_s) const
    {
        writeFile(path(name), writeSourceBytes(doc));
        return path(name);
    }
    QTemporaryDir m_dir;
};

SourceDocument goodMessage()
{
    return DocumentBuilder().effect(0).text("AB").pause(3).build();
}

} // namespace

TEST_F(CliTest, CheckWritesTheProgramAndListing)
{
    const CliRun run = runCli({u"check"_s, source(goodMessage()), u"-o"_s, m_dir.path(), u"--pressure"_s, u"-1"_s,
                            u"--humidity"_s, u"300"_s});
    EXPECT_EQ(run.status, 0) << run.err.constData();
    EXPECT_TRUE(run.err.isEmpty());
    const QByteArray program = readFile(path(u"cmpres8.dat"_s));
    EXPECT_EQ(program, QByteArray::fromHex("020100004142001F0303FF2C"));
    EXPECT_FALSE(readFile(path(u"cmpres.bak"_s)).isEmpty());
}

TEST_F(CliTest, CheckReportsADocumentErrorWithItsItemNumber)
{
    const SourceDocument doc = DocumentBuilder().effect(0).text("ok").text("green", DocumentBuilder::Green).build();
    const CliRun run = runCli({u"check"_s, source(doc), u"-o"_s, m_dir.path(), u"--pressure"_s, u"0"_s,
                            u"--humidity"_s, u"0"_s});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(QString::fromUtf8(run.err), CheckMessages::BadTextColour + u"\n2\n"_s);
    EXPECT_FALSE(QFile::exists(path(u"cmpres8.dat"_s))) << "no program of a check that found an error";
    EXPECT_TRUE(readFile(path(u"cmpres.bak"_s)).contains("// text")) << "the listing shows how far it got";
}

TEST_F(CliTest, ACheckWithAnErrorLeavesTheLastGoodProgram)
{
    ASSERT_EQ(runCli({u"check"_s, source(goodMessage()), u"-o"_s, m_dir.path(), u"--pressure"_s, u"0"_s,
                      u"--humidity"_s, u"0"_s})
                  .status,
              0);
    const QByteArray good = readFile(path(u"cmpres8.dat"_s));
    const SourceDocument broken = DocumentBuilder().text("before any effect").build();
    const CliRun run = runCli({u"check"_s, source(broken), u"-o"_s, m_dir.path(), u"--pressure"_s, u"0"_s,
                            u"--humidity"_s, u"0"_s});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(readFile(path(u"cmpres8.dat"_s)), good);
    EXPECT_EQ(readFile(path(u"cmpres.bak"_s)), QByteArray("0x02, \r\n0x01, \r\n0x03,\r\n0x00,\r\n0x00\r\n"));
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden).filter(u"cmpres"_s).size(), 2)
        << "no temporary file is left";
}

TEST_F(CliTest, CheckWithoutValuesUsesAndUpdatesSensorIniInTheWorkFolder)
{
    // A copy of the program in a directory of its own, so its sensor.ini
    // is this test's.
    QTemporaryDir bin;
    const QString program = bin.filePath(QFileInfo(QStringLiteral(ORAVELT_CLI)).fileName());
    ASSERT_TRUE(QFile::copy(QStringLiteral(ORAVELT_CLI), program));
    writeFile(bin.filePath(u"sensor.ini"_s), "[other]\r\nkey=1\r\n[sensor]\r\n1=300\r\n2=abc\r\n");

    const CliRun run = runCli({u"check"_s, source(goodMessage()), u"-o"_s, m_dir.path()}, program);
    EXPECT_EQ(run.status, 0) << run.err.constData();
    EXPECT_TRUE(readFile(path(u"cmpres8.dat"_s)).endsWith(QByteArray::fromHex("032C00")));
    const QByteArray ini = readFile(bin.filePath(u"sensor.ini"_s));
    EXPECT_TRUE(ini.contains("1=44")) << ini.constData();
    EXPECT_TRUE(ini.contains("2=0")) << ini.constData();
    EXPECT_TRUE(ini.contains("[other]\r\nkey=1")) << ini.constData();

    // With both values given the settings file is left alone.
    writeFile(bin.filePath(u"sensor.ini"_s), "[sensor]\r\n1=7\r\n");
    const CliRun given = runCli({u"check"_s, path(u"message.abc"_s), u"-o"_s, m_dir.path(), u"--pressure"_s, u"1"_s,
                              u"--humidity"_s, u"2"_s},
                             program);
    EXPECT_EQ(given.status, 0);
    EXPECT_EQ(readFile(bin.filePath(u"sensor.ini"_s)), QByteArray("[sensor]\r\n1=7\r\n"));

    // The help says where that file is: here, the program's own folder.
    const CliRun help = runCli({u"--help"_s}, program);
    EXPECT_TRUE(QString::fromUtf8(help.out).contains(u"Work folder"_s + u" (sensor.ini, and the editor's cmpres8.dat and cmpres.bak): "_s
                                                       + QDir::toNativeSeparators(bin.path() + u'/')))
        << help.out.constData();
}

TEST_F(CliTest, CheckRefusesWhatItCannotRun)
{
    writeFile(path(u"broken.abc"_s), "-8 1 3\r\n0 x 0 0 0 0\r\n");
    const CliRun broken = runCli({u"check"_s, path(u"broken.abc"_s), u"-o"_s, m_dir.path(), u"--pressure"_s,
                               u"0"_s, u"--humidity"_s, u"0"_s});
    EXPECT_EQ(broken.status, 2);
    EXPECT_TRUE(broken.err.contains("broken.abc: line 2")) << broken.err.constData();
    EXPECT_FALSE(QFile::exists(path(u"cmpres8.dat"_s)));

    const CliRun missing = runCli({u"check"_s, path(u"missing.abc"_s), u"--pressure"_s, u"0"_s, u"--humidity"_s,
                                u"0"_s});
    EXPECT_EQ(missing.status, 2);
    EXPECT_TRUE(missing.err.contains("missing.abc")) << missing.err.constData();

    EXPECT_EQ(runCli({u"check"_s, source(goodMessage()), u"--pressure"_s, u"0"_s}).status, 2);
    EXPECT_EQ(runCli({u"check"_s}).status, 2);
    EXPECT_EQ(runCli({u"check"_s, u"a.abc"_s, u"b.abc"_s}).status, 2);
    EXPECT_EQ(runCli({u"check"_s, u"--frobnicate"_s, u"a.abc"_s}).status, 2);

    const CliRun noDir = runCli({u"check"_s, source(goodMessage()), u"-o"_s, path(u"no/such"_s), u"--pressure"_s,
                              u"0"_s, u"--humidity"_s, u"0"_s});
    EXPECT_EQ(noDir.status, 2);
    EXPECT_TRUE(noDir.err.contains("cmpres")) << noDir.err.constData();

    const CliRun help = runCli({u"check"_s, u"--help"_s});
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(help.out.contains("--pressure"));
}

TEST_F(CliTest, DumpPrintsTheDocumentAsJson)
{
    SourceDocument doc = DocumentBuilder().effect(0).text("Привет").info(1).text("!", DocumentBuilder::Dark).build();
    QImage image(4, 8, QImage::Format_RGB32);
    image.fill(qRgb(255, 0, 0));
    SourceItem picture = SourceItem::pictureItem(Picture::bitmap(image), 0, true);
    picture.extras.width = 12;
    picture.extras.height = 24;
    doc.append(picture);
    const CliRun run = runCli({u"dump"_s, source(doc)});
    ASSERT_EQ(run.status, 0) << run.err.constData();
    QJsonParseError parseError;
    const QJsonObject json = QJsonDocument::fromJson(run.out, &parseError).object();
    ASSERT_EQ(parseError.error, QJsonParseError::NoError) << parseError.errorString().toStdString();

    const QJsonArray items = json[u"items"_s].toArray();
    ASSERT_EQ(items.size(), 5);
    const QJsonObject marker = items[0].toObject();
    EXPECT_EQ(marker[u"kind"_s].toString(), u"marker"_s);
    EXPECT_EQ(marker[u"control"_s][u"class"_s].toString(), u"TEffectComboBox"_s);
    EXPECT_EQ(marker[u"control"_s][u"itemIndex"_s].toInt(), 0);
    EXPECT_EQ(marker[u"control"_s][u"entries"_s].toArray().size(), 20);
    EXPECT_EQ(marker[u"control"_s][u"entries"_s][0].toString(), u"В.Слева"_s);
    const QJsonObject text = items[1].toObject();
    EXPECT_EQ(text[u"kind"_s].toString(), u"text"_s);
    EXPECT_EQ(text[u"text"_s].toString(), u"Привет"_s);
    EXPECT_EQ(text[u"styleNo"_s].toInt(), 0);
    EXPECT_EQ(text[u"options"_s].toInt(), 1);
    EXPECT_EQ(items[3].toObject()[u"styleNo"_s].toInt(), 1);
    const QJsonObject pic = items[4].toObject()[u"picture"_s].toObject();
    EXPECT_EQ(pic[u"class"_s].toString(), u"TBitmap"_s);
    EXPECT_EQ(pic[u"width"_s].toInt(), 4);
    EXPECT_EQ(pic[u"height"_s].toInt(), 8);
    EXPECT_EQ(pic[u"displayWidth"_s].toInt(), 12);
    EXPECT_EQ(pic[u"displayHeight"_s].toInt(), 24);

    const QJsonArray styles = json[u"textStyles"_s].toArray();
    ASSERT_EQ(styles.size(), 2);
    EXPECT_EQ(styles[0][u"StyleName"_s].toString(), u"Normal text"_s);
    EXPECT_EQ(styles[0][u"Color"_s].toString(), u"clRed"_s);
    EXPECT_EQ(styles[1][u"Color"_s].toString(), u"clBlack"_s);
    EXPECT_EQ(styles[1][u"BackColor"_s].toString(), u"clRed"_s);
    EXPECT_EQ(styles[1][u"Standard"_s].toBool(), false);
    EXPECT_EQ(json[u"paraStyles"_s][1][u"Alignment"_s].toString(), u"rvaCenter"_s);
    EXPECT_EQ(json[u"background"_s][u"color"_s].toString(), u"0x00000038"_s);
    EXPECT_EQ(json[u"layout"_s][u"LeftMargin"_s].toInt(), 5);

    EXPECT_EQ(runCli({u"dump"_s, path(u"missing.abc"_s)}).status, 2);
}

TEST_F(CliTest, NormalizeWritesOlderFilesInTheCurrentForm)
{
    writeFile(path(u"old.abc"_s), "0 1 0 0 0\r\nold\r\n");
    const CliRun run = runCli({u"normalize"_s, path(u"old.abc"_s), path(u"new.abc"_s)});
    EXPECT_EQ(run.status, 0) << run.err.constData();
    SourceDocument expected;
    expected.append(SourceItem::textItem("old", 0, 0));
    EXPECT_EQ(readFile(path(u"new.abc"_s)), writeSourceBytes(expected));

    writeFile(path(u"bad.abc"_s), "0 1 0 0 0 0\r\n");
    EXPECT_EQ(runCli({u"normalize"_s, path(u"bad.abc"_s), path(u"out.abc"_s)}).status, 2);
    EXPECT_FALSE(QFile::exists(path(u"out.abc"_s))) << "nothing is written from a malformed file";
    EXPECT_EQ(runCli({u"normalize"_s, path(u"old.abc"_s)}).status, 2);
    EXPECT_EQ(runCli({u"normalize"_s, path(u"old.abc"_s), path(u"no/dir/x.abc"_s)}).status, 2);
}

TEST_F(CliTest, VersionIsTheProjectVersion)
{
    const CliRun run = runCli({u"--version"_s});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(QString::fromUtf8(run.out), u"oravelt-cli "_s + OraveltVersion::number() + u'\n');
}
