#pragma once

// The check as a job for the command line: reads a source file, compiles
// it, and writes the compiled program "cmpres8.dat" and its listing
// "cmpres.bak" into a directory, as the editor's check does.
//
// The calibration values come from the options when both are given, and
// "sensor.ini" is then neither read nor written; without them they come
// from "sensor.ini" in calibrationDirectory (the work folder when empty),
// which afterwards holds the values as the sign received them.
//
// Returns CliOk after a check without error; CliProblem when the document
// has an error (the message line as the check window shows it, then the
// item number, each on a line of `err`): the listing is then written as far
// as the check got, and "cmpres8.dat" is left as it was (CheckFiles), so an
// earlier good program is never replaced by a broken one; CliUsage when the options are
// wrong, the source cannot be read or is malformed, or a file cannot be
// written (with a message naming the file and the reason).

#include "compiler/Compiler.h"
#include "document/model/SourceDocument.h"

#include <QString>
#include <QTextStream>

#include <functional>
#include <optional>

struct CheckJobOptions {
    QString sourceFile;
    QString outputDirectory;             // empty: the current directory
    std::optional<QString> pressure;     // both or neither
    std::optional<QString> humidity;
    QString calibrationDirectory;        // empty: the work folder
};

int runCheckJob(const CheckJobOptions &options, QTextStream &err);

// False (with the message on `err`) when the options cannot make a check:
// one calibration value without the other, an output directory that does
// not exist.
bool checkJobOptionsValid(const CheckJobOptions &options, QTextStream &err);

// The same for a document already in memory (options.sourceFile is not
// read). `reportError`, when given, writes a document error to `err` in
// place of the message and item number lines.
using CheckErrorReport = std::function<void(const CheckError &error, QTextStream &err)>;
int runCheckJob(const SourceDocument &document, const CheckJobOptions &options, QTextStream &err,
                const CheckErrorReport &reportError = {});
