// The file commands of the main window: New, Open, Save, Save As, Exit.
// Open also takes a message written as markup (*.txt), composed as
// `oravelt-cli compose` composes it, into a new unnamed document.

#include "TForm1.h"

#include "ui/ApplicationErrors.h"
#include "ui/Caption.h"
#include "ui/DialogFolders.h"
#include "ui/Dialogs.h"
#include "richtext/RVStyleView.h"
#include "richview/TRichViewEdit.h"

#include "app/check/TForm3.h"
#include "document/markup/MarkupReader.h"
#include "document/sourcefile/SourceFileReader.h"
#include "document/sourcefile/SourceFileWriter.h"

#include <QFile>
#include <QFileInfo>

using namespace Qt::StringLiterals;

SaveCycle::Editor TForm1::saveCycleEditor()
{
    SaveCycle::Editor editor;
    editor.window = this;
    editor.questionCaption = u"File was modified"_s;
    editor.questionText = u"Save file now?"_s;
    editor.isModified = [this] { return rve->isDocumentModified(); };
    editor.write = [this](const QString &fileName) {
        FileError error;
        if (!WriteSourceFile(fileName, rve->snapshot(), &error)) {
            // The document stays modified: nothing of it reached the file.
            Dialogs::message(this, QMessageBox::Critical, Caption::applicationTitle(),
                             u"Не удалось сохранить исходный текст.\n"_s + error.toString());
            return false;
        }
        rve->setDocumentModified(false);
        return true;
    };
    editor.chooseFileName = [this] { return DialogFolders::run(*sd, m_fileName); };
    editor.renamed = [this] { setWindowTitle(Caption::forFile(m_fileName)); };
    return editor;
}

bool TForm1::QuerySave()
{
    return m_saveCycle.querySave();
}

bool TForm1::SaveDocument()
{
    return m_saveCycle.save();
}

bool TForm1::SaveDocumentAs()
{
    return m_saveCycle.saveAs();
}

void TForm1::OpenDocument()
{
    if (!QuerySave())
        return;
    const QString path = DialogFolders::run(*od, m_fileName);
    if (path.isEmpty())
        return;
    openFile(path);
}

bool TForm1::isMarkupFile(const QString &fileName)
{
    return QFileInfo(fileName).suffix().compare(u"txt"_s, Qt::CaseInsensitive) == 0;
}

bool TForm1::readInto(const QString &fileName)
{
    // Read into a document of its own, so that a file that cannot be read
    // leaves the operator's document and file name as they were.
    SourceDocument document;
    document.styles = rvs().tables();
    document.background = rve->background();
    document.layout = rve->pageLayout();
    FileError error;
    if (!ReadSourceFile(fileName, document, &error)) {
        if (error.fileName.isEmpty())
            error.fileName = fileName;
        // A file of another kind, opened by mistake (another name, or not
        // even its first record reads): say what Open takes.
        const bool sourceName = QFileInfo(fileName).suffix().compare(u"abc"_s, Qt::CaseInsensitive) == 0;
        const QString expected = sourceName && error.offset != 0
                                     ? QString()
                                     : u"Ожидался исходный текст (*.abc) или сообщение в разметке (*.txt).\n"_s;
        Dialogs::message(this, QMessageBox::Critical, Caption::applicationTitle(),
                         u"Не удалось открыть исходный текст.\n"_s + expected + error.toString());
        return false;
    }
    rve->loadDocument(std::move(document));
    return true;
}

bool TForm1::composeInto(const QString &fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        Dialogs::message(this, QMessageBox::Critical, Caption::applicationTitle(),
                         u"Не удалось открыть сообщение в разметке.\n"_s
                             + FileError{fileName, -1, -1, file.errorString()}.toString());
        return false;
    }
    MarkupError error;
    std::optional<ComposedMessage> message = readMarkup(file.readAll(), QFileInfo(fileName).absolutePath(), &error);
    if (!message) {
        ApplicationErrors::show(
            u"%1:%2:%3: %4"_s.arg(fileName).arg(error.at.line).arg(error.at.column).arg(error.message), this);
        return false;
    }
    rve->loadDocument(std::move(message->document));
    // Made from the markup, not read from a source file: saving it is
    // still to do, under a name of the operator's.
    rve->setDocumentModified(true);
    return true;
}

bool TForm1::openFile(const QString &fileName)
{
    const bool markup = isMarkupFile(fileName);
    if (!(markup ? composeInto(fileName) : readInto(fileName)))
        return false;
    m_fileName = markup ? QString() : fileName;
    rveCurTextStyleChanged();
    setWindowTitle(Caption::forFile(m_fileName));
    if (m_checkWindow)
        m_checkWindow->resetProgress();
    return true;
}

void TForm1::NewDocument()
{
    if (!QuerySave())
        return;
    m_fileName.clear();
    setWindowTitle(Caption::forFile(m_fileName));
    rve->clearDocument();
    rveCurTextStyleChanged();
    if (m_checkWindow)
        m_checkWindow->resetProgress();
}

void TForm1::mitNewClick()
{
    NewDocument();
    rve->setFocus();
}

void TForm1::mitOpenClick()
{
    OpenDocument();
    rve->setFocus();
}

void TForm1::mitSaveClick()
{
    SaveDocument();
    rve->setFocus();
}

void TForm1::mitSaveAsClick()
{
    SaveDocumentAs();
    rve->setFocus();
}

void TForm1::mitExitClick()
{
    close();
}

void TForm1::btnCloseClick()
{
    close();
}
