#pragma once

// The two calibration values for the sign's pressure and humidity sensors,
// kept as the texts of two fields and stored in "sensor.ini" in the work
// folder (section "sensor", keys "1" and "2"). Every compiled
// program ends with the two values reduced to one byte each.

#include "workfolder/WorkFolder.h"

#include <QString>

#include <optional>

struct SensorCalibration {
    static constexpr const char *FileName = WorkFolder::SettingsFileName;

    QString pressure = QStringLiteral("0");  // key "1", field Edit1
    QString humidity = QStringLiteral("0");  // key "2", field Edit2

    // Reads the two values; a missing file, section or key gives "0".
    static SensorCalibration load(const QString &fileName);
    // Writes both values, keeping every other section and key of the file.
    // On failure returns false and sets *error to "Unable to write to <file>".
    bool save(const QString &fileName, QString *error = nullptr) const;

    // The settings file in a directory given with its trailing separator.
    static QString fileIn(const QString &directory);
};

// A calibration field's text as the compiled program carries it: the text read
// as a 32-bit integer (0 when it is not one) reduced modulo 256, and the
// decimal text (0 to 255) that replaces the field's text afterwards.
struct ReducedCalibration {
    quint8 byte = 0;
    QString text;
};
ReducedCalibration reduceCalibration(const QString &text);

// The integer a field's text stands for, read as the system reads integers:
// leading blanks, an optional sign, decimal digits or hexadecimal after "$" or
// "0x"; anything else, or a value outside 32 bits, is not an integer.
std::optional<qint32> parseInteger(const QString &text);
