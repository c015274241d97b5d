#include "CliFiles.h"

#include "document/streams/ClassRegistry.h"
#include "document/sourcefile/SourceFileReader.h"

#include <QFile>
#include <QSaveFile>
#include <QTextStream>

#include <cstdio>

using namespace Qt::StringLiterals;

bool isStandardStream(const QString &name)
{
    return name == u"-"_s;
}

std::optional<QByteArray> readInput(const QString &name, QString *error)
{
    if (isStandardStream(name)) {
        // Read with the C runtime until its end: a pipe has no size to ask,
        // and the runtime tells its end from a failure on every platform.
        QByteArray bytes;
        char buffer[65536];
        size_t n = 0;
        while ((n = std::fread(buffer, 1, sizeof buffer, stdin)) > 0)
            bytes.append(buffer, qsizetype(n));
        if (std::ferror(stdin)) {
            *error = u"standard input cannot be read"_s;
            return std::nullopt;
        }
        return bytes;
    }
    QFile file(name);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = file.errorString();
        return std::nullopt;
    }
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        *error = file.errorString();
        return std::nullopt;
    }
    return bytes;
}

bool writeOutput(const QString &name, const QByteArray &bytes, QString *error)
{
    if (isStandardStream(name)) {
        if (std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout) != size_t(bytes.size())
            || std::fflush(stdout) != 0) {
            *error = u"standard output cannot be written"_s;
            return false;
        }
        return true;
    }
    QSaveFile file(name);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        *error = file.errorString();
        return false;
    }
    return true;
}

std::optional<SourceDocument> readSourceForCommand(const QString &fileName, QTextStream &err)
{
    ClassRegistry::registerStandardClasses();
    SourceDocument document;
    FileError error;
    if (!ReadSourceFile(fileName, document, &error)) {
        err << u"oravelt-cli: cannot read "_s << error.toString() << u'\n';
        return std::nullopt;
    }
    return document;
}
