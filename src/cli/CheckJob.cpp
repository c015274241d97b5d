#include "CheckJob.h"

#include "CliCommand.h"
#include "CliFiles.h"

#include "calibration/SensorCalibration.h"
#include "calibration/CalibrationSource.h"
#include "compiler/CheckRun.h"
#include "workfolder/WorkFolder.h"

#include <QDir>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace {

// The calibration values of "sensor.ini", read when the check asks for them
// and written back after it.
class SettingsFileCalibration final : public CalibrationSource {
public:
    explicit SettingsFileCalibration(QString fileName) : m_fileName(std::move(fileName)) {}
    SensorCalibration calibration() const override { return SensorCalibration::load(m_fileName); }
    bool setCalibration(const SensorCalibration &values, QString *error) override
    {
        return values.save(m_fileName, error);
    }

private:
    QString m_fileName;
};

// Values given on the command line: sent as given, kept nowhere.
class GivenCalibration final : public CalibrationSource {
public:
    explicit GivenCalibration(SensorCalibration values) : m_values(std::move(values)) {}
    SensorCalibration calibration() const override { return m_values; }
    bool setCalibration(const SensorCalibration &, QString *) override { return true; }

private:
    SensorCalibration m_values;
};

} // namespace

bool checkJobOptionsValid(const CheckJobOptions &options, QTextStream &err)
{
    if (options.pressure.has_value() != options.humidity.has_value()) {
        err << u"oravelt-cli: --pressure and --humidity must be given together\n"_s;
        return false;
    }
    // Known before anything is written: compose writes its source file
    // first and would leave it behind a check that cannot run.
    if (!options.outputDirectory.isEmpty() && !QFileInfo(options.outputDirectory).isDir()) {
        err << u"oravelt-cli: cannot write cmpres8.dat and cmpres.bak into "_s << options.outputDirectory
            << (QFileInfo::exists(options.outputDirectory) ? u": not a directory\n"_s : u": no such directory\n"_s);
        return false;
    }
    return true;
}

int runCheckJob(const CheckJobOptions &options, QTextStream &err)
{
    if (!checkJobOptionsValid(options, err))
        return CliUsage;

    const std::optional<SourceDocument> document = readSourceForCommand(options.sourceFile, err);
    if (!document)
        return CliUsage;
    return runCheckJob(*document, options, err);
}

int runCheckJob(const SourceDocument &document, const CheckJobOptions &options, QTextStream &err,
                const CheckErrorReport &reportError)
{
    if (!checkJobOptionsValid(options, err))
        return CliUsage;

    const bool fromSettings = !options.pressure;
    QString settingsFile;
    if (fromSettings && options.calibrationDirectory.isEmpty()) {
        const WorkFolder workFolder = WorkFolder::locate();
        if (!workFolder.isValid()) {
            err << u"oravelt-cli: "_s << workFolder.error() << u'\n';
            return CliUsage;
        }
        settingsFile = workFolder.settingsPath();
    } else if (fromSettings) {
        settingsFile = SensorCalibration::fileIn(QDir(options.calibrationDirectory).absolutePath() + u'/');
    }
    SettingsFileCalibration settings(settingsFile);
    SensorCalibration given;
    if (!fromSettings) {
        given.pressure = *options.pressure;
        given.humidity = *options.humidity;
    }
    GivenCalibration fixed(given);
    CalibrationSource &calibration = fromSettings ? static_cast<CalibrationSource &>(settings) : fixed;

    CheckRun run(options.outputDirectory.isEmpty() ? QDir::currentPath() : options.outputDirectory, &calibration);
    QString fileError;
    if (!run.start(&fileError)) {
        err << u"oravelt-cli: cannot create the check results: "_s << fileError << u'\n';
        return CliUsage;
    }
    const CheckResult &result = run.compile(document);
    switch (run.finish(&fileError)) {
    case CheckRun::Failure::Files:
        err << u"oravelt-cli: cannot write the check results: "_s << fileError << u'\n';
        return CliUsage;
    case CheckRun::Failure::Calibration:
        err << u"oravelt-cli: "_s << fileError << u'\n';
        return CliUsage;
    case CheckRun::Failure::None:
        break;
    }

    if (result.error) {
        if (reportError)
            reportError(*result.error, err);
        else
            err << result.error->message << u'\n' << result.error->item << u'\n';
        return CliProblem;
    }
    return CliOk;
}
