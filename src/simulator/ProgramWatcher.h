#pragma once

// Keeps a compiled program file read: reads it at once and again whenever it
// changes on disk. The check replaces "cmpres8.dat" whole, by renaming a new
// file over it, which a watch on the file alone would lose; so the watcher
// watches the directory too, and reads the file again once the directory has
// been quiet for a moment. Only a change of the file's bytes (or of whether
// it can be read) counts: the listing and "sensor.ini", written beside it by
// the same check, change nothing.
//
// Errors: a missing, unreadable or malformed file is a state, not a failure;
// the watcher goes on watching and reports the next good program.
//
// Threads: the thread it lives in, with an event loop.

#include "CompiledProgram.h"
#include "ProgramDecoder.h"

#include <QByteArray>
#include <QFileSystemWatcher>
#include <QObject>
#include <QString>
#include <QTimer>

class ProgramWatcher : public QObject {
    Q_OBJECT
public:
    enum class State : quint8 { Missing, Unreadable, Malformed, Loaded };

    explicit ProgramWatcher(const QString &path, QObject *parent = nullptr);

    QString path() const { return m_path; }
    State state() const { return m_state; }
    const CompiledProgram &program() const { return m_program; }  // when Loaded
    const ProgramError &error() const { return m_error; }          // when Malformed
    const QString &readError() const { return m_readError; }       // when Unreadable
    qint64 size() const { return m_bytes.size(); }

    // Reads the file now; changed() when it differs from what was read last,
    // or always when `force` is set.
    void reload(bool force = false);

signals:
    void changed();

private:
    void watch();

    QString m_path;
    QFileSystemWatcher m_watcher;
    QTimer m_settle;
    State m_state = State::Missing;
    QByteArray m_bytes;
    CompiledProgram m_program;
    ProgramError m_error;
    QString m_readError;
};
