// oravelt-cli preview, run as the real program: the pass it lists, the GIF
// and PNG frames it writes (frame for frame what the player and the LED
// painter make), and what it refuses.

#include "CliRun.h"
#include "QtPrinters.h"

#include "simulator/LedPainter.h"
#include "simulator/ProgramDecoder.h"
#include "simulator/SignPlayer.h"

#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QTemporaryDir>

using namespace Qt::StringLiterals;

namespace {

// "Сдвигом влево", "AB", pause 1 s, clear "Очистить".
const QByteArray Program = QByteArray::fromHex("0201" "00034142" "00" "1f03" "010100" "030000");
const QDateTime Clock(QDate(2011, 3, 4), QTime(12, 0));

class PreviewTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QFile file(path(u"cmpres8.dat"_s));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(Program);
    }
    QString path(const QString &name) const { return m_dir.filePath(name); }

    // What the player and the painter make of the program at a time.
    QImage expectedFrame(qint64 time, int width = 96) const
    {
        SignPlayer player(*decodeProgram(Program), SignFonts::load(), width);
        QImage image;
        LedPainter(6).paint(player.frameAt(time, Clock), image, QImage::Format_Indexed8);
        return image.convertToFormat(QImage::Format_RGB32);
    }

    QTemporaryDir m_dir;
};

} // namespace

TEST_F(PreviewTest, ListsWhatOnePassShows)
{
    const CliRun run = runCli({u"preview"_s, path(u"cmpres8.dat"_s)});
    EXPECT_EQ(run.status, 0) << run.err.constData();
    EXPECT_EQ(QString::fromUtf8(run.out),
              u"    0.000 s  Режим вывода: Сдвигом влево  (offset 2)\n"
              u"    1.920 s  Пауза: 1 сек.  (offset 7)\n"
              u"    2.920 s  Режим очистки: Очистить  (offset 9)\n"
              u"One pass: 2.940 s at 96 columns.\n"_s);
}

TEST_F(PreviewTest, TheGifIsThePlayersFramesInALoop)
{
    const QString gif = path(u"out.gif"_s);
    const CliRun run = runCli({u"preview"_s, path(u"cmpres8.dat"_s), u"--gif"_s, gif, u"--at"_s,
                               u"2011-03-04 12:00:00"_s});
    EXPECT_EQ(run.status, 0) << run.err.constData();
    EXPECT_TRUE(run.out.startsWith("Wrote " + gif.toUtf8() + ": 74 frames, 2.940 s")) << run.out.constData();

    QImageReader reader(gif);
    ASSERT_TRUE(reader.supportsAnimation());
    EXPECT_EQ(reader.loopCount(), -1);  // for ever
    // The pause is one frame of its own, held for the second it lasts.
    int total = 0;
    qint64 time = 0;
    int frames = 0;
    for (QImage frame = reader.read(); !frame.isNull(); frame = reader.read(), ++frames) {
        ASSERT_EQ(frame.convertToFormat(QImage::Format_RGB32), expectedFrame(time)) << "frame at " << time << " ms";
        const int delay = reader.nextImageDelay();
        total += delay;
        time += delay;
    }
    EXPECT_EQ(total, 2960);  // 74 frames of 40 ms
    EXPECT_LT(frames, 74);
}

TEST_F(PreviewTest, PngFramesAreNumberedAtTheRateAsked)
{
    const QString dir = path(u"frames"_s);
    const CliRun run = runCli({u"preview"_s, path(u"cmpres8.dat"_s), u"--png-frames"_s, dir, u"--seconds"_s,
                               u"0.5"_s, u"--fps"_s, u"10"_s, u"--width"_s, u"200"_s});
    EXPECT_EQ(run.status, 0) << run.err.constData();
    const QStringList files = QDir(dir).entryList(QDir::Files, QDir::Name);
    ASSERT_EQ(files.size(), 5);
    EXPECT_EQ(files.first(), u"frame-00001.png"_s);
    EXPECT_EQ(files.last(), u"frame-00005.png"_s);
    EXPECT_EQ(QImage(QDir(dir).filePath(files.at(3))).convertToFormat(QImage::Format_RGB32),
              expectedFrame(300, 200));
}

TEST_F(PreviewTest, RefusesWhatItCannotPlay)
{
    QFile broken(path(u"broken.dat"_s));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write(QByteArray::fromHex("02010003414200"));
    broken.close();
    CliRun run = runCli({u"preview"_s, path(u"broken.dat"_s)});
    EXPECT_EQ(run.status, 2);
    EXPECT_TRUE(run.err.contains("not a compiled program: offset 7: expected an effect record")) << run.err.constData();

    run = runCli({u"preview"_s, path(u"missing.dat"_s)});
    EXPECT_EQ(run.status, 2);
    run = runCli({u"preview"_s, path(u"cmpres8.dat"_s), u"--width"_s, u"7"_s});
    EXPECT_EQ(run.status, 2);
    EXPECT_TRUE(run.err.contains("--width wants a number of columns from 8 to 1024")) << run.err.constData();
    run = runCli({u"preview"_s, path(u"cmpres8.dat"_s), u"--gif"_s, path(u"a.gif"_s), u"--png-frames"_s,
                  path(u"f"_s)});
    EXPECT_EQ(run.status, 2);
    run = runCli({u"preview"_s, path(u"cmpres8.dat"_s), u"--gif"_s, path(u"no/such/dir/a.gif"_s)});
    EXPECT_EQ(run.status, 2);
    EXPECT_FALSE(QFile::exists(path(u"a.gif"_s)));
}
