#include "link/WholeFile.h"

#include <QFile>

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

WholeFile failed(int error)
{
    WholeFile result;
    result.result = WholeFile::Failed;
    result.error = error;
    return result;
}

} // namespace

WholeFile WholeFile::read(const QString &path, qint64 maxSize)
{
    const QByteArray encoded = QFile::encodeName(path);
    const int fd = ::open(encoded.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            return WholeFile{};
        return failed(errno);
    }
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};

    struct stat info {};
    if (fstat(fd, &info) != 0)
        return failed(errno);
    if (S_ISDIR(info.st_mode))
        return failed(EISDIR);
    WholeFile result;
    if (info.st_size > maxSize) {
        result.result = TooLarge;
        return result;
    }
    result.bytes.resize(qsizetype(info.st_size));
    qsizetype done = 0;
    while (done < result.bytes.size()) {
        const ssize_t n = ::read(fd, result.bytes.data() + done, size_t(result.bytes.size() - done));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return failed(errno);
        }
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
    return error == EACCES || error == EPERM;
}
