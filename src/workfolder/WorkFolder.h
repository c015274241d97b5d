#pragma once

// The work folder: where the compiled program "cmpres8.dat", its listing
// "cmpres.bak" and the calibration file "sensor.ini" live, for the editor's
// check, connection and calibration windows, for the simulator the editor
// starts, and for the command-line tool alike.
//
// It is the executable's folder when the user can write there (a portable
// copy, the build folder), so that such a copy keeps its files beside it.
// Otherwise (a program installed in /usr/bin or under Program Files) it is
// the per-user data folder of the application "Oravelt"
// (~/.local/share/Oravelt on Linux, %LOCALAPPDATA%\Oravelt on Windows), the
// same for every program of the product, created on first use; a sensor.ini
// installed beside the executable is the first one there.
//
// When neither can be used (no home folder, or a per-user folder that cannot
// be created or written) the work folder is not valid: error() says why and
// names the folder, and path() is the folder that could not be used, so that
// every write fails there and is reported rather than landing anywhere else.

#include <QString>

class WorkFolder {
public:
    static constexpr const char *ProgramFileName = "cmpres8.dat";
    static constexpr const char *ListingFileName = "cmpres.bak";
    static constexpr const char *SettingsFileName = "sensor.ini";
    // The folder under the per-user data location.
    static constexpr const char *PerUserFolderName = "Oravelt";

    // What the rule decides from.
    struct Candidates {
        QString executableFolder;        // with or without its trailing separator
        bool executableFolderWritable = false;
        QString perUserFolder;           // empty: there is no usable home folder
    };

    // The rule, for given folders. Only decides: touches nothing on disk.
    static WorkFolder decide(const Candidates &candidates);
    // The rule applied: decides, then creates the per-user folder when it is
    // the one and copies the executable folder's sensor.ini into it when it
    // has none. A folder that cannot be created or written makes the result
    // not valid.
    static WorkFolder prepare(const Candidates &candidates);

    // The running program's work folder, ready for use (prepare() on the
    // candidates of this machine and user).
    static WorkFolder locate();
    // The running program's work folder as it would be, without creating it
    // (for help texts).
    static WorkFolder peek();
    static Candidates candidates();

    // True when a file can be created in `folder` (tried, since permission
    // bits alone do not tell: access lists, read-only mounts).
    static bool isWritableFolder(const QString &folder);

    bool isValid() const { return m_error.isEmpty(); }
    // Why the work folder cannot be used, naming the folder; empty when valid.
    QString error() const { return m_error; }
    // With its trailing separator.
    QString path() const { return m_path; }
    // True when it is the per-user folder, not the executable's.
    bool isPerUser() const { return m_perUser; }

    QString programPath() const { return m_path + QLatin1StringView(ProgramFileName); }
    QString listingPath() const { return m_path + QLatin1StringView(ListingFileName); }
    QString settingsPath() const { return m_path + QLatin1StringView(SettingsFileName); }

private:
    QString m_path;
    QString m_error;
    bool m_perUser = false;
};
