// oravelt-cli set-clock: sets the clock of one sign or several.

#include "CliArguments.h"
#include "CliCommand.h"
#include "SignTransfers.h"
#include "TransferConsole.h"

#include "link/DeviceLink.h"

#include <QCommandLineParser>
#include <QDateTime>
#include <QTextStream>

#include <mutex>

using namespace Qt::StringLiterals;

namespace {

int runSetClock(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        u"Sets the clock of the sign on PORT (a name from \"ports\", a device path, or a network port "
        "tcp://HOST:PORT or rfc2217://HOST:PORT): to the computer's clock, read for each sign right before its "
        "clock is sent, or to the moment --at gives. With several ports the signs are set at the same time."_s);
    const SignPortOptions ports;
    ports.addTo(parser);
    const QCommandLineOption at(u"at"_s, u"Send this moment instead of the computer's clock."_s,
                                u"YYYY-MM-DD HH:MM:SS"_s);
    parser.addOption(at);
    if (const auto done = parseCommandArguments(parser, arguments, 0, 0))
        return *done;
    const std::optional<QStringList> signs = ports.ports(parser, u"set-clock"_s);
    if (!signs)
        return CliUsage;
    QDateTime fixed;
    if (parser.isSet(at)) {
        fixed = QDateTime::fromString(parser.value(at), u"yyyy-MM-dd HH:mm:ss"_s);
        if (!fixed.isValid()) {
            printError(u"--at wants a moment like \"2011-12-31 23:59:59\", not \"%1\""_s.arg(parser.value(at)));
            return CliUsage;
        }
    }

    std::mutex mutex;
    QDateTime lastSent;
    const int status = runOnSigns(
        u"Clock"_s, *signs,
        [&](DeviceLink &link, const QString &port) {
            return link.setClock(port, [&] {
                const QDateTime moment = fixed.isValid() ? fixed : QDateTime::currentDateTime();
                std::lock_guard guard(mutex);
                lastSent = moment;
                return moment;
            });
        },
        0);
    if (status == CliOk && signs->size() == 1)
        QTextStream(stdout) << u"Clock set to "_s << lastSent.toString(u"yyyy-MM-dd HH:mm:ss"_s) << u'\n';
    return status;
}

const CliCommandRegistrar registrar(
    {u"set-clock"_s, u"Set the clock of one sign or several over their ports"_s, runSetClock});

} // namespace
