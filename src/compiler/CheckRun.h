#pragma once

// One check from its start to its end, as the check window and
// `oravelt-cli check` both run it: the two output files are created, the
// document is compiled, the files are put in place, and the calibration
// values the program carries are written back where they came from.
//
// The calibration values are read when the walk over the document has ended,
// since they are the program's last bytes: a value changed while a long check
// runs (typed into the calibration window) is the one the program carries,
// and the one written back.
//
// The caller drives the walk through Compiler::Hooks (the window: progress,
// yielding, Esc) and may show the outcome between compile() and finish().
//
// Ownership: the calibration source, when given, outlives the run.
// Errors: start() and finish() return false with the reason in *error.

#include "CheckFiles.h"
#include "Compiler.h"

#include <QString>

class CalibrationSource;

class CheckRun {
public:
    // outputDirectory: where "cmpres8.dat" and "cmpres.bak" go, with or
    // without its trailing separator. calibration: where the two values come
    // from and go back to; none: "0" and "0", and nothing is written back.
    CheckRun(const QString &outputDirectory, CalibrationSource *calibration);

    // Creates the two output files. False when either cannot be created.
    bool start(QString *error = nullptr);
    // Walks the document; the calibration values are read at the end.
    const CheckResult &compile(const SourceDocument &document, const Compiler::Hooks &hooks = {});
    const CheckResult &result() const { return m_result; }

    enum class Failure { None, Files, Calibration };
    // Puts the files in place, then writes the calibration values back
    // (only when the files were written). Which step failed, with the reason
    // in *error.
    Failure finish(QString *error = nullptr);

private:
    CheckFiles m_files;
    CalibrationSource *m_calibration = nullptr;
    CheckResult m_result;
};
