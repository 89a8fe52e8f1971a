// The test harness itself: the run has the private display, the code page
// it was registered for, and fonts that draw what the forms show (Tahoma
// with its Japanese button captions, the memo's ＭＳ ゴシック).
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <string>
#include <vector>

namespace {

// The code page the test was registered for, or 0 outside the Wine harness.
UINT RegisteredCodePage()
{
    char value[16] = {};
    const DWORD length = GetEnvironmentVariableA("QELT_WINE_CODE_PAGE", value, sizeof value);
    return length > 0 && length < sizeof value ? static_cast<UINT>(std::strtoul(value, nullptr, 10)) : 0;
}

bool UnderWine()
{
    return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

TEST(Harness, RunsUnderTheRegisteredCodePage)
{
    const UINT expected = RegisteredCodePage();
    if (expected == 0)
        GTEST_SKIP() << "not run by the Wine harness";
    EXPECT_EQ(GetACP(), expected);
    // The conversion the programs rely on follows it.
    const char* japanese = "\x95\x5c\x8e\xa6"; // 表示 in code page 932
    wchar_t wide[8] = {};
    const int length = MultiByteToWideChar(CP_ACP, 0, japanese, -1, wide, 8);
    if (expected == 932) {
        EXPECT_EQ(length, 3);
        EXPECT_EQ(std::wstring(wide), L"表示");
    } else {
        EXPECT_EQ(length, 5);
    }
}

TEST(Harness, HasThePrivateDisplay)
{
    if (!UnderWine())
        GTEST_SKIP() << "a display of its own only under Wine";
    // The harness's Xvfb screen, not Wine's display-less default.
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1280);
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 1024);
}

LRESULT CALLBACK PaintRed(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_PAINT) {
        PAINTSTRUCT paint;
        const HDC dc = BeginPaint(window, &paint);
        const HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
        FillRect(dc, &paint.rcPaint, red);
        DeleteObject(red);
        EndPaint(window, &paint);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void PumpMessages()
{
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageW(&message);
}

TEST(Harness, ShowsAndPaintsATopLevelWindow)
{
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = PaintRed;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"QeltHarnessWindow";
    ASSERT_NE(RegisterClassW(&windowClass), 0);
    const HWND window = CreateWindowExW(0, windowClass.lpszClassName, L"Qelt harness", WS_POPUP | WS_VISIBLE, 40,
                                        40, 120, 80, nullptr, nullptr, windowClass.hInstance, nullptr);
    ASSERT_NE(window, nullptr);
    UpdateWindow(window);
    PumpMessages();

    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_EQ(FindWindowW(L"QeltHarnessWindow", L"Qelt harness"), window);
    const HDC dc = GetDC(window);
    EXPECT_EQ(GetPixel(dc, 60, 40), RGB(255, 0, 0));
    ReleaseDC(window, dc);

    DestroyWindow(window);
    UnregisterClassW(windowClass.lpszClassName, windowClass.hInstance);
}

// One character drawn alone, as pixels.
std::vector<DWORD> Draw(const wchar_t* face, wchar_t character)
{
    constexpr int Size = 48;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = Size;
    info.bmiHeader.biHeight = -Size;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    const HDC dc = CreateCompatibleDC(nullptr);
    const HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    const HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
    const HFONT font = CreateFontW(-32, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                   CLIP_DEFAULT_PRECIS, NONANTIALIASED_QUALITY, DEFAULT_PITCH, face);
    const HGDIOBJ oldFont = SelectObject(dc, font);
    const RECT all{0, 0, Size, Size};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    SetBkMode(dc, TRANSPARENT);
    TextOutW(dc, 4, 4, &character, 1);
    GdiFlush();
    const auto* pixels = static_cast<const DWORD*>(bits);
    std::vector<DWORD> drawn(pixels, pixels + Size * Size);
    SelectObject(dc, oldFont);
    SelectObject(dc, oldBitmap);
    DeleteObject(font);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return drawn;
}

bool Blank(const std::vector<DWORD>& pixels)
{
    for (DWORD pixel : pixels)
        if ((pixel & 0xFFFFFF) != 0xFFFFFF)
            return false;
    return true;
}

struct FontCase {
    const char* Name;
    const wchar_t* Face;
    const wchar_t* Text;
};

class HarnessFont : public testing::TestWithParam<FontCase> {};

// A font without a character draws one and the same box (or nothing) for
// all of them; so every character must draw, and differently from the rest.
TEST_P(HarnessFont, DrawsEveryCharacterWithItsOwnGlyph)
{
    const FontCase& row = GetParam();
    std::set<wchar_t> characters;
    for (const wchar_t* c = row.Text; *c; ++c)
        if (*c != L' ' && *c != L'　')
            characters.insert(*c);
    std::set<std::vector<DWORD>> glyphs;
    for (wchar_t c : characters) {
        const std::vector<DWORD> drawn = Draw(row.Face, c);
        EXPECT_FALSE(Blank(drawn)) << "U+" << std::hex << static_cast<unsigned>(c) << " draws nothing";
        glyphs.insert(drawn);
    }
    EXPECT_EQ(glyphs.size(), characters.size()) << "some characters draw the same missing-glyph box";
}

INSTANTIATE_TEST_SUITE_P(
    FormFonts, HarnessFont,
    testing::Values(FontCase{"TahomaCaptions", L"Tahoma", L"表示 Windows すべて"},
                    FontCase{"TahomaLatin", L"Tahoma", L"HANDLE [Class] Title 0123456789"},
                    FontCase{"MemoFullWidth", L"ＭＳ ゴシック", L"ＡＢＣ０１２　日本語のタイトル"},
                    FontCase{"MemoHalfWidth", L"ＭＳ ゴシック", L"HANDLE [Class] Title ｶﾀｶﾅ"},
                    FontCase{"DialogFont", L"MS Shell Dlg", L"表示 Windows"}),
    [](const testing::TestParamInfo<FontCase>& info) { return std::string(info.param.Name); });

// The forms' default font is Tahoma itself, not whatever stands in for a
// missing one: its Latin letters keep their widths.
TEST(HarnessFonts, TahomaIsARealFace)
{
    const HDC dc = CreateCompatibleDC(nullptr);
    const HFONT font = CreateFontW(-11, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                   CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, L"Tahoma");
    const HGDIOBJ old = SelectObject(dc, font);
    wchar_t face[LF_FACESIZE] = {};
    GetTextFaceW(dc, LF_FACESIZE, face);
    EXPECT_STREQ(face, L"Tahoma");
    WORD glyph = 0;
    EXPECT_EQ(GetGlyphIndicesW(dc, L"W", 1, &glyph, GGI_MARK_NONEXISTING_GLYPHS), 1u);
    EXPECT_NE(glyph, 0xFFFF);
    SelectObject(dc, old);
    DeleteObject(font);
    DeleteDC(dc);
}

} // namespace
