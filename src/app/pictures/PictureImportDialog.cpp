#include "PictureImportDialog.h"

#include "TImage.h"

#include "ui/Caption.h"
#include "imageeditor/EditorPicture.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QScrollArea>
#include <QScrollBar>
#include <QSlider>
#include <QSpinBox>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

PictureImportDialog::PictureImportDialog(const QImage &source, QWidget *parent)
    : QDialog(parent), m_scaled(PictureImport::scale(source))
{
    setObjectName(u"PictureImportDialog"_s);
    setWindowTitle(u"Импорт изображения"_s + Caption::suffix());

    auto *layout = new QVBoxLayout(this);
    auto *scroll = new QScrollArea(this);
    scroll->setFixedHeight(24 + 2 + scroll->horizontalScrollBar()->sizeHint().height());
    scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    preview = new TImage;
    preview->setObjectName(u"preview"_s);
    scroll->setWidget(preview);
    QPalette dark = scroll->palette();
    dark.setColor(QPalette::Window, QColor(0x38, 0, 0));
    scroll->setPalette(dark);
    layout->addWidget(scroll);

    auto *info = new QLabel(u"Размер: %1 x %2 → %3 x 8"_s.arg(source.width())
                                .arg(source.height())
                                .arg(m_scaled.grey.isNull() ? 0 : m_scaled.grey.width()),
                            this);
    layout->addWidget(info);

    auto *row = new QHBoxLayout;
    auto *label = new QLabel(u"&Порог яркости:"_s, this);
    thresholdSlider = new QSlider(Qt::Horizontal, this);
    thresholdSlider->setObjectName(u"thresholdSlider"_s);
    thresholdSlider->setRange(1, 255);
    thresholdSlider->setValue(PictureImport::DefaultThreshold);
    thresholdSlider->setPageStep(16);
    thresholdBox = new QSpinBox(this);
    thresholdBox->setObjectName(u"thresholdBox"_s);
    thresholdBox->setRange(1, 255);
    thresholdBox->setValue(PictureImport::DefaultThreshold);
    label->setBuddy(thresholdSlider);
    row->addWidget(label);
    row->addWidget(thresholdSlider, 1);
    row->addWidget(thresholdBox);
    layout->addLayout(row);

    invertBox = new QCheckBox(u"&Инвертировать (тёмное светится)"_s, this);
    invertBox->setObjectName(u"invertBox"_s);
    layout->addWidget(invertBox);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(thresholdSlider, &QSlider::valueChanged, thresholdBox, &QSpinBox::setValue);
    connect(thresholdBox, &QSpinBox::valueChanged, thresholdSlider, &QSlider::setValue);
    connect(thresholdSlider, &QSlider::valueChanged, this, &PictureImportDialog::refresh);
    connect(invertBox, &QCheckBox::toggled, this, &PictureImportDialog::refresh);
    resize(480, sizeHint().height());
    // Drawings are mostly dark lines on a light ground; lit, that ground
    // would swamp the sign, so such a picture starts inverted.
    const QImage plain = PictureImport::threshold(m_scaled, PictureImport::DefaultThreshold);
    invertBox->setChecked(PictureImport::litShare(plain) > 0.5);
    refresh();
}

QImage PictureImportDialog::result() const
{
    return m_result;
}

void PictureImportDialog::refresh()
{
    m_result = PictureImport::threshold(m_scaled, thresholdSlider->value(), invertBox->isChecked());
    preview->setPicture(m_result);
    preview->setFixedSize(3 * EditorPicture::width(m_result), 3 * EditorPicture::Rows);
}
