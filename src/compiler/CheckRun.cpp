#include "CheckRun.h"

#include "calibration/CalibrationSource.h"

CheckRun::CheckRun(const QString &outputDirectory, CalibrationSource *calibration)
    : m_files(outputDirectory), m_calibration(calibration)
{
}

bool CheckRun::start(QString *error)
{
    return m_files.create(error);
}

const CheckResult &CheckRun::compile(const SourceDocument &document, const Compiler::Hooks &hooks)
{
    Compiler::Hooks withCalibration = hooks;
    withCalibration.calibration = [this] {
        return m_calibration ? m_calibration->calibration() : SensorCalibration();
    };
    m_result = Compiler::compile(document, QStringLiteral("0"), QStringLiteral("0"), withCalibration);
    return m_result;
}

CheckRun::Failure CheckRun::finish(QString *error)
{
    if (!m_files.commit(m_result, error))
        return Failure::Files;
    if (m_calibration) {
        SensorCalibration sent;
        sent.pressure = m_result.pressureText;
        sent.humidity = m_result.humidityText;
        if (!m_calibration->setCalibration(sent, error))
            return Failure::Calibration;
    }
    return Failure::None;
}
