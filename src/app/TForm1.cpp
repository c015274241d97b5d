#include "TForm1.h"
#include "ui/WindowFont.h"

#include "ui/AppIcons.h"
#include "ui/Caption.h"
#include "ui/Dialogs.h"
#include "ui/FramePlacement.h"
#include "FindDialog.h"
#include "FocusFrameStyle.h"
#include "richview/MarkerComboBoxes.h"
#include "platform/TopLevelWindows.h"
#include "richview/TRichViewEdit.h"
#include "app/calibration/TForm6.h"
#include "app/check/TForm3.h"
#include "app/pictures/TForm2.h"
#include "app/link/TForm4.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDropEvent>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QScreen>
#include <QStyle>
#include <QTextCursor>
#include <QToolButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

// The window as the operator first sees it: an outer frame of 528 x 424 with
// a frame of 4 pixels on each side and a caption and a menu bar of 19 pixels
// each; Qt sizes the inside, menu bar included, so these are the outer sizes
// less that frame.
constexpr int ClientWidth = 520;
constexpr int ClientHeight = 424 - 8 - 19 - 19;
constexpr int MinClientHeight = 382 - 8 - 19 - 19;
constexpr int CommandBarHeight = 41;
constexpr int MarkerPanelHeight = 80;
constexpr int CloseButtonFromRight = ClientWidth - 483;

QLabel *panelLabel(const QString &text, QWidget *parent, int left, int top)
{
    auto *label = new QLabel(text, parent);
    QFont font = label->font();
    font.setUnderline(true);
    label->setFont(font);
    QPalette pal = label->palette();
    pal.setColor(QPalette::WindowText, QColor(Qt::blue));
    label->setPalette(pal);
    label->adjustSize();
    label->move(left, top);
    return label;
}

} // namespace

TForm1::TForm1(QWidget *parent) : QMainWindow(parent)
{
    setFont(windowFont());
    setWindowIcon(AppIcons::application());

    auto *central = new QWidget(this);
    auto *layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    buildCommandBar();
    buildMarkerPanel();
    rve = new TRichViewEdit(central);
    rve->setObjectName(u"rve"_s);
    rve->setFont(windowFont());
    rve->setToolTip(u"Начните работу со вставки эффекта вывода, затем введите Ваш текст"_s);
    rve->onStyleConversion = [this](int styleNo, int code) { return rveStyleConversion(styleNo, code); };
    connect(rve, &TRichViewEdit::currentTextStyleChanged, this, &TForm1::rveCurTextStyleChanged);
    rve->viewport()->installEventFilter(this);  // the caret follows a picture dragged over it
    rve->installEventFilter(this);              // Ctrl+Tab out of the text
    Panel1->setParent(central);
    panel->setParent(central);
    layout->addWidget(Panel1);
    layout->addWidget(panel);
    layout->addWidget(rve, 1);
    setCentralWidget(central);

    buildMenu();
    buildDialogs();

    const int menuHeight = menuBar()->sizeHint().height();
    setMinimumSize(ClientWidth, MinClientHeight + menuHeight);
    resize(ClientWidth, ClientHeight + menuHeight);
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        QRect frame(QPoint(), size());
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    FormCreate();
    // Typing goes into the editor from the start.
    rve->setFocus();
}

TForm1::~TForm1()
{
    // Tool windows that outlive this one (Qt deletes its children only after
    // this destructor) must not call back into it.
    for (QObject *w : {static_cast<QObject *>(m_checkWindow.data()), static_cast<QObject *>(m_calibrationWindow.data()),
                       static_cast<QObject *>(m_connectionWindow.data())}) {
        if (w)
            disconnect(w, nullptr, this, nullptr);
    }
}

RVStyleView &TForm1::rvs()
{
    return rve->rvs();
}

void TForm1::buildCommandBar()
{
    Panel1 = new QWidget(this);
    Panel1->setObjectName(u"Panel1"_s);
    Panel1->setFixedHeight(CommandBarHeight);
    Panel1->installEventFilter(this);
    QStyle *st = style();
    auto button = [this, st](const char *name, QStyle::StandardPixmap icon, const QString &hint, int left) {
        auto *b = new QToolButton(Panel1);
        b->setObjectName(QString::fromLatin1(name));
        b->setIcon(st->standardIcon(icon));
        b->setToolTip(hint);
        b->setAutoRaise(true);
        // Reached with Tab, never by a click: a key typed into what looks
        // like the editor after a click on a button must not press it.
        b->setFocusPolicy(Qt::TabFocus);
        b->setGeometry(left, 8, 25, 25);
        return b;
    };
    btnNew = button("btnNew", QStyle::SP_FileIcon, u"Новый исходный текст"_s, 8);
    btnOpen = button("btnOpen", QStyle::SP_DialogOpenButton, u"Открыть исходный текст"_s, 36);
    btnSave = button("btnSave", QStyle::SP_DialogSaveButton, u"Сохранить"_s, 64);
    btnSaveAs = button("btnSaveAs", QStyle::SP_DriveFDIcon, u"Сохранить как"_s, 92);
    SpeedButton3 = button("SpeedButton3", QStyle::SP_DialogApplyButton, u"Проверить исходный текст"_s, 140);
    SpeedButton1 = button("SpeedButton1", QStyle::SP_ComputerIcon, u"Предварительный просмотр..."_s, 168);
    btnComm = button("btnComm", QStyle::SP_DriveNetIcon, u"Связь с изделием..."_s, 196);
    btnClose = button("btnClose", QStyle::SP_DialogCloseButton, u"Закрыть программу"_s, ClientWidth - CloseButtonFromRight);
    connect(btnNew, &QToolButton::clicked, this, &TForm1::mitNewClick);
    connect(btnOpen, &QToolButton::clicked, this, &TForm1::mitOpenClick);
    connect(btnSave, &QToolButton::clicked, this, &TForm1::mitSaveClick);
    connect(btnSaveAs, &QToolButton::clicked, this, &TForm1::mitSaveAsClick);
    connect(btnClose, &QToolButton::clicked, this, &TForm1::btnCloseClick);
    connect(SpeedButton3, &QToolButton::clicked, this, &TForm1::menuCheckTextClick);
    connect(SpeedButton1, &QToolButton::clicked, this, &TForm1::SpeedButton1Click);
    SpeedButton3->setIcon(AppIcons::check());
    connect(btnComm, &QToolButton::clicked, this, &TForm1::btnCommClick);
}

void TForm1::buildMarkerPanel()
{
    panel = new QWidget(this);
    panel->setObjectName(u"panel"_s);
    panel->setFixedHeight(MarkerPanelHeight);

    struct Place {
        MarkerKind kind;
        int left;
        int top;
        int labelTop;
        bool labelAbove;
    };
    // First row: labels above their boxes; second row: "Информация" before InfoCB.
    const Place places[] = {
        {MarkerKind::Effect, 8, 20, 4, true},      {MarkerKind::Speed, 140, 20, 4, true},
        {MarkerKind::Font, 192, 20, 4, true},      {MarkerKind::Pause, 316, 20, 4, true},
        {MarkerKind::EffectClear, 384, 20, 4, true}, {MarkerKind::Info, 356, 52, 54, false},
    };
    for (const Place &place : places) {
        const MarkerKindInfo &info = markerKindInfo(place.kind);
        panelLabel(info.label, panel, place.labelAbove ? place.left : 284, place.labelTop);
        auto *box = new QComboBox(panel);
        box->setObjectName(QString::fromLatin1(info.toolbarBox));
        box->setFont(windowFont());
        box->addItems(info.entries);
        box->setCurrentIndex(info.defaultEntry);
        box->setToolTip(info.hint);
        box->setGeometry(place.left, place.top, info.width, 21);
        m_boxes[size_t(place.kind)] = box;
    }
    EffectCB = m_boxes[size_t(MarkerKind::Effect)];
    EffectClearCB = m_boxes[size_t(MarkerKind::EffectClear)];
    PauseCB = m_boxes[size_t(MarkerKind::Pause)];
    SpeedCB = m_boxes[size_t(MarkerKind::Speed)];
    fontCB = m_boxes[size_t(MarkerKind::Font)];
    InfoCB = m_boxes[size_t(MarkerKind::Info)];
    connect(EffectCB, &QComboBox::activated, this, &TForm1::EffectCBChange);
    connect(EffectClearCB, &QComboBox::activated, this, &TForm1::EffectClearCBChange);
    connect(PauseCB, &QComboBox::activated, this, &TForm1::PauseCBChange);
    connect(SpeedCB, &QComboBox::activated, this, &TForm1::SpeedCBChange);
    connect(fontCB, &QComboBox::activated, this, &TForm1::fontCBChange);
    connect(InfoCB, &QComboBox::activated, this, &TForm1::InfoCBChange);
    EffectCB->installEventFilter(this);
    InfoCB->installEventFilter(this);

    gEditor = new QToolButton(panel);
    gEditor->setObjectName(u"gEditor"_s);
    gEditor->setText(u"Графический редактор..."_s);
    gEditor->setToolTip(u"Графический редактор"_s);
    gEditor->setGeometry(8, 48, 153, 25);
    gEditor->setEnabled(false);  // until the graphic editor exists
    connect(gEditor, &QToolButton::clicked, this, &TForm1::gEditorClick);

    panelLabel(u"Цвет"_s, panel, 186, 54);
    auto colourButton = [this](const char *name, const QString &hint, const QIcon &icon, int left) {
        auto *b = new QToolButton(panel);
        b->setObjectName(QString::fromLatin1(name));
        b->setToolTip(hint);
        b->setIcon(icon);
        b->setCheckable(true);
        b->setAutoRaise(true);
        b->setFocusPolicy(Qt::TabFocus);
        b->setGeometry(left, 48, 25, 25);
        return b;
    };
    btnRed = colourButton("btnRed", u"Красный"_s, AppIcons::signColour(QColor(Qt::red), QColor()), 216);
    btnBlackOnRed = colourButton("btnBlackOnRed", u"Чёрный на красном фоне"_s,
                                 AppIcons::signColour(QColor(Qt::black), QColor(Qt::red)), 248);
    connect(btnRed, &QToolButton::clicked, this, &TForm1::btnRedClick);
    connect(btnBlackOnRed, &QToolButton::clicked, this, &TForm1::clea);

    // Every control of the two bars shows clearly where the keyboard is.
    auto *focusStyle = new FocusFrameStyle(this);
    for (QWidget *bar : {Panel1, panel}) {
        for (QWidget *control : bar->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
            if (control->focusPolicy() != Qt::NoFocus)
                focusStyle->apply(control);
        }
    }

    // Tab goes along the rows as they are seen, the second row left to right.
    QWidget *order[] = {EffectCB, SpeedCB, fontCB, PauseCB, EffectClearCB, gEditor, btnRed, btnBlackOnRed, InfoCB};
    for (size_t i = 1; i < std::size(order); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
}

void TForm1::buildMenu()
{
    QMenuBar *bar = menuBar();
    auto add = [this](QMenu *menu, const char *name, const QString &text, auto slot, const QKeySequence &key = {}) {
        QAction *a = menu->addAction(text);
        a->setObjectName(QString::fromLatin1(name));
        if (!key.isEmpty())
            a->setShortcut(key);
        if constexpr (!std::is_same_v<decltype(slot), std::nullptr_t>)
            connect(a, &QAction::triggered, this, slot);
        return a;
    };

    QMenu *file = bar->addMenu(u"&Файл"_s);
    m_commands.newDocument = add(file, "mitNew", u"&Новый"_s, &TForm1::mitNewClick, QKeySequence(u"Ctrl+N"_s));
    m_commands.open = add(file, "mitOpen", u"&Открыть..."_s, &TForm1::mitOpenClick, QKeySequence(u"Ctrl+O"_s));
    file->addSeparator();
    add(file, "mitSave", u"&Сохранить"_s, &TForm1::mitSaveClick, QKeySequence(u"Ctrl+S"_s));
    add(file, "mitSaveAs", u"Сохранить &как..."_s, &TForm1::mitSaveAsClick);
    file->addSeparator();
    add(file, "mitExit", u"В&ыход"_s, &TForm1::mitExitClick);

    QMenu *edit = bar->addMenu(u"&Правка"_s);
    m_commands.undo = add(edit, "mitUndo", u"&Отменить ввод"_s, &TForm1::mitUndoClick);
    m_commands.redo = add(edit, "mitRedo", u"&Повторить ввод"_s, &TForm1::mitRedoClick, QKeySequence(u"Ctrl+Y"_s));
    edit->addSeparator();
    m_commands.cut = add(edit, "mitCut", u"&Вырезать"_s, &TForm1::mitCutClick);
    m_commands.copy = add(edit, "mitCopy", u"&Копировать"_s, &TForm1::mitCopyClick);
    m_commands.paste = add(edit, "mitPaste", u"В&ставить"_s, &TForm1::mitPasteClick);
    m_commands.erase = add(edit, "mitDelete", u"У&далить"_s, &TForm1::mitDeleteClick);
    edit->addSeparator();
    add(edit, "mitSelectAll", u"В&ыделить все"_s, &TForm1::mitSelectAllClick, QKeySequence(u"Ctrl+A"_s));
    add(edit, "N7", u"Выделить текущее &слово"_s, &TForm1::N7Click);
    edit->addSeparator();
    add(edit, "N6", u"&Найти..."_s, &TForm1::N6Click, QKeySequence(u"Ctrl+F"_s));
    // The colour buttons from the keyboard.
    edit->addSeparator();
    m_commands.red = add(edit, "mitRed", u"К&расный"_s, &TForm1::btnRedClick, QKeySequence(u"Ctrl+1"_s));
    m_commands.blackOnRed = add(edit, "mitBlackOnRed", u"&Чёрный на красном фоне"_s, &TForm1::clea,
                                QKeySequence(u"Ctrl+2"_s));
    m_commands.red->setIcon(btnRed->icon());
    m_commands.blackOnRed->setIcon(btnBlackOnRed->icon());
    connect(rve, &QTextEdit::undoAvailable, this, [this](bool available) {
        m_undoAvailable = available;
        updateCommands();
    });
    connect(rve, &QTextEdit::redoAvailable, this, [this](bool available) {
        m_redoAvailable = available;
        updateCommands();
    });
    connect(rve, &QTextEdit::copyAvailable, this, [this](bool available) {
        m_hasSelection = available;
        updateCommands();
    });

    QMenu *insert = bar->addMenu(u"&Вставка"_s);
    const std::pair<MarkerKind, void (TForm1::*)()> markers[] = {
        {MarkerKind::Effect, &TForm1::EffectCBChange}, {MarkerKind::Speed, &TForm1::SpeedCBChange},
        {MarkerKind::Font, &TForm1::fontCBChange},     {MarkerKind::Pause, &TForm1::PauseCBChange},
        {MarkerKind::EffectClear, &TForm1::EffectClearCBChange}, {MarkerKind::Info, &TForm1::InfoCBChange},
    };
    for (const auto &[kind, slot] : markers) {
        const MarkerKindInfo &info = markerKindInfo(kind);
        QAction *a = insert->addAction(info.label);
        a->setObjectName(u"mitInsert"_s + QString::fromLatin1(info.toolbarBox));
        connect(a, &QAction::triggered, this, slot);
        m_insertActions[size_t(kind)] = a;
    }
    insert->addSeparator();
    add(insert, "mitFromGraphicEditor", u"Из графического редактора..."_s, &TForm1::gEditorClick)->setEnabled(false);

    QMenu *run = bar->addMenu(u"В&ыполнить"_s);
    m_commands.check = add(run, "menuCheckText", u"Проверить исходный текст..."_s, &TForm1::menuCheckTextClick,
                           QKeySequence(Qt::Key_F9));
    m_commands.check->setIcon(AppIcons::check());
    add(run, "mitPreview", u"Предварительный просмотр..."_s, &TForm1::SpeedButton1Click, QKeySequence(Qt::Key_F11));
    run->addSeparator();
    m_commands.connection = add(run, "mitComm", u"Связь со строкой..."_s, &TForm1::btnCommClick,
                                QKeySequence(Qt::Key_F12));
    run->addSeparator();
    m_commands.calibration = add(run, "mitCalibration", u"Калибровка датчиков..."_s, &TForm1::mitCalibrationClick);
    updateCommands();
}

void TForm1::buildDialogs()
{
    const QString filter = u"Файлы исходного текста (*.abc)"_s;
    od = new QFileDialog(this);
    od->setObjectName(u"od"_s);
    od->setAcceptMode(QFileDialog::AcceptOpen);
    od->setFileMode(QFileDialog::ExistingFile);
    od->setNameFilters({filter, u"Сообщения в разметке (*.txt)"_s});
    od->setDefaultSuffix(u"abc"_s);
    od->setOption(QFileDialog::ReadOnly, false);
    sd = new QFileDialog(this);
    sd->setObjectName(u"sd"_s);
    sd->setAcceptMode(QFileDialog::AcceptSave);
    sd->setFileMode(QFileDialog::AnyFile);
    sd->setNameFilter(filter);
    sd->setDefaultSuffix(u"abc"_s);
    // Qt's save dialog asks before overwriting unless told otherwise.
}

QComboBox *TForm1::toolbarBox(MarkerKind kind) const
{
    return m_boxes[size_t(kind)];
}

QAction *TForm1::insertAction(MarkerKind kind) const
{
    return m_insertActions[size_t(kind)];
}

QAction *TForm1::action(const char *name) const
{
    return findChild<QAction *>(QString::fromLatin1(name));
}

// ---------------------------------------------------------------------------
// Creation and closing

void TForm1::FormCreate()
{
    NewDocument();
    for (QComboBox *box : {EffectCB, EffectClearCB, PauseCB, SpeedCB})
        box->setMaxVisibleItems(box->count());
    fontCB->clear();
    fontCB->addItem(u"Широкий высокий"_s);
    fontCB->addItem(u"Высокий 6x8"_s);
    fontCB->setCurrentIndex(1);
    fontCB->setMaxVisibleItems(2);
    InfoCB->setMaxVisibleItems(InfoCB->count());
}

bool TForm1::FormCloseQuery()
{
    // Closing ends the program: a drawn picture is not lost without asking.
    return QuerySave() && (!m_graphicEditor || m_graphicEditor->QuerySavePicture());
}

void TForm1::FormClose()
{
    Simulator::closeWindow();
}

void TForm1::closeEvent(QCloseEvent *event)
{
    if (!FormCloseQuery()) {
        event->ignore();
        return;
    }
    // A check still running stops after the item in hand and completes its
    // files; the program ends when it has returned.
    if (isChecking())
        m_checkWindow->Button2Click();
    FormClose();
    // Closing this window ends the program: the others go out of sight with
    // it, so that none is left open on its own.
    for (QWidget *w : {static_cast<QWidget *>(m_findDialog), static_cast<QWidget *>(m_checkWindow.data()),
                       static_cast<QWidget *>(m_graphicEditor.data()), static_cast<QWidget *>(m_connectionWindow.data()),
                       static_cast<QWidget *>(m_calibrationWindow.data())}) {
        if (w)
            w->hide();
    }
    event->accept();
}

bool TForm1::eventFilter(QObject *watched, QEvent *event)
{
    if (rve && watched == rve->viewport()) {
        switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove:
            rveDragOver(static_cast<QDragMoveEvent *>(event));
            break;
        case QEvent::Drop:
            // The picture lands where it is dropped: caret messages of the
            // drag still queued would move the caret off it afterwards.
            QCoreApplication::removePostedEvents(this, CaretMessage::Type);
            break;
        default:
            break;
        }
    }
    if (rve && watched == rve && event->type() == QEvent::KeyPress) {
        // Tab is a character of the text; Ctrl+Tab (with Shift: backwards)
        // leaves it for the command bar and the marker panel.
        const auto *key = static_cast<QKeyEvent *>(event);
        const bool backwards = key->key() == Qt::Key_Backtab || (key->modifiers() & Qt::ShiftModifier);
        if ((key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) && (key->modifiers() & Qt::ControlModifier)) {
            QWidget *next = rve;
            do {
                next = backwards ? next->previousInFocusChain() : next->nextInFocusChain();
            } while (next != rve
                     && !(next->window() == this && next->isVisible() && next->isEnabled()
                          && (next->focusPolicy() & Qt::TabFocus)));
            next->setFocus(backwards ? Qt::BacktabFocusReason : Qt::TabFocusReason);
            return true;
        }
    }
    if (watched == Panel1 && event->type() == QEvent::Resize) {
        btnClose->move(Panel1->width() - CloseButtonFromRight, 8);
    } else if ((watched == EffectCB || watched == InfoCB) && event->type() == QEvent::KeyPress) {
        // These two open their list at the first key, so the operator picks
        // from the whole list rather than stepping through the entries (each
        // step would insert a marker).
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key != Qt::Key_Tab && key != Qt::Key_Backtab && key != Qt::Key_Escape && key != Qt::Key_Shift
            && key != Qt::Key_Control && key != Qt::Key_Alt && key != Qt::Key_Meta) {
            static_cast<QComboBox *>(watched)->showPopup();
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

// ---------------------------------------------------------------------------
// Editing commands

void TForm1::mitUndoClick()
{
    rve->undo();
}

void TForm1::mitRedoClick()
{
    rve->redo();
}

void TForm1::mitCutClick()
{
    rve->cut();
}

void TForm1::mitCopyClick()
{
    rve->copy();
}

void TForm1::mitPasteClick()
{
    rve->paste();
}

void TForm1::mitDeleteClick()
{
    QTextCursor c = rve->textCursor();
    if (c.hasSelection()) {
        c.removeSelectedText();
        rve->setTextCursor(c);
    }
}

void TForm1::mitSelectAllClick()
{
    rve->selectAll();
    rve->setFocus();
    rve->viewport()->update();
}

void TForm1::N7Click()
{
    QTextCursor c = rve->textCursor();
    c.select(QTextCursor::WordUnderCursor);
    rve->setTextCursor(c);
}

void TForm1::N6Click()
{
    if (!m_findDialog) {
        m_findDialog = new FindDialog(this);
        connect(m_findDialog, &FindDialog::find, this, &TForm1::FindDialog1Find);
        // Beside the window, so that what it finds is not hidden under it;
        // inside the screen. Later it opens where the operator left it.
        m_findDialog->adjustSize();
        const QScreen *s = screen();
        const QRect place = FramePlacement::beside(frameGeometry(), m_findDialog->frameGeometry().size(),
                                                   FramePlacement::Side::Right,
                                                   s ? std::optional(s->availableGeometry()) : std::nullopt);
        m_findDialog->move(place.topLeft());
    }
    const QString selected = rve->textCursor().selectedText();
    if (!selected.isEmpty() && !selected.contains(QChar(0x2029)))
        m_findDialog->setFindText(selected);
    m_findDialog->show();
    m_findDialog->raise();
    m_findDialog->activateWindow();
    m_findDialog->textEdit()->setFocus();
}

void TForm1::FindDialog1Find()
{
    if (!m_findDialog || m_findDialog->findText().isEmpty())
        return;
    if (!rve->find(m_findDialog->findText(), m_findDialog->flags())) {
        Dialogs::message(this, QMessageBox::Warning, u"Закончен просмотр документа"_s, u"Искомый текст не найден"_s,
                         QMessageBox::Ok);
    }
}
