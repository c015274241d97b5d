#pragma once

// An animated GIF written through giflib, frame by frame, that plays in a
// loop. Frames that repeat the one before only lengthen its delay, and each
// new frame stores just the rectangle in which it differs from the last, so
// a message that scrolls a few columns a step makes a small file.
//
// The file is written through a temporary file beside it and put in place by
// close(), so a failed or abandoned animation never replaces an older file.
//
// Errors: each call returns false with the reason in *error once writing
// failed; later calls then do nothing.

#include <QImage>
#include <QList>
#include <QSaveFile>
#include <QSize>
#include <QString>

#include <memory>

class AnimatedGif {
public:
    AnimatedGif();
    ~AnimatedGif();
    AnimatedGif(const AnimatedGif &) = delete;
    AnimatedGif &operator=(const AnimatedGif &) = delete;

    // palette: at most 256 colours, used by every frame.
    bool open(const QString &path, QSize size, const QList<QRgb> &palette, QString *error = nullptr);
    // frame: Format_Indexed8 of the size given to open(); delay in 1/100 s.
    bool addFrame(const QImage &frame, int delayCentiseconds, QString *error = nullptr);
    bool close(QString *error = nullptr);

private:
    bool flush(QString *error);
    bool fail(const QString &why, QString *error);

    struct Gif;
    std::unique_ptr<Gif> m_gif;
    QSaveFile m_file;
    QSize m_size;
    QImage m_pending;  // the frame not yet written, whose delay may still grow
    int m_pendingDelay = 0;
    QImage m_last;     // the frame last written, for the rectangle that changed
    bool m_failed = false;
};
