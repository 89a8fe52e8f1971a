#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <vector>

#include "platform/base/classes.h"
#include "platform/win32/handles.h"

// Colours: RGB values, or a system colour index with the top bit set.
using TColor = std::int32_t;
constexpr TColor SystemColor(int index) { return static_cast<TColor>(0x80000000u | static_cast<unsigned>(index)); }
constexpr TColor clBlack = 0x000000;
constexpr TColor clGray = 0x808080;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clBtnFace = SystemColor(COLOR_BTNFACE);
constexpr TColor clWindow = SystemColor(COLOR_WINDOW);
constexpr TColor clWindowText = SystemColor(COLOR_WINDOWTEXT);
COLORREF ColorToRGB(TColor color);

enum TFontStyle : unsigned { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
using TFontStyles = unsigned;

class TFont {
public:
    TFont() = default;
    TFont(const TFont&) = delete;
    TFont& operator=(const TFont&) = delete;

    const UnicodeString& Name() const { return FName; }
    // Negative: the height of the characters in pixels; positive: of the
    // character cell.
    int Height() const { return FHeight; }
    BYTE Charset() const { return FCharset; }
    TColor Color() const { return FColor; }
    TFontStyles Style() const { return FStyle; }
    void SetName(const UnicodeString& name);
    void SetHeight(int height);
    void SetCharset(BYTE charset);
    void SetColor(TColor color);
    void SetStyle(TFontStyles style);
    void Assign(const TFont& source);

    // Created on first use, and again after a change.
    HFONT Handle() const;

    // Called after every change.
    std::function<void()> OnChange;

private:
    void Changed();

    UnicodeString FName = L"Tahoma";
    int FHeight = -11;
    BYTE FCharset = DEFAULT_CHARSET;
    TColor FColor = clWindowText;
    TFontStyles FStyle = 0;
    mutable UniqueFont FHandle;
};

enum TAlign { alNone, alTop, alClient };

class TWinControl;

class TControl : public TComponent {
public:
    explicit TControl(TComponent* AOwner);
    ~TControl() override;
    const char* ClassName() const override { return "TControl"; }

    TWinControl* Parent() const { return FParent; }
    virtual void SetParent(TWinControl* parent);

    int Left() const { return FLeft; }
    int Top() const { return FTop; }
    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    RECT BoundsRect() const { return {FLeft, FTop, FLeft + FWidth, FTop + FHeight}; }
    // In the parent's client coordinates.
    virtual void SetBounds(int left, int top, int width, int height);

    TAlign Align() const { return FAlign; }
    void SetAlign(TAlign align);

    const UnicodeString& Caption() const { return FCaption; }
    void SetCaption(const UnicodeString& caption);

    TColor Color() const { return FColor; }
    void SetColor(TColor color);

    // The control's font; a copy of its parent's while ParentFont is true.
    TFont* const Font;
    bool ParentFont() const { return FParentFont; }
    void SetParentFont(bool parentFont);

    virtual void Invalidate();
    // Multiplies bounds and font by numerator / denominator.
    virtual void ScaleBy(int numerator, int denominator);
    bool SetProperty(const FormPropertyReader& property, const FormBindings& bindings) override;

protected:
    virtual void CaptionChanged() { Invalidate(); }
    virtual void FontChanged();
    virtual void ColorChanged() { Invalidate(); }
    virtual void BoundsChanged() {}

private:
    friend class TWinControl;
    friend class FormLoader;

    TWinControl* FParent = nullptr;
    int FLeft = 0, FTop = 0, FWidth = 0, FHeight = 0;
    TAlign FAlign = alNone;
    UnicodeString FCaption;
    TColor FColor = clBtnFace;
    TFont FFont;
    bool FParentFont = true;
};

// A control without a window of its own: its parent paints it and hands
// it the mouse.
class TGraphicControl : public TControl {
public:
    using TControl::TControl;
    const char* ClassName() const override { return "TGraphicControl"; }
    void Invalidate() override;

protected:
    friend class TWinControl;
    // In the control's own coordinates: (0, 0) is its top left corner.
    virtual void Paint(HDC dc, const RECT& area) = 0;
    virtual void MouseDown(POINT) {}
    virtual void MouseMove(POINT) {}
    virtual void MouseUp(POINT) {}
    // The parent lost the mouse capture while a button was held.
    virtual void MouseCancel() {}
};

// A control with a window. Every such window runs through one window
// procedure, which stops any exception at its edge.
class TWinControl : public TControl {
public:
    explicit TWinControl(TComponent* AOwner);
    ~TWinControl() override;
    const char* ClassName() const override { return "TWinControl"; }

    // Creates the window (and its children's) when it does not exist yet.
    HWND Handle();
    bool HandleAllocated() const { return FHandle != nullptr; }
    void HandleNeeded() { Handle(); }

    int ControlCount() const { return static_cast<int>(FControls.size()); }
    TControl* Controls(int index) const { return FControls.at(static_cast<std::size_t>(index)); }

    // Order among the sibling windows, and so among the keyboard stops.
    int TabOrder() const { return FTabOrder; }
    void SetTabOrder(int tabOrder);
    bool TabStop() const { return FTabStop; }

    void SetBounds(int left, int top, int width, int height) override;
    void Invalidate() override;
    // Lays out the aligned children in the client area.
    void Realign();
    void ScaleBy(int numerator, int denominator) override;

    bool SetProperty(const FormPropertyReader& property, const FormBindings& bindings) override;

    // The window procedure of every window the platform makes.
    static LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;

protected:
    struct TCreateParams {
        DWORD Style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
        DWORD ExStyle = 0;
        HWND ParentWindow = nullptr;
        // A system class to build on (its window procedure does the
        // default handling), or nullptr for the platform's own.
        const wchar_t* BaseClass = nullptr;
    };
    virtual void CreateParams(TCreateParams& params);
    // After the window exists; the place to hand it state kept so far.
    virtual void CreateWnd();
    void DestroyHandle();

    // Messages of this control's window; DefaultHandler for the rest.
    virtual LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT DefaultHandler(UINT message, WPARAM wParam, LPARAM lParam);
    // Paints the window's own face under its windowless children.
    virtual void PaintWindow(HDC dc, const RECT& area);
    HBRUSH Brush() const;

    void CaptionChanged() override;
    void FontChanged() override;
    void ColorChanged() override;

    bool FTabStop = false;

private:
    friend class TControl;

    void InsertControl(TControl* control);
    void RemoveControl(TControl* control);
    void CreateChildHandles();
    TGraphicControl* GraphicControlAt(POINT point) const;
    LRESULT OnPaint();
    LRESULT OnMouse(UINT message, LPARAM lParam);
    LRESULT OnControlColor(HDC dc, HWND child);
    void RegisterWindowClass(const TCreateParams& params);

    HWND FHandle = nullptr;
    WNDPROC FDefaultProc = DefWindowProcW;
    std::vector<TControl*> FControls;
    int FTabOrder = -1;
    TGraphicControl* FMouseControl = nullptr;
    mutable UniqueBrush FBrush;
};
