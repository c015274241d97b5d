#include "ProgramWatcher.h"

#include <QFile>
#include <QFileInfo>

namespace {

// How long the directory must stay quiet before the file is read: the check
// writes the listing, the program and the settings one after another.
constexpr int SettleMilliseconds = 150;
// A program larger than this is not one a check wrote.
constexpr qint64 MaxProgramBytes = 64 << 20;

} // namespace

ProgramWatcher::ProgramWatcher(const QString &path, QObject *parent) : QObject(parent), m_path(path)
{
    m_settle.setSingleShot(true);
    m_settle.setInterval(SettleMilliseconds);
    connect(&m_settle, &QTimer::timeout, this, [this] { reload(); });
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, [this] { m_settle.start(); });
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, this, [this] { m_settle.start(); });
    watch();
    reload(true);
}

void ProgramWatcher::watch()
{
    const QFileInfo info(m_path);
    const QString directory = info.absolutePath();
    if (!m_watcher.directories().contains(directory))
        m_watcher.addPath(directory);
    // A file renamed over the old one is a new file: watch it again.
    if (info.exists() && !m_watcher.files().contains(m_path))
        m_watcher.addPath(m_path);
}

void ProgramWatcher::reload(bool force)
{
    watch();
    State state = State::Missing;
    QByteArray bytes;
    QString readError;
    QFile file(m_path);
    if (file.exists()) {
        if (!file.open(QIODevice::ReadOnly)) {
            state = State::Unreadable;
            readError = file.errorString();
        } else if (file.size() > MaxProgramBytes) {
            state = State::Unreadable;
            readError = QStringLiteral("%1 bytes is too large for a compiled program").arg(file.size());
        } else {
            bytes = file.readAll();
            state = State::Loaded;
        }
    }
    // Compared before decoding: a malformed file read again unchanged is no news.
    const bool sameRead = (state == State::Missing) == (m_state == State::Missing) && bytes == m_bytes
                          && readError == m_readError;
    if (!force && sameRead)
        return;

    m_bytes = bytes;
    m_readError = readError;
    m_program = CompiledProgram();
    m_error = ProgramError();
    if (state == State::Loaded) {
        if (std::optional<CompiledProgram> program = decodeProgram(m_bytes, &m_error))
            m_program = std::move(*program);
        else
            state = State::Malformed;
    }
    m_state = state;
    emit changed();
}
