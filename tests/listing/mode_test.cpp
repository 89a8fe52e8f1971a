#include "tests/listing/listing_fixture.h"

namespace listing_test {
namespace {

TEST_F(ListingTest, OpensOnTheVisibleWindows)
{
    delete FQelt;
    FQelt = nullptr;
    HWND shown = windows.Create(L"QeltOpenShown", L"shown", true);
    HWND hidden = windows.Create(L"QeltOpenHidden", L"hidden", false);

    const auto qualifying = StableRefresh(true, [] {
        Application->CreateForm(&FQelt);
    });
    ASSERT_NE(FQelt, nullptr);
    EXPECT_EQ(FQelt->VisibleOnly, 1);
    ExpectListing(qualifying);
    EXPECT_TRUE(Listed(shown));
    EXPECT_FALSE(Listed(hidden));
}

struct ModeCase {
    const char* Name;
    int TagBefore;
    int Tag;
    int VisibleOnly;
};

std::ostream& operator<<(std::ostream& out, const ModeCase& mode) { return out << mode.Name; }

class ModeByTag : public ListingTest, public ::testing::WithParamInterface<ModeCase> {};

TEST_P(ModeByTag, PicksOrKeepsTheMode)
{
    const ModeCase& mode = GetParam();
    HWND shown = windows.Create(L"QeltModeShown", L"shown", true);
    HWND hidden = windows.Create(L"QeltModeHidden", L"hidden", false);

    Refresh(mode.TagBefore);
    ASSERT_EQ(FQelt->VisibleOnly, mode.TagBefore == 2 ? 0 : 1);
    const auto qualifying = StableRefresh(mode.Tag, mode.VisibleOnly == 1);
    EXPECT_EQ(FQelt->VisibleOnly, mode.VisibleOnly);
    ExpectListing(qualifying);
    EXPECT_TRUE(Listed(shown));
    EXPECT_EQ(Listed(hidden), mode.VisibleOnly == 0);
    if (Listed(hidden)) {
        EXPECT_EQ(LineOf(hidden), Hex8(hidden) + L" [QeltModeHidden] hidden");
    }
}

INSTANTIATE_TEST_SUITE_P(
    Tags, ModeByTag,
    ::testing::Values(ModeCase{"Tag0AfterAll", 2, 0, 1}, ModeCase{"Tag1AfterAll", 2, 1, 1},
                      ModeCase{"Tag2AfterVisible", 1, 2, 0}, ModeCase{"Tag2AfterAll", 2, 2, 0},
                      ModeCase{"Tag1AfterVisible", 1, 1, 1}, ModeCase{"Tag7KeepsAll", 2, 7, 0},
                      ModeCase{"Tag7KeepsVisible", 1, 7, 1}, ModeCase{"Tag3KeepsAll", 2, 3, 0},
                      ModeCase{"Tag3KeepsVisible", 0, 3, 1}, ModeCase{"TagMinus1KeepsAll", 2, -1, 0},
                      ModeCase{"TagMinus1KeepsVisible", 1, -1, 1}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST_F(ListingTest, TheTwoButtonsPickTheirModes)
{
    HWND hidden = windows.Create(L"QeltButtonHidden", L"hidden", false);
    EXPECT_EQ(FQelt->SpeedButton1->Tag, 1);
    EXPECT_EQ(FQelt->SpeedButton2->Tag, 2);

    auto qualifying = StableRefresh(false, [] { FQelt->SpeedButton2->Click(); });
    EXPECT_EQ(FQelt->VisibleOnly, 0);
    ExpectListing(qualifying);
    EXPECT_TRUE(Listed(hidden));

    qualifying = StableRefresh(true, [] { FQelt->SpeedButton1->Click(); });
    EXPECT_EQ(FQelt->VisibleOnly, 1);
    ExpectListing(qualifying);
    EXPECT_FALSE(Listed(hidden));
}

struct OwnedCase {
    const char* Name;
    bool OwnerVisible;
    bool OwnedVisible;
    int Tag;
};

std::ostream& operator<<(std::ostream& out, const OwnedCase& owned) { return out << owned.Name; }

class OwnedWindows : public ListingTest, public ::testing::WithParamInterface<OwnedCase> {};

TEST_P(OwnedWindows, NeverListed)
{
    const OwnedCase& owned = GetParam();
    HWND owner = windows.Create(L"QeltOwner", L"owner", owned.OwnerVisible);
    HWND child = windows.Create(L"QeltOwned", L"owned", owned.OwnedVisible, owner);
    HWND grandchild = windows.Create(L"QeltOwned", L"owned by owned", owned.OwnedVisible, child);
    const bool visibleOnly = owned.Tag != 2;

    const auto qualifying = StableRefresh(owned.Tag, visibleOnly);
    ExpectListing(qualifying);
    EXPECT_FALSE(Listed(child));
    EXPECT_FALSE(Listed(grandchild));
    EXPECT_EQ(Listed(owner), !visibleOnly || owned.OwnerVisible);
}

INSTANTIATE_TEST_SUITE_P(
    Owners, OwnedWindows,
    ::testing::Values(OwnedCase{"ShownByShownVisibleMode", true, true, 1}, OwnedCase{"ShownByShownAllMode", true, true, 2},
                      OwnedCase{"HiddenByHiddenVisibleMode", false, false, 1},
                      OwnedCase{"HiddenByHiddenAllMode", false, false, 2},
                      OwnedCase{"ShownByHiddenVisibleMode", false, true, 1},
                      OwnedCase{"ShownByHiddenAllMode", false, true, 2},
                      OwnedCase{"HiddenByShownVisibleMode", true, false, 1},
                      OwnedCase{"HiddenByShownAllMode", true, false, 2}),
    [](const auto& info) { return std::string(info.param.Name); });

}  // namespace
}  // namespace listing_test
