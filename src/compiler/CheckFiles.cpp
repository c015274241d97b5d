#include "CheckFiles.h"

#include <QDir>

using namespace Qt::StringLiterals;

namespace {
QString withSeparator(const QString &directory)
{
    if (directory.isEmpty())
        return QString();
    return directory.endsWith(u'/') ? directory : directory + u'/';
}

QString describe(const QSaveFile &file)
{
    return u"%1: %2"_s.arg(QDir::toNativeSeparators(file.fileName()), file.errorString());
}
} // namespace

CheckFiles::CheckFiles(const QString &directory)
    : m_programPath(withSeparator(directory) + QLatin1StringView(ProgramFileName)),
      m_listingPath(withSeparator(directory) + QLatin1StringView(ListingFileName))
{
}

CheckFiles::~CheckFiles()
{
    if (m_listing)
        m_listing->cancelWriting();
    if (m_program)
        m_program->cancelWriting();
}

bool CheckFiles::create(QString *error)
{
    m_listing = std::make_unique<QSaveFile>(m_listingPath);
    m_program = std::make_unique<QSaveFile>(m_programPath);
    for (QSaveFile *file : {m_listing.get(), m_program.get()}) {
        if (!file->open(QIODevice::WriteOnly)) {
            if (error)
                *error = describe(*file);
            m_listing.reset();
            m_program.reset();
            return false;
        }
    }
    return true;
}

bool CheckFiles::commit(const CheckResult &result, QString *error)
{
    if (!m_listing || !m_program) {
        if (!create(error))
            return false;
    }
    const auto fail = [&](QSaveFile &file) {
        if (error)
            *error = describe(file);
        m_listing->cancelWriting();
        m_program->cancelWriting();
        m_listing.reset();
        m_program.reset();
        return false;
    };
    const bool withProgram = result.succeeded();
    if (m_listing->write(result.listing) != result.listing.size())
        return fail(*m_listing);
    if (withProgram && m_program->write(result.program) != result.program.size())
        return fail(*m_program);
    // Listing first: the program is what the upload reads, so it is put in
    // place last, when everything else of this check is done.
    if (!m_listing->commit())
        return fail(*m_listing);
    if (!withProgram)
        m_program->cancelWriting();
    else if (!m_program->commit())
        return fail(*m_program);
    m_listing.reset();
    m_program.reset();
    return true;
}
