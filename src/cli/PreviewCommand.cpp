// oravelt-cli preview PROGRAM [--width N] [--gif OUT.gif | --png-frames DIR] [--seconds S]
//
// Plays a compiled program on the simulated sign: lists what one pass shows,
// or renders the animation to a looping GIF or to numbered PNG frames.

#include "CliArguments.h"
#include "CliCommand.h"
#include "TransferConsole.h"

#include "simulator/AnimatedGif.h"
#include "simulator/LedPainter.h"
#include "simulator/ProgramDecoder.h"
#include "simulator/SignPlayer.h"

#include <QCommandLineParser>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTextStream>

#include <cmath>

using namespace Qt::StringLiterals;

namespace {

// Far more than the sign takes; a preview need not refuse what a load would.
constexpr qint64 MaxProgramBytes = 64 << 20;
constexpr double MaxSeconds = 3600;
// What a preview of a program that shows nothing lasts.
constexpr qint64 EmptyPreviewMilliseconds = 2000;

void report(const QString &text)
{
    printError(u"oravelt-cli preview: "_s + text);
}

void warnAboutFonts(const SignFonts &fonts)
{
    for (const SignFontProblem &problem : fonts.problems) {
        QString text = u"warning: the sign font \"%1\" cannot be read: %2 (%3); it comes with the Debian package %4. "_s
                           .arg(problem.fontName, problem.path, problem.reason, problem.package);
        text += problem.standIn.isEmpty() ? u"Its text is shown as boxes."_s
                                          : u"Its text is shown in \"%1\"."_s.arg(problem.standIn);
        report(text);
    }
}

QString seconds(qint64 milliseconds)
{
    return QString::number(double(milliseconds) / 1000, 'f', 3);
}

void listPass(SignPlayer &player, QTextStream &out)
{
    const qint64 length = player.passDuration();
    qint64 t = 0;
    while (t < length) {
        const SignPlayer::Position position = player.positionAt(t);
        out << seconds(position.start).rightJustified(9) << u" s  "_s << position.description
            << u"  (offset "_s << position.offset << u")\n"_s;
        t = position.end;
    }
    out << u"One pass: "_s << seconds(length) << u" s at "_s << player.width() << u" columns.\n"_s;
}

int runPreview(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        u"Plays a compiled program (cmpres8.dat) on a simulated sign. Without --gif or --png-frames it lists\n"
        "what one pass of the program shows. The sign's firmware is not at hand: the effects are readings of\n"
        "their names, an approximation of what the sign shows.\n"
        "Exit status: 0 done, 2 the options are wrong or the program cannot be read or is malformed."_s);
    parser.addPositionalArgument(u"program"_s, u"The compiled program."_s, u"PROGRAM"_s);
    const QCommandLineOption width(u"width"_s, u"Columns of the sign, 8 to 1024 (default 96)."_s, u"N"_s,
                                   u"96"_s);
    const QCommandLineOption gif(u"gif"_s, u"Write the animation as a looping GIF."_s, u"OUT.gif"_s);
    const QCommandLineOption png(u"png-frames"_s, u"Write the animation as numbered PNG frames into DIR."_s,
                                 u"DIR"_s);
    const QCommandLineOption length(u"seconds"_s, u"How long to render (default: one pass of the program)."_s,
                                    u"S"_s);
    const QCommandLineOption fps(u"fps"_s, u"Frames a second, 1 to 50 (default 25)."_s, u"N"_s, u"25"_s);
    const QCommandLineOption pitch(u"pitch"_s, u"Pixels from one LED to the next, 2 to 32 (default 6)."_s, u"PX"_s,
                                   u"6"_s);
    const QCommandLineOption at(u"at"_s, u"The clock's time at the start (default: now)."_s,
                                u"YYYY-MM-DD HH:MM:SS"_s);
    parser.addOptions({width, gif, png, length, fps, pitch, at});
    if (const auto done = parseCommandArguments(parser, arguments, 1, 1))
        return *done;

    bool ok = false;
    const int columns = parser.value(width).toInt(&ok);
    if (!ok || columns < SignPlayer::MinWidth || columns > SignPlayer::MaxWidth) {
        report(u"--width wants a number of columns from 8 to 1024, not \"%1\""_s.arg(parser.value(width)));
        return CliUsage;
    }
    if (parser.isSet(gif) && parser.isSet(png)) {
        report(u"give --gif or --png-frames, not both"_s);
        return CliUsage;
    }
    const int framesPerSecond = parser.value(fps).toInt(&ok);
    if (!ok || framesPerSecond < 1 || framesPerSecond > 50) {
        report(u"--fps wants a number from 1 to 50, not \"%1\""_s.arg(parser.value(fps)));
        return CliUsage;
    }
    const int ledPitch = parser.value(pitch).toInt(&ok);
    if (!ok || ledPitch < LedPainter::MinPitch || ledPitch > LedPainter::MaxPitch) {
        report(u"--pitch wants a number of pixels from 2 to 32, not \"%1\""_s.arg(parser.value(pitch)));
        return CliUsage;
    }
    double wanted = 0;
    if (parser.isSet(length)) {
        wanted = parser.value(length).toDouble(&ok);
        if (!ok || !(wanted > 0) || wanted > MaxSeconds) {
            report(u"--seconds wants a time above 0 and up to 3600, not \"%1\""_s.arg(parser.value(length)));
            return CliUsage;
        }
    }
    QDateTime clock = QDateTime::currentDateTime();
    if (parser.isSet(at)) {
        clock = QDateTime::fromString(parser.value(at), u"yyyy-MM-dd HH:mm:ss"_s);
        if (!clock.isValid()) {
            report(u"--at wants a moment like \"2011-12-31 23:59:59\", not \"%1\""_s.arg(parser.value(at)));
            return CliUsage;
        }
    }

    const QString path = parser.positionalArguments().at(0);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        report(u"%1: %2"_s.arg(path, file.errorString()));
        return CliUsage;
    }
    if (file.size() > MaxProgramBytes) {
        report(u"%1: %2 bytes is too large for a compiled program"_s.arg(path).arg(file.size()));
        return CliUsage;
    }
    ProgramError error;
    const std::optional<CompiledProgram> program = decodeProgram(file.readAll(), &error);
    if (!program) {
        report(u"%1: not a compiled program: %2"_s.arg(path, error.toString()));
        return CliUsage;
    }

    const SignFonts fonts = SignFonts::load();
    warnAboutFonts(fonts);
    SignPlayer player(*program, fonts, columns);
    QTextStream out(stdout);
    if (!parser.isSet(gif) && !parser.isSet(png)) {
        listPass(player, out);
        return CliOk;
    }

    const qint64 pass = player.passDuration();
    const qint64 total = parser.isSet(length) ? qint64(std::llround(wanted * 1000))
                         : pass > 0          ? std::min<qint64>(pass, qint64(MaxSeconds * 1000))
                                             : EmptyPreviewMilliseconds;
    const qint64 frameCount = std::max<qint64>(1, (total * framesPerSecond + 999) / 1000);
    const LedPainter painter(ledPitch);
    QImage image;
    LedFrame frame;
    AnimatedGif animation;
    QString failure;
    const QString target = parser.isSet(gif) ? parser.value(gif) : parser.value(png);
    if (parser.isSet(gif)) {
        if (!animation.open(target, painter.imageSize(columns), LedPainter::palette(), &failure)) {
            report(u"%1: %2"_s.arg(target, failure));
            return CliUsage;
        }
    } else if (!QDir().mkpath(target)) {
        report(u"%1: the folder cannot be made"_s.arg(target));
        return CliUsage;
    }
    const int digits = std::max(5, int(QString::number(frameCount).size()));
    for (qint64 k = 0; k < frameCount; ++k) {
        const qint64 time = k * 1000 / framesPerSecond;
        player.render(time, clock.addMSecs(time), frame);
        painter.paint(frame, image, QImage::Format_Indexed8);
        if (parser.isSet(gif)) {
            // Delays in hundredths, rounded so that they add up to the time.
            const int delay = int((k + 1) * 100 / framesPerSecond - k * 100 / framesPerSecond);
            if (!animation.addFrame(image, delay, &failure)) {
                report(u"%1: %2"_s.arg(target, failure));
                return CliUsage;
            }
        } else {
            const QString name = QDir(target).filePath(u"frame-%1.png"_s.arg(k + 1, digits, 10, QChar(u'0')));
            if (!image.save(name, "PNG")) {
                report(u"%1: the frame cannot be written"_s.arg(name));
                return CliUsage;
            }
        }
    }
    if (parser.isSet(gif) && !animation.close(&failure)) {
        report(u"%1: %2"_s.arg(target, failure));
        return CliUsage;
    }
    out << u"Wrote "_s << target << u": "_s << frameCount << u" frames, "_s << seconds(total) << u" s at "_s
        << framesPerSecond << u" frames a second, "_s << columns << u" columns.\n"_s;
    return CliOk;
}

const CliCommandRegistrar registrar(CliCommand{
    u"preview"_s, u"Play a compiled program on a simulated sign; write it as a GIF or PNG frames"_s, runPreview});

} // namespace
