// The two string kinds meet here, through the system's ANSI code page.
#include <windows.h>

#include <vector>

#include "platform/base/strings.h"

AnsiString::AnsiString(const UnicodeString& text)
{
    if (text.IsEmpty())
        return;
    const int length = static_cast<int>(text.Length());
    // Without WC_NO_BEST_FIT_CHARS and a default character, characters the
    // code page cannot hold become the system's own replacement, as the
    // ...A window functions deliver them.
    const int size = WideCharToMultiByte(CP_ACP, 0, text.c_str(), length, nullptr, 0, nullptr, nullptr);
    if (size <= 0)
        return;
    std::vector<char> bytes(static_cast<std::size_t>(size));
    WideCharToMultiByte(CP_ACP, 0, text.c_str(), length, bytes.data(), size, nullptr, nullptr);
    *this = AnsiString(bytes.data(), bytes.size());
}

UnicodeString::UnicodeString(const AnsiString& text)
{
    if (text.IsEmpty())
        return;
    const int length = static_cast<int>(text.Length());
    const int size = MultiByteToWideChar(CP_ACP, 0, text.c_str(), length, nullptr, 0);
    if (size <= 0)
        return;
    FText.resize(static_cast<std::size_t>(size));
    MultiByteToWideChar(CP_ACP, 0, text.c_str(), length, FText.data(), size);
}
