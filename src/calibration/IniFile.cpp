#include "IniFile.h"

#include "document/model/CodePage.h"

#include <QFile>
#include <QSaveFile>

namespace {

QString decode(const QByteArray &bytes)
{
    return CodePage::fromWindows1251(bytes);
}

// The section name of a header line "[name]", or nothing for other lines.
std::optional<QString> sectionName(const QByteArray &line)
{
    const QByteArray trimmed = line.trimmed();
    if (!trimmed.startsWith('['))
        return std::nullopt;
    const qsizetype close = trimmed.indexOf(']');
    if (close < 0)
        return std::nullopt;
    return decode(trimmed.mid(1, close - 1)).trimmed();
}

// The key and value of a line "key=value", or nothing for other lines.
std::optional<std::pair<QString, QString>> keyValue(const QByteArray &line)
{
    const QByteArray trimmed = line.trimmed();
    if (trimmed.isEmpty() || trimmed.startsWith(';') || trimmed.startsWith('['))
        return std::nullopt;
    const qsizetype equals = line.indexOf('=');
    if (equals < 0)
        return std::nullopt;
    return std::pair{decode(line.left(equals)).trimmed(), decode(line.mid(equals + 1)).trimmed()};
}

bool sameName(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

} // namespace

IniFile IniFile::load(const QString &fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return IniFile();
    return fromBytes(file.readAll());
}

IniFile IniFile::fromBytes(const QByteArray &bytes)
{
    IniFile ini;
    qsizetype pos = 0;
    while (pos < bytes.size()) {
        qsizetype lf = bytes.indexOf('\n', pos);
        Line line;
        if (lf < 0) {
            line.text = bytes.mid(pos);
            pos = bytes.size();
        } else {
            qsizetype end = lf;
            if (end > pos && bytes[end - 1] == '\r')
                --end;
            line.text = bytes.mid(pos, end - pos);
            line.end = bytes.mid(end, lf + 1 - end);
            pos = lf + 1;
        }
        ini.m_lines.append(line);
    }
    return ini;
}

std::pair<int, int> IniFile::sectionRange(const QString &section) const
{
    for (int i = 0; i < m_lines.size(); ++i) {
        const auto name = sectionName(m_lines[i].text);
        if (!name || !sameName(*name, section))
            continue;
        int end = i + 1;
        while (end < m_lines.size() && !sectionName(m_lines[end].text))
            ++end;
        return {i, end};
    }
    return {-1, -1};
}

std::optional<QString> IniFile::value(const QString &section, const QString &key) const
{
    const auto [header, end] = sectionRange(section);
    if (header < 0)
        return std::nullopt;
    for (int i = header + 1; i < end; ++i) {
        const auto kv = keyValue(m_lines[i].text);
        if (kv && sameName(kv->first, key))
            return kv->second.left(MaxValueLength).trimmed();
    }
    return std::nullopt;
}

QString IniFile::value(const QString &section, const QString &key, const QString &fallback) const
{
    return value(section, key).value_or(fallback);
}

void IniFile::setValue(const QString &section, const QString &key, const QString &value)
{
    const QByteArray newLine = CodePage::toWindows1251(key) + '=' + CodePage::toWindows1251(value);
    auto [header, end] = sectionRange(section);
    if (header < 0) {
        if (!m_lines.isEmpty() && m_lines.last().end.isEmpty())
            m_lines.last().end = "\r\n";
        m_lines.append({'[' + CodePage::toWindows1251(section) + ']', "\r\n"});
        m_lines.append({newLine, "\r\n"});
        return;
    }
    int lastKey = header;
    for (int i = header + 1; i < end; ++i) {
        const auto kv = keyValue(m_lines[i].text);
        if (!kv)
            continue;
        if (sameName(kv->first, key)) {
            m_lines[i].text = newLine;
            return;
        }
        lastKey = i;
    }
    // A new key goes after the section's last key, before any blank lines.
    if (m_lines[lastKey].end.isEmpty())
        m_lines[lastKey].end = "\r\n";
    m_lines.insert(lastKey + 1, {newLine, "\r\n"});
}

QByteArray IniFile::toBytes() const
{
    QByteArray bytes;
    for (const Line &line : m_lines)
        bytes += line.text + line.end;
    return bytes;
}

bool IniFile::save(const QString &fileName, QString *error) const
{
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly) || file.write(toBytes()) < 0 || !file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}
