#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <cstddef>
#include <string>
#include <vector>

#include "ui/F01.h"

namespace listing_test {

std::wstring Wide(const UnicodeString& text);
// The handle as the listing must print it, made without the platform's
// IntToHex.
std::wstring Hex8(HWND window);
std::wstring Repeat(const std::wstring& head, wchar_t fill, std::size_t length);

// Top-level windows made for one test, with their classes; all gone again
// when the object goes.
class FixtureWindows {
public:
    FixtureWindows() = default;
    FixtureWindows(const FixtureWindows&) = delete;
    FixtureWindows& operator=(const FixtureWindows&) = delete;
    ~FixtureWindows();

    // Not a child: `owner` makes it an owned top-level window.
    HWND Create(const std::wstring& className, const std::wstring& title, bool visible, HWND owner = nullptr);
    // A window of an ANSI class with the given procedure.
    HWND CreateAnsi(const char* className, WNDPROC procedure);
    void Destroy(HWND window);

private:
    void RegisterWide(const std::wstring& className);

    std::vector<HWND> FWindows;
    std::vector<std::wstring> FWideClasses;
    std::vector<std::string> FAnsiClasses;
};

// Our own pass over the top-level windows, in the window manager's order.
std::vector<HWND> AllTopLevelWindows();
// The same, through the listing's filter but without its cap.
std::vector<HWND> QualifyingWindows(bool visibleOnly);

// Refreshes as a click on a control with this Tag would.
void Refresh(int tag);

// Runs `refresh` between two passes of our own and returns what they saw;
// again while another process changes the window set under it.
template <class Refresh>
std::vector<HWND> StableRefresh(bool visibleOnly, Refresh refresh)
{
    for (int attempt = 0; attempt < 10; ++attempt) {
        std::vector<HWND> before = QualifyingWindows(visibleOnly);
        refresh();
        if (QualifyingWindows(visibleOnly) == before)
            return before;
    }
    ADD_FAILURE() << "the set of top-level windows kept changing during the refresh";
    return {};
}

std::vector<HWND> StableRefresh(int tag, bool visibleOnly);

// The whole snapshot, label and memo against the windows that qualify:
// the first 500 of them, one line each, in order, and nothing else.
void ExpectListing(const std::vector<HWND>& qualifying);

// The memo line of a stored window; fails the test when it is not stored.
std::wstring LineOf(HWND window);
bool Listed(HWND window);

// One main form per test, as the program creates it.
class ListingTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    FixtureWindows windows;
};

}  // namespace listing_test
