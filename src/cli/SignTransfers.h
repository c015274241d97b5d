#pragma once

// upload and set-clock on one sign or on several at once.
//
// The ports come from --port (repeatable) and --ports-from FILE (one port a
// line; blank lines and # comments skipped). One port: the transfer runs on
// this thread with the single progress line and final line of
// TransferConsole. Several: one transfer per port, each on a thread of its
// own with its own port component and link (exactly the single-port
// transfer), a progress line per sign on a terminal, and then a table on
// standard output (port, bytes sent, lost, time, result). A sign that fails
// does not stop the others. The exit status is 0 only when every sign got
// every byte; otherwise 1, with the failed ports named on standard error.

#include "link/DeviceLink.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QStringList>

#include <functional>
#include <optional>

struct SignPortOptions {
    QCommandLineOption port;
    QCommandLineOption portsFrom;

    SignPortOptions();
    void addTo(QCommandLineParser &parser) const;
    // The ports given, in order; nullopt (after printing why) when there are
    // none, the file cannot be read, or a port is named twice.
    std::optional<QStringList> ports(const QCommandLineParser &parser, const QString &command) const;
};

// Reads a ports file: one port a line, # starts a comment.
QStringList parsePortsFile(const QByteArray &text);

// One transfer over a link that the caller has not opened: DeviceLink::upload
// or DeviceLink::setClock with their payloads. It runs on the sign's thread.
using SignTransfer = std::function<TransferReport(DeviceLink &link, const QString &port)>;

// what: "Upload" or "Clock". programSize: the payload size of a program load
// (0 for the clock), for the report of a port error.
int runOnSigns(const QString &what, const QStringList &ports, const SignTransfer &transfer, qint64 programSize);
