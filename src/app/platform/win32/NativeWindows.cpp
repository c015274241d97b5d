#include "app/platform/NativeWindows.h"

#include <QString>

#include <windows.h>

namespace {

class Win32Windows final : public TopLevelWindows {
public:
    std::optional<Handle> find(const QString &title) override
    {
        Search search{title, nullptr};
        EnumWindows(&Win32Windows::visit, reinterpret_cast<LPARAM>(&search));
        if (!search.found)
            return std::nullopt;
        return Handle(reinterpret_cast<quintptr>(search.found));
    }

    // WM_CLOSE is posted, as a click on the close box would: the window's own
    // program decides, and nothing here waits on a program that may hang.
    void close(Handle window) override { PostMessageW(hwnd(window), WM_CLOSE, 0, 0); }

    void bringToTop(Handle window) override
    {
        if (IsIconic(hwnd(window)))
            ShowWindow(hwnd(window), SW_RESTORE);
        SetForegroundWindow(hwnd(window));
    }

private:
    struct Search {
        const QString &title;
        HWND found;
    };

    static HWND hwnd(Handle window) { return reinterpret_cast<HWND>(quintptr(window)); }

    static BOOL CALLBACK visit(HWND window, LPARAM parameter)
    {
        auto *search = reinterpret_cast<Search *>(parameter);
        const int length = GetWindowTextLengthW(window);
        if (length != search->title.size())
            return TRUE;
        std::wstring text(size_t(length) + 1, L'\0');
        const int got = GetWindowTextW(window, text.data(), length + 1);
        text.resize(size_t(got));
        if (QString::fromStdWString(text) != search->title)
            return TRUE;
        search->found = window;
        return FALSE;
    }
};

} // namespace

std::unique_ptr<TopLevelWindows> NativeWindows::connect()
{
    return std::make_unique<Win32Windows>();
}
