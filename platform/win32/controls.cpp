#include "platform/win32/controls.h"

#include <windowsx.h>

#include <algorithm>
#include <string>
#include <utility>

#include "platform/base/form_bindings.h"
#include "platform/win32/forms.h"

COLORREF ColorToRGB(TColor color)
{
    const auto bits = static_cast<std::uint32_t>(color);
    if (bits & 0x80000000u)
        return GetSysColor(static_cast<int>(bits & 0xFF));
    return bits & 0xFFFFFF;
}

void TFont::SetName(const UnicodeString& name)
{
    if (name == FName)
        return;
    FName = name;
    Changed();
}

void TFont::SetHeight(int height)
{
    if (height == FHeight)
        return;
    FHeight = height;
    Changed();
}

void TFont::SetCharset(BYTE charset)
{
    if (charset == FCharset)
        return;
    FCharset = charset;
    Changed();
}

void TFont::SetColor(TColor color)
{
    if (color == FColor)
        return;
    FColor = color;
    Changed();
}

void TFont::SetStyle(TFontStyles style)
{
    if (style == FStyle)
        return;
    FStyle = style;
    Changed();
}

void TFont::Assign(const TFont& source)
{
    FName = source.FName;
    FHeight = source.FHeight;
    FCharset = source.FCharset;
    FColor = source.FColor;
    FStyle = source.FStyle;
    Changed();
}

void TFont::Changed()
{
    FHandle.reset();
    if (OnChange)
        OnChange();
}

HFONT TFont::Handle() const
{
    if (!FHandle) {
        LOGFONTW font{};
        font.lfHeight = FHeight;
        font.lfWeight = (FStyle & fsBold) ? FW_BOLD : FW_NORMAL;
        font.lfItalic = (FStyle & fsItalic) ? TRUE : FALSE;
        font.lfUnderline = (FStyle & fsUnderline) ? TRUE : FALSE;
        font.lfStrikeOut = (FStyle & fsStrikeOut) ? TRUE : FALSE;
        font.lfCharSet = FCharset;
        font.lfOutPrecision = OUT_DEFAULT_PRECIS;
        font.lfClipPrecision = CLIP_DEFAULT_PRECIS;
        font.lfQuality = DEFAULT_QUALITY;
        font.lfPitchAndFamily = DEFAULT_PITCH;
        lstrcpynW(font.lfFaceName, FName.c_str(), LF_FACESIZE);
        FHandle.reset(CreateFontIndirectW(&font));
        if (!FHandle)
            throw Exception(L"The font " + FName + L" cannot be created");
    }
    return FHandle.get();
}

namespace {

TColor ReadColor(const FormPropertyReader& property)
{
    if (property.Value().Type == FormValue::Kind::Integer)
        return property.AsInteger();
    return property.AsEnum<TColor>({{"clBlack", clBlack},
                                    {"clGray", clGray},
                                    {"clWhite", clWhite},
                                    {"clBtnFace", clBtnFace},
                                    {"clWindow", clWindow},
                                    {"clWindowText", clWindowText}});
}

// Font.Name, Font.Height and the rest; false for any other name.
bool SetFontProperty(TFont& font, const FormPropertyReader& property)
{
    const std::string& name = property.Name();
    if (name == "Font.Name") {
        font.SetName(property.AsString());
    } else if (name == "Font.Height") {
        font.SetHeight(property.AsInteger());
    } else if (name == "Font.Charset") {
        font.SetCharset(property.AsEnum<BYTE>({{"ANSI_CHARSET", ANSI_CHARSET},
                                               {"DEFAULT_CHARSET", DEFAULT_CHARSET},
                                               {"SYMBOL_CHARSET", SYMBOL_CHARSET},
                                               {"SHIFTJIS_CHARSET", SHIFTJIS_CHARSET},
                                               {"OEM_CHARSET", OEM_CHARSET}}));
    } else if (name == "Font.Color") {
        font.SetColor(ReadColor(property));
    } else if (name == "Font.Style") {
        TFontStyles style = 0;
        for (const std::string& member : property.AsSet()) {
            if (member == "fsBold")
                style |= fsBold;
            else if (member == "fsItalic")
                style |= fsItalic;
            else if (member == "fsUnderline")
                style |= fsUnderline;
            else if (member == "fsStrikeOut")
                style |= fsStrikeOut;
            else
                property.Fail("\"" + member + "\" is not a font style");
        }
        font.SetStyle(style);
    } else {
        return false;
    }
    return true;
}

}  // namespace

TControl::TControl(TComponent* AOwner) : TComponent(AOwner), Font(&FFont)
{
    // A font set on the control itself is no longer its parent's.
    FFont.OnChange = [this] {
        FParentFont = false;
        FontChanged();
    };
}

TControl::~TControl()
{
    FFont.OnChange = nullptr;
    if (FParent)
        FParent->RemoveControl(this);
}

void TControl::SetParent(TWinControl* parent)
{
    if (parent == FParent)
        return;
    if (FParent)
        FParent->RemoveControl(this);
    FParent = parent;
    if (FParent) {
        FParent->InsertControl(this);
        if (FParentFont)
            SetParentFont(true);
    }
}

void TControl::SetBounds(int left, int top, int width, int height)
{
    if (left == FLeft && top == FTop && width == FWidth && height == FHeight)
        return;
    Invalidate();
    FLeft = left;
    FTop = top;
    FWidth = width;
    FHeight = height;
    BoundsChanged();
    Invalidate();
}

void TControl::SetAlign(TAlign align)
{
    if (align == FAlign)
        return;
    FAlign = align;
    if (FParent)
        FParent->Realign();
}

void TControl::SetCaption(const UnicodeString& caption)
{
    if (caption == FCaption)
        return;
    FCaption = caption;
    CaptionChanged();
}

void TControl::SetColor(TColor color)
{
    if (color == FColor)
        return;
    FColor = color;
    ColorChanged();
}

void TControl::SetParentFont(bool parentFont)
{
    if (parentFont && FParent) {
        FFont.Assign(FParent->FFont);  // clears FParentFont through OnChange
        FParentFont = true;
    } else {
        FParentFont = parentFont;
    }
}

void TControl::FontChanged() { Invalidate(); }

void TControl::Invalidate() {}

void TControl::ScaleBy(int numerator, int denominator)
{
    SetBounds(MulDiv(FLeft, numerator, denominator), MulDiv(FTop, numerator, denominator),
              MulDiv(FWidth, numerator, denominator), MulDiv(FHeight, numerator, denominator));
    // A parent's font reaches its children through ParentFont.
    if (!FParentFont)
        FFont.SetHeight(MulDiv(FFont.Height(), numerator, denominator));
}

bool TControl::SetProperty(const FormPropertyReader& property, const FormBindings& bindings)
{
    const std::string& name = property.Name();
    if (name == "Left")
        SetBounds(property.AsInteger(), FTop, FWidth, FHeight);
    else if (name == "Top")
        SetBounds(FLeft, property.AsInteger(), FWidth, FHeight);
    else if (name == "Width")
        SetBounds(FLeft, FTop, property.AsInteger(), FHeight);
    else if (name == "Height")
        SetBounds(FLeft, FTop, FWidth, property.AsInteger());
    else if (name == "Align")
        SetAlign(property.AsEnum<TAlign>({{"alNone", alNone}, {"alTop", alTop}, {"alClient", alClient}}));
    else if (name == "Caption")
        SetCaption(property.AsString());
    else if (name == "Color")
        SetColor(ReadColor(property));
    else if (name == "ParentFont")
        SetParentFont(property.AsBoolean());
    else if (!SetFontProperty(FFont, property))
        return TComponent::SetProperty(property, bindings);
    return true;
}

void TGraphicControl::Invalidate()
{
    TWinControl* parent = Parent();
    if (parent && parent->HandleAllocated()) {
        const RECT bounds = BoundsRect();
        InvalidateRect(parent->Handle(), &bounds, TRUE);
    }
}

namespace {

struct RegisteredClass {
    std::wstring Name;
    WNDPROC DefaultProc;
};
std::vector<RegisteredClass> RegisteredClasses;

// The outermost window procedure call: deferred updates wait for it.
int DispatchDepth = 0;

}  // namespace

TWinControl::TWinControl(TComponent* AOwner) : TControl(AOwner) {}

TWinControl::~TWinControl()
{
    // Owned children first, while this object is still a whole control;
    // then children owned elsewhere lose their parent; then the window.
    DestroyComponents();
    while (!FControls.empty())
        FControls.back()->SetParent(nullptr);
    DestroyHandle();
}

void TWinControl::RegisterWindowClass(const TCreateParams& params)
{
    const std::string ascii = ClassName();
    const std::wstring name(ascii.begin(), ascii.end());
    for (const RegisteredClass& known : RegisteredClasses)
        if (known.Name == name) {
            FDefaultProc = known.DefaultProc;
            return;
        }
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    WNDPROC defaultProc = DefWindowProcW;
    if (params.BaseClass) {
        if (!GetClassInfoExW(nullptr, params.BaseClass, &windowClass))
            throw Exception(L"The system window class " + UnicodeString(params.BaseClass) + L" is missing");
        defaultProc = windowClass.lpfnWndProc;
    } else {
        windowClass.style = CS_HREDRAW | CS_VREDRAW;
        windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    }
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = WindowProcedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = name.c_str();
    windowClass.hbrBackground = nullptr;
    if (!RegisterClassExW(&windowClass))
        throw Exception(L"The window class " + UnicodeString(name.c_str()) + L" cannot be registered");
    RegisteredClasses.push_back({name, defaultProc});
    FDefaultProc = defaultProc;
}

void TWinControl::CreateParams(TCreateParams& params)
{
    if (Parent())
        params.ParentWindow = Parent()->Handle();
}

HWND TWinControl::Handle()
{
    if (!FHandle) {
        TCreateParams params;
        CreateParams(params);
        if ((params.Style & WS_CHILD) && !params.ParentWindow)
            throw Exception(L"The control " + Name + L" has no parent window");
        RegisterWindowClass(params);
        const std::string ascii = ClassName();
        const std::wstring className(ascii.begin(), ascii.end());
        // WM_NCCREATE stores the handle in FHandle.
        CreateWindowExW(params.ExStyle, className.c_str(), Caption().c_str(), params.Style, Left(), Top(), Width(),
                        Height(), params.ParentWindow, nullptr, GetModuleHandleW(nullptr), this);
        if (!FHandle)
            throw Exception(L"The window of " + Name + L" cannot be created");
        CreateWnd();
        CreateChildHandles();
        Realign();
    }
    return FHandle;
}

void TWinControl::CreateWnd() { SendMessageW(FHandle, WM_SETFONT, reinterpret_cast<WPARAM>(Font->Handle()), FALSE); }

void TWinControl::CreateChildHandles()
{
    std::vector<TWinControl*> windowed;
    for (TControl* control : FControls)
        if (auto* child = dynamic_cast<TWinControl*>(control))
            windowed.push_back(child);
    // Windows created in turn stack in turn, which makes the tab order.
    std::stable_sort(windowed.begin(), windowed.end(),
                     [](const TWinControl* a, const TWinControl* b) { return a->FTabOrder < b->FTabOrder; });
    for (TWinControl* child : windowed)
        child->HandleNeeded();
}

void TWinControl::DestroyHandle()
{
    // WM_NCDESTROY clears FHandle.
    if (FHandle)
        DestroyWindow(FHandle);
}

void TWinControl::InsertControl(TControl* control)
{
    FControls.push_back(control);
    auto* child = dynamic_cast<TWinControl*>(control);
    if (child && child->FTabOrder < 0) {
        int count = 0;
        for (TControl* sibling : FControls)
            count += dynamic_cast<TWinControl*>(sibling) != nullptr;
        child->FTabOrder = count - 1;
    }
    if (child && child->HandleAllocated() && HandleAllocated())
        ::SetParent(child->FHandle, FHandle);
    else if (child && child->HandleAllocated())
        child->DestroyHandle();
    control->Invalidate();
}

void TWinControl::RemoveControl(TControl* control)
{
    control->Invalidate();
    if (FMouseControl == control)
        FMouseControl = nullptr;
    FControls.erase(std::remove(FControls.begin(), FControls.end(), control), FControls.end());
}

void TWinControl::SetTabOrder(int tabOrder) { FTabOrder = tabOrder; }

void TWinControl::SetBounds(int left, int top, int width, int height)
{
    TControl::SetBounds(left, top, width, height);
    if (FHandle)
        SetWindowPos(FHandle, nullptr, Left(), Top(), Width(), Height(), SWP_NOZORDER | SWP_NOACTIVATE);
}

void TWinControl::Invalidate()
{
    if (FHandle)
        InvalidateRect(FHandle, nullptr, TRUE);
}

void TWinControl::Realign()
{
    if (!FHandle)
        return;
    RECT area;
    GetClientRect(FHandle, &area);
    for (TControl* control : FControls)
        if (control->Align() == alTop) {
            control->SetBounds(area.left, area.top, area.right - area.left, control->Height());
            area.top += control->Height();
        }
    for (TControl* control : FControls)
        if (control->Align() == alClient)
            control->SetBounds(area.left, area.top, std::max(0L, area.right - area.left),
                               std::max(0L, area.bottom - area.top));
}

HBRUSH TWinControl::Brush() const
{
    if (!FBrush)
        FBrush.reset(CreateSolidBrush(ColorToRGB(Color())));
    return FBrush.get();
}

void TWinControl::CaptionChanged()
{
    if (FHandle)
        SetWindowTextW(FHandle, Caption().c_str());
}

void TWinControl::FontChanged()
{
    if (FHandle)
        SendMessageW(FHandle, WM_SETFONT, reinterpret_cast<WPARAM>(Font->Handle()), TRUE);
    for (TControl* control : FControls)
        if (control->ParentFont())
            control->SetParentFont(true);
    Invalidate();
}

void TWinControl::ColorChanged()
{
    FBrush.reset();
    Invalidate();
}

void TWinControl::ScaleBy(int numerator, int denominator)
{
    TControl::ScaleBy(numerator, denominator);
    for (TControl* control : FControls)
        control->ScaleBy(numerator, denominator);
}

bool TWinControl::SetProperty(const FormPropertyReader& property, const FormBindings& bindings)
{
    if (property.Name() == "TabOrder") {
        SetTabOrder(property.AsInteger());
        return true;
    }
    return TControl::SetProperty(property, bindings);
}

TGraphicControl* TWinControl::GraphicControlAt(POINT point) const
{
    // The last painted is the one on top.
    for (auto it = FControls.rbegin(); it != FControls.rend(); ++it) {
        auto* graphic = dynamic_cast<TGraphicControl*>(*it);
        const RECT bounds = (*it)->BoundsRect();
        if (graphic && PtInRect(&bounds, point))
            return graphic;
    }
    return nullptr;
}

void TWinControl::PaintWindow(HDC, const RECT&) {}

LRESULT TWinControl::OnPaint()
{
    PaintScope paint(FHandle);
    PaintWindow(paint.DC(), paint.Area());
    for (TControl* control : FControls) {
        auto* graphic = dynamic_cast<TGraphicControl*>(control);
        const RECT bounds = control->BoundsRect();
        RECT overlap;
        if (!graphic || !IntersectRect(&overlap, &bounds, &paint.Area()))
            continue;
        const int saved = SaveDC(paint.DC());
        SetViewportOrgEx(paint.DC(), bounds.left, bounds.top, nullptr);
        IntersectClipRect(paint.DC(), 0, 0, control->Width(), control->Height());
        OffsetRect(&overlap, -bounds.left, -bounds.top);
        graphic->Paint(paint.DC(), overlap);
        RestoreDC(paint.DC(), saved);
    }
    return 0;
}

LRESULT TWinControl::OnMouse(UINT message, LPARAM lParam)
{
    const POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    auto local = [&point](const TControl* control) { return POINT{point.x - control->Left(), point.y - control->Top()}; };
    switch (message) {
    case WM_LBUTTONDOWN:
        if (TGraphicControl* control = GraphicControlAt(point)) {
            FMouseControl = control;
            SetCapture(FHandle);
            control->MouseDown(local(control));
        }
        break;
    case WM_MOUSEMOVE:
        if (FMouseControl)
            FMouseControl->MouseMove(local(FMouseControl));
        break;
    case WM_LBUTTONUP:
        // Let go of the capture first: the click may run anything.
        if (TGraphicControl* control = std::exchange(FMouseControl, nullptr)) {
            ReleaseCapture();
            control->MouseUp(local(control));
        }
        break;
    }
    return 0;
}

LRESULT TWinControl::OnControlColor(HDC dc, HWND child)
{
    for (TControl* control : FControls) {
        auto* windowed = dynamic_cast<TWinControl*>(control);
        if (windowed && windowed->FHandle == child) {
            SetTextColor(dc, ColorToRGB(windowed->Font->Color()));
            SetBkColor(dc, ColorToRGB(windowed->Color()));
            return reinterpret_cast<LRESULT>(windowed->Brush());
        }
    }
    return 0;
}

LRESULT TWinControl::WndProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    // A window built on a system class paints itself and keeps the mouse.
    const bool ownFace = FDefaultProc == DefWindowProcW;
    switch (ownFace ? message : WM_NULL) {
    case WM_ERASEBKGND: {
        RECT area;
        GetClientRect(FHandle, &area);
        FillRect(reinterpret_cast<HDC>(wParam), &area, Brush());
        return 1;
    }
    case WM_PAINT:
        return OnPaint();
    case WM_LBUTTONDOWN:
    case WM_MOUSEMOVE:
    case WM_LBUTTONUP:
        if (message == WM_LBUTTONDOWN || FMouseControl)
            return OnMouse(message, lParam);
        break;
    case WM_CAPTURECHANGED:
        if (TGraphicControl* control = std::exchange(FMouseControl, nullptr))
            control->MouseCancel();
        break;
    }
    switch (message) {
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
        if (LRESULT brush = OnControlColor(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam)))
            return brush;
        break;
    case WM_SYSCOLORCHANGE:
        FBrush.reset();
        Invalidate();
        break;
    case WM_WINDOWPOSCHANGED: {
        // Keep the bounds in step with moves and sizes made by the user.
        const auto* position = reinterpret_cast<const WINDOWPOS*>(lParam);
        if (!(position->flags & SWP_NOMOVE)) {
            FLeft = position->x;
            FTop = position->y;
        }
        if (!(position->flags & SWP_NOSIZE)) {
            FWidth = position->cx;
            FHeight = position->cy;
        }
        break;
    }
    case WM_SIZE:
        Realign();
        break;
    }
    return DefaultHandler(message, wParam, lParam);
}

LRESULT TWinControl::DefaultHandler(UINT message, WPARAM wParam, LPARAM lParam)
{
    return CallWindowProcW(FDefaultProc, FHandle, message, wParam, lParam);
}

LRESULT CALLBACK TWinControl::WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept
{
    TWinControl* control;
    if (message == WM_NCCREATE) {
        control = static_cast<TWinControl*>(reinterpret_cast<const CREATESTRUCTW*>(lParam)->lpCreateParams);
        control->FHandle = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(control));
    } else {
        control = reinterpret_cast<TWinControl*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    }
    // Only a top-level window hears anything (WM_GETMINMAXINFO) before
    // WM_NCCREATE, and all of ours take the default handling then.
    if (!control)
        return DefWindowProcW(window, message, wParam, lParam);

    LRESULT result = 0;
    ++DispatchDepth;
    try {
        result = control->WndProc(message, wParam, lParam);
    } catch (const Exception& error) {
        Application->ShowException(error);
    } catch (...) {
        Application->ShowException(Exception(L""));
    }
    --DispatchDepth;
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        control->FHandle = nullptr;
    }
    if (DispatchDepth == 0)
        Application->FlushDeferredUpdates();
    return result;
}
