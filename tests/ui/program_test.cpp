// The program from outside, as a user meets it: qelt.exe started as its own
// process, its buttons pressed with mouse input, its listing read back from
// its memo and held to this process's own pass over the desktop, closed,
// and its exit code read; and start-ups that fail, in builds of the same
// entry with a broken form, each showing an error box and exiting with 0.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <ostream>
#include <string>
#include <vector>

#include "tests/ui/desktop.h"

namespace {

using namespace qelt_test;

// Generous bounds: a loaded machine under Wine can be slow to start a
// process; the tests never wait for time to pass, only for a state.
constexpr DWORD StartBound = 60000;
constexpr DWORD ReplyBound = 30000;
constexpr DWORD PollStep = 20;

std::wstring Widen(const char* text)
{
    const int size = MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text, -1, wide.data(), size);
    wide.resize(wide.size() - 1);
    return wide;
}

// The build names files by their host paths; under Wine a Unix path
// becomes the DOS path Wine maps it to.
std::wstring DosPath(const char* path)
{
    using WineDosName = WCHAR*(CDECL*)(const char*);
    if (path[0] == '/')
        if (HMODULE kernel = GetModuleHandleW(L"kernel32.dll"))
            if (auto toDos = reinterpret_cast<WineDosName>(
                    reinterpret_cast<void*>(GetProcAddress(kernel, "wine_get_dos_file_name"))))
                if (WCHAR* dos = toDos(path)) {
                    std::wstring result(dos);
                    HeapFree(GetProcessHeap(), 0, dos);
                    return result;
                }
    return Widen(path);
}

bool UnderWine()
{
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

std::wstring WindowClass(HWND window)
{
    wchar_t name[256] = {};
    GetClassNameW(window, name, 256);
    return name;
}

// WM_GETTEXT, which crosses processes for child windows too.
std::wstring SentText(HWND window)
{
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, ReplyBound, &length))
        return L"<no answer>";
    std::wstring text(length + 1, L'\0');
    DWORD_PTR copied = 0;
    SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), SMTO_NORMAL,
                        ReplyBound, &copied);
    text.resize(std::min<std::size_t>(copied, length));
    return text;
}

// A process started from a command line; ended at the latest when the
// test is done with it.
class Process {
public:
    Process(const std::wstring& path, const std::wstring& arguments)
    {
        std::wstring commandLine = L"\"" + path + L"\"";
        if (!arguments.empty())
            commandLine += L" " + arguments;
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        if (!CreateProcessW(path.empty() ? nullptr : path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                            nullptr, nullptr, &startup, &FInfo))
            FInfo = {};
    }
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;
    ~Process()
    {
        if (!FInfo.hProcess)
            return;
        if (WaitForSingleObject(FInfo.hProcess, 0) == WAIT_TIMEOUT) {
            TerminateProcess(FInfo.hProcess, 1);
            WaitForSingleObject(FInfo.hProcess, ReplyBound);
        }
        CloseHandle(FInfo.hThread);
        CloseHandle(FInfo.hProcess);
    }

    bool Started() const { return FInfo.hProcess != nullptr; }
    DWORD Id() const { return FInfo.dwProcessId; }
    void WaitUntilIdle() const { WaitForInputIdle(FInfo.hProcess, StartBound); }

    // The exit code, or STILL_ACTIVE when it did not end within the bound.
    DWORD WaitForExit(DWORD bound = ReplyBound) const
    {
        WaitForSingleObject(FInfo.hProcess, bound);
        DWORD code = STILL_ACTIVE;
        GetExitCodeProcess(FInfo.hProcess, &code);
        return code;
    }

    // A visible top-level window of this process of the given class.
    HWND FindWindowOfClass(const wchar_t* className) const
    {
        struct Search {
            DWORD Process;
            const wchar_t* ClassName;
            HWND Found;
        } search{FInfo.dwProcessId, className, nullptr};
        EnumWindows(
            [](HWND window, LPARAM data) -> BOOL {
                auto& s = *reinterpret_cast<Search*>(data);
                DWORD process = 0;
                GetWindowThreadProcessId(window, &process);
                if (process == s.Process && IsWindowVisible(window) && WindowClass(window) == s.ClassName) {
                    s.Found = window;
                    return FALSE;
                }
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&search));
        return search.Found;
    }

    HWND WaitForWindowOfClass(const wchar_t* className) const
    {
        WaitUntilIdle();
        for (DWORD waited = 0; waited < StartBound; waited += PollStep) {
            if (HWND window = FindWindowOfClass(className))
                return window;
            if (WaitForSingleObject(FInfo.hProcess, PollStep) == WAIT_OBJECT_0)
                return FindWindowOfClass(className);
        }
        return nullptr;
    }

private:
    PROCESS_INFORMATION FInfo{};
};

// The host's path of a DOS path, under Wine.
std::wstring UnixPath(const std::wstring& path)
{
    using WineUnixName = char*(CDECL*)(const WCHAR*);
    if (HMODULE kernel = GetModuleHandleW(L"kernel32.dll"))
        if (auto toUnix = reinterpret_cast<WineUnixName>(
                reinterpret_cast<void*>(GetProcAddress(kernel, "wine_get_unix_file_name"))))
            if (char* unixPath = toUnix(path.c_str())) {
                std::wstring result = Widen(unixPath);
                HeapFree(GetProcessHeap(), 0, unixPath);
                return result;
            }
    return {};
}

// A program of the host run from here, with its exit code, or
// STILL_ACTIVE when it did not end within the bound. Wine starts a Unix
// program named by its Unix path but hands back no process to wait on, so
// a shell leaves the exit status in a file.
DWORD RunHostProgram(const std::wstring& command)
{
    wchar_t folder[MAX_PATH] = {};
    wchar_t status[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, folder);
    GetTempFileNameW(folder, L"qlt", 0, status);
    DeleteFileW(status);
    const std::wstring statusPath = UnixPath(status);
    std::wstring line = L"/bin/sh -c \"" + command + L"; echo $? >" + statusPath + L".part && mv " + statusPath +
                        L".part " + statusPath + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (statusPath.empty() ||
        !CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
        return STILL_ACTIVE;
    for (HANDLE handle : {info.hThread, info.hProcess})
        if (handle)
            CloseHandle(handle);
    for (DWORD waited = 0; waited < StartBound && GetFileAttributesW(status) == INVALID_FILE_ATTRIBUTES;
         waited += PollStep)
        Sleep(PollStep);
    const HANDLE file = CreateFileW(status, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return STILL_ACTIVE;
    char text[16] = {};
    DWORD read = 0;
    ReadFile(file, text, sizeof text - 1, &read, nullptr);
    CloseHandle(file);
    return static_cast<DWORD>(strtoul(text, nullptr, 10));
}

std::wstring Environment(const wchar_t* name)
{
    wchar_t value[512] = {};
    const DWORD length = GetEnvironmentVariableW(name, value, 512);
    return length > 0 && length < 512 ? value : L"";
}

bool HostHasProgram(const char* path)
{
    return UnderWine() && GetFileAttributesW(DosPath(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

// SpeedButton1 and SpeedButton2's centres on the tool strip.
constexpr POINT VisibleWindowsButton{426, 13};
constexpr POINT AllWindowsButton{528, 13};

// qelt.exe running, with its main window found.
class RunningQelt {
public:
    explicit RunningQelt(const std::wstring& arguments = L"") : FProcess(DosPath(QELT_EXE), arguments)
    {
        if (!FProcess.Started())
            return;
        Form = FProcess.WaitForWindowOfClass(L"TFQelt");
        if (Form) {
            Panel = FindWindowExW(Form, nullptr, L"TPanel", nullptr);
            Memo = FindWindowExW(Form, nullptr, L"TMemo", nullptr);
        }
    }

    bool Ready() const { return Form && Panel && Memo; }
    const Process& Program() const { return FProcess; }
    std::wstring Listing() const { return SentText(Memo); }

    // Returns once the program has handled everything sent and posted to
    // it so far: a posted message behind them sets the memo's modified
    // flag, which the refresh itself never sets.
    bool Settle() const
    {
        DWORD_PTR answer = 0;
        SendMessageTimeoutW(Memo, EM_SETMODIFY, FALSE, 0, SMTO_NORMAL, ReplyBound, &answer);
        PostMessageW(Memo, EM_SETMODIFY, TRUE, 0);
        for (DWORD waited = 0; waited < ReplyBound; waited += PollStep) {
            if (SendMessageTimeoutW(Memo, EM_GETMODIFY, 0, 0, SMTO_NORMAL, ReplyBound, &answer) && answer)
                return true;
            Sleep(PollStep);
        }
        return false;
    }

    // A press and release on the tool strip, posted as the mouse would.
    std::wstring PostClick(POINT at) const
    {
        PostMessageW(Panel, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at.x, at.y));
        PostMessageW(Panel, WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y));
        EXPECT_TRUE(Settle());
        return Listing();
    }

    // A real click of the X server's pointer on the tool strip.
    std::wstring PointerClick(POINT at) const
    {
        const wchar_t* marker = L"before the click";
        SendMessageTimeoutW(Memo, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(marker), SMTO_NORMAL, ReplyBound, nullptr);
        POINT screen = at;
        ClientToScreen(Panel, &screen);
        EXPECT_EQ(RunHostProgram(L"/usr/bin/xdotool mousemove --sync " + std::to_wstring(screen.x) + L" " +
                                 std::to_wstring(screen.y) + L" click 1"),
                  0u);
        // Input reaches the program after anything posted: wait for the
        // refresh to show, then for it to finish.
        for (DWORD waited = 0; waited < ReplyBound && Listing() == marker; waited += PollStep)
            Sleep(PollStep);
        EXPECT_NE(Listing(), marker) << "the click did not refresh the listing";
        EXPECT_TRUE(Settle());
        return Listing();
    }

    DWORD Close() const
    {
        PostMessageW(Form, WM_CLOSE, 0, 0);
        return FProcess.WaitForExit();
    }

    HWND Form = nullptr;
    HWND Panel = nullptr;
    HWND Memo = nullptr;

private:
    Process FProcess;
};

// A refresh held to the desktop as this process sees it just before and
// just after; while other windows come and go the press is made again.
template <class PressFunction>
void ExpectRefreshLists(PressFunction press, bool visibleOnly)
{
    for (int attempt = 1;; ++attempt) {
        const std::vector<std::wstring> before = DesktopListing(visibleOnly);
        const std::wstring shown = press();
        const std::vector<std::wstring> after = DesktopListing(visibleOnly);
        if (before == after || attempt == 5) {
            EXPECT_EQ(Narrow(shown), Narrow(ListingText(after)));
            // The count label shows the rows' number: one row a window.
            EXPECT_EQ(SplitRows(shown).size(), after.size());
            return;
        }
    }
}

struct ArgumentsCase {
    const char* Name;
    const wchar_t* Arguments;
};

void PrintTo(const ArgumentsCase& arguments, std::ostream* out) { *out << arguments.Name; }

class QeltProgram : public testing::TestWithParam<ArgumentsCase> {};

TEST_P(QeltProgram, ListsTheDesktopInBothModesAndExitsWithZero)
{
    const ProbeWindows& probes = ProbeWindows::Get();
    RunningQelt qelt(GetParam().Arguments);
    ASSERT_TRUE(qelt.Ready()) << "no TFQelt window with its panel and memo";
    // The first listing came before the window showed: all of the visible
    // desktop but the program's own window.
    const std::wstring first = qelt.Listing();
    std::vector<std::wstring> visible = DesktopListing(true);
    ASSERT_TRUE(Lists(ListingText(visible), qelt.Form));
    std::erase_if(visible, [&](const std::wstring& row) { return Lists(row, qelt.Form); });
    EXPECT_FALSE(Lists(first, qelt.Form));
    EXPECT_EQ(Narrow(first), Narrow(ListingText(visible)));
    EXPECT_FALSE(Lists(first, probes.Hidden));
    EXPECT_FALSE(Lists(first, probes.Owned));
    // This process's titles reach the other through the ANSI code page:
    // Japanese survives code page 932 only.
    const std::wstring probeRow = HandleText(probes.Visible) + L" [QeltTestProbe] probe visible " +
                                  (GetACP() == 932 ? L"表示" : L"??") + L"\r\n";
    EXPECT_NE(first.find(probeRow), std::wstring::npos) << Narrow(probeRow);
    EXPECT_NE(first.find(HandleText(probes.TwoLines) + L" [QeltTestProbe] probe  two lines\r\n"),
              std::wstring::npos);

    wchar_t caption[64] = {};
    GetWindowTextW(qelt.Form, caption, 64);
    EXPECT_STREQ(caption, L"Qelt  var.0.3");
    RECT client;
    GetClientRect(qelt.Form, &client);
    EXPECT_EQ(client.right, 584);
    EXPECT_EQ(client.bottom, 361);

    ExpectRefreshLists([&] { return qelt.PostClick(AllWindowsButton); }, false);
    EXPECT_TRUE(Lists(qelt.Listing(), probes.Hidden));
    ExpectRefreshLists([&] { return qelt.PostClick(VisibleWindowsButton); }, true);
    EXPECT_TRUE(Lists(qelt.Listing(), qelt.Form));
    EXPECT_FALSE(Lists(qelt.Listing(), probes.Hidden));
    ExpectRefreshLists([&] { return qelt.PostClick(AllWindowsButton); }, false);
    ExpectRefreshLists([&] { return qelt.PostClick(VisibleWindowsButton); }, true);

    EXPECT_EQ(qelt.Close(), 0u);
    EXPECT_FALSE(IsWindow(qelt.Form));
}

// Nothing on the command line changes what the program does.
INSTANTIATE_TEST_SUITE_P(
    CommandLines, QeltProgram,
    testing::Values(ArgumentsCase{"NoArguments", L""}, ArgumentsCase{"AllSwitch", L"/all"},
                    ArgumentsCase{"SeveralArguments", L"-a --hidden \"two words\" 表示 C:\\nothing.txt"}),
    [](const testing::TestParamInfo<ArgumentsCase>& info) { return std::string(info.param.Name); });

TEST(QeltProgramPointer, SpeedButtonsAnswerRealMouseClicks)
{
    if (Environment(L"DISPLAY").empty() || !HostHasProgram("/usr/bin/xdotool"))
        GTEST_SKIP() << "no X display or no xdotool to move its pointer";
    const ProbeWindows& probes = ProbeWindows::Get();
    RunningQelt qelt;
    ASSERT_TRUE(qelt.Ready());
    ExpectRefreshLists([&] { return qelt.PointerClick(AllWindowsButton); }, false);
    EXPECT_TRUE(Lists(qelt.Listing(), probes.Hidden));
    ExpectRefreshLists([&] { return qelt.PointerClick(VisibleWindowsButton); }, true);
    EXPECT_TRUE(Lists(qelt.Listing(), qelt.Form));
    EXPECT_FALSE(Lists(qelt.Listing(), probes.Hidden));
    // The form gave the memo the focus; clicking the buttons left it there.
    GUITHREADINFO thread{};
    thread.cbSize = sizeof thread;
    ASSERT_TRUE(GetGUIThreadInfo(GetWindowThreadProcessId(qelt.Form, nullptr), &thread));
    EXPECT_EQ(thread.hwndFocus, qelt.Memo);
    EXPECT_EQ(qelt.Close(), 0u);
}

// Not a check: the picture of the running program, to look at.
TEST(QeltProgramPointer, LeavesAScreenshot)
{
    if (Environment(L"DISPLAY").empty() || !HostHasProgram("/usr/bin/import"))
        GTEST_SKIP() << "no X display or no ImageMagick import";
    RunningQelt qelt;
    ASSERT_TRUE(qelt.Ready());
    qelt.PostClick(VisibleWindowsButton);
    RedrawWindow(qelt.Form, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    ASSERT_TRUE(qelt.Settle());
    const std::string picture = std::string(QELT_SCREENSHOT_DIR) + "/qelt.png";
    CreateDirectoryW(DosPath(QELT_SCREENSHOT_DIR).c_str(), nullptr);
    EXPECT_EQ(RunHostProgram(L"/usr/bin/import -window root " + Widen(picture.c_str())), 0u);
    EXPECT_NE(GetFileAttributesW(DosPath(picture.c_str()).c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(qelt.Close(), 0u);
}

// The texts of the box's static controls, one a line.
std::wstring StaticTexts(HWND box)
{
    std::wstring texts;
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (_wcsicmp(WindowClass(child).c_str(), L"Static") == 0) {
            const std::wstring text = SentText(child);
            if (!text.empty())
                texts += text + L"\n";
        }
    return texts;
}

struct FailureCase {
    const char* Name;
    const char* Program;
    // What the message names; none: the message is empty.
    std::vector<const wchar_t*> Names;
};

void PrintTo(const FailureCase& failure, std::ostream* out) { *out << failure.Name; }

class FailingStartup : public testing::TestWithParam<FailureCase> {};

TEST_P(FailingStartup, ShowsAnErrorBoxAndStillExitsWithZero)
{
    const Process program(DosPath(GetParam().Program), L"");
    ASSERT_TRUE(program.Started()) << GetParam().Program;
    const HWND box = program.WaitForWindowOfClass(L"#32770");
    ASSERT_NE(box, nullptr) << "no error box";
    EXPECT_EQ(program.FindWindowOfClass(L"TFQelt"), nullptr);

    wchar_t title[64] = {};
    GetWindowTextW(box, title, 64);
    EXPECT_STREQ(title, L"qelt");
    const std::wstring message = StaticTexts(box);
    if (GetParam().Names.empty()) {
        EXPECT_EQ(Narrow(message), "");
    }
    for (const wchar_t* name : GetParam().Names)
        EXPECT_NE(message.find(name), std::wstring::npos) << Narrow(name) << " not in: " << Narrow(message);

    const HWND button = FindWindowExW(box, nullptr, L"Button", nullptr);
    ASSERT_NE(button, nullptr);
    PostMessageW(button, BM_CLICK, 0, 0);
    EXPECT_EQ(program.WaitForExit(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Variants, FailingStartup,
    testing::Values(
        FailureCase{"UnknownProperty",
                    QELT_VARIANT_UNKNOWN_PROPERTY,
                    {L"TFQelt form definition", L"line 4", L"no property Colour"}},
        FailureCase{"UnknownHandler",
                    QELT_VARIANT_UNKNOWN_HANDLER,
                    {L"TFQelt form definition", L"line 5", L"no handler FormShow"}},
        FailureCase{"NoFormDefinition", QELT_VARIANT_NO_DEFINITION, {L"TFQelt", L"missing"}},
        FailureCase{"NotAnExceptionThrown", QELT_VARIANT_THROWS_INT, {}}),
    [](const testing::TestParamInfo<FailureCase>& info) { return std::string(info.param.Name); });

}  // namespace
