#include "tests/ui/desktop.h"

#include <cstdint>
#include <cstdio>

namespace qelt_test {

namespace {

struct Pass {
    bool VisibleOnly;
    std::size_t Limit;
    std::vector<HWND> Windows;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM data)
{
    auto& pass = *reinterpret_cast<Pass*>(data);
    if (pass.Windows.size() < pass.Limit && !GetWindow(window, GW_OWNER) &&
        (!pass.VisibleOnly || IsWindowVisible(window)))
        pass.Windows.push_back(window);
    return TRUE;
}

std::wstring FromAnsi(const std::string& bytes)
{
    if (bytes.empty())
        return {};
    const int size = MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring text(static_cast<std::size_t>(size), L'\0');
    MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(), size);
    return text;
}

std::string AnsiTitle(HWND window)
{
    std::string title(static_cast<std::size_t>(GetWindowTextLengthA(window)) + 1, '\0');
    title.resize(static_cast<std::size_t>(GetWindowTextA(window, title.data(), static_cast<int>(title.size()))));
    return title;
}

std::string AnsiClass(HWND window)
{
    char name[256] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

// A row is one line of the memo whatever the window's texts hold.
std::string OneRow(std::string text)
{
    for (char& c : text)
        if (c == '\r' || c == '\n')
            c = ' ';
    return text;
}

}  // namespace

HWND ProbeWindows::Create(const wchar_t* title, DWORD style, HWND owner)
{
    static const ATOM registered = [] {
        WNDCLASSW probeClass{};
        probeClass.lpfnWndProc = DefWindowProcW;
        probeClass.hInstance = GetModuleHandleW(nullptr);
        probeClass.lpszClassName = ClassName;
        return RegisterClassW(&probeClass);
    }();
    if (!registered)
        return nullptr;
    return CreateWindowExW(WS_EX_TOOLWINDOW, ClassName, title, WS_POPUP | style, 0, 0, 40, 20, owner, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
}

const ProbeWindows& ProbeWindows::Get()
{
    static const ProbeWindows probes = [] {
        ProbeWindows made;
        made.Visible = Create(L"probe visible 表示", WS_VISIBLE);
        made.Hidden = Create(L"probe hidden", 0);
        made.Owned = Create(L"probe owned", WS_VISIBLE, made.Visible);
        made.TwoLines = Create(L"probe\r\ntwo lines", WS_VISIBLE);
        return made;
    }();
    return probes;
}

std::wstring HandleText(HWND window)
{
    wchar_t text[16];
    swprintf(text, 16, L"%08X", static_cast<unsigned>(reinterpret_cast<std::uintptr_t>(window)));
    return text;
}

std::vector<std::wstring> DesktopListing(bool visibleOnly, std::size_t limit)
{
    Pass pass{visibleOnly, limit, {}};
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&pass));
    std::vector<std::wstring> rows;
    for (HWND window : pass.Windows)
        rows.push_back(HandleText(window) + L" [" + FromAnsi(OneRow(AnsiClass(window))) + L"] " +
                       FromAnsi(OneRow(AnsiTitle(window))));
    return rows;
}

std::wstring ListingText(const std::vector<std::wstring>& rows)
{
    std::wstring text;
    for (const std::wstring& row : rows)
        text += row + L"\r\n";
    return text;
}

std::vector<std::wstring> SplitRows(const std::wstring& text)
{
    std::vector<std::wstring> rows;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find(L"\r\n", start);
        if (end == std::wstring::npos) {
            rows.push_back(text.substr(start));
            break;
        }
        rows.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return rows;
}

bool Lists(const std::wstring& text, HWND window)
{
    const std::wstring handle = HandleText(window) + L" [";
    for (const std::wstring& row : SplitRows(text))
        if (row.compare(0, handle.size(), handle) == 0)
            return true;
    return false;
}

std::string Narrow(const std::wstring& text)
{
    if (text.empty())
        return {};
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                         nullptr);
    std::string bytes(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), size, nullptr, nullptr);
    return bytes;
}

}  // namespace qelt_test
