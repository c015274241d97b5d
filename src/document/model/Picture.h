#pragma once

// The graphic of a picture item: its class name, the body bytes it was read
// from (kept so that a file read and written again is unchanged) and its
// decoded pixels. Pictures are immutable once made: an edit makes a new one.

#include <QByteArray>
#include <QImage>

#include <memory>

class Picture {
public:
    // A bitmap made in memory (graphic editor, drop, clipboard); its body is
    // encoded as a Windows bitmap file when it is written.
    static std::shared_ptr<const Picture> bitmap(QImage image);
    // A picture read from a source file: class name, body and what was decoded
    // from it (a null image for classes that are only kept as bytes).
    static std::shared_ptr<const Picture> fromBody(QByteArray className, QByteArray body, QImage image);

    const QByteArray &className() const { return m_className; }
    // The body as read, or empty for a picture made in memory.
    const QByteArray &body() const { return m_body; }
    const QImage &image() const { return m_image; }

    // The compiler accepts only this class, and only exactly this class.
    bool isBitmap() const { return m_className == "TBitmap"; }
    int width() const { return m_image.width(); }
    int height() const { return m_image.height(); }

    Picture(QByteArray className, QByteArray body, QImage image)
        : m_className(std::move(className)), m_body(std::move(body)), m_image(std::move(image)) {}

private:
    QByteArray m_className;
    QByteArray m_body;
    QImage m_image;
};

using PicturePtr = std::shared_ptr<const Picture>;
