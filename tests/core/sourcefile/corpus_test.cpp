// Files on disk: a corpus of malformed source files, each of which must fail
// to read with a reason (and nothing worse), and the inputs the reader's
// fuzzer once found trouble with, which must now read as the fuzzer
// demands: what was read can be written, read back and written again to
// the same bytes.

#include "SourceFileTestSupport.h"

#include <QDir>
#include <QFile>

using namespace Qt::StringLiterals;

namespace {

QStringList filesIn(const char *folder)
{
    const QDir dir(QStringLiteral(ORAVELT_SOURCE_DIR "/tests/data/") + QLatin1StringView(folder));
    QStringList paths;
    for (const QString &name : dir.entryList(QDir::Files, QDir::Name))
        paths << dir.filePath(name);
    return paths;
}

QByteArray contents(const QString &path)
{
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    return file.readAll();
}

void expectStableRewrite(const SourceDocument &doc)
{
    const QByteArray written = writeSourceBytes(doc);
    SourceDocument again;
    FileError error;
    ASSERT_TRUE(readSourceBytes(written, again, &error)) << error.toString().toStdString();
    EXPECT_EQ(writeSourceBytes(again), written);
}

} // namespace

TEST(MalformedCorpus, EveryFileFailsWithAReason)
{
    ClassRegistry::registerStandardClasses();
    const QStringList files = filesIn("malformed");
    EXPECT_GE(files.size(), 15);
    for (const QString &path : files) {
        SCOPED_TRACE(path.toStdString());
        SourceDocument doc;
        FileError error;
        EXPECT_FALSE(ReadSourceFile(path, doc, &error));
        EXPECT_FALSE(error.reason.isEmpty());
        EXPECT_GE(error.line, 1);
        EXPECT_EQ(error.fileName, path);
        expectStableRewrite(doc);
    }
}

TEST(FuzzRegressions, WhatWasReadWritesBackStably)
{
    ClassRegistry::registerStandardClasses();
    for (const QString &path : filesIn("fuzz-regressions")) {
        SCOPED_TRACE(path.toStdString());
        SourceDocument doc;
        readSourceBytes(contents(path), doc);
        expectStableRewrite(doc);
    }
}
