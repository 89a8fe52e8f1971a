// The main form in this process, as the program creates it: its windows,
// fonts and places read back from the real windows, the start-up listing,
// the two refresh modes through mouse messages on the tool strip, the
// count label, resizing, and nothing left behind when it goes.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

#include "tests/ui/desktop.h"
#include "tests/support/gui_objects.h"
#include "ui/F01.h"

bool operator==(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

void PrintTo(const RECT& r, std::ostream* out)
{
    *out << "{" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << "}";
}

namespace {

using namespace qelt_test;

void PumpMessages()
{
    MSG message;
    for (int i = 0; i < 10000 && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE); ++i) {
        // The main form's quit request would end a message loop of the
        // program; nothing here ends one.
        EXPECT_NE(message.message, static_cast<UINT>(WM_QUIT)) << "a quit message while the form lives";
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

std::wstring WindowText(HWND window)
{
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

std::wstring WindowClass(HWND window)
{
    wchar_t name[256] = {};
    GetClassNameW(window, name, 256);
    return name;
}

// The window's place in its parent's client area.
RECT PlaceInParent(HWND window)
{
    RECT place;
    GetWindowRect(window, &place);
    MapWindowPoints(HWND_DESKTOP, GetParent(window), reinterpret_cast<POINT*>(&place), 2);
    return place;
}

struct FontCase {
    const wchar_t* Face;
    int Height;
    BYTE Charset;
    TColor Color;
};

void ExpectFont(HFONT font, const FontCase& expected)
{
    ASSERT_NE(font, nullptr);
    LOGFONTW logFont{};
    ASSERT_GT(GetObjectW(font, sizeof logFont, &logFont), 0);
    EXPECT_EQ(std::wstring(logFont.lfFaceName), expected.Face);
    EXPECT_EQ(logFont.lfHeight, expected.Height);
    EXPECT_EQ(logFont.lfCharSet, expected.Charset);
    EXPECT_EQ(logFont.lfWeight, FW_NORMAL);
    EXPECT_FALSE(logFont.lfItalic || logFont.lfUnderline || logFont.lfStrikeOut);
}

HFONT WindowFont(HWND window) { return reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0)); }

// The text's extent as a label draws it.
SIZE TextExtent(HFONT font, const std::wstring& text)
{
    HDC screen = GetDC(nullptr);
    HGDIOBJ previous = SelectObject(screen, font);
    RECT extent{0, 0, 0, 0};
    DrawTextW(screen, text.c_str(), static_cast<int>(text.size()), &extent, DT_CALCRECT | DT_NOPREFIX);
    SelectObject(screen, previous);
    ReleaseDC(nullptr, screen);
    return {extent.right - extent.left, extent.bottom - extent.top};
}

const FontCase FormFont{L"Tahoma", -13, DEFAULT_CHARSET, clWindowText};
const FontCase HeaderFont{L"Tahoma", -13, DEFAULT_CHARSET, clGray};
const FontCase MemoFont{L"ＭＳ ゴシック", -15, ANSI_CHARSET, clWindowText};

// The main form as WinMain creates it; deleted after each test.
class MainForm : public testing::Test {
protected:
    void SetUp() override
    {
        ProbeWindows::Get();
        Application->MainFormOnTaskBar = true;
        Application->CreateForm(&FQelt);
        ASSERT_NE(FQelt, nullptr);
    }

    void TearDown() override
    {
        delete FQelt;
        FQelt = nullptr;
        PumpMessages();
    }

    static HWND Form() { return FQelt->Handle(); }
    static HWND Panel() { return FQelt->Panel1->Handle(); }
    static HWND Memo() { return FQelt->Memo1->Handle(); }
    // What the control shows, read from the window itself.
    static std::wstring MemoText() { return WindowText(Memo()); }

    static void ShowForm()
    {
        FQelt->Show();
        PumpMessages();
    }

    // A press and release at a point of the tool strip, as the mouse
    // delivers them.
    static void ClickPanel(POINT at, UINT down = WM_LBUTTONDOWN, UINT up = WM_LBUTTONUP)
    {
        SendMessageW(Panel(), down, MK_LBUTTON, MAKELPARAM(at.x, at.y));
        SendMessageW(Panel(), up, 0, MAKELPARAM(at.x, at.y));
    }

    static POINT Centre(const TControl* control)
    {
        return {control->Left() + control->Width() / 2, control->Top() + control->Height() / 2};
    }

    static void Press(const TSpeedButton* button) { ClickPanel(Centre(button)); }

    static void ExpectListing(bool visibleOnly)
    {
        const std::vector<std::wstring> rows = DesktopListing(visibleOnly);
        EXPECT_EQ(Narrow(MemoText()), Narrow(ListingText(rows)));
        EXPECT_EQ(std::wstring(FQelt->Label1->Caption().c_str()), std::to_wstring(rows.size()));
    }
};

TEST_F(MainForm, IsTheDesignedResizableTopLevelWindow)
{
    const HWND form = Form();
    EXPECT_EQ(WindowClass(form), L"TFQelt");
    EXPECT_EQ(WindowText(form), L"Qelt  var.0.3");
    RECT client;
    GetClientRect(form, &client);
    EXPECT_EQ(client, (RECT{0, 0, 584, 361}));
    EXPECT_EQ(FQelt->ClientWidth(), 584);
    EXPECT_EQ(FQelt->ClientHeight(), 361);

    const auto style = static_cast<DWORD>(GetWindowLongPtrW(form, GWL_STYLE));
    for (DWORD bit : {WS_CAPTION, WS_SYSMENU, WS_THICKFRAME, WS_MINIMIZEBOX, WS_MAXIMIZEBOX})
        EXPECT_EQ(style & bit, bit) << std::hex << "style bit " << bit;
    EXPECT_EQ(style & WS_CHILD, 0u);
    EXPECT_EQ(GetWindow(form, GW_OWNER), nullptr);
    EXPECT_EQ(GetParent(form), nullptr);
    // MainFormOnTaskBar: the form carries the taskbar button itself.
    EXPECT_NE(GetWindowLongPtrW(form, GWL_EXSTYLE) & WS_EX_APPWINDOW, 0);

    EXPECT_EQ(FQelt->Color(), clBtnFace);
    ExpectFont(FQelt->Font->Handle(), FormFont);
    EXPECT_EQ(FQelt->Font->Color(), clWindowText);
}

struct ControlCase {
    const char* Name;
    const char* ClassName;
    const char* Parent;
    RECT Bounds;
    int Tag;
    const wchar_t* Caption;
    FontCase Font;
};

void PrintTo(const ControlCase& control, std::ostream* out) { *out << control.Name; }

class MainFormControl : public MainForm, public testing::WithParamInterface<ControlCase> {};

TEST_P(MainFormControl, SitsWhereTheFormDefinitionPutsIt)
{
    const ControlCase& expected = GetParam();
    auto* control = dynamic_cast<TControl*>(FQelt->FindComponent(UnicodeString::FromUtf8(expected.Name)));
    ASSERT_NE(control, nullptr) << expected.Name;
    EXPECT_STREQ(control->ClassName(), expected.ClassName);
    ASSERT_NE(control->Parent(), nullptr);
    EXPECT_EQ(control->Parent()->Name.ToUtf8(), expected.Parent);
    EXPECT_EQ(control->BoundsRect(), expected.Bounds);
    EXPECT_EQ(control->Tag, expected.Tag);
    EXPECT_EQ(std::wstring(control->Caption().c_str()), expected.Caption);
    EXPECT_EQ(control->Font->Color(), expected.Font.Color);

    if (auto* windowed = dynamic_cast<TWinControl*>(control)) {
        const HWND window = windowed->Handle();
        EXPECT_EQ(WindowClass(window), UnicodeString::FromUtf8(expected.ClassName).c_str());
        EXPECT_EQ(GetParent(window), control->Parent()->Handle());
        EXPECT_EQ(PlaceInParent(window), expected.Bounds);
        EXPECT_TRUE(IsWindowVisible(window) || !IsWindowVisible(Form()));
    }
    // A window on a system class draws with the font it was handed; the
    // others, and windowless controls, paint with their Font.
    if (auto* memo = dynamic_cast<TMemo*>(control))
        ExpectFont(WindowFont(memo->Handle()), expected.Font);
    else
        ExpectFont(control->Font->Handle(), expected.Font);
}

INSTANTIATE_TEST_SUITE_P(
    Controls, MainFormControl,
    testing::Values(ControlCase{"Panel1", "TPanel", "FQelt", {0, 0, 584, 26}, 0, L"", FormFont},
                    ControlCase{"Memo1", "TMemo", "FQelt", {0, 26, 584, 361}, 0, L"", MemoFont},
                    ControlCase{"SpeedButton1", "TSpeedButton", "Panel1", {366, 2, 486, 24}, 1, L"表示 Windows",
                                FormFont},
                    ControlCase{"SpeedButton2", "TSpeedButton", "Panel1", {492, 2, 564, 24}, 2, L"すべて", FormFont}),
    [](const testing::TestParamInfo<ControlCase>& info) { return std::string(info.param.Name); });

TEST_F(MainForm, ToolStripHoldsItsControlsWithoutWindowsOfTheirOwn)
{
    TPanel* panel = FQelt->Panel1;
    EXPECT_EQ(panel->Align(), alTop);
    EXPECT_EQ(panel->BevelOuter(), bvNone);
    EXPECT_EQ(panel->TabOrder(), 0);
    ASSERT_EQ(panel->ControlCount(), 4);
    for (TControl* control : {static_cast<TControl*>(FQelt->SpeedButton1), static_cast<TControl*>(FQelt->SpeedButton2),
                              static_cast<TControl*>(FQelt->Label1), static_cast<TControl*>(FQelt->Label2)}) {
        EXPECT_EQ(control->Parent(), panel) << control->Name.ToUtf8();
        EXPECT_EQ(dynamic_cast<TWinControl*>(control), nullptr) << control->Name.ToUtf8();
    }
    for (TLabel* label : {FQelt->Label1, FQelt->Label2}) {
        EXPECT_STREQ(label->ClassName(), "TLabel");
        EXPECT_EQ(label->Tag, 0);
    }
    // The panel paints them; the form's only child windows are the panel
    // and the memo, the memo after the panel.
    EXPECT_EQ(GetWindow(Panel(), GW_CHILD), nullptr);
    EXPECT_EQ(GetWindow(Form(), GW_CHILD), Panel());
    EXPECT_EQ(GetWindow(Panel(), GW_HWNDNEXT), Memo());
    EXPECT_EQ(GetWindow(Memo(), GW_HWNDNEXT), nullptr);
}

TEST_F(MainForm, MemoIsAnEditableScrollingEditControl)
{
    const HWND memo = Memo();
    EXPECT_EQ(FQelt->Memo1->Align(), alClient);
    EXPECT_EQ(FQelt->Memo1->TabOrder(), 1);
    const auto style = static_cast<DWORD>(GetWindowLongPtrW(memo, GWL_STYLE));
    EXPECT_NE(style & WS_VSCROLL, 0u);
    EXPECT_NE(style & WS_HSCROLL, 0u);
    EXPECT_NE(style & ES_MULTILINE, 0u);
    EXPECT_EQ(style & ES_READONLY, 0u);
    EXPECT_NE(style & WS_TABSTOP, 0u);
    // Built on EDIT: it answers the edit messages, and takes typing.
    EXPECT_NE(SendMessageW(memo, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL, 0);
    SendMessageW(memo, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"ab"));
    SendMessageW(memo, EM_SETSEL, 2, 2);
    SendMessageW(memo, WM_CHAR, L'c', 0);
    EXPECT_EQ(WindowText(memo), L"abc");
    // The tab key stops on the memo, not on the tool strip.
    EXPECT_EQ(GetNextDlgTabItem(Form(), nullptr, FALSE), memo);
}

TEST_F(MainForm, StartsOnTheVisibleWindowsBeforeItIsFirstShown)
{
    // Read right after creation: what OnCreate listed is in the control
    // already, and the form has not been shown.
    EXPECT_FALSE(IsWindowVisible(Form()));
    const std::wstring first = MemoText();
    const std::vector<std::wstring> rows = DesktopListing(true);
    EXPECT_EQ(Narrow(first), Narrow(ListingText(rows)));
    EXPECT_EQ(std::wstring(FQelt->Label1->Caption().c_str()), std::to_wstring(rows.size()));
    EXPECT_NE(std::wstring(FQelt->Label1->Caption().c_str()), L"Label1");

    const ProbeWindows& probes = ProbeWindows::Get();
    EXPECT_TRUE(Lists(first, probes.Visible));
    EXPECT_FALSE(Lists(first, probes.Hidden));
    EXPECT_FALSE(Lists(first, probes.Owned));
    EXPECT_FALSE(Lists(first, Form()));
    // A line break in a title shows as blanks, on the window's one row.
    const std::wstring twoLines = HandleText(probes.TwoLines) + L" [QeltTestProbe] probe  two lines";
    EXPECT_EQ(std::count(rows.begin(), rows.end(), twoLines), 1);
    EXPECT_NE(first.find(twoLines + L"\r\n"), std::wstring::npos);

    ShowForm();
    Press(FQelt->SpeedButton1);
    EXPECT_TRUE(Lists(MemoText(), Form()));
    EXPECT_NE(MemoText().find(HandleText(Form()) + L" [TFQelt] Qelt  var.0.3\r\n"), std::wstring::npos);
    ExpectListing(true);
}

TEST_F(MainForm, EachSpeedButtonRefreshesInItsOwnMode)
{
    ShowForm();
    ASSERT_NE(DesktopListing(true), DesktopListing(false)) << "the hidden probe tells the modes apart";
    struct Step {
        TSpeedButton* Button;
        bool VisibleOnly;
    };
    for (const Step& step : {Step{FQelt->SpeedButton2, false}, Step{FQelt->SpeedButton1, true},
                             Step{FQelt->SpeedButton2, false}, Step{FQelt->SpeedButton2, false},
                             Step{FQelt->SpeedButton1, true}, Step{FQelt->SpeedButton1, true}}) {
        SCOPED_TRACE(step.Button->Name.ToUtf8());
        Press(step.Button);
        ExpectListing(step.VisibleOnly);
        EXPECT_EQ(Lists(MemoText(), ProbeWindows::Get().Hidden), !step.VisibleOnly);
        EXPECT_FALSE(Lists(MemoText(), ProbeWindows::Get().Owned));
        EXPECT_EQ(FQelt->Label1->BoundsRect().right, 347);
    }
}

TEST_F(MainForm, ASnapshotHoldsAtMost500Windows)
{
    std::vector<HWND> extra;
    for (int i = 0; i < 510; ++i)
        extra.push_back(ProbeWindows::Create(L"probe crowd", 0));
    ASSERT_EQ(std::count(extra.begin(), extra.end(), nullptr), 0);
    ASSERT_GT(DesktopListing(false, 10000).size(), SnapshotLimit);

    Press(FQelt->SpeedButton2);
    EXPECT_EQ(FQelt->Memo1->Lines->Count(), 500);
    EXPECT_EQ(std::wstring(FQelt->Label1->Caption().c_str()), L"500");
    ExpectListing(false);
    EXPECT_EQ(FQelt->Label1->BoundsRect().right, 347);
    // Still one row per window after the cut, and back to the visible
    // windows alone.
    Press(FQelt->SpeedButton1);
    ExpectListing(true);

    for (HWND window : extra)
        DestroyWindow(window);
}

// A mouse gesture over the tool strip, in the panel's coordinates.
enum class Clicked { None, VisibleWindows, AllWindows };
constexpr UINT LoseCapture = WM_NULL;
struct MouseStep {
    UINT Message;
    POINT At;
};
struct GestureCase {
    const char* Name;
    std::vector<MouseStep> Steps;
    Clicked Expected;
};

void PrintTo(const GestureCase& gesture, std::ostream* out) { *out << gesture.Name; }

class ToolStripGesture : public MainForm, public testing::WithParamInterface<GestureCase> {};

TEST_P(ToolStripGesture, ClicksOnlyOnReleaseInsideTheButtonPressed)
{
    ShowForm();
    SetFocus(Memo());
    ASSERT_EQ(GetFocus(), Memo());
    // Start on all windows, so either button's click shows; a marker in
    // the memo shows whether any refresh ran.
    Press(FQelt->SpeedButton2);
    SetWindowTextW(Memo(), L"marker");
    for (const MouseStep& step : GetParam().Steps) {
        if (step.Message == LoseCapture)
            ReleaseCapture();
        else
            SendMessageW(Panel(), step.Message, step.Message == WM_LBUTTONUP ? 0 : MK_LBUTTON,
                         MAKELPARAM(step.At.x, step.At.y));
    }
    switch (GetParam().Expected) {
    case Clicked::None:
        EXPECT_EQ(MemoText(), L"marker");
        break;
    case Clicked::VisibleWindows:
        ExpectListing(true);
        break;
    case Clicked::AllWindows:
        ExpectListing(false);
        break;
    }
    // Speed buttons never take the focus, nor does the strip.
    EXPECT_EQ(GetFocus(), Memo());
    EXPECT_EQ(GetCapture(), nullptr);
}

MouseStep Down(int x, int y) { return {WM_LBUTTONDOWN, {x, y}}; }
MouseStep Move(int x, int y) { return {WM_MOUSEMOVE, {x, y}}; }
MouseStep Up(int x, int y) { return {WM_LBUTTONUP, {x, y}}; }

// SpeedButton1 covers x 366-485, SpeedButton2 x 492-563, both y 2-23.
INSTANTIATE_TEST_SUITE_P(
    Gestures, ToolStripGesture,
    testing::Values(
        GestureCase{"SpeedButton1", {Down(426, 13), Up(426, 13)}, Clicked::VisibleWindows},
        GestureCase{"SpeedButton2", {Down(528, 13), Up(528, 13)}, Clicked::AllWindows},
        GestureCase{"SpeedButton2TopLeftPixel", {Down(492, 2), Up(492, 2)}, Clicked::AllWindows},
        GestureCase{"SpeedButton2BottomRightPixel", {Down(563, 23), Up(563, 23)}, Clicked::AllWindows},
        GestureCase{"SpeedButton1LastColumn", {Down(485, 13), Up(485, 13)}, Clicked::VisibleWindows},
        GestureCase{"JustRightOfSpeedButton2", {Down(564, 13), Up(564, 13)}, Clicked::None},
        GestureCase{"JustBelowSpeedButton2", {Down(528, 24), Up(528, 24)}, Clicked::None},
        GestureCase{"BetweenTheButtons", {Down(489, 13), Up(489, 13)}, Clicked::None},
        GestureCase{"OnTheCountLabel", {Down(340, 12), Up(340, 12)}, Clicked::None},
        GestureCase{"ReleasedBelowTheStrip", {Down(528, 13), Move(528, 40), Up(528, 40)}, Clicked::None},
        GestureCase{"DraggedOffAndBack", {Down(528, 13), Move(300, 13), Move(530, 12), Up(530, 12)},
                    Clicked::AllWindows},
        GestureCase{"PressedOnTheHeaderReleasedOnAButton", {Down(20, 12), Up(528, 13)}, Clicked::None},
        GestureCase{"PressedOnOneButtonReleasedOnTheOther", {Down(426, 13), Move(528, 13), Up(528, 13)},
                    Clicked::None},
        GestureCase{"CaptureLostWhileHeld", {Down(528, 13), {LoseCapture, {}}, Up(528, 13)}, Clicked::None},
        GestureCase{"RightButton", {{WM_RBUTTONDOWN, {528, 13}}, {WM_RBUTTONUP, {528, 13}}}, Clicked::None}),
    [](const testing::TestParamInfo<GestureCase>& info) { return std::string(info.param.Name); });

TEST_F(MainForm, CountLabelKeepsItsRightEdgeWhateverTheCount)
{
    TLabel* label = FQelt->Label1;
    EXPECT_EQ(label->Alignment(), taRightJustify);
    ExpectFont(label->Font->Handle(), FormFont);
    EXPECT_EQ(label->Font->Color(), clWindowText);
    // Wider and narrower in turn: the label fits each text and grows to
    // the left.
    for (const wchar_t* caption : {L"0", L"7", L"500", L"Label1", L"7", L"12345", L"0"}) {
        SCOPED_TRACE(Narrow(caption));
        label->SetCaption(caption);
        const SIZE extent = TextExtent(label->Font->Handle(), caption);
        EXPECT_EQ(label->BoundsRect(), (RECT{347 - extent.cx, 4, 347, 4 + extent.cy}));
    }
}

TEST_F(MainForm, ColumnHeaderFitsItsTextLeftOfTheCount)
{
    TLabel* header = FQelt->Label2;
    EXPECT_EQ(std::wstring(header->Caption().c_str()), L"Handle         [Class]     Text");
    EXPECT_EQ(header->Alignment(), taLeftJustify);
    EXPECT_FALSE(header->ParentFont());
    ExpectFont(header->Font->Handle(), HeaderFont);
    EXPECT_EQ(header->Font->Color(), clGray);
    const SIZE extent = TextExtent(header->Font->Handle(), header->Caption().c_str());
    EXPECT_EQ(header->BoundsRect(), (RECT{8, 5, 8 + extent.cx, 5 + extent.cy}));
    EXPECT_GT(extent.cx, 100);
    FQelt->Label1->SetCaption(L"500");
    EXPECT_LT(header->BoundsRect().right, FQelt->Label1->Left());
}

TEST_F(MainForm, OpensCentredOnTheScreenOnlyTheFirstTime)
{
    ShowForm();
    EXPECT_TRUE(IsWindowVisible(Form()));
    RECT frame;
    GetWindowRect(Form(), &frame);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    EXPECT_NEAR(frame.left, (GetSystemMetrics(SM_CXSCREEN) - width) / 2, 1);
    EXPECT_NEAR(frame.top, (GetSystemMetrics(SM_CYSCREEN) - height) / 2, 1);

    // Where the user left it, it shows again.
    SetWindowPos(Form(), nullptr, 10, 20, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    ShowWindow(Form(), SW_HIDE);
    ShowForm();
    GetWindowRect(Form(), &frame);
    EXPECT_EQ(frame.left, 10);
    EXPECT_EQ(frame.top, 20);
}

struct SizeCase {
    const char* Name;
    int ClientWidth;
    int ClientHeight;
};

void PrintTo(const SizeCase& size, std::ostream* out) { *out << size.Name; }

class MainFormResize : public MainForm, public testing::WithParamInterface<SizeCase> {};

TEST_P(MainFormResize, OnlyTheMemoFollowsTheWindowSize)
{
    ShowForm();
    std::vector<std::pair<TControl*, RECT>> fixed;
    for (TControl* control : {static_cast<TControl*>(FQelt->SpeedButton1), static_cast<TControl*>(FQelt->SpeedButton2),
                              static_cast<TControl*>(FQelt->Label1), static_cast<TControl*>(FQelt->Label2)})
        fixed.emplace_back(control, control->BoundsRect());

    RECT frame{0, 0, GetParam().ClientWidth, GetParam().ClientHeight};
    AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrW(Form(), GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongPtrW(Form(), GWL_EXSTYLE)));
    SetWindowPos(Form(), nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    PumpMessages();

    RECT client;
    GetClientRect(Form(), &client);
    ASSERT_EQ(client.right, GetParam().ClientWidth);
    ASSERT_EQ(client.bottom, GetParam().ClientHeight);
    const RECT panel{0, 0, client.right, 26};
    const RECT memo{0, 26, client.right, std::max(26L, client.bottom)};
    EXPECT_EQ(FQelt->Panel1->BoundsRect(), panel);
    EXPECT_EQ(PlaceInParent(Panel()), panel);
    EXPECT_EQ(FQelt->Memo1->BoundsRect(), memo);
    EXPECT_EQ(PlaceInParent(Memo()), memo);
    for (const auto& [control, bounds] : fixed)
        EXPECT_EQ(control->BoundsRect(), bounds) << control->Name.ToUtf8();
}

INSTANTIATE_TEST_SUITE_P(Sizes, MainFormResize,
                         testing::Values(SizeCase{"Larger", 784, 511}, SizeCase{"Smaller", 400, 200},
                                         SizeCase{"NarrowerThanTheButtons", 300, 361},
                                         SizeCase{"LowerThanTheStrip", 300, 20},
                                         SizeCase{"AsDesigned", 584, 361}),
                         [](const testing::TestParamInfo<SizeCase>& info) { return std::string(info.param.Name); });

TEST_F(MainForm, ShrinkingAndGrowingAgainComesBackToTheDesign)
{
    ShowForm();
    for (const SIZE& size : {SIZE{900, 700}, SIZE{200, 150}, SIZE{584, 361}}) {
        RECT frame{0, 0, size.cx, size.cy};
        AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrW(Form(), GWL_STYLE)), FALSE,
                           static_cast<DWORD>(GetWindowLongPtrW(Form(), GWL_EXSTYLE)));
        SetWindowPos(Form(), nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    PumpMessages();
    EXPECT_EQ(PlaceInParent(Panel()), (RECT{0, 0, 584, 26}));
    EXPECT_EQ(PlaceInParent(Memo()), (RECT{0, 26, 584, 361}));
    EXPECT_EQ(FQelt->SpeedButton1->BoundsRect(), (RECT{366, 2, 486, 24}));
    EXPECT_EQ(FQelt->SpeedButton2->BoundsRect(), (RECT{492, 2, 564, 24}));
}

TEST_F(MainForm, MaximizedTheMemoTakesAllBelowTheStripAndRestoredItShrinksBack)
{
    ShowForm();
    ShowWindow(Form(), SW_MAXIMIZE);
    PumpMessages();
    RECT client;
    GetClientRect(Form(), &client);
    ASSERT_GT(client.right, 584);
    EXPECT_EQ(PlaceInParent(Panel()), (RECT{0, 0, client.right, 26}));
    EXPECT_EQ(PlaceInParent(Memo()), (RECT{0, 26, client.right, client.bottom}));
    EXPECT_EQ(FQelt->SpeedButton2->BoundsRect(), (RECT{492, 2, 564, 24}));
    ShowWindow(Form(), SW_RESTORE);
    PumpMessages();
    EXPECT_EQ(PlaceInParent(Memo()), (RECT{0, 26, 584, 361}));
}

// One life of the main form, using everything that makes objects.
void MainFormCycle(std::vector<HWND>* windows)
{
    Application->MainFormOnTaskBar = true;
    Application->CreateForm(&FQelt);
    FQelt->Show();
    PumpMessages();
    const HWND panel = FQelt->Panel1->Handle();
    for (TSpeedButton* button : {FQelt->SpeedButton2, FQelt->SpeedButton1}) {
        const POINT at{button->Left() + 5, button->Top() + 5};
        SendMessageW(panel, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at.x, at.y));
        SendMessageW(panel, WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y));
    }
    SetWindowPos(FQelt->Handle(), nullptr, 0, 0, 800, 600, SWP_NOMOVE | SWP_NOZORDER);
    UpdateWindow(FQelt->Handle());
    RedrawWindow(FQelt->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    PumpMessages();
    if (windows)
        *windows = {FQelt->Handle(), panel, FQelt->Memo1->Handle()};
    delete FQelt;
    FQelt = nullptr;
    PumpMessages();
}

TEST(MainFormLifetime, DeletingTheFormLeavesNoWindowAndNoGuiObject)
{
    ProbeWindows::Get();
    // Window classes and system caches are made on first use, once.
    MainFormCycle(nullptr);
    const GuiObjects before = CountGuiObjects();
    std::vector<HWND> windows;
    for (int i = 0; i < 3; ++i) {
        MainFormCycle(&windows);
        for (HWND window : windows)
            EXPECT_FALSE(IsWindow(window));
    }
    EXPECT_EQ(FindWindowW(L"TFQelt", nullptr), nullptr);
    EXPECT_EQ(Application->MainForm(), nullptr);
    EXPECT_EQ(CountGuiObjects(), before);
}

}  // namespace

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    Application->Initialize();
    return RUN_ALL_TESTS();
}
