// Strings and number formatting, and the ANSI code page conversions, which
// must agree with what the system's ...A window functions deliver.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "platform/base/strings.h"

namespace {

std::wstring Wide(const UnicodeString& text) { return std::wstring(text.c_str(), text.Length()); }
std::string Bytes(const AnsiString& text) { return std::string(text.c_str(), text.Length()); }

TEST(IntToStr, FormatsDecimal)
{
    const struct {
        int Value;
        const wchar_t* Text;
    } cases[] = {{0, L"0"}, {7, L"7"}, {37, L"37"}, {500, L"500"}, {-1, L"-1"},
                 {2147483647, L"2147483647"}, {-2147483647 - 1, L"-2147483648"}};
    for (const auto& c : cases)
        EXPECT_EQ(Wide(IntToStr(c.Value)), c.Text) << c.Value;
}

TEST(IntToHex, PadsAndUsesUpperCase)
{
    const struct {
        std::uint32_t Value;
        int Digits;
        const wchar_t* Text;
    } cases[] = {
        {0, 8, L"00000000"},        {0x1A2B, 8, L"00001A2B"},   {0x1A2F4, 8, L"0001A2F4"},
        {0xABCDEF, 8, L"00ABCDEF"}, {0xFFFFFFFF, 8, L"FFFFFFFF"}, {0x12345678, 4, L"12345678"},
        {0, 0, L"0"},               {0xF, 1, L"F"},             {0xF, 3, L"00F"},
        {0x80000000, 8, L"80000000"}, {5, -3, L"5"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Wide(IntToHex(c.Value, c.Digits)), c.Text) << c.Value << " " << c.Digits;
    // A negative int reads as its 32 bits.
    EXPECT_EQ(Wide(IntToHex(static_cast<std::uint32_t>(-2), 8)), L"FFFFFFFE");
}

TEST(UnicodeString, DecodesUtf8AndFlagsBadSequences)
{
    bool valid = false;
    EXPECT_EQ(Wide(UnicodeString::FromUtf8("\xE8\xA1\xA8\xE7\xA4\xBA Windows", &valid)), L"表示 Windows");
    EXPECT_TRUE(valid);
    EXPECT_EQ(Wide(UnicodeString::FromUtf8("\xF0\x9F\x98\x80", &valid)), L"\xD83D\xDE00");
    EXPECT_TRUE(valid);
    const char* invalid[] = {"\xC0\xAF", "\xE0\x80\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xE3\x81", "\xFF", "\x80"};
    for (const char* bytes : invalid) {
        const UnicodeString text = UnicodeString::FromUtf8(bytes, &valid);
        EXPECT_FALSE(valid) << bytes;
        EXPECT_EQ(text.c_str()[0], L'\xFFFD') << bytes;
    }
    EXPECT_EQ(UnicodeString(L"表示 Windows").ToUtf8(), "\xE8\xA1\xA8\xE7\xA4\xBA Windows");
}

// The window manager's own conversion is the reference: a title set as
// UTF-16 and read back through GetWindowTextA.
AnsiString ThroughWindowManager(const wchar_t* title)
{
    HWND window = CreateWindowExW(0, L"STATIC", title, 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    char buffer[256] = {};
    GetWindowTextA(window, buffer, sizeof buffer);
    DestroyWindow(window);
    return AnsiString(buffer);
}

TEST(AnsiCodePage, ConvertsLikeTheWindowManager)
{
    const wchar_t* titles[] = {L"Untitled - Notepad", L"Café crème", L"日本語のタイトル", L"Ωμέγα", L"表示 Windows",
                               L"\xD83D\xDE00 smile", L"tab\there"};
    for (const wchar_t* title : titles) {
        const AnsiString ansi(UnicodeString{title});
        EXPECT_EQ(Bytes(ansi), Bytes(ThroughWindowManager(title))) << GetACP();
        // Back to UTF-16 the same way MultiByteToWideChar goes.
        wchar_t back[256] = {};
        MultiByteToWideChar(CP_ACP, 0, ansi.c_str(), -1, back, 256);
        EXPECT_EQ(Wide(UnicodeString(ansi)), back);
    }
}

TEST(AnsiCodePage, KeepsWhatTheCodePageHoldsAndReplacesTheRest)
{
    const UnicodeString japanese(L"日本");
    const UnicodeString latin(L"Café");
    if (GetACP() == 932) {
        EXPECT_EQ(Bytes(AnsiString(japanese)), "\x93\xFA\x96\x7B");
        EXPECT_EQ(Wide(UnicodeString(AnsiString(japanese))), L"日本");
    } else {
        ASSERT_EQ(GetACP(), 1252u);
        EXPECT_EQ(Bytes(AnsiString(japanese)), "??");
        EXPECT_EQ(Bytes(AnsiString(latin)), "Caf\xE9");
        EXPECT_EQ(Wide(UnicodeString(AnsiString(latin))), L"Café");
    }
    EXPECT_TRUE(AnsiString(UnicodeString()).IsEmpty());
    EXPECT_TRUE(UnicodeString(AnsiString()).IsEmpty());
}

TEST(AnsiString, Concatenates)
{
    AnsiString line = AnsiString(IntToHex(0x1A2F4, 8));
    line += " [";
    line += AnsiString("Notepad");
    line += "] ";
    EXPECT_EQ(Bytes(line + AnsiString("Untitled")), "0001A2F4 [Notepad] Untitled");
    EXPECT_EQ(Bytes(AnsiString("a\0b", 3)), std::string("a\0b", 3));
}

}  // namespace
