#pragma once

// The two output files of a check, "cmpres8.dat" (the compiled program) and
// "cmpres.bak" (its listing), in a directory (the work folder, for the
// editor). Both are made as temporary files beside the real ones when the
// check starts and replace them only when the check has ended, so the upload
// never reads a program that is still being written and a failure part-way
// leaves the files of the previous check in place.

#include "Compiler.h"
#include "workfolder/WorkFolder.h"

#include <QSaveFile>
#include <QString>

#include <memory>

class CheckFiles {
public:
    static constexpr const char *ProgramFileName = WorkFolder::ProgramFileName;
    static constexpr const char *ListingFileName = WorkFolder::ListingFileName;

    // directory: with or without its trailing separator.
    explicit CheckFiles(const QString &directory);
    ~CheckFiles();

    QString programPath() const { return m_programPath; }
    QString listingPath() const { return m_listingPath; }

    // Creates the listing, then the program. False when either cannot be
    // created (the check's file error box), with the system's reason in *error.
    bool create(QString *error = nullptr);

    // Writes the result into both files and puts them in place. False when
    // writing fails (a full disk, for instance), with the reason in *error;
    // the previous files then stay as they were.
    bool commit(const CheckResult &result, QString *error = nullptr);

private:
    QString m_programPath;
    QString m_listingPath;
    std::unique_ptr<QSaveFile> m_program;
    std::unique_ptr<QSaveFile> m_listing;
};
