// Error texts and codes on Windows: the system's texts for codes, and the
// system codes for the failures the port logic reports itself.

#include "serial/CommPlatform.h"

#include "WinApi.h"
#include "WinErrors.h"

#include <iterator>

using namespace Qt::StringLiterals;

namespace CommPlatform {

QString systemErrorText(int code)
{
    // Winsock codes (10000 and up) are system messages too.
    wchar_t buffer[512];
    const DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                        DWORD(code), 0, buffer, DWORD(std::size(buffer)), nullptr);
    if (length == 0)
        return u"Unknown error %1"_s.arg(code);
    QString text = QString::fromWCharArray(buffer, int(length));
    // The texts end in a line end, sometimes after a blank; the full stop stays.
    while (!text.isEmpty() && text.back().isSpace())
        text.chop(1);
    return text;
}

int faultCode(Fault fault)
{
    switch (fault) {
    case Fault::BadHandle: return ERROR_INVALID_HANDLE;
    case Fault::Invalid: return ERROR_INVALID_PARAMETER;
    case Fault::TimedOut: return ERROR_TIMEOUT;
    case Fault::ConnectionReset: return WSAECONNRESET;
    case Fault::NotSupported: return ERROR_NOT_SUPPORTED;
    case Fault::NotFound: return ERROR_FILE_NOT_FOUND;
    }
    return ERROR_INVALID_PARAMETER;
}

QString systemErrorText(int code, const QString &detail)
{
    QString text = systemErrorText(code);
    if (text.endsWith(u'.'))
        text.chop(1);
    return text + u" ("_s + detail + u')';
}

bool failWith(int code, const QString &text)
{
    setLastError(code, text);
    return false;
}

bool failLastError()
{
    return failWith(int(GetLastError()));
}

} // namespace CommPlatform
