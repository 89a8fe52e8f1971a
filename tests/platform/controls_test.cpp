// Controls as a user meets them: clicks through real mouse messages, a
// memo that keeps everything, errors shown without stopping the program,
// and nothing left behind when a form goes.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <string>
#include <thread>

#include "test_form.h"
#include "tests/support/gui_objects.h"

namespace {

using qelt_test::CountGuiObjects;

TEST(FormLifetime, AFreedFormLeavesNoWindowOrGdiObject)
{
    auto cycle = [] {
        TTestForm* form = LoadTestForm();
        form->Show();
        form->Memo1->Lines->Add(L"some text");
        form->Label1->SetCaption(L"123");
        form->Label1->Font->SetHeight(-20);
        form->Memo1->Font->SetName(L"Courier New");
        PumpMessages();
        const HWND window = form->Handle();
        const HWND memo = form->Memo1->Handle();
        delete form;
        PumpMessages();
        EXPECT_FALSE(IsWindow(window));
        EXPECT_FALSE(IsWindow(memo));
    };
    // One cycle first: window classes and the system's caches for a shown
    // window are made once.
    cycle();
    const auto before = CountGuiObjects();
    ASSERT_GT(before.Gdi, 0);
    for (int i = 0; i < 3; ++i)
        cycle();
    EXPECT_EQ(CountGuiObjects(), before);
}

TEST(FormLifetime, OwnedComponentsGoLastCreatedFirst)
{
    TTestForm* form = LoadTestForm();
    ASSERT_EQ(form->ComponentCount(), 5);
    EXPECT_EQ(form->Components(0), form->Panel1);
    EXPECT_EQ(form->Components(4), form->Memo1);
    delete form->Button1;  // a component freed early leaves its owner's and parent's lists
    EXPECT_EQ(form->ComponentCount(), 4);
    EXPECT_EQ(form->Panel1->ControlCount(), 2);
    delete form;
}

// Presses and lets go of the mouse over the panel through its messages.
void Mouse(HWND panel, UINT message, int x, int y)
{
    SendMessageW(panel, message, message == WM_LBUTTONUP ? 0 : MK_LBUTTON, MAKELPARAM(x, y));
}

TEST(SpeedButton, ClicksOnlyWhenReleasedInsideItself)
{
    TTestForm* form = LoadTestForm();
    form->Show();
    const HWND panel = form->Panel1->Handle();
    const struct {
        const char* Gesture;
        POINT Down, Move, Up;
        int Clicks;
        TSpeedButton* TTestForm::*Sender;
    } cases[] = {
        {"press and release inside", {20, 10}, {25, 12}, {30, 12}, 1, &TTestForm::Button1},
        {"second button", {110, 10}, {120, 10}, {170, 20}, 1, &TTestForm::Button2},
        {"leave before release", {20, 10}, {200, 10}, {200, 10}, 0, nullptr},
        {"leave and come back", {20, 10}, {300, 10}, {21, 11}, 1, &TTestForm::Button1},
        {"press on one, release on the other", {20, 10}, {110, 10}, {110, 10}, 0, nullptr},
        {"press beside the buttons", {95, 10}, {20, 10}, {20, 10}, 0, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Gesture);
        form->Clicks = 0;
        form->LastSender = nullptr;
        Mouse(panel, WM_LBUTTONDOWN, c.Down.x, c.Down.y);
        Mouse(panel, WM_MOUSEMOVE, c.Move.x, c.Move.y);
        Mouse(panel, WM_LBUTTONUP, c.Up.x, c.Up.y);
        EXPECT_EQ(form->Clicks, c.Clicks);
        if (c.Sender) {
            EXPECT_EQ(form->LastSender, form->*c.Sender);
        }
        EXPECT_EQ(GetCapture(), nullptr);
    }
    // Losing the capture while pressed cancels the click.
    form->Clicks = 0;
    Mouse(panel, WM_LBUTTONDOWN, 20, 10);
    ReleaseCapture();
    Mouse(panel, WM_LBUTTONUP, 20, 10);
    EXPECT_EQ(form->Clicks, 0);
    delete form;
}

TEST(SpeedButton, NeverTakesTheFocusAndClicksFromSystemInput)
{
    TTestForm* form = LoadTestForm();
    form->Show();
    SetForegroundWindow(form->Handle());
    PumpMessages();
    SetFocus(form->Memo1->Handle());
    const HWND focused = GetFocus();
    ASSERT_EQ(focused, form->Memo1->Handle());
    // Through the system's own input path: the cursor over the button, a
    // press and a release.
    POINT point{form->Button1->Left() + 10, form->Button1->Top() + 10};
    ClientToScreen(form->Panel1->Handle(), &point);
    SetCursorPos(point.x, point.y);
    INPUT input[2] = {};
    input[0].type = input[1].type = INPUT_MOUSE;
    input[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    input[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(2, input, sizeof(INPUT));
    for (int i = 0; i < 200 && form->Clicks == 0; ++i) {
        PumpMessages();
        Sleep(10);
    }
    EXPECT_EQ(form->Clicks, 1);
    EXPECT_EQ(form->LastSender, form->Button1);
    EXPECT_EQ(GetFocus(), focused);
    delete form;
}

TEST(Memo, KeepsEveryLineItIsGiven)
{
    TTestForm* form = LoadTestForm();
    form->Show();
    TStrings& lines = *form->Memo1->Lines;
    std::wstring expected;
    for (int i = 0; i < 500; ++i) {
        std::wstring line = std::to_wstring(i) + L":";
        line.resize(300, static_cast<wchar_t>(L'a' + i % 26));
        lines.Add(UnicodeString(line.c_str()));
        expected += line + L"\r\n";
        // Every reading sees a line as soon as it is added.
        if (i == 0 || i == 250) {
            EXPECT_EQ(lines.Count(), i + 1);
        }
    }
    EXPECT_EQ(lines.Count(), 500);
    EXPECT_EQ(std::wstring(lines[499].c_str()), expected.substr(499 * 302, 300));
    EXPECT_EQ(lines.Text().Length(), expected.size());
    PumpMessages();
    // The control itself holds all of it, past its default limit of 30,000.
    const HWND edit = form->Memo1->Handle();
    std::wstring shown(static_cast<std::size_t>(GetWindowTextLengthW(edit)) + 1, L'\0');
    shown.resize(static_cast<std::size_t>(GetWindowTextW(edit, shown.data(), static_cast<int>(shown.size()))));
    EXPECT_EQ(shown, expected);
    EXPECT_THROW(lines[500], Exception);
    EXPECT_THROW(lines[-1], Exception);

    lines.Clear();
    EXPECT_EQ(lines.Count(), 0);
    EXPECT_EQ(GetWindowTextLengthW(edit), 0);
    lines.Add(L"");
    lines.Add(L"after an empty line");
    EXPECT_EQ(lines.Count(), 2);
    EXPECT_EQ(std::wstring(lines[0].c_str()), L"");
    delete form;
}

TEST(Memo, AddsAfterTextTheUserTyped)
{
    TTestForm* form = LoadTestForm();
    form->Show();
    const HWND edit = form->Memo1->Handle();
    SetWindowTextW(edit, L"typed");
    form->Memo1->Lines->Add(L"added");
    EXPECT_EQ(std::wstring(form->Memo1->Lines->Text().c_str()), L"typed\r\nadded\r\n");
    EXPECT_EQ(form->Memo1->Lines->Count(), 2);
    // Lines added in a handler are in the control when it returns.
    form->OnButton = [form] {
        form->Memo1->Lines->Add(L"from a click");
    };
    SendMessageW(form->Panel1->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 10));
    SendMessageW(form->Panel1->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(20, 10));
    wchar_t shown[100] = {};
    GetWindowTextW(edit, shown, 100);
    EXPECT_STREQ(shown, L"typed\r\nadded\r\nfrom a click\r\n");
    delete form;
}

// Closes the first error box this process shows, keeping its text.
class ErrorBoxCloser {
public:
    ErrorBoxCloser()
        : FThread([this] {
              for (int i = 0; i < 1000 && !FDone; ++i) {
                  HWND box = FindWindowW(L"#32770", nullptr);
                  DWORD process = 0;
                  if (box)
                      GetWindowThreadProcessId(box, &process);
                  if (box && process == GetCurrentProcessId()) {
                      wchar_t text[256] = {}, title[64] = {};
                      GetWindowTextW(box, title, 64);
                      for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
                          wchar_t className[32] = {};
                          GetClassNameW(child, className, 32);
                          if (lstrcmpiW(className, L"Static") == 0 && GetWindowTextLengthW(child) > 0)
                              GetWindowTextW(child, text, 256);
                      }
                      Text = text;
                      Title = title;
                      PostMessageW(box, WM_COMMAND, IDOK, 0);
                      FShown = true;
                      return;
                  }
                  Sleep(10);
              }
          })
    {
    }
    ~ErrorBoxCloser()
    {
        FDone = true;
        if (FThread.joinable())
            FThread.join();
    }
    bool Shown()
    {
        FDone = true;
        if (FThread.joinable())
            FThread.join();
        return FShown;
    }

    std::wstring Text, Title;

private:
    std::atomic<bool> FDone{false};
    bool FShown = false;
    std::thread FThread;
};

TEST(ErrorBox, AnExceptionInAHandlerIsShownAndTheProgramGoesOn)
{
    TTestForm* form = LoadTestForm();
    form->Show();
    const HWND panel = form->Panel1->Handle();
    form->OnButton = [form] {
        form->Memo1->Lines->Add(L"before the fault");
        throw Exception(L"Something failed");
    };
    {
        ErrorBoxCloser closer;
        PostMessageW(panel, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 10));
        PostMessageW(panel, WM_LBUTTONUP, 0, MAKELPARAM(20, 10));
        PumpMessages();
        ASSERT_TRUE(closer.Shown());
        EXPECT_EQ(closer.Text, L"Something failed");
        EXPECT_EQ(closer.Title, std::wstring(Application->Title.c_str()));
    }
    // What the handler did before it failed is in the view.
    EXPECT_EQ(std::wstring(form->Memo1->Lines->Text().c_str()), L"before the fault\r\n");

    // A thrown object of any other kind: an empty message.
    form->OnButton = [] { throw 42; };
    {
        ErrorBoxCloser closer;
        PostMessageW(panel, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 10));
        PostMessageW(panel, WM_LBUTTONUP, 0, MAKELPARAM(20, 10));
        PumpMessages();
        ASSERT_TRUE(closer.Shown());
        EXPECT_EQ(closer.Text, L"");
    }
    // And the next click is handled as usual.
    form->OnButton = nullptr;
    form->Clicks = 0;
    PostMessageW(panel, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(110, 10));
    PostMessageW(panel, WM_LBUTTONUP, 0, MAKELPARAM(110, 10));
    PumpMessages();
    EXPECT_EQ(form->Clicks, 1);
    EXPECT_EQ(form->LastSender, form->Button2);
    delete form;
}

TEST(Layout, AlignedControlsFollowTheirParent)
{
    TTestForm* form = LoadTestForm();
    form->Show();
    SetWindowPos(form->Handle(), nullptr, 0, 0, form->Width() + 200, form->Height() + 100, SWP_NOMOVE | SWP_NOZORDER);
    PumpMessages();
    RECT client;
    GetClientRect(form->Handle(), &client);
    EXPECT_EQ(form->Panel1->Width(), client.right);
    EXPECT_EQ(form->Panel1->Height(), 30);
    EXPECT_EQ(form->Memo1->Top(), 30);
    EXPECT_EQ(form->Memo1->Width(), client.right);
    EXPECT_EQ(form->Memo1->Height(), client.bottom - 30);
    RECT memo;
    GetWindowRect(form->Memo1->Handle(), &memo);
    EXPECT_EQ(memo.right - memo.left, client.right);
    EXPECT_EQ(form->Button2->Left(), 100);
    // A right-justified label keeps its right edge as its text changes.
    for (const wchar_t* caption : {L"0", L"500", L"a much longer caption", L""}) {
        form->Label1->SetCaption(caption);
        EXPECT_EQ(form->Label1->Left() + form->Label1->Width(), 340) << caption;
        EXPECT_GT(form->Label1->Height(), 0);
    }
    delete form;
}

}  // namespace
