#pragma once

// Reading and writing whole files in GoogleTest tests.

#include <QByteArray>
#include <QFile>
#include <QString>

#include <gtest/gtest.h>

// The file's bytes; "<missing>" when it cannot be read, so that a comparison
// with the expected bytes tells the two apart.
inline QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

inline void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}
