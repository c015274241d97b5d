#pragma once

// The sensor calibration window: the two calibration values as the texts of
// two fields, read from "sensor.ini" when the window is created and written
// back when it is destroyed (at the end of the program). It is the check's
// calibration source: the check reads the fields and puts the values it sent
// back into them.
//
// Ownership: created once by start-up, last of the windows, as a child window
// of the main window (it opens centred on its parent); destroy it before its
// parent. Its close button, its close box, Esc and Enter hide it.
//
// Errors: a file that cannot be read gives "0" in both fields, silently; a
// file that cannot be written is reported in the standard error box.

#include "calibration/CalibrationSource.h"

#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;

class TForm6 : public QWidget, public CalibrationSource {
    Q_OBJECT
public:
    static constexpr int ClientWidth = 395;
    static constexpr int ClientHeight = 119;

    // settingsDirectory: where "sensor.ini" is, with its trailing separator
    // (the work folder when empty).
    explicit TForm6(QWidget *parent, const QString &settingsDirectory = QString());
    ~TForm6() override;

    QString settingsFile() const { return m_settingsFile; }

    // The two fields' texts.
    SensorCalibration calibration() const override;
    bool setCalibration(const SensorCalibration &values, QString *error) override;

    // ----- controls (named after their role in the window's commands)
    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;
    QLineEdit *Edit1 = nullptr;  // pressure, key "1"
    QLineEdit *Edit2 = nullptr;  // humidity, key "2"
    QPushButton *Button1 = nullptr;

public slots:
    void Button1Click();

protected:
    void showEvent(QShowEvent *event) override;
    // Esc closes the window, and so does Enter in a field, as its default
    // button would in a dialog.
    void keyPressEvent(QKeyEvent *event) override;

private:
    void FormCreate();
    void FormDestroy();

    QString m_settingsFile;
};
