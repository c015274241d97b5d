#pragma once

#include "DocumentBuilder.h"
#include "QtPrinters.h"

#include "compiler/Compiler.h"
#include "simulator/LedFrame.h"
#include "simulator/ProgramDecoder.h"

#include <QByteArray>
#include <QStringList>

#include <gtest/gtest.h>

#include <string>
#include <vector>

// "02 01 0A" -> the three bytes.
inline QByteArray hexBytes(const char *text)
{
    return QByteArray::fromHex(QByteArray(text).replace(' ', ""));
}

// The compiled program of a document that checks without error.
inline QByteArray compiled(const SourceDocument &document)
{
    const CheckResult result = Compiler::compile(document);
    EXPECT_TRUE(result.succeeded()) << (result.error ? result.error->message.toStdString() : std::string());
    return result.program;
}

inline CompiledProgram decoded(const QByteArray &bytes)
{
    ProgramError error;
    const std::optional<CompiledProgram> program = decodeProgram(bytes, &error);
    EXPECT_TRUE(program.has_value()) << error.toString().toStdString();
    return program.value_or(CompiledProgram());
}

// The rows of a frame, top first: '#' lit, '.' dark.
inline std::vector<std::string> rows(const LedFrame &frame)
{
    std::vector<std::string> result(8, std::string(size_t(frame.width()), '.'));
    for (int x = 0; x < frame.width(); ++x)
        for (int row = 0; row < 8; ++row)
            if (frame.lit(x, row))
                result[size_t(row)][size_t(x)] = '#';
    return result;
}

inline int litCount(const LedFrame &frame)
{
    int count = 0;
    for (const quint8 column : frame.columns)
        count += __builtin_popcount(column);
    return count;
}

// A picture 8 rows high from rows of '#' (red) and '.' (black).
inline QImage drawnPicture(const std::vector<const char *> &picture)
{
    std::vector<QByteArray> rowsOfColours;
    for (const char *row : picture)
        rowsOfColours.push_back(QByteArray(row).replace('#', 'R'));
    return DocumentBuilder::pictureFromRows(rowsOfColours);
}
