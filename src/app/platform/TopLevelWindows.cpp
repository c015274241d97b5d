#include "TopLevelWindows.h"

#include "NativeWindows.h"
#include "X11Windows.h"

#include "simulator/SimulatorTitles.h"

#include <QProcess>

using namespace Qt::StringLiterals;

namespace {

// For desktops without a window system of their own that we can query.
class NoWindows : public TopLevelWindows {
public:
    std::optional<Handle> find(const QString &) override { return std::nullopt; }
    void close(Handle) override {}
    void bringToTop(Handle) override {}
};

std::unique_ptr<TopLevelWindows> &override()
{
    static std::unique_ptr<TopLevelWindows> windows;
    return windows;
}

} // namespace

TopLevelWindows &TopLevelWindows::desktop()
{
    if (override())
        return *override();
    static std::unique_ptr<TopLevelWindows> system = [] () -> std::unique_ptr<TopLevelWindows> {
        if (auto x11 = X11Windows::connect())
            return x11;
        if (auto native = NativeWindows::connect())
            return native;
        return std::make_unique<NoWindows>();
    }();
    return *system;
}

void TopLevelWindows::setDesktop(std::unique_ptr<TopLevelWindows> windows)
{
    override() = std::move(windows);
}

namespace Simulator {

QString previewTitle()
{
    return SimulatorTitles::preview();
}

QString closingTitle()
{
    return SimulatorTitles::closing();
}

bool closeWindow(TopLevelWindows &windows)
{
    const auto window = windows.find(closingTitle());
    if (!window)
        return false;
    windows.close(*window);
    return true;
}

QString programFileName()
{
    return QStringLiteral(ORAVELT_SIMULATOR_FILE_NAME);
}

void startPreview(const QString &directory, TopLevelWindows &windows)
{
    QProcess::startDetached(directory + programFileName(), QStringList(), QString());
    if (const auto window = windows.find(previewTitle()))
        windows.bringToTop(*window);
}

} // namespace Simulator
