// The thread's last port error, like the system's last-error code; the same
// on every platform, with the platform's texts (systemErrorText).

#include "CommPlatform.h"

namespace CommPlatform {

namespace {

thread_local Error t_lastError;

} // namespace

Error lastError()
{
    return t_lastError;
}

void setLastError(int code, const QString &text)
{
    t_lastError.code = code;
    t_lastError.text = text.isEmpty() ? systemErrorText(code) : text;
}

} // namespace CommPlatform
