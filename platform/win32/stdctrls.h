#pragma once

#include "platform/win32/controls.h"

enum TAlignment { taLeftJustify, taRightJustify, taCenter };

// Text without a window, sized to its text.
class TLabel : public TGraphicControl {
public:
    explicit TLabel(TComponent* AOwner);
    const char* ClassName() const override { return "TLabel"; }

    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment alignment);

    bool SetProperty(const FormPropertyReader& property, const FormBindings& bindings) override;

protected:
    void Paint(HDC dc, const RECT& area) override;
    void CaptionChanged() override;
    void FontChanged() override;
    void Loaded() override;

private:
    // Fits the bounds to the text; a right-justified label keeps its right
    // edge, a centred one its centre.
    void AdjustBounds();

    TAlignment FAlignment = taLeftJustify;
};

// A push button without a window: it never takes the keyboard focus, and
// clicks when the mouse button is let go inside it.
class TSpeedButton : public TGraphicControl {
public:
    using TGraphicControl::TGraphicControl;
    const char* ClassName() const override { return "TSpeedButton"; }

    void Click();
    TNotifyEvent OnClick;

    bool SetProperty(const FormPropertyReader& property, const FormBindings& bindings) override;

protected:
    void Paint(HDC dc, const RECT& area) override;
    void MouseDown(POINT point) override;
    void MouseMove(POINT point) override;
    void MouseUp(POINT point) override;
    void MouseCancel() override;

private:
    bool Contains(POINT point) const;
    void SetDrawnDown(bool down);

    bool FTracking = false;
    bool FDrawnDown = false;
};

enum TBevelCut { bvNone, bvLowered, bvRaised };

class TPanel : public TWinControl {
public:
    using TWinControl::TWinControl;
    const char* ClassName() const override { return "TPanel"; }

    TBevelCut BevelOuter() const { return FBevelOuter; }
    void SetBevelOuter(TBevelCut bevel);

    bool SetProperty(const FormPropertyReader& property, const FormBindings& bindings) override;

protected:
    void PaintWindow(HDC dc, const RECT& area) override;

private:
    TBevelCut FBevelOuter = bvRaised;
};

// A list of text lines.
class TStrings {
public:
    virtual ~TStrings() = default;

    virtual void Clear() = 0;
    virtual void Add(const UnicodeString& line) = 0;
    virtual int Count() const = 0;
    // Throws Exception for an index outside 0 to Count() - 1.
    virtual UnicodeString Strings(int index) const = 0;
    UnicodeString operator[](int index) const { return Strings(index); }
    // The lines, each ended by CR LF.
    virtual UnicodeString Text() const = 0;
};

enum TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };

class TMemo;

// The lines of a memo, kept by its EDIT control. A clearing and the lines
// added after it are handed to the control together before the program
// returns to the message loop (a visible EDIT control redraws after every
// single change, which costs a frame each); every reading sees them at
// once.
class TMemoLines : public TStrings {
public:
    explicit TMemoLines(TMemo& memo) : FMemo(memo) {}

    void Clear() override;
    void Add(const UnicodeString& line) override;
    int Count() const override;
    UnicodeString Strings(int index) const override;
    UnicodeString Text() const override;

    // Hands the clearing and the lines added so far to the control.
    void Flush();

private:
    void Defer();

    TMemo& FMemo;
    std::wstring FPending;
    // The control's text is to be replaced by FPending, not added to.
    bool FReplace = false;
    bool FDeferred = false;
};

// A multi-line edit view on the system EDIT control.
class TMemo : public TWinControl {
public:
    explicit TMemo(TComponent* AOwner);
    ~TMemo() override;
    const char* ClassName() const override { return "TMemo"; }

    TStrings* const Lines;

    TScrollStyle ScrollBars() const { return FScrollBars; }
    // Applies when the window is created.
    void SetScrollBars(TScrollStyle scrollBars);
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool readOnly);

    bool SetProperty(const FormPropertyReader& property, const FormBindings& bindings) override;

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;

private:
    friend class TMemoLines;
    friend class TApplication;

    TMemoLines FLines;
    TScrollStyle FScrollBars = ssNone;
    bool FReadOnly = false;
};
