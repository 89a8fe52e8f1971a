// The refresh: one pass over the desktop's top-level windows into the
// snapshot, then one listing line per stored window.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "ui/F01.h"

namespace {

// Handles print from their low 32 bits, the same on 32-bit and 64-bit
// builds: that is all of a window handle that is ever in use.
std::uint32_t HandleBits(HWND window) { return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(window)); }

// A title or class name with a line break would take two rows of the
// listing and look like two windows; each break shows as a blank instead.
// No ANSI code page has CR or LF as a trail byte, so bytes are safe here.
AnsiString OneRow(const char* text)
{
    std::string row(text);
    std::replace(row.begin(), row.end(), '\r', ' ');
    std::replace(row.begin(), row.end(), '\n', ' ');
    return AnsiString(row.c_str(), row.size());
}

}  // namespace

BOOL CALLBACK CollectWindowProc(HWND window, LPARAM) noexcept
{
    TFQelt& form = *FQelt;
    if (form.WindowCount == TFQelt::MaxWindows)
        return TRUE;
    if (GetWindow(window, GW_OWNER))
        return TRUE;
    if (form.VisibleOnly == 1 && !IsWindowVisible(window))
        return TRUE;
    form.WindowList[form.WindowCount] = window;
    ++form.WindowCount;
    return TRUE;
}

void TFQelt::SpeedButtonClick(TObject* Sender)
{
    // Any other Tag keeps the mode of the refresh before.
    const auto* trigger = dynamic_cast<const TComponent*>(Sender);
    switch (trigger ? trigger->Tag : -1) {
    case 0:
    case 1:
        VisibleOnly = 1;
        break;
    case 2:
        VisibleOnly = 0;
        break;
    }
    Memo1->Lines->Clear();
    WindowCount = 0;
    EnumWindows(CollectWindowProc, 0);
    ListWindows();
}

void TFQelt::ListWindows()
{
    Label1->SetCaption(IntToStr(WindowCount));
    AnsiString line;
    AnsiString className;
    AnsiString title;
    for (int i = 0; i < WindowCount; ++i) {
        const HWND window = WindowList[i];

        // Room for the text and its NUL, and one more; a title that grew
        // since the length query is cut to fit.
        const int titleLength = std::max(GetWindowTextLengthA(window), 0);
        std::vector<char> titleBuffer(static_cast<std::size_t>(titleLength) + 2, '\0');
        GetWindowTextA(window, titleBuffer.data(), static_cast<int>(titleBuffer.size()));
        // A window of our own answers WM_GETTEXT itself; never trust it to
        // end the text.
        titleBuffer.back() = '\0';
        title = OneRow(titleBuffer.data());

        char classBuffer[100] = {};
        GetClassNameA(window, classBuffer, sizeof classBuffer);
        classBuffer[sizeof classBuffer - 1] = '\0';
        className = OneRow(classBuffer);

        line = AnsiString(IntToHex(HandleBits(window), 8));
        line += " [";
        line += className;
        line += "] ";
        line += title;
        Memo1->Lines->Add(UnicodeString(line));
    }
}
