#pragma once

// Failures of the serial layer. EConnectError carries only its message (the
// connection classes raise "Connection is active" / "Connection is inactive");
// EComError is a failing platform call of the port, formatted as
// "Error <code> <system text> in function: <call>", where <call> is the name of
// the Win32 call whose role the failing platform call plays ("CreateFile" for
// opening, "SetCommState" for applying the line state, "WriteFile", ...), so
// messages read the same on every platform.

#include <QByteArray>
#include <QString>

#include <exception>

class EConnectError : public std::exception {
public:
    explicit EConnectError(const QString &message);

    const QString &message() const { return m_message; }
    const char *what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_message;
    QByteArray m_utf8;
};

class EComError : public EConnectError {
public:
    // text: the system's text for code; trailing white space and full stops
    // are removed before it goes into the message.
    EComError(int code, const QString &text, const QString &function);

    int code() const { return m_code; }
    const QString &function() const { return m_function; }

    static QString formatMessage(int code, const QString &text, const QString &function);

private:
    int m_code;
    QString m_function;
};
