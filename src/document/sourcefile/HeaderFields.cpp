#include "HeaderFields.h"

#include <limits>

void HeaderFields::skipSpaces()
{
    while (m_pos < m_line.size() && m_line[m_pos] == ' ')
        ++m_pos;
}

bool HeaderFields::atEnd()
{
    skipSpaces();
    return m_pos >= m_line.size();
}

bool HeaderFields::atQuote()
{
    skipSpaces();
    return m_pos < m_line.size() && m_line[m_pos] == '"';
}

QByteArrayView HeaderFields::token()
{
    skipSpaces();
    const qsizetype start = m_pos;
    while (m_pos < m_line.size() && m_line[m_pos] != ' ')
        ++m_pos;
    return m_line.sliced(start, m_pos - start);
}

std::optional<int> HeaderFields::number()
{
    const QByteArrayView t = token();
    qsizetype i = 0;
    const bool negative = !t.isEmpty() && t[0] == '-';
    if (negative)
        ++i;
    if (i >= t.size())
        return std::nullopt;
    qint64 value = 0;
    for (; i < t.size(); ++i) {
        const char c = t[i];
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
        if (value > qint64(std::numeric_limits<int>::max()) + 1)
            return std::nullopt;
    }
    if (negative)
        value = -value;
    if (value > std::numeric_limits<int>::max())
        return std::nullopt;
    return int(value);
}

std::optional<QByteArray> HeaderFields::quoted()
{
    skipSpaces();
    if (m_pos >= m_line.size() || m_line[m_pos] != '"')
        return std::nullopt;
    QByteArray text;
    for (qsizetype i = m_pos + 1; i < m_line.size(); ++i) {
        if (m_line[i] != '"') {
            text.append(m_line[i]);
            continue;
        }
        if (i + 1 < m_line.size() && m_line[i + 1] == '"') {
            text.append('"');
            ++i;
            continue;
        }
        m_pos = i + 1;
        return text;
    }
    m_pos = m_line.size();
    return std::nullopt;
}

void HeaderFields::skipOneSpace()
{
    if (m_pos < m_line.size() && m_line[m_pos] == ' ')
        ++m_pos;
}
