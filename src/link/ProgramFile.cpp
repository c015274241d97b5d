#include "ProgramFile.h"

#include "LinkMessages.h"

#include <QFile>

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

QString fileErrorText(int error)
{
    if (error == EACCES || error == EPERM)
        return u"File access denied"_s;
    return u"I/O error %1"_s.arg(error);
}

ProgramFile failed(ProgramFile::Status status, const QString &message)
{
    ProgramFile result;
    result.status = status;
    result.message = message;
    return result;
}

} // namespace

ProgramFile ProgramFile::read(const QString &path)
{
    const QByteArray encoded = QFile::encodeName(path);
    const int fd = ::open(encoded.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            return failed(Missing, LinkMessages::programMissing());
        return failed(Unreadable, fileErrorText(errno));
    }
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};

    struct stat info {};
    if (fstat(fd, &info) != 0)
        return failed(Unreadable, fileErrorText(errno));
    if (S_ISDIR(info.st_mode))
        return failed(Unreadable, fileErrorText(EISDIR));
    if (info.st_size > MaxSize)
        return failed(TooLarge, LinkMessages::programTooLarge());

    ProgramFile result;
    result.bytes.resize(qsizetype(info.st_size));
    qsizetype done = 0;
    while (done < result.bytes.size()) {
        const ssize_t n = ::read(fd, result.bytes.data() + done, size_t(result.bytes.size() - done));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return failed(Unreadable, fileErrorText(errno));
        }
        if (n == 0)
            break;  // the file shrank meanwhile (a check rewriting it): send what it holds now
        done += n;
    }
    result.bytes.truncate(done);
    result.status = result.bytes.isEmpty() ? Empty : Loaded;
    return result;
}
