#include "link/WholeFile.h"

#include <QDir>

#include <windows.h>

namespace {

WholeFile failed(DWORD error)
{
    WholeFile result;
    result.result = WholeFile::Failed;
    result.error = int(error);
    return result;
}

} // namespace

WholeFile WholeFile::read(const QString &path, qint64 maxSize)
{
    const std::wstring native = QDir::toNativeSeparators(path).toStdWString();
    // Shared for writing and deleting too: a check may be rewriting the file.
    const HANDLE file = CreateFileW(native.c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
            return WholeFile{};
        return failed(error);
    }
    struct Closer {
        HANDLE file;
        ~Closer() { CloseHandle(file); }
    } closer{file};

    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file, &size))
        return failed(GetLastError());
    WholeFile result;
    if (size.QuadPart > maxSize) {
        result.result = TooLarge;
        return result;
    }
    result.bytes.resize(qsizetype(size.QuadPart));
    qsizetype done = 0;
    while (done < result.bytes.size()) {
        DWORD n = 0;
        if (!ReadFile(file, result.bytes.data() + done, DWORD(result.bytes.size() - done), &n, nullptr))
            return failed(GetLastError());
        if (n == 0)
            break;
        done += n;
    }
    result.bytes.truncate(done);
    result.result = Read;
    return result;
}

bool WholeFile::isAccessDenied(int error)
{
    return error == ERROR_ACCESS_DENIED;
}
