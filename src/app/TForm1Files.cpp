// The file commands of the main window: New, Open, Save, Save As, Exit.

#include "TForm1.h"

#include "ui/Caption.h"
#include "ui/Dialogs.h"
#include "richtext/RVStyleView.h"
#include "richview/TRichViewEdit.h"

#include "document/sourcefile/SourceFileReader.h"
#include "document/sourcefile/SourceFileWriter.h"

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
    editor.chooseFileName = [this] { return Dialogs::runFileDialog(*sd); };
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
    const QString path = Dialogs::runFileDialog(*od);
    if (path.isEmpty())
        return;
    openFile(path);
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
        Dialogs::message(this, QMessageBox::Critical, Caption::applicationTitle(),
                         u"Не удалось открыть исходный текст.\n"_s + error.toString());
        return false;
    }
    rve->loadDocument(std::move(document));
    return true;
}

bool TForm1::openFile(const QString &fileName)
{
    if (!readInto(fileName))
        return false;
    m_fileName = fileName;
    rveCurTextStyleChanged();
    setWindowTitle(Caption::forFile(m_fileName));
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
