#include "AnimatedGif.h"

#include <gif_lib.h>

#include <algorithm>
#include <cstring>
#include <vector>

using namespace Qt::StringLiterals;

struct AnimatedGif::Gif {
    GifFileType *file = nullptr;
};

namespace {

int writeToDevice(GifFileType *gif, const GifByteType *data, int length)
{
    auto *device = static_cast<QIODevice *>(gif->UserData);
    return int(device->write(reinterpret_cast<const char *>(data), length));
}

QString gifError(int code)
{
    const char *text = GifErrorString(code);
    return text ? QString::fromLatin1(text) : u"giflib error %1"_s.arg(code);
}

// The smallest rectangle outside which two images of one size are equal.
QRect changed(const QImage &before, const QImage &after)
{
    int top = after.height();
    int bottom = -1;
    int left = after.width();
    int right = -1;
    for (int y = 0; y < after.height(); ++y) {
        const uchar *a = before.constScanLine(y);
        const uchar *b = after.constScanLine(y);
        if (std::memcmp(a, b, size_t(after.width())) == 0)
            continue;
        top = std::min(top, y);
        bottom = y;
        int x0 = 0;
        while (a[x0] == b[x0])
            ++x0;
        int x1 = after.width() - 1;
        while (a[x1] == b[x1])
            --x1;
        left = std::min(left, x0);
        right = std::max(right, x1);
    }
    return bottom < 0 ? QRect() : QRect(QPoint(left, top), QPoint(right, bottom));
}

} // namespace

AnimatedGif::AnimatedGif() : m_gif(std::make_unique<Gif>()) {}

AnimatedGif::~AnimatedGif()
{
    if (m_gif->file) {
        int code = 0;
        EGifCloseFile(m_gif->file, &code);
    }
    // An animation never closed leaves no file behind.
    m_file.cancelWriting();
}

bool AnimatedGif::fail(const QString &why, QString *error)
{
    m_failed = true;
    if (error)
        *error = why;
    return false;
}

bool AnimatedGif::open(const QString &path, QSize size, const QList<QRgb> &palette, QString *error)
{
    if (size.width() < 1 || size.height() < 1 || size.width() > 65535 || size.height() > 65535)
        return fail(u"a GIF picture is 1 to 65535 pixels wide and high"_s, error);
    if (palette.isEmpty() || palette.size() > 256)
        return fail(u"a GIF palette has 1 to 256 colours"_s, error);
    m_file.setFileName(path);
    if (!m_file.open(QIODevice::WriteOnly))
        return fail(m_file.errorString(), error);
    int code = 0;
    m_gif->file = EGifOpen(&m_file, writeToDevice, &code);
    if (!m_gif->file)
        return fail(gifError(code), error);
    m_size = size;

    int colours = 2;
    while (colours < palette.size())
        colours *= 2;
    std::vector<GifColorType> table(size_t(colours), GifColorType{0, 0, 0});
    for (qsizetype k = 0; k < palette.size(); ++k)
        table[size_t(k)] = GifColorType{GifByteType(qRed(palette[k])), GifByteType(qGreen(palette[k])),
                                        GifByteType(qBlue(palette[k]))};
    ColorMapObject *map = GifMakeMapObject(colours, table.data());
    EGifSetGifVersion(m_gif->file, true);
    const bool screen = EGifPutScreenDesc(m_gif->file, size.width(), size.height(), 8, 0, map) == GIF_OK;
    GifFreeMapObject(map);
    if (!screen)
        return fail(gifError(m_gif->file->Error), error);

    // The application extension that makes viewers loop the animation forever.
    static const GifByteType Netscape[] = {'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0'};
    static const GifByteType Loop[] = {1, 0, 0};
    if (EGifPutExtensionLeader(m_gif->file, APPLICATION_EXT_FUNC_CODE) != GIF_OK
        || EGifPutExtensionBlock(m_gif->file, sizeof Netscape, Netscape) != GIF_OK
        || EGifPutExtensionBlock(m_gif->file, sizeof Loop, Loop) != GIF_OK
        || EGifPutExtensionTrailer(m_gif->file) != GIF_OK)
        return fail(gifError(m_gif->file->Error), error);
    return true;
}

bool AnimatedGif::addFrame(const QImage &frame, int delayCentiseconds, QString *error)
{
    if (m_failed || !m_gif->file)
        return fail(u"the animation is not open"_s, error);
    if (frame.format() != QImage::Format_Indexed8 || frame.size() != m_size)
        return fail(u"a frame must be an indexed picture of the animation's size"_s, error);
    if (!m_pending.isNull() && m_pending == frame && m_pendingDelay + delayCentiseconds <= 65535) {
        m_pendingDelay += delayCentiseconds;
        return true;
    }
    if (!m_pending.isNull() && !flush(error))
        return false;
    m_pending = frame;
    m_pendingDelay = delayCentiseconds;
    return true;
}

bool AnimatedGif::flush(QString *error)
{
    QRect area = m_last.isNull() ? QRect(QPoint(0, 0), m_size) : changed(m_last, m_pending);
    if (area.isEmpty())
        area = QRect(0, 0, 1, 1);  // a frame equal to the last one still carries its delay
    GraphicsControlBlock control;
    control.DisposalMode = DISPOSE_DO_NOT;
    control.UserInputFlag = false;
    control.DelayTime = std::clamp(m_pendingDelay, 1, 65535);
    control.TransparentColor = NO_TRANSPARENT_COLOR;
    GifByteType extension[4];
    const size_t length = EGifGCBToExtension(&control, extension);
    if (EGifPutExtension(m_gif->file, GRAPHICS_EXT_FUNC_CODE, int(length), extension) != GIF_OK
        || EGifPutImageDesc(m_gif->file, area.x(), area.y(), area.width(), area.height(), false, nullptr) != GIF_OK)
        return fail(gifError(m_gif->file->Error), error);
    for (int y = area.top(); y <= area.bottom(); ++y) {
        auto *line = const_cast<GifPixelType *>(m_pending.constScanLine(y) + area.x());
        if (EGifPutLine(m_gif->file, line, area.width()) != GIF_OK)
            return fail(gifError(m_gif->file->Error), error);
    }
    if (m_file.error() != QFileDevice::NoError)
        return fail(m_file.errorString(), error);
    m_last = m_pending;
    m_pending = QImage();
    return true;
}

bool AnimatedGif::close(QString *error)
{
    if (m_failed || !m_gif->file)
        return fail(u"the animation is not open"_s, error);
    if (!m_pending.isNull() && !flush(error))
        return false;
    int code = 0;
    const int status = EGifCloseFile(m_gif->file, &code);
    m_gif->file = nullptr;
    if (status != GIF_OK)
        return fail(gifError(code), error);
    if (!m_file.commit())
        return fail(m_file.errorString(), error);
    return true;
}
