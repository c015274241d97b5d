#include "OpenPictureDialog.h"

#include "imageeditor/EditorPicture.h"
#include "imageeditor/PictureFile.h"

#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QScrollArea>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

OpenPictureDialog::OpenPictureDialog(QWidget *parent) : QFileDialog(parent)
{
    setOption(QFileDialog::DontUseNativeDialog, true);

    auto *pane = new QWidget(this);
    pane->setObjectName(u"previewPane"_s);
    auto *column = new QVBoxLayout(pane);
    column->setContentsMargins(6, 0, 0, 0);
    auto *scroll = new QScrollArea(pane);
    scroll->setFixedSize(180, 60);
    scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_picture = new QLabel;
    m_picture->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    scroll->setWidget(m_picture);
    scroll->setWidgetResizable(false);
    QPalette dark = scroll->palette();
    dark.setColor(QPalette::Window, QColor(0x38, 0, 0));
    scroll->setPalette(dark);
    m_text = new QLabel(pane);
    m_text->setWordWrap(true);
    m_text->setFixedWidth(180);
    column->addWidget(scroll);
    column->addWidget(m_text);
    column->addStretch(1);

    if (auto *grid = qobject_cast<QGridLayout *>(layout()))
        grid->addWidget(pane, 0, grid->columnCount(), grid->rowCount(), 1);
    connect(this, &QFileDialog::currentChanged, this, &OpenPictureDialog::showPreview);
    // A name typed or completed in the name field selects no entry of the
    // list, so the field is followed too.
    if (auto *name = findChild<QLineEdit *>(u"fileNameEdit"_s)) {
        connect(name, &QLineEdit::textChanged, this, [this](const QString &text) {
            const QString path = text.isEmpty() ? QString() : directory().absoluteFilePath(text);
            if (path.isEmpty() || QFileInfo(path).isFile())
                showPreview(path);
        });
    }
}

void OpenPictureDialog::showPreview(const QString &fileName)
{
    if (fileName.isEmpty() || QFileInfo(fileName).isDir()) {
        m_picture->clear();
        m_picture->resize(0, 0);
        m_text->clear();
        return;
    }
    QImage image;
    QString error;
    if (!PictureFile::read(fileName, &image, &error)) {
        m_picture->clear();
        m_picture->resize(0, 0);
        m_text->setText(error);
        return;
    }
    const QImage picture = EditorPicture::fromImage(image);
    const int width = EditorPicture::width(picture);
    if (width == 0) {
        m_picture->clear();
        m_picture->resize(0, 0);
        m_text->setText(u"Пустой рисунок"_s);
        return;
    }
    const QPixmap shown = QPixmap::fromImage(picture.scaled(2 * width, 2 * EditorPicture::Rows));
    m_picture->setPixmap(shown);
    m_picture->resize(shown.size());
    QString size = u"%1 x %2"_s.arg(image.width()).arg(image.height());
    if (image.height() != EditorPicture::Rows)
        size += u" (%1 x %2)"_s.arg(width).arg(EditorPicture::Rows);
    m_text->setText(size);
}

QString OpenPictureDialog::previewText() const
{
    return m_text->text();
}
