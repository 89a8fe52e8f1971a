#include "tests/listing/listing_fixture.h"

#include <algorithm>
#include <cstdint>
#include <cwchar>

namespace listing_test {

std::wstring Wide(const UnicodeString& text) { return std::wstring(text.c_str(), text.Length()); }

std::wstring Hex8(HWND window)
{
    wchar_t text[16];
    std::swprintf(text, 16, L"%08X",
                  static_cast<unsigned>(static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(window))));
    return text;
}

std::wstring Repeat(const std::wstring& head, wchar_t fill, std::size_t length)
{
    std::wstring text = head;
    text.resize(length, fill);
    return text;
}

FixtureWindows::~FixtureWindows()
{
    for (HWND window : FWindows)
        DestroyWindow(window);
    for (const auto& name : FWideClasses)
        UnregisterClassW(name.c_str(), GetModuleHandleW(nullptr));
    for (const auto& name : FAnsiClasses)
        UnregisterClassA(name.c_str(), GetModuleHandleW(nullptr));
}

void FixtureWindows::RegisterWide(const std::wstring& className)
{
    if (std::find(FWideClasses.begin(), FWideClasses.end(), className) != FWideClasses.end())
        return;
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = className.c_str();
    if (RegisterClassExW(&windowClass))
        FWideClasses.push_back(className);
    else
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLASS_ALREADY_EXISTS));
}

HWND FixtureWindows::Create(const std::wstring& className, const std::wstring& title, bool visible, HWND owner)
{
    RegisterWide(className);
    HWND window = CreateWindowExW(0, className.c_str(), title.c_str(), WS_POPUP, 10, 10, 120, 60,
                                  owner, nullptr, GetModuleHandleW(nullptr), nullptr);
    EXPECT_NE(window, nullptr) << "CreateWindowExW failed: " << GetLastError();
    if (!window)
        return nullptr;
    FWindows.push_back(window);
    if (visible)
        ShowWindow(window, SW_SHOWNA);
    EXPECT_EQ(IsWindowVisible(window) != FALSE, visible);
    EXPECT_EQ(GetWindow(window, GW_OWNER), owner);
    return window;
}

HWND FixtureWindows::CreateAnsi(const char* className, WNDPROC procedure)
{
    if (std::find(FAnsiClasses.begin(), FAnsiClasses.end(), className) == FAnsiClasses.end()) {
        WNDCLASSEXA windowClass = {};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = procedure;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = className;
        if (RegisterClassExA(&windowClass))
            FAnsiClasses.push_back(className);
        else
            EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLASS_ALREADY_EXISTS));
    }
    HWND window = CreateWindowExA(0, className, "", WS_POPUP, 10, 10, 120, 60, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    EXPECT_NE(window, nullptr) << "CreateWindowExA failed: " << GetLastError();
    if (window)
        FWindows.push_back(window);
    return window;
}

void FixtureWindows::Destroy(HWND window)
{
    EXPECT_TRUE(DestroyWindow(window));
    std::erase(FWindows, window);
}

std::vector<HWND> AllTopLevelWindows()
{
    std::vector<HWND> windows;
    EnumWindows(
        [](HWND window, LPARAM list) -> BOOL {
            reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&windows));
    return windows;
}

std::vector<HWND> QualifyingWindows(bool visibleOnly)
{
    std::vector<HWND> windows;
    for (HWND window : AllTopLevelWindows())
        if (!GetWindow(window, GW_OWNER) && (!visibleOnly || IsWindowVisible(window)))
            windows.push_back(window);
    return windows;
}

void Refresh(int tag)
{
    TComponent sender(nullptr);
    sender.Tag = tag;
    FQelt->SpeedButtonClick(&sender);
}

std::vector<HWND> StableRefresh(int tag, bool visibleOnly)
{
    return StableRefresh(visibleOnly, [tag] { Refresh(tag); });
}

void ExpectListing(const std::vector<HWND>& qualifying)
{
    const int expected = static_cast<int>(std::min<std::size_t>(qualifying.size(), TFQelt::MaxWindows));
    ASSERT_EQ(FQelt->WindowCount, expected);
    for (int i = 0; i < expected; ++i)
        ASSERT_EQ(FQelt->WindowList[i], qualifying[static_cast<std::size_t>(i)]) << "stored window " << i;
    EXPECT_EQ(Wide(FQelt->Label1->Caption()), std::to_wstring(expected));
    ASSERT_EQ(FQelt->Memo1->Lines->Count(), expected);
    std::wstring text;
    for (int i = 0; i < expected; ++i) {
        const std::wstring line = Wide(FQelt->Memo1->Lines->Strings(i));
        const std::wstring head = Hex8(qualifying[static_cast<std::size_t>(i)]) + L" [";
        EXPECT_EQ(line.substr(0, head.size()), head) << "line " << i;
        text += line + L"\r\n";
    }
    EXPECT_EQ(Wide(FQelt->Memo1->Lines->Text()), text);
}

std::wstring LineOf(HWND window)
{
    for (int i = 0; i < FQelt->WindowCount; ++i)
        if (FQelt->WindowList[i] == window) {
            if (i >= FQelt->Memo1->Lines->Count()) {
                ADD_FAILURE() << "stored window " << i << " has no memo line";
                return {};
            }
            return Wide(FQelt->Memo1->Lines->Strings(i));
        }
    ADD_FAILURE() << "window " << window << " is not in the snapshot";
    return {};
}

bool Listed(HWND window)
{
    return std::find(FQelt->WindowList, FQelt->WindowList + FQelt->WindowCount, window) !=
           FQelt->WindowList + FQelt->WindowCount;
}

void ListingTest::SetUp()
{
    Application->MainFormOnTaskBar = true;
    Application->CreateForm(&FQelt);
    ASSERT_NE(FQelt, nullptr);
}

void ListingTest::TearDown()
{
    delete FQelt;
    FQelt = nullptr;
}

}  // namespace listing_test
