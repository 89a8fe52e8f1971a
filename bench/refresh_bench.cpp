// Measures a refresh of the listing from a button press on the visible
// form, the start-up of qelt.exe, and a long run of refreshes, each beside
// a reference taken in the same run, and prints one table.
//
//   refresh_bench QELT64_EXE MINIMAL_EXE QELT32_EXE [RUNS]
//
// The windows listed belong to a second process (this program started
// with --fixtures N), as other programs' windows do.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <cstdio>
#include <string>
#include <vector>

#include "tests/support/gui_objects.h"
#include "ui/F01.h"

namespace {

const wchar_t* const FixturesReady = L"QeltBenchFixturesReady";
const wchar_t* const FixturesDone = L"QeltBenchFixturesDone";

double NowMs()
{
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

void PumpMessages()
{
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

// Waits for the handle while this thread goes on answering messages:
// other processes query our windows' texts.
void WaitPumping(HANDLE handle)
{
    while (MsgWaitForMultipleObjects(1, &handle, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0)
        PumpMessages();
}

struct Spread {
    double Median, Low, High;
};

Spread Summarize(std::vector<double> samples)
{
    std::sort(samples.begin(), samples.end());
    const std::size_t n = samples.size();
    const double median = n % 2 ? samples[n / 2] : (samples[n / 2 - 1] + samples[n / 2]) / 2;
    return {median, samples.front(), samples.back()};
}

int RunFixtures(int count)
{
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.lpszClassName = L"QeltBenchFixture";
    RegisterClassW(&windowClass);
    std::vector<HWND> windows;
    for (int i = 0; i < count; ++i) {
        wchar_t title[80];
        swprintf(title, 80, L"Fixture window %04d of the refresh benchmark", i);
        windows.push_back(CreateWindowExW(0, L"QeltBenchFixture", title, WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                          nullptr, nullptr));
    }
    HANDLE ready = OpenEventW(EVENT_MODIFY_STATE, FALSE, FixturesReady);
    HANDLE done = OpenEventW(SYNCHRONIZE, FALSE, FixturesDone);
    SetEvent(ready);
    WaitPumping(done);
    return 0;
}

// A process of this program holding `count` hidden top-level windows.
class Fixtures {
public:
    explicit Fixtures(int count)
    {
        FReady = CreateEventW(nullptr, TRUE, FALSE, FixturesReady);
        FDone = CreateEventW(nullptr, TRUE, FALSE, FixturesDone);
        wchar_t self[MAX_PATH];
        GetModuleFileNameW(nullptr, self, MAX_PATH);
        std::wstring command = L"\"" + std::wstring(self) + L"\" --fixtures " + std::to_wstring(count);
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &FProcess);
        WaitPumping(FReady);
    }
    ~Fixtures()
    {
        SetEvent(FDone);
        WaitPumping(FProcess.hProcess);
        CloseHandle(FProcess.hProcess);
        CloseHandle(FProcess.hThread);
        CloseHandle(FReady);
        CloseHandle(FDone);
    }

private:
    HANDLE FReady, FDone;
    PROCESS_INFORMATION FProcess{};
};

// The refresh as a user starts it: a press and a release on すべて.
double TimeButtonRefresh()
{
    const HWND panel = FQelt->Panel1->Handle();
    const TSpeedButton& button = *FQelt->SpeedButton2;
    const LPARAM centre = MAKELPARAM(button.Left() + button.Width() / 2, button.Top() + button.Height() / 2);
    const double start = NowMs();
    SendMessageW(panel, WM_LBUTTONDOWN, MK_LBUTTON, centre);
    SendMessageW(panel, WM_LBUTTONUP, 0, centre);
    PumpMessages();  // the repaint, as the floor's
    return NowMs() - start;
}

// The floor: the same queries for the same windows, and one text set of
// the same lines into an EDIT control of the same size and font.
class Floor {
public:
    Floor()
    {
        FFont = CreateFontW(-15, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                            CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, L"ＭＳ ゴシック");
        FFrame = CreateWindowExW(0, L"STATIC", L"floor", WS_POPUP | WS_VISIBLE, 0, 0, 584, 335, nullptr, nullptr,
                                 nullptr, nullptr);
        FEdit = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"",
                                WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_AUTOVSCROLL | ES_AUTOHSCROLL | WS_VSCROLL |
                                    WS_HSCROLL,
                                0, 0, 584, 335, FFrame, nullptr, nullptr, nullptr);
        SendMessageW(FEdit, WM_SETFONT, reinterpret_cast<WPARAM>(FFont), FALSE);
        SendMessageW(FEdit, EM_SETLIMITTEXT, 0, 0);
    }
    ~Floor()
    {
        DestroyWindow(FFrame);
        DeleteObject(FFont);
    }

    double Time()
    {
        const double start = NowMs();
        FWindows.clear();
        EnumWindows(Collect, reinterpret_cast<LPARAM>(&FWindows));
        std::string text;
        for (HWND window : FWindows) {
            std::vector<char> title(static_cast<std::size_t>(GetWindowTextLengthA(window)) + 2);
            GetWindowTextA(window, title.data(), static_cast<int>(title.size()));
            char className[100];
            GetClassNameA(window, className, sizeof className);
            char handle[16];
            std::snprintf(handle, sizeof handle, "%08X",
                          static_cast<unsigned>(reinterpret_cast<std::uintptr_t>(window)));
            text += std::string(handle) + " [" + className + "] " + title.data() + "\r\n";
        }
        std::wstring wide(text.size(), L'\0');
        wide.resize(static_cast<std::size_t>(
            MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                                static_cast<int>(wide.size()))));
        SetWindowTextW(FEdit, wide.c_str());
        PumpMessages();
        return NowMs() - start;
    }

private:
    static BOOL CALLBACK Collect(HWND window, LPARAM data)
    {
        auto& windows = *reinterpret_cast<std::vector<HWND>*>(data);
        if (windows.size() < 500 && !GetWindow(window, GW_OWNER))
            windows.push_back(window);
        return TRUE;
    }

    HFONT FFont;
    HWND FFrame, FEdit;
    std::vector<HWND> FWindows;
};

struct ShownWindow {
    DWORD Process;
    const wchar_t* ClassName;
    bool NeedsListing;
    HWND Found = nullptr;
};

BOOL CALLBACK FindShown(HWND window, LPARAM data)
{
    auto& wanted = *reinterpret_cast<ShownWindow*>(data);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    wchar_t className[64];
    GetClassNameW(window, className, 64);
    if (process != wanted.Process || lstrcmpW(className, wanted.ClassName) != 0 || !IsWindowVisible(window))
        return TRUE;
    if (wanted.NeedsListing) {
        const HWND memo = FindWindowExW(window, nullptr, L"TMemo", nullptr);
        if (!memo || SendMessageW(memo, WM_GETTEXTLENGTH, 0, 0) == 0)
            return TRUE;
    }
    wanted.Found = window;
    return FALSE;
}

// From process creation to its window shown (with its listing, for qelt).
double TimeStartUp(const std::wstring& exe, const wchar_t* className, bool needsListing)
{
    std::wstring command = L"\"" + exe + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    const double start = NowMs();
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        std::fprintf(stderr, "cannot start %ls\n", exe.c_str());
        std::exit(2);
    }
    ShownWindow wanted{process.dwProcessId, className, needsListing};
    while (!wanted.Found) {
        EnumWindows(FindShown, reinterpret_cast<LPARAM>(&wanted));
        PumpMessages();
        if (!wanted.Found)
            Sleep(1);
    }
    const double elapsed = NowMs() - start;
    PostMessageW(wanted.Found, WM_CLOSE, 0, 0);
    WaitPumping(process.hProcess);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    return elapsed;
}

BOOL CALLBACK CountUnowned(HWND window, LPARAM data)
{
    *reinterpret_cast<int*>(data) += GetWindow(window, GW_OWNER) == nullptr;
    return TRUE;
}

int UnownedWindows()
{
    int count = 0;
    EnumWindows(CountUnowned, reinterpret_cast<LPARAM>(&count));
    return count;
}

SIZE_T PrivateBytes()
{
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof counters);
    return counters.PrivateUsage;
}

long FileSize(const std::wstring& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data))
        return -1;
    return static_cast<long>(data.nFileSizeLow);
}

void Row(const char* figure, const char* windows, const Spread& qelt, const Spread& reference, const char* goal)
{
    std::printf("| %s | %s | %.1f ms (%.1f–%.1f) | %.1f ms (%.1f–%.1f) | %.2f | %s |\n", figure, windows, qelt.Median,
                qelt.Low, qelt.High, reference.Median, reference.Low, reference.High, qelt.Median / reference.Median,
                goal);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && std::string(argv[1]) == "--fixtures")
        return RunFixtures(std::atoi(argv[2]));
    if (argc < 4) {
        std::fprintf(stderr, "usage: refresh_bench QELT64_EXE MINIMAL_EXE QELT32_EXE [RUNS]\n");
        return 2;
    }
    auto wide = [](const char* text) { return std::wstring(text, text + std::strlen(text)); };
    const std::wstring qelt64 = wide(argv[1]), minimal = wide(argv[2]), qelt32 = wide(argv[3]);
    const int runs = argc > 4 ? std::max(3, std::atoi(argv[4])) : 7;

    Application->Initialize();
    Application->MainFormOnTaskBar = true;
    Application->CreateForm(&FQelt);
    FQelt->Show();
    Floor floor;
    PumpMessages();

    std::printf("| figure | windows | qelt: median (min–max) | reference: median (min–max) | ratio | goal |\n");
    std::printf("|---|---|---|---|---|---|\n");
    const int present = UnownedWindows();
    struct Setting {
        int Fixtures;
        const char* Label;
    };
    char labels[3][64];
    const Setting settings[] = {{std::max(0, 100 - present), labels[0]},
                                {std::max(0, 500 - present), labels[1]},
                                {2000, labels[2]}};
    for (int s = 0; s < 3; ++s) {
        Fixtures fixtures(settings[s].Fixtures);
        TimeButtonRefresh();
        floor.Time();
        std::snprintf(labels[s], sizeof labels[s], "%d present, %d listed", UnownedWindows(), FQelt->WindowCount);
        std::vector<double> refresh, refreshFloor, startUp, startUpMinimal;
        for (int r = 0; r < runs; ++r) {
            refresh.push_back(TimeButtonRefresh());
            refreshFloor.push_back(floor.Time());
        }
        for (int r = 0; r < runs; ++r) {
            startUp.push_back(TimeStartUp(qelt64, L"TFQelt", true));
            startUpMinimal.push_back(TimeStartUp(minimal, L"QeltMinimalWindow", false));
        }
        Row("refresh from a button press (reference: its queries + one text set)", settings[s].Label,
            Summarize(refresh), Summarize(refreshFloor), "≤ 1.30");
        Row("start-up to the listing shown (reference: a minimal window)", settings[s].Label, Summarize(startUp),
            Summarize(startUpMinimal), "≤ 1.20");
    }

    {
        Fixtures fixtures(std::max(0, 500 - present));
        TimeButtonRefresh();
        const qelt_test::GuiObjects objectsBefore = qelt_test::CountGuiObjects();
        const SIZE_T memoryBefore = PrivateBytes();
        for (int i = 1; i < 1000; ++i)
            TimeButtonRefresh();
        const qelt_test::GuiObjects objectsAfter = qelt_test::CountGuiObjects();
        const SIZE_T memoryAfter = PrivateBytes();
        std::printf("| GDI / USER objects, after the 1st and the 1,000th refresh | %d listed | %ld / %ld | %ld / %ld "
                    "| | equal |\n",
                    FQelt->WindowCount, objectsAfter.Gdi, objectsAfter.User, objectsBefore.Gdi, objectsBefore.User);
        std::printf("| private memory growth over 999 refreshes | %d listed | %+.0f KB | | | ≤ 1,024 KB |\n",
                    FQelt->WindowCount,
                    (static_cast<double>(memoryAfter) - static_cast<double>(memoryBefore)) / 1024.0);
    }
    std::printf("| qelt.exe size, 32-bit | | %ld bytes | | | ≤ 204,800 |\n", FileSize(qelt32));
    std::printf("| qelt.exe size, 64-bit | | %ld bytes | | | ≤ 256,000 |\n", FileSize(qelt64));
    delete FQelt;
    return 0;
}
