#pragma once

// The second step of picture import: the picture read from a file, already
// scaled to 8 rows, turned into red and black while the operator moves the
// threshold (and may invert it), seeing the result at three times its size.

#include "imageeditor/PictureImport.h"

#include <QDialog>

class QCheckBox;
class QSlider;
class QSpinBox;
class TImage;

class PictureImportDialog : public QDialog {
    Q_OBJECT
public:
    PictureImportDialog(const QImage &source, QWidget *parent = nullptr);

    // The picture as the current threshold makes it.
    QImage result() const;

    QSlider *thresholdSlider = nullptr;
    QSpinBox *thresholdBox = nullptr;
    QCheckBox *invertBox = nullptr;
    TImage *preview = nullptr;

private:
    void refresh();

    PictureImport::ScaledPicture m_scaled;
    QImage m_result;
};
