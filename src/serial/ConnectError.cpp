#include "ConnectError.h"

using namespace Qt::StringLiterals;

EConnectError::EConnectError(const QString &message)
    : m_message(message)
    , m_utf8(message.toUtf8())
{
}

EComError::EComError(int code, const QString &text, const QString &function)
    : EConnectError(formatMessage(code, text, function))
    , m_code(code)
    , m_function(function)
{
}

QString EComError::formatMessage(int code, const QString &text, const QString &function)
{
    QString trimmed = text;
    while (!trimmed.isEmpty() && (trimmed.back().isSpace() || trimmed.back() == u'.'))
        trimmed.chop(1);
    return u"Error %1 %2 in function: %3"_s.arg(code).arg(trimmed, function);
}
