#include "ProgramFile.h"

#include "LinkMessages.h"
#include "WholeFile.h"

using namespace Qt::StringLiterals;

namespace {

QString fileErrorText(int error)
{
    if (WholeFile::isAccessDenied(error))
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
    // A file that shrank meanwhile (a check rewriting it) sends what it holds now.
    WholeFile file = WholeFile::read(path, MaxSize);
    switch (file.result) {
    case WholeFile::Missing: return failed(Missing, LinkMessages::programMissing());
    case WholeFile::TooLarge: return failed(TooLarge, LinkMessages::programTooLarge());
    case WholeFile::Failed: return failed(Unreadable, fileErrorText(file.error));
    case WholeFile::Read: break;
    }
    ProgramFile result;
    result.bytes = std::move(file.bytes);
    result.status = result.bytes.isEmpty() ? Empty : Loaded;
    return result;
}
