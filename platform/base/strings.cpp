#include "platform/base/strings.h"

#include <algorithm>

AnsiString::AnsiString(const char* text) : FText(text ? text : "") {}

AnsiString::AnsiString(const char* text, std::size_t length) : FText(text, length) {}

AnsiString& AnsiString::operator+=(const AnsiString& tail)
{
    FText += tail.FText;
    return *this;
}

AnsiString& AnsiString::operator+=(const char* tail)
{
    FText += tail;
    return *this;
}

AnsiString operator+(AnsiString head, const AnsiString& tail)
{
    head += tail;
    return head;
}

UnicodeString::UnicodeString(const WideChar* text)
{
    if (text)
        FText = text;
}

UnicodeString::UnicodeString(const WideChar* text, std::size_t length) : FText(text, length) {}

UnicodeString UnicodeString::FromUtf8(std::string_view utf8, bool* valid)
{
    if (valid)
        *valid = true;
    constexpr char32_t replacement = 0xFFFD;
    UnicodeString result;
    std::basic_string<WideChar>& out = result.FText;
    out.reserve(utf8.size());
    std::size_t i = 0;
    while (i < utf8.size()) {
        const unsigned char lead = static_cast<unsigned char>(utf8[i]);
        int trailing;
        char32_t code;
        if (lead < 0x80) {
            trailing = 0;
            code = lead;
        } else if (lead >= 0xC2 && lead <= 0xDF) {
            trailing = 1;
            code = lead & 0x1F;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            trailing = 2;
            code = lead & 0x0F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            trailing = 3;
            code = lead & 0x07;
        } else {
            out.push_back(static_cast<WideChar>(replacement));
            if (valid)
                *valid = false;
            ++i;
            continue;
        }
        std::size_t j = i + 1;
        bool wellFormed = true;
        for (int k = 0; k < trailing; ++k, ++j) {
            if (j >= utf8.size() || (static_cast<unsigned char>(utf8[j]) & 0xC0) != 0x80) {
                wellFormed = false;
                break;
            }
            code = (code << 6) | (static_cast<unsigned char>(utf8[j]) & 0x3F);
        }
        // Overlong forms, surrogates and values past U+10FFFF are invalid.
        if (wellFormed && ((trailing == 2 && code < 0x800) || (trailing == 3 && code < 0x10000) ||
                           (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF))
            wellFormed = false;
        if (!wellFormed) {
            out.push_back(static_cast<WideChar>(replacement));
            if (valid)
                *valid = false;
            i = std::max(j, i + 1);
            continue;
        }
        if (code >= 0x10000) {
            code -= 0x10000;
            out.push_back(static_cast<WideChar>(0xD800 + (code >> 10)));
            out.push_back(static_cast<WideChar>(0xDC00 + (code & 0x3FF)));
        } else {
            out.push_back(static_cast<WideChar>(code));
        }
        i = j;
    }
    return result;
}

std::string UnicodeString::ToUtf8() const
{
    std::string out;
    out.reserve(FText.size());
    for (std::size_t i = 0; i < FText.size(); ++i) {
        char32_t code = static_cast<char16_t>(FText[i]);
        if (code >= 0xD800 && code <= 0xDBFF && i + 1 < FText.size() &&
            static_cast<char16_t>(FText[i + 1]) >= 0xDC00 && static_cast<char16_t>(FText[i + 1]) <= 0xDFFF) {
            code = 0x10000 + ((code - 0xD800) << 10) + (static_cast<char16_t>(FText[i + 1]) - 0xDC00);
            ++i;
        } else if (code >= 0xD800 && code <= 0xDFFF) {
            code = 0xFFFD;
        }
        if (code < 0x80) {
            out.push_back(static_cast<char>(code));
        } else if (code < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (code >> 6)));
            out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
        } else if (code < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (code >> 12)));
            out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (code >> 18)));
            out.push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
        }
    }
    return out;
}

UnicodeString& UnicodeString::operator+=(const UnicodeString& tail)
{
    FText += tail.FText;
    return *this;
}

UnicodeString operator+(UnicodeString head, const UnicodeString& tail)
{
    head += tail;
    return head;
}

UnicodeString IntToStr(int value)
{
    // Work on the magnitude as unsigned so that INT_MIN has one.
    std::uint32_t magnitude = value < 0 ? 0u - static_cast<std::uint32_t>(value) : static_cast<std::uint32_t>(value);
    WideChar digits[12];
    WideChar* end = digits + 12;
    WideChar* first = end;
    do {
        *--first = static_cast<WideChar>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    if (value < 0)
        *--first = '-';
    return UnicodeString(first, static_cast<std::size_t>(end - first));
}

UnicodeString IntToHex(std::uint32_t value, int digits)
{
    static constexpr char hexDigits[] = "0123456789ABCDEF";
    std::basic_string<WideChar> text;
    do {
        text.push_back(static_cast<WideChar>(hexDigits[value & 0xF]));
        value >>= 4;
    } while (value != 0);
    if (digits > 0 && text.size() < static_cast<std::size_t>(digits))
        text.append(static_cast<std::size_t>(digits) - text.size(), '0');
    std::reverse(text.begin(), text.end());
    return UnicodeString(text.c_str(), text.size());
}
