#pragma once

// The desktop as the tests see it for themselves: a pass over the top-level
// windows made by the test itself, apart from the program, to hold its
// listing to.
#include <windows.h>

#include <string>
#include <vector>

namespace qelt_test {

// The most windows one snapshot of the program holds.
constexpr std::size_t SnapshotLimit = 500;

// The rows the program should list for the desktop as it is now: one per
// unowned top-level window (visible ones only, or all), "%08X [class]
// title" made of the ANSI texts, at most `limit` of them, in the order the
// window manager gives.
std::vector<std::wstring> DesktopListing(bool visibleOnly, std::size_t limit = SnapshotLimit);

// The same rows as the program's memo holds them: each ended by CR LF.
std::wstring ListingText(const std::vector<std::wstring>& rows);
std::vector<std::wstring> SplitRows(const std::wstring& text);

// The handle as the listing prints it.
std::wstring HandleText(HWND window);
// Whether some row of the listing is the window's.
bool Lists(const std::wstring& text, HWND window);

// Top-level windows of this process that every listing meets: one of each
// kind the program's filter tells apart, and titles that test its rows.
struct ProbeWindows {
    HWND Visible;   // "probe visible 表示", through the ANSI code page
    HWND Hidden;
    HWND Owned;     // visible, owned by Visible
    HWND TwoLines;  // "probe\r\ntwo lines"

    static const ProbeWindows& Get();
    // Another probe: a small popup in the screen's corner.
    static HWND Create(const wchar_t* title, DWORD style, HWND owner = nullptr);
    static constexpr const wchar_t* ClassName = L"QeltTestProbe";
};

// UTF-8, for failure messages.
std::string Narrow(const std::wstring& text);

}  // namespace qelt_test
