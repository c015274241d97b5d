#pragma once

// Where a check takes the two calibration values and where it puts back the
// values it sent (reduced to what the sign receives): the calibration
// window's fields in the editor, "sensor.ini" for the command line.

#include "SensorCalibration.h"

class CalibrationSource {
public:
    virtual SensorCalibration calibration() const = 0;
    // False when the values could not be kept, with the reason in *error.
    virtual bool setCalibration(const SensorCalibration &values, QString *error) = 0;

protected:
    ~CalibrationSource() = default;
};
