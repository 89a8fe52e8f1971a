#include "tests/listing/listing_fixture.h"

namespace listing_test {
namespace {

struct Visits {
    std::vector<HWND> Windows;
    bool AllTrue = true;
};

// Forwards to the listing's callback, noting each visit.
BOOL CALLBACK CountingProc(HWND window, LPARAM visits) noexcept
{
    auto& seen = *reinterpret_cast<Visits*>(visits);
    seen.Windows.push_back(window);
    const BOOL result = CollectWindowProc(window, 0);
    if (!result)
        seen.AllTrue = false;
    return result;
}

class Cap : public ListingTest, public ::testing::WithParamInterface<int> {};

// Hidden unowned windows of our own up to `qualifying` in all, all-windows
// mode.
TEST_P(Cap, FirstFiveHundredInEnumerationOrder)
{
    const int qualifying = GetParam();
    const int already = static_cast<int>(QualifyingWindows(false).size());
    ASSERT_LT(already + 1, qualifying);
    for (int i = already + 1; i < qualifying; ++i)
        ASSERT_NE(windows.Create(L"QeltCap", L"cap " + std::to_wstring(i), false), nullptr);
    // Visited but never stored, whatever the count.
    HWND owner = windows.Create(L"QeltCapOwner", L"", false);
    for (int i = 0; i < 3; ++i)
        windows.Create(L"QeltCapOwned", L"owned", false, owner);

    const auto expected = StableRefresh(2, false);
    ASSERT_EQ(static_cast<int>(expected.size()), qualifying);
    ExpectListing(expected);
    const int listed = std::min(qualifying, TFQelt::MaxWindows);
    EXPECT_EQ(FQelt->WindowCount, listed);
    EXPECT_EQ(FQelt->Memo1->Lines->Count(), listed);
    EXPECT_EQ(Wide(FQelt->Label1->Caption()), std::to_wstring(listed));

    Visits visits;
    std::vector<HWND> all;
    StableRefresh(false, [&] {
        visits = {};
        FQelt->WindowCount = 0;
        EnumWindows(CountingProc, reinterpret_cast<LPARAM>(&visits));
        all = AllTopLevelWindows();
    });
    EXPECT_TRUE(visits.AllTrue);
    EXPECT_EQ(visits.Windows, all);
    EXPECT_GE(all.size(), static_cast<std::size_t>(qualifying) + 3);
    ASSERT_EQ(FQelt->WindowCount, listed);
    EXPECT_TRUE(std::equal(FQelt->WindowList, FQelt->WindowList + listed, expected.begin()));
}

INSTANTIATE_TEST_SUITE_P(Counts, Cap, ::testing::Values(499, 500, 501, 520),
                         [](const auto& info) { return "Qualifying" + std::to_string(info.param); });

}  // namespace
}  // namespace listing_test
