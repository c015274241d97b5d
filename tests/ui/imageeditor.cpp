// The graphic editor driven as the operator drives it, together with the main
// window: drawing with the mouse, the colour squares, the save prompt, picture
// files, taking the picture at the caret, Insert, and dragging the preview
// onto the text.

#include "DialogScript.h"
#include "SampleDocuments.h"

#include "app/richview/MarkerComboBoxes.h"
#include "app/TForm1.h"
#include "app/richview/TRichViewEdit.h"
#include "compiler/Compiler.h"
#include "document/pictures/BitmapFile.h"
#include "document/streams/ClassRegistry.h"
#include "imageeditor/PictureDrag.h"
#include "imageeditor/WorkBitmap.h"
#include "app/pictures/OpenPictureDialog.h"
#include "app/pictures/PictureImportDialog.h"
#include "app/pictures/TForm2.h"
#include "app/pictures/TImage.h"
#include "app/pictures/WorkBitmapView.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QMenuBar>
#include <QMimeData>
#include <QScrollArea>
#include <QScrollBar>
#include <QSlider>
#include <QSpinBox>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QUrl>

using namespace Qt::StringLiterals;

namespace {

const QString Suffix = u" - \"Oravelt\" XP/W7 v2.2.1 16.11.2011"_s;
const QString Unnamed = u"Unnamed - Графический редактор"_s + Suffix;
constexpr QRgb Red = 0xFFFF0000u;
constexpr QRgb Black = 0xFF000000u;

QString captionOf(const QString &name)
{
    return name + u" - Графический редактор"_s + Suffix;
}

QRgb pixel(const QImage &image, int x, int y)
{
    return image.pixel(x, y) | 0xFF000000u;
}

int redCount(const QImage &picture)
{
    int n = 0;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            n += pixel(picture, x, y) == Red;
    return n;
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// Counts the caret messages the main window receives.
class CaretMessageCounter : public QObject {
public:
    int count = 0;
    QPoint last;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == CaretMessage::Type) {
            ++count;
            last = static_cast<CaretMessage *>(event)->point;
        }
        return false;
    }
};

} // namespace

class ImageEditorTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // The folders the file dialogs remember go to a settings file of
        // the tests' own.
        QStandardPaths::setTestModeEnabled(true);
        ClassRegistry::registerStandardClasses();
    }

    void init()
    {
        m_script = std::make_unique<DialogScript>();
        m_main = std::make_unique<TForm1>();
        m_form = std::make_unique<TForm2>(m_main.get());
        m_main->attachGraphicEditor(m_form.get());
        m_main->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_main.get()));
    }

    void cleanup()
    {
        if (m_form) {
            const_cast<PictureEditor &>(m_form->model()).setModified(false);
            m_form->hide();
        }
        if (m_main)
            m_main->rve->setDocumentModified(false);
        m_form.reset();
        m_main.reset();
        m_script.reset();
    }

    // ----- the window

    void startsHiddenWithAnUnnamedBlackPictureEightWide()
    {
        QVERIFY(!m_form->isVisible());
        QCOMPARE(m_form->windowTitle(), Unnamed);
        QCOMPARE(m_form->model().picture().size(), QSize(8, 8));
        QCOMPARE(redCount(m_form->model().picture()), 0);
        QVERIFY(!m_form->model().isModified());
        QCOMPARE(m_form->WidthTextEdit->value(), 8);
        QCOMPARE(m_form->WidthTextEdit->minimum(), 1);
        QCOMPARE(m_form->WidthTextEdit->maximum(), 1024);
        QVERIFY(!m_form->WidthTextEdit->wrapping());
        QVERIFY(m_main->gEditor->isEnabled());
        QVERIFY(m_main->action("mitFromGraphicEditor")->isEnabled());
    }

    void layoutFromTopToBottom()
    {
        showEditor();
        QCOMPARE(m_form->Panel6->height(), 41);
        QCOMPARE(m_form->ScrollBox2->height(), 52);
        QCOMPARE(m_form->ScrollBox1->height(), 102);
        QCOMPARE(m_form->ScrollBox2->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
        const int workBottom = m_form->ScrollBox1->geometry().bottom();
        QCOMPARE(m_form->Panel3->geometry().top(), workBottom + 1 + 2);
        QVERIFY(m_form->Panel3->geometry().bottom() < m_form->statusBar()->geometry().top());
        const QList<QLabel *> panels = m_form->statusBar()->findChildren<QLabel *>();
        QCOMPARE(panels.size(), 2);
        for (const QLabel *panel : panels)
            QCOMPARE(panel->width(), 200);
        // 304 high on a desktop whose caption and menu bar are 19 high and
        // frame 4 on each side: what is left below the menu bar.
        QCOMPARE(m_form->height() - m_form->menuBar()->height(), 304 - 8 - 19 - 19);
        // The background swatch lies behind the drawing swatch, lower right.
        QVERIFY(m_form->BackColor->x() > m_form->SelectedColor->x());
        QVERIFY(m_form->BackColor->y() > m_form->SelectedColor->y());
        QCOMPARE(m_form->SelectedColor->palette().color(QPalette::Window), QColor(Qt::red));
        QCOMPARE(m_form->BackColor->palette().color(QPalette::Window), QColor(Qt::black));
        QCOMPARE(m_form->WorkImage->size(), QSize(65, 65));
        QCOMPARE(m_form->PreviewImage->size(), QSize(16, 16));

        // Showing it again keeps a width the operator gave it.
        m_form->resize(700, m_form->height());
        m_form->hide();
        showEditor();
        QCOMPARE(m_form->width(), 700);
    }

    void menusShortcutsAndCommands()
    {
        QCOMPARE(m_form->action("N2")->shortcut(), QKeySequence(u"Ctrl+N"_s));
        QCOMPARE(m_form->action("N3")->shortcut(), QKeySequence(u"Ctrl+O"_s));
        QCOMPARE(m_form->action("N4")->shortcut(), QKeySequence(u"Ctrl+S"_s));
        QCOMPARE(m_form->action("N5")->text(), u"Сохранить &как..."_s);
        QCOMPARE(m_form->action("N7")->text(), u"З&акрыть"_s);
        QCOMPARE(m_form->action("mitInsert")->text(), u"В&ставить"_s);
        QCOMPARE(m_form->action("mitInsert")->shortcut(), QKeySequence(Qt::Key_Insert));
        QCOMPARE(m_form->action("mitImport")->text(), u"&Импорт изображения..."_s);
        const QList<QAction *> menus = m_form->menuBar()->actions();
        QCOMPARE(menus.size(), 2);
        QCOMPARE(menus[0]->text(), u"&Файл"_s);
        QCOMPARE(menus[1]->text(), u"&Правка"_s);
        // "З&акрыть" comes after a separator.
        const QList<QAction *> file = menus[0]->menu()->actions();
        QVERIFY(file[file.size() - 2]->isSeparator());
    }

    void closingOnlyHidesAndAModifiedPictureAsksFirst()
    {
        showEditor();
        paint(Qt::LeftButton, QPoint(3, 3));
        m_script->answer(QMessageBox::Cancel);
        m_form->btnCloseClick();
        QVERIFY(m_form->isVisible());
        QCOMPARE(m_script->messages.size(), 1);
        QCOMPARE(m_script->messages[0].text, u"Сохранить в файл?"_s);
        QCOMPARE(m_script->messages[0].caption, u"Изображение было изменено"_s);
        QCOMPARE(m_script->messages[0].icon, QMessageBox::Question);
        QCOMPARE(m_script->messages[0].buttons, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        m_script->answer(QMessageBox::No);
        m_form->btnCloseClick();
        QVERIFY(!m_form->isVisible());
        QVERIFY(m_form->isHidden());
        QCOMPARE(m_main->graphicEditor(), m_form.get());
    }

    void closingTheMainWindowAsksForADrawnPicture()
    {
        showEditor();
        paint(Qt::LeftButton, QPoint(3, 3));
        m_script->answer(QMessageBox::Cancel);
        QVERIFY(!m_main->close());
        QVERIFY(m_main->isVisible());
        QCOMPARE(m_script->messages.last().text, u"Сохранить в файл?"_s);
    }

    // ----- drawing

    void aLeftPressAt13_20PaintsSquare1_2InTheWorkAreaAndThePreview()
    {
        showEditor();
        paint(Qt::LeftButton, QPoint(13, 20));
        QCOMPARE(pixel(m_form->model().picture(), 1, 2), Red);
        QCOMPARE(redCount(m_form->model().picture()), 1);
        QCOMPARE(m_form->statusText(0), u"Modified"_s);
        QVERIFY(m_form->model().isModified());
        QCOMPARE(pixel(m_form->PreviewImage->picture(), 1, 2), Red);
        // (without the keyboard's mark, which a click puts there)
        m_form->WorkImage->clearFocus();
        const QImage shown = m_form->WorkImage->grab().toImage();
        QCOMPARE(pixel(shown, 12, 20), Red);
        QCOMPARE(pixel(shown, 16, 20), WorkBitmap::GridColour);
        QCOMPARE(pixel(shown, 12, 16), WorkBitmap::GridColour);
        QCOMPARE(pixel(shown, 20, 20), Black);
        const QImage preview = m_form->PreviewImage->grab().toImage();
        QCOMPARE(pixel(preview, 2, 4), Red);
        QCOMPARE(pixel(preview, 3, 5), Red);
        QCOMPARE(pixel(preview, 0, 0), Black);
    }

    void aPressOnGridLineX8PaintsColumn1()
    {
        showEditor();
        paint(Qt::LeftButton, QPoint(8, 2));
        QCOMPARE(pixel(m_form->model().picture(), 1, 0), Red);
        QCOMPARE(pixel(m_form->model().picture(), 0, 0), Black);
    }

    void atWidth5TheRightAndBottomBordersChangeNoPixel()
    {
        showEditor();
        m_form->WidthTextEdit->setValue(5);
        m_form->btnNewClick();
        QCOMPARE(m_form->WorkImage->size(), QSize(41, 65));
        paint(Qt::LeftButton, QPoint(40, 10));
        paint(Qt::LeftButton, QPoint(10, 64));
        QCOMPARE(redCount(m_form->model().picture()), 0);
        QCOMPARE(m_form->statusText(0), u"Modified"_s);
    }

    void aRightButtonDragErasesAndTheMiddleButtonDoesNothing()
    {
        showEditor();
        QTest::mousePress(m_form->WorkImage, Qt::LeftButton, {}, QPoint(2, 2));
        for (int x = 2; x < 64; x += 4)
            QTest::mouseMove(m_form->WorkImage, QPoint(x, 2));
        QTest::mouseRelease(m_form->WorkImage, Qt::LeftButton, {}, QPoint(62, 2));
        QCOMPARE(redCount(m_form->model().picture()), 8);

        QTest::mousePress(m_form->WorkImage, Qt::RightButton, {}, QPoint(62, 5));
        for (int x = 62; x > 0; x -= 4)
            QTest::mouseMove(m_form->WorkImage, QPoint(x, 5));
        QTest::mouseRelease(m_form->WorkImage, Qt::RightButton, {}, QPoint(1, 5));
        QCOMPARE(redCount(m_form->model().picture()), 0);

        const_cast<PictureEditor &>(m_form->model()).setModified(false);
        m_form->btnNewClick();  // (clears the status)
        QTest::mousePress(m_form->WorkImage, Qt::MiddleButton, {}, QPoint(20, 20));
        QTest::mouseMove(m_form->WorkImage, QPoint(30, 20));
        QTest::mouseRelease(m_form->WorkImage, Qt::MiddleButton, {}, QPoint(30, 20));
        QCOMPARE(redCount(m_form->model().picture()), 0);
        QVERIFY(!m_form->model().isModified());
        QCOMPARE(m_form->statusText(0), QString());
    }

    void theKeyboardMovesAMarkedSquareAndPaintsIt()
    {
        showEditor();
        WorkBitmapView *work = m_form->WorkImage;
        work->setFocus();
        QTest::keyClick(work, Qt::Key_Right);
        QTest::keyClick(work, Qt::Key_Right);
        QTest::keyClick(work, Qt::Key_Down);
        QCOMPARE(work->keyboardCell(), QPoint(2, 1));
        QTest::keyClick(work, Qt::Key_Space);
        QCOMPARE(pixel(m_form->model().picture(), 2, 1), Red);
        QCOMPARE(m_form->statusText(0), u"Modified"_s);
        QVERIFY(!m_form->model().isDrawing());
        QTest::keyClick(work, Qt::Key_Delete);
        QCOMPARE(pixel(m_form->model().picture(), 2, 1), Black);
        // The square stays on the picture.
        QTest::keyClick(work, Qt::Key_End);
        QTest::keyClick(work, Qt::Key_Right);
        for (int i = 0; i < 9; ++i)
            QTest::keyClick(work, Qt::Key_Down);
        QCOMPARE(work->keyboardCell(), QPoint(7, 7));
        QTest::keyClick(work, Qt::Key_Space);
        QCOMPARE(pixel(m_form->model().picture(), 7, 7), Red);
        QTest::keyClick(work, Qt::Key_Home);
        QCOMPARE(work->keyboardCell(), QPoint(0, 7));
        // A click moves it where the mouse painted.
        paint(Qt::LeftButton, QPoint(43, 20));
        QCOMPARE(work->keyboardCell(), QPoint(5, 2));
        // A narrower new picture pulls it back inside.
        m_form->WidthTextEdit->setValue(3);
        m_script->answer(QMessageBox::No);
        m_form->btnNewClick();
        QCOMPARE(work->keyboardCell(), QPoint(2, 2));
    }

    void rightClickOnTheRedSquareThenNewGivesARedPicture()
    {
        showEditor();
        QTest::mousePress(m_form->redPanel, Qt::RightButton);
        QCOMPARE(m_form->model().backgroundColour(), Red);
        QCOMPARE(m_form->BackColor->palette().color(QPalette::Window), QColor(Qt::red));
        QTest::mousePress(m_form->blackPanel, Qt::LeftButton);
        QCOMPARE(m_form->model().drawingColour(), Black);
        QCOMPARE(m_form->SelectedColor->palette().color(QPalette::Window), QColor(Qt::black));
        QTest::mousePress(m_form->blackPanel, Qt::MiddleButton);
        QCOMPARE(m_form->model().backgroundColour(), Red);

        QTest::mouseClick(m_form->btnNew, Qt::LeftButton);
        QCOMPARE(redCount(m_form->model().picture()), 64);
        QVERIFY(m_script->messages.isEmpty());
    }

    void width1GivesA9By65WorkBitmapAndA2By16Preview()
    {
        showEditor();
        m_form->WidthTextEdit->setValue(1);
        m_form->btnNewClick();
        QCOMPARE(m_form->model().picture().size(), QSize(1, 8));
        QCOMPARE(m_form->WorkImage->size(), QSize(9, 65));
        QCOMPARE(m_form->PreviewImage->size(), QSize(2, 16));
        QCOMPARE(m_form->statusText(1), u"1 x 8"_s);
    }

    void theWidthFieldAloneChangesNothing()
    {
        showEditor();
        m_form->WidthTextEdit->setFocus();
        m_form->WidthTextEdit->selectAll();
        QTest::keyClicks(m_form->WidthTextEdit, u"33"_s);
        QCOMPARE(m_form->WidthTextEdit->value(), 33);
        QCOMPARE(m_form->model().width(), 8);
        QCOMPARE(m_form->WorkImage->width(), 65);
        m_form->WidthTextEdit->setValue(2000);
        QCOMPARE(m_form->WidthTextEdit->value(), 1024);
        m_form->btnNewClick();
        QCOMPARE(m_form->model().width(), 1024);
        QCOMPARE(m_form->WorkImage->width(), 8193);
    }

    // ----- the save prompt

    void newOnAModifiedPictureAsksAndEachAnswerDoesWhatItSays()
    {
        showEditor();
        paint(Qt::LeftButton, QPoint(3, 3));
        m_form->WidthTextEdit->setValue(3);

        m_script->answer(QMessageBox::Cancel);
        m_form->btnNewClick();
        QCOMPARE(m_form->model().width(), 8);
        QCOMPARE(redCount(m_form->model().picture()), 1);

        // Yes on an unnamed picture asks for a file; cancelling it keeps the
        // picture and does not start the new one.
        m_script->answer(QMessageBox::Yes);
        m_script->choose(QString());
        m_form->btnNewClick();
        QCOMPARE(m_script->fileDialogs, QStringList{u"savepictdlg"_s});
        QCOMPARE(m_form->model().width(), 8);
        QVERIFY(m_form->model().isModified());
        QCOMPARE(m_form->windowTitle(), Unnamed);

        m_script->answer(QMessageBox::No);
        m_form->btnNewClick();
        QCOMPARE(m_form->model().width(), 3);
        QCOMPARE(redCount(m_form->model().picture()), 0);
        QVERIFY(!m_form->model().isModified());
        QCOMPARE(m_form->statusText(0), QString());
        QCOMPARE(m_script->messages.size(), 3);
    }

    // ----- saving

    void saveOnAnUnnamedPictureIsSaveAsAndThenSavesWithoutADialog()
    {
        showEditor();
        paint(Qt::LeftButton, QPoint(3, 3));
        const QString path = m_dir.filePath(u"first.bmp"_s);
        m_script->choose(path);
        QTest::mouseClick(m_form->btnSave, Qt::LeftButton);
        QCOMPARE(m_script->fileDialogs, QStringList{u"savepictdlg"_s});
        QCOMPARE(m_script->filters, QStringList{u"Bitmaps (*.bmp)"_s});
        QCOMPARE(m_form->savepictdlg->defaultSuffix(), u"bmp"_s);
        QVERIFY(m_form->savepictdlg->testOption(QFileDialog::DontConfirmOverwrite));
        QCOMPARE(m_form->windowTitle(), captionOf(u"first.bmp"_s));
        QCOMPARE(m_form->currentFileName(), path);
        QVERIFY(!m_form->model().isModified());
        QCOMPARE(m_form->statusText(0), QString());
        const std::optional<QImage> saved = BitmapFile::decode(fileBytes(path));
        QVERIFY(saved);
        QCOMPARE(saved->size(), QSize(8, 8));
        QCOMPARE(pixel(*saved, 0, 0), Red);

        paint(Qt::LeftButton, QPoint(63, 63));
        m_form->action("N4")->trigger();
        QCOMPARE(m_script->fileDialogs.size(), 1);
        QCOMPARE(pixel(*BitmapFile::decode(fileBytes(path)), 7, 7), Red);
        QCOMPARE(m_form->windowTitle(), captionOf(u"first.bmp"_s));
    }

    void cancellingSaveLeavesThePictureModifiedAndUnnamed()
    {
        showEditor();
        paint(Qt::LeftButton, QPoint(3, 3));
        m_script->choose(QString());
        QVERIFY(!m_form->SavePicture());
        QVERIFY(m_form->model().isModified());
        QCOMPARE(m_form->currentFileName(), QString());
        QCOMPARE(m_form->statusText(0), u"Modified"_s);
    }

    void saveAsWritesABitmapUnderATxtNameAndAddsBmpToANameWithoutOne()
    {
        showEditor();
        paint(Qt::LeftButton, QPoint(3, 3));
        const QString txt = m_dir.filePath(u"picture.txt"_s);
        m_script->choose(txt);
        QVERIFY(m_form->SavePictureAs());
        QVERIFY(fileBytes(txt).startsWith("BM"));
        QCOMPARE(m_form->windowTitle(), captionOf(u"picture.txt"_s));

        m_script->choose(m_dir.filePath(u"plain"_s));
        m_form->SpeedButton1Click();
        QVERIFY(QFile::exists(m_dir.filePath(u"plain.bmp"_s)));
        QVERIFY(!QFile::exists(m_dir.filePath(u"plain"_s)));
        QCOMPARE(m_form->currentFileName(), m_dir.filePath(u"plain.bmp"_s));
        QCOMPARE(m_form->windowTitle(), captionOf(u"plain.bmp"_s));
    }

    void aFailedSaveAsShowsTheErrorAndChangesNothing()
    {
        showEditor();
        const QString good = m_dir.filePath(u"good.bmp"_s);
        m_script->choose(good);
        QVERIFY(m_form->SavePictureAs());
        paint(Qt::LeftButton, QPoint(3, 3));

        const QString bad = m_dir.filePath(u"no/such/dir/p.bmp"_s);
        m_script->choose(bad);
        QVERIFY(!m_form->SavePictureAs());
        QCOMPARE(m_script->messages.size(), 1);
        QCOMPARE(m_script->messages[0].icon, QMessageBox::Critical);
        QCOMPARE(m_script->messages[0].text, u"Cannot create file "_s + QDir::toNativeSeparators(bad) + u"."_s);
        QVERIFY(m_form->model().isModified());
        QCOMPARE(m_form->statusText(0), u"Modified"_s);
        QCOMPARE(m_form->windowTitle(), captionOf(u"good.bmp"_s));
        // The name stays the previous one: Save writes where it did before.
        QCOMPARE(m_form->currentFileName(), good);
        QVERIFY(m_form->SavePicture());
        QCOMPARE(pixel(*BitmapFile::decode(fileBytes(good)), 0, 0), Red);
    }

    // ----- opening

    void opening20By8GivesWidth20AndACleanFlag()
    {
        showEditor();
        const QString path = m_dir.filePath(u"w20.bmp"_s);
        writeFile(path, BitmapFile::encode(Samples::signBitmap(20)));
        paint(Qt::LeftButton, QPoint(3, 3));
        m_script->answer(QMessageBox::No);
        m_script->choose(path);
        QTest::mouseClick(m_form->btnLoad, Qt::LeftButton);
        QCOMPARE(m_script->fileDialogs, QStringList{u"OpenPictureDlg"_s});
        QCOMPARE(m_script->filters, QStringList{u"Bitmaps (*.bmp)"_s});
        QCOMPARE(m_form->model().width(), 20);
        QCOMPARE(m_form->WidthTextEdit->value(), 20);
        QCOMPARE(m_form->WorkImage->size(), QSize(161, 65));
        QCOMPARE(m_form->PreviewImage->size(), QSize(40, 16));
        QVERIFY(!m_form->model().isModified());
        QCOMPARE(m_form->statusText(0), QString());
        QCOMPARE(m_form->windowTitle(), captionOf(u"w20.bmp"_s));
        QCOMPARE(m_form->currentFileName(), path);
        QCOMPARE(m_form->model().picture().convertToFormat(QImage::Format_RGB32),
                 Samples::signBitmap(20).convertToFormat(QImage::Format_RGB32));
    }

    void openingCutsAndAddsRowsAndMapsColours()
    {
        showEditor();
        QImage tall(4, 10, QImage::Format_RGB32);
        tall.fill(Red);
        const QString tallPath = m_dir.filePath(u"tall.bmp"_s);
        writeFile(tallPath, BitmapFile::encode(tall));
        m_script->choose(tallPath);
        m_form->OpenPicture();
        QCOMPARE(m_form->model().picture().size(), QSize(4, 8));
        QCOMPARE(redCount(m_form->model().picture()), 32);

        QImage low(4, 6, QImage::Format_RGB32);
        low.fill(Red);
        const QString lowPath = m_dir.filePath(u"low.bmp"_s);
        writeFile(lowPath, BitmapFile::encode(low));
        m_script->choose(lowPath);
        m_form->OpenPicture();
        QCOMPARE(m_form->model().picture().size(), QSize(4, 8));
        QCOMPARE(pixel(m_form->model().picture(), 0, 5), Red);
        QCOMPARE(pixel(m_form->model().picture(), 0, 6), Black);

        // 24 bits: many colours, red and black among them, stay 4 bits here.
        QImage deep(40, 8, QImage::Format_RGB32);
        for (int x = 0; x < 40; ++x)
            for (int y = 0; y < 8; ++y)
                deep.setPixel(x, y, y == 0 ? Red : y == 1 ? Black : qRgb(x * 6, y * 30, 100));
        const QString deepPath = m_dir.filePath(u"deep.bmp"_s);
        writeFile(deepPath, BitmapFile::encode(deep));
        QVERIFY(fileBytes(deepPath).at(28) == 24);
        m_script->choose(deepPath);
        m_form->OpenPicture();
        QCOMPARE(m_form->model().picture().colorCount(), 16);
        QCOMPARE(pixel(m_form->model().picture(), 17, 0), Red);
        QCOMPARE(pixel(m_form->model().picture(), 17, 1), Black);
        QVERIFY(BitmapFile::standardPalette().contains(pixel(m_form->model().picture(), 17, 5)));
    }

    void a2000WideBitmapKeepsAllColumns()
    {
        showEditor();
        QImage wide(2000, 8, QImage::Format_RGB32);
        wide.fill(Black);
        wide.setPixel(1999, 0, Red);
        const QString path = m_dir.filePath(u"wide.bmp"_s);
        writeFile(path, BitmapFile::encode(wide));
        m_script->choose(path);
        m_form->OpenPicture();
        QCOMPARE(m_form->model().width(), 2000);
        QCOMPARE(m_form->WidthTextEdit->value(), 1024);
        QCOMPARE(m_form->WorkImage->size(), QSize(16001, 65));
        QCOMPARE(m_form->PreviewImage->size(), QSize(4000, 16));
        // The last column can be reached and painted.
        paint(Qt::RightButton, QPoint(8 * 1999 + 3, 3));
        QCOMPARE(redCount(m_form->model().picture()), 0);
    }

    void aJpegFileGivesTheEmptyPicture()
    {
        showEditor();
        const QString path = m_dir.filePath(u"photo.jpg"_s);
        QImage photo(30, 20, QImage::Format_RGB32);
        photo.fill(Qt::red);
        QVERIFY(photo.save(path, "JPEG"));
        m_script->choose(path);
        m_form->OpenPicture();
        QCOMPARE(m_form->model().width(), 0);
        QCOMPARE(m_form->PreviewImage->size(), QSize(0, 16));
        QCOMPARE(m_form->WorkImage->size(), QSize(1, 65));
        QCOMPARE(m_form->windowTitle(), captionOf(u"photo.jpg"_s));
        QVERIFY(m_script->messages.isEmpty());
        // There is nothing to insert.
        m_form->btnInsertClick();
        QCOMPARE(m_main->rve->itemCount(), 0);
    }

    void filesThatCannotBeOpenedChangeNothing()
    {
        showEditor();
        const QString good = m_dir.filePath(u"good.bmp"_s);
        writeFile(good, BitmapFile::encode(Samples::signBitmap(12)));
        m_script->choose(good);
        m_form->OpenPicture();
        const QImage before = m_form->model().picture();

        const QString png = m_dir.filePath(u"picture.png"_s);
        writeFile(png, BitmapFile::encode(Samples::signBitmap(3)));
        const QString missing = m_dir.filePath(u"missing.bmp"_s);
        const QString damaged = m_dir.filePath(u"damaged.bmp"_s);
        writeFile(damaged, "BM and then nothing of use");
        const QStringList expected{u"Unknown picture file extension (.png)."_s,
                                   u"Cannot open file "_s + QDir::toNativeSeparators(missing) + u"."_s,
                                   u"Bitmap image is not valid."_s};
        const QStringList paths{png, missing, damaged};
        for (int i = 0; i < paths.size(); ++i) {
            m_script->choose(paths[i]);
            m_form->OpenPicture();
            QCOMPARE(m_script->messages.size(), i + 1);
            QCOMPARE(m_script->messages.last().text, expected[i]);
            QCOMPARE(m_script->messages.last().icon, QMessageBox::Critical);
            QCOMPARE(m_form->model().picture(), before);
            QCOMPARE(m_form->currentFileName(), good);
            QCOMPARE(m_form->windowTitle(), captionOf(u"good.bmp"_s));
        }
    }

    void theOpenDialogPreviewsTheSelectedFile()
    {
        const QString path = m_dir.filePath(u"w20.bmp"_s);
        writeFile(path, BitmapFile::encode(Samples::signBitmap(20)));
        m_form->OpenPictureDlg->showPreview(path);
        QCOMPARE(m_form->OpenPictureDlg->previewText(), u"20 x 8"_s);
        m_form->OpenPictureDlg->showPreview(m_dir.filePath(u"x.gif"_s));
        QCOMPARE(m_form->OpenPictureDlg->previewText(), u"Unknown picture file extension (.gif)"_s);
        m_form->OpenPictureDlg->showPreview(QString());
        QCOMPARE(m_form->OpenPictureDlg->previewText(), QString());

        // Selecting the file in the dialog shows it.
        m_form->OpenPictureDlg->setDirectory(m_dir.path());
        m_form->OpenPictureDlg->show();
        m_form->OpenPictureDlg->selectFile(path);
        QTRY_COMPARE(m_form->OpenPictureDlg->previewText(), u"20 x 8"_s);
        m_form->OpenPictureDlg->reject();
    }

    // ----- import

    void importMakesAnUnnamedModifiedPictureWithTheChosenThreshold()
    {
        showEditor();
        QImage logo(40, 20, QImage::Format_RGB32);
        logo.fill(Qt::white);
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 10; ++x)
                logo.setPixel(x, y, qRgb(0, 0, 0));
        const QString path = m_dir.filePath(u"logo.png"_s);
        QVERIFY(logo.save(path, "PNG"));
        m_script->choose(path);
        QTimer::singleShot(0, this, [] {
            auto *dialog = qobject_cast<PictureImportDialog *>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            // Mostly light: it starts inverted, the dark stripe lit.
            QVERIFY(dialog->invertBox->isChecked());
            QCOMPARE(redCount(dialog->result()), 4 * 8);
            dialog->invertBox->setChecked(false);
            QCOMPARE(redCount(dialog->result()), 12 * 8);
            dialog->invertBox->setChecked(true);
            dialog->thresholdSlider->setValue(200);
            QCOMPARE(dialog->thresholdBox->value(), 200);
            dialog->accept();
        });
        m_form->action("mitImport")->trigger();
        QCOMPARE(m_script->fileDialogs, QStringList{u"ImportPictureDlg"_s});
        QCOMPARE(m_form->model().picture().size(), QSize(16, 8));
        QCOMPARE(redCount(m_form->model().picture()), 4 * 8);
        QCOMPARE(pixel(m_form->model().picture(), 0, 0), Red);
        QVERIFY(m_form->model().isModified());
        QCOMPARE(m_form->statusText(0), u"Modified"_s);
        QCOMPARE(m_form->windowTitle(), Unnamed);
        QCOMPARE(m_form->currentFileName(), QString());
    }

    // ----- the picture at the caret

    void showingTakesA12WideBitmapAtTheCaretWithoutAPrompt()
    {
        showEditor();
        paint(Qt::LeftButton, QPoint(3, 3));
        m_form->hide();
        const QImage picture = Samples::signBitmap(12);
        m_main->rve->insertPicture(Picture::bitmap(picture), 36, 24);
        m_main->gEditorClick();
        QVERIFY(m_form->isVisible());
        QVERIFY(m_script->messages.isEmpty());
        QCOMPARE(m_form->model().width(), 12);
        QCOMPARE(m_form->WidthTextEdit->value(), 12);
        QCOMPARE(m_form->WorkImage->size(), QSize(97, 65));
        QCOMPARE(m_form->PreviewImage->size(), QSize(24, 16));
        QCOMPARE(m_form->model().picture().convertToFormat(QImage::Format_RGB32),
                 picture.convertToFormat(QImage::Format_RGB32));
        // Flag, status, name and caption as they were.
        QVERIFY(m_form->model().isModified());
        QCOMPARE(m_form->statusText(0), u"Modified"_s);
        // The second panel is not rewritten either.
        QCOMPARE(m_form->statusText(1), u"8 x 8"_s);
        QCOMPARE(m_form->windowTitle(), Unnamed);

        // Drawing changes only the editor's copy.
        paint(Qt::LeftButton, QPoint(8 * 11 + 2, 8 * 7 + 2));
        const PicturePtr inDocument = m_main->rve->itemPicture(0);
        QCOMPARE(pixel(inDocument->image(), 11, 7), pixel(picture, 11, 7));
    }

    void showingOnAJpegPictureOrOnTextStartsANewPictureWithThePrompt()
    {
        showEditor();
        m_form->WidthTextEdit->setValue(20);
        m_form->btnNewClick();
        paint(Qt::LeftButton, QPoint(3, 3));
        m_form->hide();
        m_main->rve->insertPicture(Picture::fromBody("TJPEGImage", QByteArray("jpeg"), QImage(8, 8, QImage::Format_RGB32)));
        m_script->answer(QMessageBox::No);
        m_main->gEditorClick();
        QCOMPARE(m_script->messages.size(), 1);
        QCOMPARE(m_form->model().width(), 8);
        QCOMPARE(redCount(m_form->model().picture()), 0);
        QVERIFY(!m_form->model().isModified());

        m_form->hide();
        m_main->rve->insertPlainText(u"text"_s);
        paintHidden(QPoint(3, 3));
        m_script->answer(QMessageBox::Cancel);
        m_main->gEditorClick();
        QCOMPARE(m_script->messages.size(), 2);
        QCOMPARE(redCount(m_form->model().picture()), 1);
    }

    // ----- Insert

    void insertWithWidth5AddsAPictureShown15By24()
    {
        showEditor();
        m_form->WidthTextEdit->setValue(5);
        m_form->btnNewClick();
        paint(Qt::LeftButton, QPoint(3, 3));     // (0, 0)
        paint(Qt::LeftButton, QPoint(35, 60));   // (4, 7)
        const QString before = m_form->windowTitle();
        QTest::keyClick(m_form.get(), Qt::Key_Insert);
        TRichViewEdit *rve = m_main->rve;
        QCOMPARE(rve->itemCount(), 1);
        QCOMPARE(rve->currentItemStyle(), -3);
        const SourceDocument doc = rve->snapshot();
        const SourceItem &item = doc.item(0);
        QVERIFY(item.picture->isBitmap());
        QCOMPARE(item.picture->image().size(), QSize(5, 8));
        QCOMPARE(item.extras.width, 15);
        QCOMPARE(item.extras.height, 24);
        QCOMPARE(item.name, QByteArray());
        QCOMPARE(item.vAlign, 0);
        QVERIFY(rve->isDocumentModified());
        // The graphic editor is unchanged by it.
        QVERIFY(m_form->isVisible());
        QVERIFY(m_form->model().isModified());
        QCOMPARE(m_form->windowTitle(), before);
        // A picture drawn further is not the inserted one.
        paint(Qt::LeftButton, QPoint(12, 12));
        QCOMPARE(pixel(rve->itemPicture(0)->image(), 1, 1), Black);
    }

    void insertAndDropTakeNothingIntoAReadOnlyDocument()
    {
        showEditor();
        m_main->rve->setReadOnly(true);
        m_form->btnInsertClick();
        QCOMPARE(m_main->rve->itemCount(), 0);
        QMimeData *data = m_form->PreviewImage->createDragData();
        QVERIFY(!dragOver(data));
        drop(data);
        delete data;
        QCOMPARE(m_main->rve->itemCount(), 0);
        m_main->rve->setReadOnly(false);
    }

    void aCheckOfTheInsertedPictureGivesTheColumnBytesOfTheDrawnPixels()
    {
        showEditor();
        m_form->WidthTextEdit->setValue(3);
        m_form->btnNewClick();
        for (int y = 0; y < 8; ++y)
            paint(Qt::LeftButton, QPoint(3, 8 * y + 3));  // column 0 all lit
        paint(Qt::LeftButton, QPoint(19, 3));            // column 2, top row
        m_main->EffectCBChange();                         // an output effect first
        m_form->btnInsertClick();
        const CheckResult result = Compiler::compile(m_main->rve->snapshot());
        QVERIFY(result.succeeded());
        QVERIFY(result.program.contains(QByteArray::fromHex("020003FF0080")));
        QVERIFY(result.listing.contains("0x00, 0x03, //Image size(HI, LO)"));
    }

    // ----- drag and drop

    void aDroppedPicture40By8IsShown80By16AndCompiledAt40By8()
    {
        showEditor();
        m_form->WidthTextEdit->setValue(40);
        m_form->btnNewClick();
        for (int c = 0; c < 40; c += 2)
            paint(Qt::LeftButton, QPoint(8 * c + 2, 8 * (c % 8) + 2));
        TRichViewEdit *rve = m_main->rve;
        m_main->EffectCBChange();
        rve->insertPlainText(u"AB"_s);

        CaretMessageCounter counter;
        m_main->installEventFilter(&counter);
        std::unique_ptr<QMimeData> data(m_form->PreviewImage->createDragData());
        QVERIFY(data->hasFormat(QString::fromLatin1(PictureDrag::MimeType)));
        // Over the start of the text: accepted, and the caret follows once
        // the message loop delivers the caret message.
        const QPoint onText = rve->cursorRect(cursorAt(rve, 1)).center();
        QVERIFY(dragOver(data.get(), onText));
        QCOMPARE(counter.count, 0);
        QCoreApplication::sendPostedEvents(m_main.get(), CaretMessage::Type);
        QVERIFY(counter.count >= 1);
        QCOMPARE(counter.last, onText);
        QCOMPARE(rve->textCursor().position(), 1);
        QVERIFY(!rve->textCursor().hasSelection());

        // The drop lands between A and B.
        const QPoint betweenAB = rve->cursorRect(cursorAt(rve, 2)).center();
        QVERIFY(drop(data.get(), betweenAB));
        QCoreApplication::sendPostedEvents(m_main.get(), CaretMessage::Type);
        QCOMPARE(rve->itemCount(), 4);
        QCOMPARE(rve->currentItemStyle(), -3);
        const SourceDocument doc = rve->snapshot();
        QCOMPARE(doc.item(2).styleNo, -3);
        QCOMPARE(doc.item(2).extras.width, 80);
        QCOMPARE(doc.item(2).extras.height, 16);
        QCOMPARE(doc.item(2).picture->image().size(), QSize(40, 8));
        QVERIFY(rve->isDocumentModified());

        const CheckResult result = Compiler::compile(doc);
        QVERIFY(result.succeeded());
        QByteArray columns = QByteArray::fromHex("020028");
        for (int c = 0; c < 40; ++c)
            columns.append(char(c % 2 == 0 ? 0x80 >> (c % 8) : 0));
        QVERIFY(result.program.contains(columns));
        m_main->removeEventFilter(&counter);
    }

    void dragsOfAnythingElseAreRefusedAndPostNothing()
    {
        CaretMessageCounter counter;
        m_main->installEventFilter(&counter);
        m_main->rve->insertPlainText(u"text"_s);
        auto text = std::make_unique<QMimeData>();
        text->setText(u"dragged text"_s);
        auto image = std::make_unique<QMimeData>();
        image->setImageData(Samples::signBitmap(5));
        auto files = std::make_unique<QMimeData>();
        files->setUrls({QUrl::fromLocalFile(m_dir.filePath(u"a.bmp"_s))});
        for (QMimeData *data : {text.get(), image.get(), files.get()}) {
            QVERIFY(!dragOver(data));
            QVERIFY(!drop(data));
        }
        QCoreApplication::sendPostedEvents(m_main.get(), CaretMessage::Type);
        QCOMPARE(counter.count, 0);
        QCOMPARE(m_main->rve->toPlainText(), u"text"_s);
        m_main->removeEventFilter(&counter);
    }

    void theCaretMessageTakesTheScrollPositionIntoAccount()
    {
        TRichViewEdit *rve = m_main->rve;
        for (int i = 0; i < 60; ++i)
            rve->addParagraph(u"line %1"_s.arg(i), 0);
        rve->verticalScrollBar()->setValue(rve->verticalScrollBar()->maximum());
        QVERIFY(rve->verticalScrollPosition() > 0);
        const QPoint point = rve->cursorRect(cursorAt(rve, rve->document()->characterCount() - 2)).center();
        m_main->MoveCaretToPoint(point);
        QCOMPARE(rve->textCursor().block().text(), u"line 59"_s);
        // A point below the text takes the nearest item, the last one.
        m_main->MoveCaretToPoint(QPoint(5, rve->viewport()->height() - 2));
        QCOMPARE(rve->textCursor().block().text(), u"line 59"_s);
    }

private:
    void showEditor()
    {
        m_form->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
    }
    void paint(Qt::MouseButton button, QPoint point)
    {
        QTest::mousePress(m_form->WorkImage, button, {}, point);
        QTest::mouseRelease(m_form->WorkImage, button, {}, point);
    }
    void paintHidden(QPoint point)
    {
        m_form->WorkImageMouseDown(Qt::LeftButton, point);
        m_form->WorkImageMouseUp();
    }

    static QTextCursor cursorAt(TRichViewEdit *rve, int position)
    {
        QTextCursor c(rve->document());
        c.setPosition(position);
        return c;
    }

    // Sends a drag entering and moving over the editor at `point`; whether
    // the editor accepts it.
    bool dragOver(QMimeData *data, QPoint point = QPoint(10, 10))
    {
        QWidget *viewport = m_main->rve->viewport();
        QDragEnterEvent enter(point, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(viewport, &enter);
        QDragMoveEvent move(point, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(viewport, &move);
        return enter.isAccepted() && move.isAccepted();
    }
    bool drop(QMimeData *data, QPoint point = QPoint(10, 10))
    {
        QDropEvent event(point, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(m_main->rve->viewport(), &event);
        return event.isAccepted();
    }

    std::unique_ptr<DialogScript> m_script;
    std::unique_ptr<TForm1> m_main;
    std::unique_ptr<TForm2> m_form;
    QTemporaryDir m_dir;
};

QTEST_MAIN(ImageEditorTest)
#include "imageeditor.moc"
