#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// A UTF-16 code unit: wchar_t on Windows, char16_t where wchar_t is wider
// (the native fuzz build of the form-definition reader).
#ifdef _WIN32
using WideChar = wchar_t;
#else
using WideChar = char16_t;
#endif

class UnicodeString;

// 8-bit text in the system's ANSI code page.
class AnsiString {
public:
    AnsiString() = default;
    AnsiString(const char* text);
    AnsiString(const char* text, std::size_t length);
    // Through the ANSI code page; characters it cannot hold become the
    // system's replacement character.
    explicit AnsiString(const UnicodeString& text);

    const char* c_str() const { return FText.c_str(); }
    std::size_t Length() const { return FText.size(); }
    bool IsEmpty() const { return FText.empty(); }
    std::string_view View() const { return FText; }

    AnsiString& operator+=(const AnsiString& tail);
    AnsiString& operator+=(const char* tail);
    friend AnsiString operator+(AnsiString head, const AnsiString& tail);
    bool operator==(const AnsiString& other) const = default;

private:
    std::string FText;
};

// UTF-16 text: everything handed to windows and controls.
class UnicodeString {
public:
    UnicodeString() = default;
    UnicodeString(const WideChar* text);
    UnicodeString(const WideChar* text, std::size_t length);
    // Through the ANSI code page.
    explicit UnicodeString(const AnsiString& text);
    // Source-code and form-definition text is UTF-8; invalid sequences
    // become U+FFFD, and clear *valid when it is given.
    static UnicodeString FromUtf8(std::string_view utf8, bool* valid = nullptr);

    const WideChar* c_str() const { return FText.c_str(); }
    std::size_t Length() const { return FText.size(); }
    bool IsEmpty() const { return FText.empty(); }
    std::basic_string_view<WideChar> View() const { return FText; }
    std::string ToUtf8() const;

    UnicodeString& operator+=(const UnicodeString& tail);
    friend UnicodeString operator+(UnicodeString head, const UnicodeString& tail);
    bool operator==(const UnicodeString& other) const = default;

private:
    std::basic_string<WideChar> FText;
};

// Decimal, with a sign only when negative and no leading zeros.
UnicodeString IntToStr(int value);
// Upper-case hexadecimal of the value's 32 bits read as unsigned,
// zero-padded to at least `digits` digits.
UnicodeString IntToHex(std::uint32_t value, int digits);
