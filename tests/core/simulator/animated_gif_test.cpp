// The animated GIF writer's own rules: frames that repeat only lengthen the
// delay, and nothing replaces the target file until the animation is closed.

#include "SimulatorTestSupport.h"

#include "simulator/AnimatedGif.h"

#include <QFile>
#include <QImageReader>
#include <QTemporaryDir>

using namespace Qt::StringLiterals;

namespace {

QImage indexed(int colour)
{
    QImage image(4, 2, QImage::Format_Indexed8);
    image.setColorTable({qRgb(0, 0, 0), qRgb(255, 0, 0)});
    image.fill(uint(colour));
    return image;
}

} // namespace

TEST(AnimatedGif, RepeatedFramesLengthenTheDelay)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"a.gif"_s);
    AnimatedGif gif;
    ASSERT_TRUE(gif.open(path, QSize(4, 2), {qRgb(0, 0, 0), qRgb(255, 0, 0)}));
    for (const int colour : {0, 0, 0, 1, 0})
        ASSERT_TRUE(gif.addFrame(indexed(colour), 10));
    ASSERT_TRUE(gif.close());

    QImageReader reader(path);
    QList<int> delays;
    QList<QRgb> colours;
    for (QImage frame = reader.read(); !frame.isNull(); frame = reader.read()) {
        delays << reader.nextImageDelay();
        colours << frame.pixel(3, 1);
    }
    EXPECT_EQ(delays, (QList<int>{300, 100, 100}));
    EXPECT_EQ(colours, (QList<QRgb>{qRgb(0, 0, 0), qRgb(255, 0, 0), qRgb(0, 0, 0)}));
}

TEST(AnimatedGif, NothingReplacesTheFileBeforeClose)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"a.gif"_s);
    {
        QFile old(path);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("older animation");
    }
    {
        AnimatedGif abandoned;
        ASSERT_TRUE(abandoned.open(path, QSize(4, 2), {qRgb(0, 0, 0), qRgb(255, 0, 0)}));
        ASSERT_TRUE(abandoned.addFrame(indexed(1), 10));
        QString error;
        EXPECT_FALSE(abandoned.addFrame(QImage(5, 2, QImage::Format_Indexed8), 10, &error));
        EXPECT_FALSE(error.isEmpty());
        EXPECT_FALSE(abandoned.close());  // after a failure
    }
    QFile kept(path);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), QByteArray("older animation"));
}
