#include "TForm2.h"

#include "OpenPictureDialog.h"
#include "PictureImportDialog.h"
#include "TImage.h"
#include "WorkBitmapView.h"

#include "ui/ApplicationErrors.h"
#include "ui/Caption.h"
#include "ui/DialogFolders.h"
#include "ui/Dialogs.h"
#include "ui/FramePlacement.h"
#include "app/EditorSession.h"
#include "ui/WindowFont.h"
#include "imageeditor/PictureFile.h"
#include "imageeditor/PictureImport.h"
#include "imageeditor/WorkBitmap.h"

#include "document/model/SourceItem.h"

#include <QAction>
#include <QCloseEvent>
#include <QFileInfo>
#include <QImageReader>
#include <QLabel>
#include <QMenuBar>
#include <QMouseEvent>
#include <QScreen>
#include <QScrollArea>
#include <QSpinBox>
#include <QStatusBar>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

// The window's outer frame is 304 high with a frame of 4 pixels on each side
// and a caption and a menu bar of 19 pixels each; Qt sizes the inside, menu
// bar included, so these are the outer sizes less that frame.
constexpr int ClientWidth = 456;
constexpr int ClientHeight = 304 - 8 - 19 - 19;
constexpr int CommandBarHeight = 41;
constexpr int PreviewHeight = 52;
constexpr int WorkAreaHeight = 102;
constexpr int ColourPanelGap = 2;
constexpr int StatusPanelWidth = 200;
constexpr int StartWidth = 8;
constexpr int MaxSpinWidth = 1024;

const QString EditorTitle = u" - Графический редактор"_s;

void paintSquare(QFrame *square, QRgb colour)
{
    QPalette pal = square->palette();
    pal.setColor(QPalette::Window, QColor::fromRgb(colour));
    square->setPalette(pal);
}

QFrame *colourSquare(QWidget *parent, const char *name, QRgb colour, const QRect &geometry, const QString &hint)
{
    auto *square = new QFrame(parent);
    square->setObjectName(QString::fromLatin1(name));
    square->setFrameShape(QFrame::Box);
    square->setLineWidth(1);
    square->setAutoFillBackground(true);
    square->setGeometry(geometry);
    square->setToolTip(hint);
    paintSquare(square, colour);
    return square;
}

} // namespace

TForm2::TForm2(EditorSession *editor, QWidget *parent) : QMainWindow(parent), m_session(editor)
{
    setObjectName(u"Form2"_s);
    setFont(windowFont());
    // Only the main window's closing ends the program.
    setAttribute(Qt::WA_QuitOnClose, false);

    auto *central = new QWidget(this);
    auto *layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    buildCommandBar();
    layout->addWidget(Panel6);

    ScrollBox2 = new QScrollArea(central);
    ScrollBox2->setObjectName(u"ScrollBox2"_s);
    ScrollBox2->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ScrollBox2->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    ScrollBox2->setWidgetResizable(false);
    PreviewImage = new TImage;
    PreviewImage->setObjectName(u"PreviewImage"_s);
    PreviewImage->setDragAutomatic(true);
    PreviewImage->setToolTip(u"Перетащите рисунок в исходный текст"_s);
    PreviewImage->setCursor(Qt::OpenHandCursor);
    ScrollBox2->setWidget(PreviewImage);
    layout->addWidget(ScrollBox2);

    ScrollBox1 = new QScrollArea(central);
    ScrollBox1->setObjectName(u"ScrollBox1"_s);
    ScrollBox1->setWidgetResizable(false);
    ScrollBox1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    WorkImage = new WorkBitmapView(&m_editor);
    WorkImage->setObjectName(u"WorkImage"_s);
    WorkImage->setCursor(Qt::CrossCursor);
    ScrollBox1->setWidget(WorkImage);
    layout->addWidget(ScrollBox1);
    connect(WorkImage, &WorkBitmapView::mousePressed, this, &TForm2::WorkImageMouseDown);
    connect(WorkImage, &WorkBitmapView::mouseMoved, this, &TForm2::WorkImageMouseMove);
    connect(WorkImage, &WorkBitmapView::mouseReleased, this, &TForm2::WorkImageMouseUp);

    layout->addSpacing(ColourPanelGap);
    buildColourPanel();
    Panel3->setParent(central);
    layout->addWidget(Panel3, 1);
    setCentralWidget(central);

    QStatusBar *status = statusBar();
    status->setObjectName(u"StatusBar1"_s);
    status->setSizeGripEnabled(false);
    for (QLabel *&panel : m_statusPanels) {
        panel = new QLabel(status);
        panel->setFixedWidth(StatusPanelWidth);
        panel->setFrameShape(QFrame::StyledPanel);
        panel->setFrameShadow(QFrame::Sunken);
        status->addWidget(panel);
    }

    buildMenu();
    buildDialogs();
    setMinimumWidth(ClientWidth);
    resize(ClientWidth, ClientHeight + menuBar()->sizeHint().height());
    FormCreate();

    if (m_session)
        placeBesideMainWindow();
}

void TForm2::placeBesideMainWindow()
{
    // Where the preview can be dragged onto the text: right of the main
    // window, else above it, else left of it, as the screen allows.
    const QWidget *mainWindow = m_session->editorWindow();
    const QScreen *screen = mainWindow ? mainWindow->screen() : nullptr;
    if (!screen)
        return;
    const QRect free = screen->availableGeometry();
    const QRect main = mainWindow->frameGeometry();
    for (const FramePlacement::Side side :
         {FramePlacement::Side::Right, FramePlacement::Side::Above, FramePlacement::Side::Left}) {
        const QRect place = FramePlacement::beside(main, frameGeometry().size(), side);
        if (free.contains(place)) {
            move(place.topLeft());
            return;
        }
    }
}

TForm2::~TForm2() = default;

void TForm2::buildCommandBar()
{
    Panel6 = new QWidget(this);
    Panel6->setObjectName(u"Panel6"_s);
    Panel6->setFixedHeight(CommandBarHeight);

    auto *label = new QLabel(u"&Ширина рисунка:"_s, Panel6);
    label->adjustSize();
    label->move(8, 13);
    WidthTextEdit = new QSpinBox(Panel6);
    WidthTextEdit->setObjectName(u"WidthTextEdit"_s);
    WidthTextEdit->setRange(1, MaxSpinWidth);
    WidthTextEdit->setWrapping(false);
    WidthTextEdit->setAccelerated(true);
    WidthTextEdit->setToolTip(u"Ширина нового рисунка в пикселях (1 - 1024)"_s);
    WidthTextEdit->setGeometry(label->x() + label->width() + 6, 9, 62, 23);
    label->setBuddy(WidthTextEdit);

    QStyle *st = style();
    int left = WidthTextEdit->geometry().right() + 12;
    auto button = [&](const char *name, QStyle::StandardPixmap icon, const QString &hint, int gapBefore = 0) {
        left += gapBefore;
        auto *b = new QToolButton(Panel6);
        b->setObjectName(QString::fromLatin1(name));
        b->setIcon(st->standardIcon(icon));
        b->setToolTip(hint);
        b->setAutoRaise(true);
        b->setGeometry(left, 8, 25, 25);
        left += 28;
        return b;
    };
    btnNew = button("btnNew", QStyle::SP_FileIcon, u"Новый рисунок"_s);
    btnLoad = button("btnLoad", QStyle::SP_DialogOpenButton, u"Открыть рисунок"_s);
    btnSave = button("btnSave", QStyle::SP_DialogSaveButton, u"Сохранить рисунок"_s);
    SpeedButton1 = button("SpeedButton1", QStyle::SP_DriveFDIcon, u"Сохранить рисунок как"_s);
    btnInsert = button("btnInsert", QStyle::SP_ArrowDown, u"Вставить рисунок в исходный текст"_s, 12);
    btnClose = button("btnClose", QStyle::SP_DialogCloseButton, u"Закрыть графический редактор"_s, 12);
    connect(btnNew, &QToolButton::clicked, this, &TForm2::btnNewClick);
    connect(btnLoad, &QToolButton::clicked, this, &TForm2::btnLoadClick);
    connect(btnSave, &QToolButton::clicked, this, &TForm2::btnSaveClick);
    connect(SpeedButton1, &QToolButton::clicked, this, &TForm2::SpeedButton1Click);
    connect(btnInsert, &QToolButton::clicked, this, &TForm2::btnInsertClick);
    connect(btnClose, &QToolButton::clicked, this, &TForm2::btnCloseClick);
}

void TForm2::buildColourPanel()
{
    Panel3 = new QWidget(this);
    Panel3->setObjectName(u"Panel3"_s);
    // The background swatch lies behind the drawing swatch, down and to the
    // right, as on a painter's palette.
    BackColor = colourSquare(Panel3, "BackColor", m_editor.backgroundColour(), QRect(18, 12, 22, 22),
                             u"Цвет фона (правая кнопка мыши)"_s);
    SelectedColor = colourSquare(Panel3, "SelectedColor", m_editor.drawingColour(), QRect(8, 3, 22, 22),
                                 u"Цвет рисования (левая кнопка мыши)"_s);
    redPanel = colourSquare(Panel3, "redPanel", EditorPicture::Red, QRect(56, 8, 20, 20),
                            u"Красный: левая кнопка - цвет рисования, правая - цвет фона"_s);
    blackPanel = colourSquare(Panel3, "blackPanel", EditorPicture::Black, QRect(80, 8, 20, 20),
                              u"Чёрный: левая кнопка - цвет рисования, правая - цвет фона"_s);
    redPanel->installEventFilter(this);
    blackPanel->installEventFilter(this);
}

void TForm2::buildMenu()
{
    QMenuBar *bar = menuBar();
    auto add = [this](QMenu *menu, const char *name, const QString &text, void (TForm2::*slot)(),
                      const QKeySequence &key = {}) {
        QAction *a = menu->addAction(text);
        a->setObjectName(QString::fromLatin1(name));
        if (!key.isEmpty())
            a->setShortcut(key);
        connect(a, &QAction::triggered, this, slot);
        return a;
    };
    QMenu *file = bar->addMenu(u"&Файл"_s);
    add(file, "N2", u"&Новый"_s, &TForm2::btnNewClick, QKeySequence(u"Ctrl+N"_s));
    add(file, "N3", u"&Открыть..."_s, &TForm2::btnLoadClick, QKeySequence(u"Ctrl+O"_s));
    add(file, "N4", u"&Сохранить"_s, &TForm2::btnSaveClick, QKeySequence(u"Ctrl+S"_s));
    add(file, "N5", u"Сохранить &как..."_s, &TForm2::SpeedButton1Click);
    add(file, "mitImport", u"&Импорт изображения..."_s, &TForm2::mitImportClick);
    file->addSeparator();
    add(file, "N7", u"З&акрыть"_s, &TForm2::btnCloseClick);

    QMenu *edit = bar->addMenu(u"&Правка"_s);
    add(edit, "mitInsert", u"В&ставить"_s, &TForm2::btnInsertClick, QKeySequence(Qt::Key_Insert));
}

void TForm2::buildDialogs()
{
    const QString filter = u"Bitmaps (*.bmp)"_s;
    savepictdlg = new QFileDialog(this);
    savepictdlg->setObjectName(u"savepictdlg"_s);
    savepictdlg->setAcceptMode(QFileDialog::AcceptSave);
    savepictdlg->setFileMode(QFileDialog::AnyFile);
    savepictdlg->setNameFilter(filter);
    savepictdlg->setDefaultSuffix(u"bmp"_s);
    savepictdlg->setOption(QFileDialog::DontConfirmOverwrite, true);

    OpenPictureDlg = new OpenPictureDialog(this);
    OpenPictureDlg->setObjectName(u"OpenPictureDlg"_s);
    OpenPictureDlg->setAcceptMode(QFileDialog::AcceptOpen);
    OpenPictureDlg->setFileMode(QFileDialog::AnyFile);
    OpenPictureDlg->setNameFilter(filter);
    OpenPictureDlg->setDefaultSuffix(u"bmp"_s);

    QStringList patterns;
    for (const QByteArray &format : QImageReader::supportedImageFormats())
        patterns << u"*."_s + QString::fromLatin1(format);
    ImportPictureDlg = new QFileDialog(this);
    ImportPictureDlg->setObjectName(u"ImportPictureDlg"_s);
    ImportPictureDlg->setAcceptMode(QFileDialog::AcceptOpen);
    ImportPictureDlg->setFileMode(QFileDialog::ExistingFile);
    ImportPictureDlg->setNameFilters({u"Изображения (%1)"_s.arg(patterns.join(u' ')), u"Все файлы (*)"_s});
}

QAction *TForm2::action(const char *name) const
{
    return findChild<QAction *>(QString::fromLatin1(name));
}

QString TForm2::statusText(int panel) const
{
    return (panel >= 0 && panel < 2) ? m_statusPanels[panel]->text() : QString();
}

// ---------------------------------------------------------------------------
// Set-up, showing and closing

void TForm2::FormCreate()
{
    // The height only: a width the operator gave the window stays.
    ScrollBox2->setFixedHeight(PreviewHeight);
    ScrollBox1->setFixedHeight(WorkAreaHeight);
    setFixedHeight(ClientHeight + menuBar()->sizeHint().height());
    m_editor.setDrawingColour(EditorPicture::Red);
    m_editor.setBackgroundColour(EditorPicture::Black);
    m_editor.release();
    showColours();
    WidthTextEdit->setValue(StartWidth);
    NewPicture();
}

void TForm2::FormShow()
{
    if (const PicturePtr picture = m_session ? m_session->pictureAtCaret() : nullptr) {
        // A modified picture is replaced without asking: the operator chose
        // to edit the document's picture. File name, caption, both status
        // panels and flag stay as they were.
        m_editor.setPicture(picture->image());
        WidthTextEdit->setValue(std::clamp(m_editor.width(), 1, MaxSpinWidth));
        const QString size = m_statusPanels[1]->text();
        fitToPicture();
        m_statusPanels[1]->setText(size);
        return;
    }
    FormCreate();
}

void TForm2::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    // A window restored from the task bar is not shown anew.
    if (!event->spontaneous())
        FormShow();
}

bool TForm2::FormCloseQuery()
{
    return QuerySavePicture();
}

void TForm2::closeEvent(QCloseEvent *event)
{
    if (!FormCloseQuery()) {
        event->ignore();
        return;
    }
    // The window is only hidden; it lives as long as the program.
    event->accept();
}

bool TForm2::eventFilter(QObject *watched, QEvent *event)
{
    if ((watched == redPanel || watched == blackPanel) && event->type() == QEvent::MouseButtonPress) {
        redPanelMouseDown(static_cast<QFrame *>(watched), static_cast<QMouseEvent *>(event)->button());
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

// ---------------------------------------------------------------------------
// The picture and what shows it

void TForm2::setCaptionFor(const QString &fileName)
{
    const QString name = fileName.isEmpty() ? u"Unnamed"_s : QFileInfo(fileName).fileName();
    setWindowTitle(name + EditorTitle + Caption::suffix());
}

void TForm2::showModified()
{
    m_statusPanels[0]->setText(m_editor.isModified() ? u"Modified"_s : QString());
}

void TForm2::showColours()
{
    paintSquare(SelectedColor, m_editor.drawingColour());
    paintSquare(BackColor, m_editor.backgroundColour());
}

void TForm2::fitToPicture()
{
    const int w = m_editor.width();
    PreviewImage->setPicture(m_editor.picture());
    PreviewImage->setFixedSize(2 * w, 2 * EditorPicture::Rows);
    WorkImage->fitToPicture();
    DrawGrid();
    RedrawCells();
    m_statusPanels[1]->setText(u"%1 x %2"_s.arg(w).arg(EditorPicture::Rows));
}

void TForm2::DrawGrid()
{
    // The work bitmap is painted from the picture, grid and squares together.
    WorkImage->update();
}

void TForm2::RedrawCells()
{
    WorkImage->update();
}

void TForm2::repaintCell(const QRect &workRect)
{
    WorkImage->update(workRect);
    PreviewImage->setPicture(m_editor.picture());
    const QPoint cell(workRect.x() / WorkBitmap::Cell, workRect.y() / WorkBitmap::Cell);
    PreviewImage->updatePixels(QRect(cell, QSize(1, 1)));
}

SaveCycle::Editor TForm2::saveCycleEditor()
{
    SaveCycle::Editor editor;
    editor.window = this;
    editor.questionCaption = u"Изображение было изменено"_s;
    editor.questionText = u"Сохранить в файл?"_s;
    editor.isModified = [this] { return m_editor.isModified(); };
    editor.dropChanges = [this] {
        m_editor.setModified(false);
        showModified();
    };
    editor.write = [this](const QString &fileName) {
        QString error;
        if (!PictureFile::write(fileName, m_editor.picture(), &error)) {
            ApplicationErrors::show(error, this);
            return false;
        }
        m_editor.setModified(false);
        showModified();
        return true;
    };
    editor.chooseFileName = [this] {
        const QString chosen = DialogFolders::run(*savepictdlg, m_fileName);
        return chosen.isEmpty() ? chosen : PictureFile::withDefaultExtension(chosen);
    };
    editor.renamed = [this] { setCaptionFor(m_fileName); };
    return editor;
}

bool TForm2::QuerySavePicture()
{
    return m_saveCycle.querySave();
}

void TForm2::NewPicture()
{
    if (!QuerySavePicture())
        return;
    m_fileName.clear();
    m_statusPanels[0]->clear();
    setCaptionFor(m_fileName);
    m_editor.newPicture(WidthTextEdit->value());
    fitToPicture();
}

// ---------------------------------------------------------------------------
// Files

bool TForm2::SavePicture()
{
    return m_saveCycle.save();
}

bool TForm2::SavePictureAs()
{
    return m_saveCycle.saveAs();
}

std::optional<QImage> TForm2::askForPicture(QFileDialog &dialog, PictureReader read, QString *chosen)
{
    if (!QuerySavePicture())
        return std::nullopt;
    *chosen = DialogFolders::run(dialog, m_fileName);
    if (chosen->isEmpty())
        return std::nullopt;
    QImage image;
    QString error;
    // A file that cannot be read changes nothing, its name included.
    if (!read(*chosen, &image, &error)) {
        ApplicationErrors::show(error, this);
        return std::nullopt;
    }
    return image;
}

void TForm2::takePicture(const QImage &image, const QString &fileName, bool modified)
{
    m_fileName = fileName;
    m_editor.setPicture(image);
    m_editor.setModified(modified);
    WidthTextEdit->setValue(std::clamp(m_editor.width(), 1, MaxSpinWidth));
    fitToPicture();
    showModified();
    setCaptionFor(m_fileName);
}

void TForm2::OpenPicture()
{
    QString chosen;
    if (const std::optional<QImage> image = askForPicture(*OpenPictureDlg, &PictureFile::read, &chosen))
        takePicture(*image, chosen, false);
}

void TForm2::ImportPicture()
{
    QString chosen;
    const std::optional<QImage> image = askForPicture(*ImportPictureDlg, &PictureImport::read, &chosen);
    if (!image)
        return;
    PictureImportDialog dialog(*image, this);
    if (dialog.exec() != QDialog::Accepted || dialog.result().isNull())
        return;
    // The imported picture is new work: unnamed, and not saved anywhere yet.
    takePicture(dialog.result(), QString(), true);
}

// ---------------------------------------------------------------------------
// Handlers

void TForm2::WorkImageMouseDown(Qt::MouseButton button, QPoint point)
{
    if (const auto changed = m_editor.press(button, point))
        repaintCell(*changed);
    showModified();
}

void TForm2::WorkImageMouseMove(QPoint point)
{
    if (!m_editor.isDrawing())
        return;
    if (const auto changed = m_editor.move(point))
        repaintCell(*changed);
    showModified();
}

void TForm2::WorkImageMouseUp()
{
    m_editor.release();
}

void TForm2::redPanelMouseDown(QFrame *square, Qt::MouseButton button)
{
    const QRgb colour = square == redPanel ? EditorPicture::Red : EditorPicture::Black;
    if (m_editor.chooseColour(button, colour))
        showColours();
}

void TForm2::btnNewClick()
{
    NewPicture();
}

void TForm2::btnLoadClick()
{
    OpenPicture();
}

void TForm2::btnSaveClick()
{
    SavePicture();
}

void TForm2::SpeedButton1Click()
{
    SavePictureAs();
}

void TForm2::mitImportClick()
{
    ImportPicture();
}

void TForm2::btnCloseClick()
{
    close();
}

void TForm2::btnInsertClick()
{
    const int w = m_editor.width();
    // Nothing to insert, or a document that may not change now (a check is
    // running): the command ends without a word, as any failure of it does.
    if (!m_session || w <= 0)
        return;
    try {
        // The document gets its own copy; drawing on here never changes it.
        m_session->insertPicture(m_editor.picture(), 3 * w, 3 * EditorPicture::Rows);
    } catch (...) {
        // An insert that fails ends quietly: the picture here is unchanged
        // and the operator can try again.
    }
}
