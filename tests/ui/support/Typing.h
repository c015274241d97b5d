#pragma once

// Types text of any script into a widget, one key press per character, the
// way a keyboard with that layout would (QTest's own typing takes Latin-1).

#include <QApplication>
#include <QKeyEvent>
#include <QString>
#include <QWidget>

inline void typeText(QWidget *widget, const QString &text)
{
    for (QChar ch : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(widget, &press);
        QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(widget, &release);
    }
}
