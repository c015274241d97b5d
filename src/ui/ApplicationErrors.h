#pragma once

// The application's standard error box, and the one place that catches an
// exception escaping an operator's command.
//
// The box shows the message with a full stop added unless it already ends in
// one, the application title (the executable's file name cut at its first
// full stop) as caption, the error icon and an OK button. The command that
// raised the error is abandoned at that point; the application goes on.
//
// Commands either let an exception escape (OraveltApplication::notify catches
// it after the event that ran the command) or, where a command wants to go on
// with something else after a failure, catch it themselves and call show().

#include <QApplication>
#include <QString>

class QWidget;

namespace ApplicationErrors {

// The text of the box: `message` with a full stop unless it ends in one.
QString boxText(const QString &message);

// Shows the standard error box (through Dialogs, so tests can answer it).
void show(const QString &message, QWidget *parent = nullptr);

// Runs `command`; an exception it raises is shown in the standard error box.
// Returns false when it raised one.
template <typename F>
bool guard(F &&command, QWidget *parent = nullptr);

// Shows the message of whatever exception is in flight (inside a catch).
void showCurrentException(QWidget *parent = nullptr);

} // namespace ApplicationErrors

// The editor's application object: every event is delivered through notify(),
// which catches what a command lets escape and shows it. It installs Qt's
// translations when it is created.
class OraveltApplication : public QApplication {
    Q_OBJECT
public:
    OraveltApplication(int &argc, char **argv);
    bool notify(QObject *receiver, QEvent *event) override;
};

template <typename F>
bool ApplicationErrors::guard(F &&command, QWidget *parent)
{
    try {
        command();
        return true;
    } catch (...) {
        showCurrentException(parent);
        return false;
    }
}
