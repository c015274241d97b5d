#include "CheckJob.h"

#include "CliCommand.h"

#include "calibration/SensorCalibration.h"
#include "compiler/CheckFiles.h"
#include "compiler/Compiler.h"
#include "document/ClassRegistry.h"
#include "workfolder/WorkFolder.h"
#include "document/SourceFileReader.h"

#include <QDir>
#include <QFileInfo>

using namespace Qt::StringLiterals;

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

    ClassRegistry::registerStandardClasses();
    SourceDocument document;
    FileError readError;
    if (!ReadSourceFile(options.sourceFile, document, &readError)) {
        err << u"oravelt-cli: cannot read "_s << readError.toString() << u'\n';
        return CliUsage;
    }
    return runCheckJob(document, options, err);
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
    SensorCalibration calibration;
    if (fromSettings) {
        calibration = SensorCalibration::load(settingsFile);
    } else {
        calibration.pressure = *options.pressure;
        calibration.humidity = *options.humidity;
    }

    CheckFiles files(options.outputDirectory.isEmpty() ? QDir::currentPath() : options.outputDirectory);
    QString fileError;
    if (!files.create(&fileError)) {
        err << u"oravelt-cli: cannot create the check results: "_s << fileError << u'\n';
        return CliUsage;
    }
    const CheckResult result = Compiler::compile(document, calibration.pressure, calibration.humidity);
    if (!files.commit(result, &fileError)) {
        err << u"oravelt-cli: cannot write the check results: "_s << fileError << u'\n';
        return CliUsage;
    }

    if (fromSettings) {
        calibration.pressure = result.pressureText;
        calibration.humidity = result.humidityText;
        QString saveError;
        if (!calibration.save(settingsFile, &saveError)) {
            err << u"oravelt-cli: "_s << saveError << u'\n';
            return CliUsage;
        }
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
