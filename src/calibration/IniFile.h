#pragma once

// Named values in sections of a Windows-style initialisation file, read and
// written the way the system's profile functions do: section and key names
// compare without regard to case, values lose their surrounding blanks and
// are cut to 2047 characters, a key that exists is replaced in place, missing
// sections and keys are added, and every other line is left as it was. The
// file is in the system's ANSI code page (Windows-1251) with CR LF lines.

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>
#include <utility>

class IniFile {
public:
    static constexpr int MaxValueLength = 2047;

    // Reads the file; a missing or unreadable file is an empty one.
    static IniFile load(const QString &fileName);
    static IniFile fromBytes(const QByteArray &bytes);

    // The value of key in section, or nothing when either is missing.
    std::optional<QString> value(const QString &section, const QString &key) const;
    QString value(const QString &section, const QString &key, const QString &fallback) const;

    void setValue(const QString &section, const QString &key, const QString &value);

    QByteArray toBytes() const;

    // Writes the whole file through a temporary file beside it, so that a
    // failure leaves the old file as it was. Returns false on failure, with
    // the reason in *error when given.
    bool save(const QString &fileName, QString *error = nullptr) const;

private:
    // Each line keeps its own end ("\r\n", "\n" or none for the last line),
    // so lines nobody changes are written back byte for byte.
    struct Line {
        QByteArray text;
        QByteArray end;
    };
    QList<Line> m_lines;

    // The range of lines of a section: its header line and the lines before
    // the next section header. Returns -1 for the header when missing.
    std::pair<int, int> sectionRange(const QString &section) const;
};
