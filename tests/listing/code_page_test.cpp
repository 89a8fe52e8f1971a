#include "tests/listing/listing_fixture.h"

#include <cstdlib>
#include <string>

namespace listing_test {
namespace {

// Each run is registered for one code page: one that got another would
// skip its rows without a word.
TEST(CodePageRun, IsTheOneItWasRegisteredFor)
{
    const char* asked = std::getenv("QELT_WINE_CODE_PAGE");
    if (!asked)
        GTEST_SKIP() << "run outside the test harness";
    EXPECT_EQ(GetACP(), static_cast<UINT>(std::stoul(asked)));
}

// Titles and class names pass through the ANSI code page on their way to
// the memo: what it holds arrives intact, the rest as its replacement.
struct CodePageCase {
    const char* Name;
    UINT CodePage;
    std::wstring ClassName;
    std::wstring Title;
    std::wstring ListedClass;
    std::wstring ListedTitle;
};

std::ostream& operator<<(std::ostream& out, const CodePageCase& row) { return out << row.Name; }

class CodePage : public ListingTest, public ::testing::WithParamInterface<CodePageCase> {};

TEST_P(CodePage, TitleAndClassThroughTheAnsiCodePage)
{
    const CodePageCase& row = GetParam();
    if (GetACP() != row.CodePage)
        GTEST_SKIP() << "for code page " << row.CodePage << "; this run has " << GetACP();
    HWND window = windows.Create(row.ClassName, row.Title, false);
    ASSERT_NE(window, nullptr);

    const auto qualifying = StableRefresh(2, false);
    ExpectListing(qualifying);
    EXPECT_EQ(LineOf(window), Hex8(window) + L" [" + row.ListedClass + L"] " + row.ListedTitle);
}

INSTANTIATE_TEST_SUITE_P(
    Titles, CodePage,
    ::testing::Values(
        CodePageCase{"Japanese932", 932, L"QeltJapanese", L"日本語のタイトル", L"QeltJapanese", L"日本語のタイトル"},
        CodePageCase{"FullAndHalfWidth932", 932, L"QeltWidths", L"全角ＡＢＣ　と半角ｶﾀｶﾅ abc",
                     L"QeltWidths", L"全角ＡＢＣ　と半角ｶﾀｶﾅ abc"},
        CodePageCase{"JapaneseClass932", 932, L"Qeltクラス名", L"表示", L"Qeltクラス名", L"表示"},
        CodePageCase{"JapaneseBreaks932", 932, L"QeltJapaneseBreaks", L"一行目\r\n二行目", L"QeltJapaneseBreaks",
                     L"一行目  二行目"},
        CodePageCase{"Japanese1252", 1252, L"QeltJapanese", L"日本語のタイトル", L"QeltJapanese", L"????????"},
        CodePageCase{"JapaneseClass1252", 1252, L"Qeltクラス名", L"t", L"Qelt????", L"t"},
        CodePageCase{"Latin1252", 1252, L"QeltLatin", L"Café", L"QeltLatin", L"Café"},
        CodePageCase{"UpperHalf1252", 1252, L"QeltÉtoile", L"5 € für naïve œuvre ©", L"QeltÉtoile",
                     L"5 € für naïve œuvre ©"}),
    [](const auto& info) { return std::string(info.param.Name); });

}  // namespace
}  // namespace listing_test
