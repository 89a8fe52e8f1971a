#include "tests/listing/listing_fixture.h"

#include <cstring>

namespace listing_test {
namespace {

TEST_F(ListingTest, RefreshesDoNotAccumulate)
{
    HWND hidden = windows.Create(L"QeltRepeat", L"repeat", false);
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(round);
        const auto qualifying = StableRefresh(2, false);
        ExpectListing(qualifying);
        EXPECT_EQ(LineOf(hidden), Hex8(hidden) + L" [QeltRepeat] repeat");
    }
}

enum class Before { Typed, TypedOpenLine, Added, TypedThenAdded };

struct LeftoverCase {
    const char* Name;
    Before What;
};

std::ostream& operator<<(std::ostream& out, const LeftoverCase& leftover) { return out << leftover.Name; }

class Leftovers : public ListingTest, public ::testing::WithParamInterface<LeftoverCase> {};

TEST_P(Leftovers, GoneAfterARefresh)
{
    StableRefresh(2, false);
    const HWND edit = FQelt->Memo1->Handle();
    const Before what = GetParam().What;
    if (what == Before::Typed || what == Before::TypedThenAdded) {
        ASSERT_TRUE(SetWindowTextW(edit, L"typed by the user\r\nsecond typed line\r\n"));
    }
    if (what == Before::TypedOpenLine) {
        ASSERT_TRUE(SetWindowTextW(edit, L"typed without an end"));
    }
    if (what == Before::Added || what == Before::TypedThenAdded)
        FQelt->Memo1->Lines->Add(L"added by the program");

    const auto qualifying = StableRefresh(2, false);
    ExpectListing(qualifying);
    const std::wstring text = Wide(FQelt->Memo1->Lines->Text());
    EXPECT_EQ(text.find(L"typed"), std::wstring::npos) << text.substr(0, 200);
    EXPECT_EQ(text.find(L"added"), std::wstring::npos) << text.substr(0, 200);
}

INSTANTIATE_TEST_SUITE_P(Memo, Leftovers,
                         ::testing::Values(LeftoverCase{"Typed", Before::Typed},
                                           LeftoverCase{"TypedOpenLine", Before::TypedOpenLine},
                                           LeftoverCase{"Added", Before::Added},
                                           LeftoverCase{"TypedThenAdded", Before::TypedThenAdded}),
                         [](const auto& info) { return std::string(info.param.Name); });

// Wine keeps hidden windows of its own, but none of them visible: with
// none of ours shown either, the visible-only listing is empty.
TEST_F(ListingTest, NoVisibleWindowsListsNothing)
{
    windows.Create(L"QeltNoneVisible", L"hidden", false);
    auto qualifying = StableRefresh(2, false);
    ASSERT_GT(FQelt->Memo1->Lines->Count(), 0);
    ASSERT_NE(Wide(FQelt->Label1->Caption()), L"0");
    ASSERT_TRUE(SetWindowTextW(FQelt->Memo1->Handle(), L"typed by the user"));

    qualifying = StableRefresh(1, true);
    ASSERT_TRUE(qualifying.empty()) << "a visible top-level window exists: " << qualifying.front();
    EXPECT_EQ(FQelt->WindowCount, 0);
    EXPECT_EQ(Wide(FQelt->Label1->Caption()), L"0");
    EXPECT_EQ(FQelt->Memo1->Lines->Count(), 0);
    EXPECT_EQ(Wide(FQelt->Memo1->Lines->Text()), L"");
    EXPECT_EQ(GetWindowTextLengthW(FQelt->Memo1->Handle()), 0);
}

// A window answering the text messages itself: the length it reports and
// the text it hands over disagree.
struct TitleAnswer {
    int ReportedLength;
    std::string Text;
    // Whether it ends the text with a NUL inside the buffer it is given.
    bool Terminates;
};

LRESULT CALLBACK AnsweringProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    const auto* answer = reinterpret_cast<const TitleAnswer*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (answer && message == WM_GETTEXTLENGTH)
        return answer->ReportedLength;
    if (answer && message == WM_GETTEXT) {
        const std::size_t room = wParam;
        if (room == 0)
            return 0;
        char* buffer = reinterpret_cast<char*>(lParam);
        const std::size_t copied = std::min(answer->Text.size(), answer->Terminates ? room - 1 : room);
        std::memcpy(buffer, answer->Text.data(), copied);
        if (answer->Terminates)
            buffer[copied] = '\0';
        return static_cast<LRESULT>(std::min(copied, room - 1));
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

struct AnswerCase {
    const char* Name;
    TitleAnswer Answer;
    const wchar_t* Listed;
};

std::ostream& operator<<(std::ostream& out, const AnswerCase& answer) { return out << answer.Name; }

const std::string Fifty = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwx";

class ChangingTitle : public ListingTest, public ::testing::WithParamInterface<AnswerCase> {};

TEST_P(ChangingTitle, CutToTheBufferOrTakenAsItIs)
{
    ASSERT_EQ(Fifty.size(), 50u);
    const AnswerCase& answerCase = GetParam();
    HWND window = windows.CreateAnsi("QeltAnswering", AnsweringProc);
    ASSERT_NE(window, nullptr);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&answerCase.Answer));
    HWND neighbour = windows.Create(L"QeltNeighbour", L"after it", false);

    const auto qualifying = StableRefresh(2, false);
    ExpectListing(qualifying);
    EXPECT_EQ(LineOf(window), Hex8(window) + L" [QeltAnswering] " + answerCase.Listed);
    EXPECT_EQ(LineOf(neighbour), Hex8(neighbour) + L" [QeltNeighbour] after it");
    SetWindowLongPtrA(window, GWLP_USERDATA, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Titles, ChangingTitle,
    ::testing::Values(AnswerCase{"Grew", {3, Fifty, true}, L"ABCD"},
                      AnswerCase{"GrewUnterminated", {3, Fifty, false}, L"ABCD"},
                      AnswerCase{"GrewFromNothing", {0, Fifty, false}, L"A"},
                      AnswerCase{"Shrank", {50, "abc", true}, L"abc"},
                      AnswerCase{"ShrankUnterminated", {50, "abc", false}, L"abc"},
                      AnswerCase{"ShrankToNothing", {50, "", true}, L""}),
    [](const auto& info) { return std::string(info.param.Name); });

// Destroyed after it was stored and before its line was made.
TEST_F(ListingTest, WindowGoneBeforeItsLineStillListed)
{
    HWND before = windows.Create(L"QeltBeforeGone", L"before", false);
    HWND gone = windows.Create(L"QeltGone", L"going", false);
    HWND after = windows.Create(L"QeltAfterGone", L"after", false);

    const auto qualifying = StableRefresh(false, [] {
        FQelt->VisibleOnly = 0;
        FQelt->WindowCount = 0;
        EnumWindows(CollectWindowProc, 0);
    });
    ASSERT_TRUE(Listed(gone));
    windows.Destroy(gone);
    ASSERT_FALSE(IsWindow(gone));
    FQelt->ListWindows();

    ExpectListing(qualifying);
    EXPECT_EQ(LineOf(gone), Hex8(gone) + L" [] ");
    EXPECT_EQ(LineOf(before), Hex8(before) + L" [QeltBeforeGone] before");
    EXPECT_EQ(LineOf(after), Hex8(after) + L" [QeltAfterGone] after");
}

}  // namespace
}  // namespace listing_test
