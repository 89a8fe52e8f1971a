#include "tests/listing/listing_fixture.h"

namespace listing_test {
namespace {

struct HexCase {
    std::uint32_t Value;
    const wchar_t* Text;
};

class HandleHex : public ::testing::TestWithParam<HexCase> {};

TEST_P(HandleHex, EightUpperCaseDigitsZeroPadded)
{
    EXPECT_EQ(Wide(IntToHex(GetParam().Value, 8)), GetParam().Text);
}

INSTANTIATE_TEST_SUITE_P(Values, HandleHex,
                         ::testing::Values(HexCase{0x0, L"00000000"}, HexCase{0xF, L"0000000F"},
                                           HexCase{0x10, L"00000010"}, HexCase{0x1A2B, L"00001A2B"},
                                           HexCase{0xABCDEF, L"00ABCDEF"}, HexCase{0x12345678, L"12345678"},
                                           HexCase{0x80000000, L"80000000"}, HexCase{0xFFFFFFFF, L"FFFFFFFF"}));

struct LayoutCase {
    const char* Name;
    std::wstring ClassName;
    std::wstring Title;
    std::wstring ListedClass;
    std::wstring ListedTitle;
};

std::ostream& operator<<(std::ostream& out, const LayoutCase& layout) { return out << layout.Name; }

const std::wstring Class99 = Repeat(L"QeltClass99_", L'x', 99);
const std::wstring Class100 = Repeat(L"QeltClass100_", L'y', 100);
const std::wstring Class120 = Repeat(L"QeltClass120_", L'z', 120);
const std::wstring LongTitle = Repeat(L"A title longer than any fixed buffer ", L'#', 700);

const LayoutCase LayoutCases[] = {
    {"Plain", L"QeltPlain", L"Plain title", L"QeltPlain", L"Plain title"},
    {"EmptyTitle", L"QeltEmptyTitle", L"", L"QeltEmptyTitle", L""},
    {"BlanksKept", L"QeltBlanks", L"  two  blanks  ", L"QeltBlanks", L"  two  blanks  "},
    {"LongTitle", L"QeltLongTitle", LongTitle, L"QeltLongTitle", LongTitle},
    {"Class99Whole", Class99, L"t", Class99, L"t"},
    {"Class100CutTo99", Class100, L"t", Class100.substr(0, 99), L"t"},
    {"Class120CutTo99", Class120, L"t", Class120.substr(0, 99), L"t"},
    {"TitleCR", L"QeltTitleCR", L"one\rtwo", L"QeltTitleCR", L"one two"},
    {"TitleLF", L"QeltTitleLF", L"one\ntwo", L"QeltTitleLF", L"one two"},
    {"TitleCRLF", L"QeltTitleCRLF", L"one\r\ntwo", L"QeltTitleCRLF", L"one  two"},
    {"TitleBreaksAtEnds", L"QeltTitleEnds", L"\r\nedge\n", L"QeltTitleEnds", L"  edge "},
    {"TitleOnlyBreaks", L"QeltTitleOnlyBreaks", L"\n\r\r\n", L"QeltTitleOnlyBreaks", L"    "},
    {"ClassBreaks", L"Qelt\r\nClass\rWith\nBreaks", L"a\nb", L"Qelt  Class With Breaks", L"a b"},
};

class LineLayout : public ListingTest, public ::testing::WithParamInterface<LayoutCase> {};

TEST_P(LineLayout, HandleClassAndTitleOnOneRow)
{
    const LayoutCase& layout = GetParam();
    HWND window = windows.Create(layout.ClassName, layout.Title, false);
    ASSERT_NE(window, nullptr);

    const auto qualifying = StableRefresh(2, false);
    ExpectListing(qualifying);
    EXPECT_EQ(LineOf(window), Hex8(window) + L" [" + layout.ListedClass + L"] " + layout.ListedTitle);
}

INSTANTIATE_TEST_SUITE_P(Lines, LineLayout, ::testing::ValuesIn(LayoutCases),
                         [](const auto& info) { return std::string(info.param.Name); });

// All of them at once: every window still takes exactly one row, in the
// window manager's order.
TEST_F(ListingTest, LineBreaksNeverAddRows)
{
    std::vector<HWND> made;
    for (const LayoutCase& layout : LayoutCases)
        made.push_back(windows.Create(layout.ClassName, layout.Title, false));

    const auto qualifying = StableRefresh(2, false);
    ExpectListing(qualifying);
    EXPECT_EQ(FQelt->Memo1->Lines->Count(), FQelt->WindowCount);
    for (std::size_t i = 0; i < made.size(); ++i) {
        SCOPED_TRACE(LayoutCases[i].Name);
        EXPECT_EQ(LineOf(made[i]),
                  Hex8(made[i]) + L" [" + LayoutCases[i].ListedClass + L"] " + LayoutCases[i].ListedTitle);
    }
}

}  // namespace
}  // namespace listing_test
