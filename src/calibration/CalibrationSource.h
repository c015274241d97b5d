#pragma once

// Where a check takes the two calibration values and where it puts back the
// values it sent (reduced to what the sign receives): the calibration
// window's fields in the editor, "sensor.ini" for the command line.

#include "SensorCalibration.h"

class CalibrationSource {
public:
    virtual SensorCalibration calibration() const = 0;
    virtual void setCalibration(const SensorCalibration &values) = 0;

protected:
    ~CalibrationSource() = default;
};
