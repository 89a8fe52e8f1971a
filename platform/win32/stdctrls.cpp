#include "platform/win32/stdctrls.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "platform/base/form_bindings.h"
#include "platform/win32/forms.h"

namespace {

UINT AlignmentFlags(TAlignment alignment)
{
    switch (alignment) {
    case taRightJustify:
        return DT_RIGHT;
    case taCenter:
        return DT_CENTER;
    case taLeftJustify:
        break;
    }
    return DT_LEFT;
}

}  // namespace

TLabel::TLabel(TComponent* AOwner) : TGraphicControl(AOwner) {}

void TLabel::SetAlignment(TAlignment alignment)
{
    if (alignment == FAlignment)
        return;
    FAlignment = alignment;
    Invalidate();
}

void TLabel::CaptionChanged()
{
    AdjustBounds();
    Invalidate();
}

void TLabel::FontChanged()
{
    AdjustBounds();
    Invalidate();
}

void TLabel::Loaded() { AdjustBounds(); }

void TLabel::AdjustBounds()
{
    if (Loading())
        return;
    WindowDC screen(nullptr);
    SelectScope font(screen.DC(), Font->Handle());
    // An empty label keeps the height of a line.
    const UnicodeString text = Caption().IsEmpty() ? UnicodeString(L" ") : Caption();
    RECT extent{0, 0, 0, 0};
    DrawTextW(screen.DC(), text.c_str(), static_cast<int>(text.Length()), &extent,
              DT_CALCRECT | DT_EXPANDTABS | DT_NOPREFIX);
    const int width = extent.right - extent.left;
    int left = Left();
    if (FAlignment == taRightJustify)
        left += Width() - width;
    else if (FAlignment == taCenter)
        left += (Width() - width) / 2;
    SetBounds(left, Top(), width, extent.bottom - extent.top);
}

void TLabel::Paint(HDC dc, const RECT&)
{
    SelectScope font(dc, Font->Handle());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, ColorToRGB(Font->Color()));
    RECT bounds{0, 0, Width(), Height()};
    DrawTextW(dc, Caption().c_str(), static_cast<int>(Caption().Length()), &bounds,
              DT_EXPANDTABS | DT_NOPREFIX | AlignmentFlags(FAlignment));
}

bool TLabel::SetProperty(const FormPropertyReader& property, const FormBindings& bindings)
{
    if (property.Name() == "Alignment") {
        SetAlignment(property.AsEnum<TAlignment>(
            {{"taLeftJustify", taLeftJustify}, {"taRightJustify", taRightJustify}, {"taCenter", taCenter}}));
        return true;
    }
    return TGraphicControl::SetProperty(property, bindings);
}

void TSpeedButton::Click()
{
    if (OnClick)
        OnClick(this);
}

bool TSpeedButton::Contains(POINT point) const
{
    return point.x >= 0 && point.y >= 0 && point.x < Width() && point.y < Height();
}

void TSpeedButton::SetDrawnDown(bool down)
{
    if (down == FDrawnDown)
        return;
    FDrawnDown = down;
    Invalidate();
}

void TSpeedButton::MouseDown(POINT)
{
    FTracking = true;
    SetDrawnDown(true);
}

void TSpeedButton::MouseMove(POINT point)
{
    if (FTracking)
        SetDrawnDown(Contains(point));
}

void TSpeedButton::MouseUp(POINT point)
{
    if (!FTracking)
        return;
    FTracking = false;
    SetDrawnDown(false);
    if (Contains(point))
        Click();
}

void TSpeedButton::MouseCancel()
{
    FTracking = false;
    SetDrawnDown(false);
}

void TSpeedButton::Paint(HDC dc, const RECT&)
{
    RECT face{0, 0, Width(), Height()};
    FillRect(dc, &face, GetSysColorBrush(COLOR_BTNFACE));
    DrawEdge(dc, &face, FDrawnDown ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT | BF_ADJUST);
    if (FDrawnDown)
        OffsetRect(&face, 1, 1);
    SelectScope font(dc, Font->Handle());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, ColorToRGB(Font->Color()));
    DrawTextW(dc, Caption().c_str(), static_cast<int>(Caption().Length()), &face,
              DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

bool TSpeedButton::SetProperty(const FormPropertyReader& property, const FormBindings& bindings)
{
    if (property.Name() == "OnClick") {
        OnClick = bindings.FindHandler(property);
        return true;
    }
    return TGraphicControl::SetProperty(property, bindings);
}

void TPanel::SetBevelOuter(TBevelCut bevel)
{
    if (bevel == FBevelOuter)
        return;
    FBevelOuter = bevel;
    Invalidate();
}

void TPanel::PaintWindow(HDC dc, const RECT&)
{
    RECT bounds{0, 0, Width(), Height()};
    if (FBevelOuter != bvNone)
        DrawEdge(dc, &bounds, FBevelOuter == bvRaised ? BDR_RAISEDOUTER : BDR_SUNKENOUTER, BF_RECT | BF_ADJUST);
    if (!Caption().IsEmpty()) {
        SelectScope font(dc, Font->Handle());
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, ColorToRGB(Font->Color()));
        DrawTextW(dc, Caption().c_str(), static_cast<int>(Caption().Length()), &bounds,
                  DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    }
}

bool TPanel::SetProperty(const FormPropertyReader& property, const FormBindings& bindings)
{
    if (property.Name() == "BevelOuter") {
        SetBevelOuter(
            property.AsEnum<TBevelCut>({{"bvNone", bvNone}, {"bvLowered", bvLowered}, {"bvRaised", bvRaised}}));
        return true;
    }
    return TWinControl::SetProperty(property, bindings);
}

void TMemoLines::Defer()
{
    if (!FDeferred) {
        FDeferred = true;
        Application->DeferUpdate(this);
    }
}

void TMemoLines::Clear()
{
    FPending.clear();
    FReplace = true;
    Defer();
}

void TMemoLines::Add(const UnicodeString& line)
{
    FPending.append(line.c_str(), line.Length());
    FPending += L"\r\n";
    Defer();
}

void TMemoLines::Flush()
{
    if (!FDeferred)
        return;
    Application->CancelDeferredUpdate(this);
    FDeferred = false;
    std::wstring text;
    text.swap(FPending);
    const bool replace = std::exchange(FReplace, false);
    const HWND edit = FMemo.Handle();
    const int length = GetWindowTextLengthW(edit);
    if (replace || length == 0) {
        SetWindowTextW(edit, text.c_str());
    } else {
        // Text typed by the user may leave its last line open.
        const LRESULT lastLine = SendMessageW(edit, EM_GETLINECOUNT, 0, 0) - 1;
        const LRESULT lastStart = SendMessageW(edit, EM_LINEINDEX, static_cast<WPARAM>(lastLine), 0);
        if (SendMessageW(edit, EM_LINELENGTH, static_cast<WPARAM>(lastStart), 0) > 0)
            text.insert(0, L"\r\n");
        SendMessageW(edit, EM_SETSEL, static_cast<WPARAM>(length), length);
        SendMessageW(edit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
    }
    // Where adding line by line would leave the caret: after the last line.
    const int end = GetWindowTextLengthW(edit);
    SendMessageW(edit, EM_SETSEL, static_cast<WPARAM>(end), end);
    SendMessageW(edit, EM_SCROLLCARET, 0, 0);
}

int TMemoLines::Count() const
{
    const_cast<TMemoLines*>(this)->Flush();
    const HWND edit = FMemo.Handle();
    // The control always has a last line; an empty one is not a line of
    // the list, only where the next would start.
    LRESULT lines = SendMessageW(edit, EM_GETLINECOUNT, 0, 0);
    const LRESULT lastStart = SendMessageW(edit, EM_LINEINDEX, static_cast<WPARAM>(lines - 1), 0);
    if (SendMessageW(edit, EM_LINELENGTH, static_cast<WPARAM>(lastStart), 0) == 0)
        --lines;
    return static_cast<int>(lines);
}

UnicodeString TMemoLines::Strings(int index) const
{
    if (index < 0 || index >= Count())
        throw Exception(L"List index out of bounds (" + IntToStr(index) + L")");
    const HWND edit = FMemo.Handle();
    const LRESULT start = SendMessageW(edit, EM_LINEINDEX, static_cast<WPARAM>(index), 0);
    const auto length = static_cast<std::size_t>(SendMessageW(edit, EM_LINELENGTH, static_cast<WPARAM>(start), 0));
    if (length < 0xFFFF) {
        // EM_GETLINE takes the buffer's size in its first character.
        std::vector<wchar_t> buffer(std::max<std::size_t>(length, 1) + 1);
        buffer[0] = static_cast<wchar_t>(buffer.size());
        const LRESULT copied =
            SendMessageW(edit, EM_GETLINE, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(buffer.data()));
        return UnicodeString(buffer.data(), static_cast<std::size_t>(std::min<LRESULT>(copied, length)));
    }
    const UnicodeString text = Text();
    return UnicodeString(text.c_str() + start, length);
}

UnicodeString TMemoLines::Text() const
{
    const_cast<TMemoLines*>(this)->Flush();
    const HWND edit = FMemo.Handle();
    std::vector<wchar_t> buffer(static_cast<std::size_t>(GetWindowTextLengthW(edit)) + 1);
    const int copied = GetWindowTextW(edit, buffer.data(), static_cast<int>(buffer.size()));
    return UnicodeString(buffer.data(), static_cast<std::size_t>(std::max(copied, 0)));
}

TMemo::TMemo(TComponent* AOwner) : TWinControl(AOwner), Lines(&FLines), FLines(*this)
{
    FTabStop = true;
    SetColor(clWindow);
}

TMemo::~TMemo() { Application->CancelDeferredUpdate(&FLines); }

void TMemo::SetScrollBars(TScrollStyle scrollBars) { FScrollBars = scrollBars; }

void TMemo::SetReadOnly(bool readOnly)
{
    FReadOnly = readOnly;
    if (HandleAllocated())
        SendMessageW(Handle(), EM_SETREADONLY, readOnly, 0);
}

void TMemo::CreateParams(TCreateParams& params)
{
    TWinControl::CreateParams(params);
    params.BaseClass = L"EDIT";
    params.Style |= WS_TABSTOP | ES_MULTILINE | ES_WANTRETURN | ES_AUTOVSCROLL;
    if (FScrollBars == ssHorizontal || FScrollBars == ssBoth)
        params.Style |= WS_HSCROLL | ES_AUTOHSCROLL;
    if (FScrollBars == ssVertical || FScrollBars == ssBoth)
        params.Style |= WS_VSCROLL;
    if (FReadOnly)
        params.Style |= ES_READONLY;
    params.ExStyle |= WS_EX_CLIENTEDGE;
}

void TMemo::CreateWnd()
{
    TWinControl::CreateWnd();
    // The control's default limit of 30,000 characters would cut a long
    // listing without a word; 0 lifts it to the largest the control takes.
    SendMessageW(Handle(), EM_SETLIMITTEXT, 0, 0);
}

bool TMemo::SetProperty(const FormPropertyReader& property, const FormBindings& bindings)
{
    if (property.Name() == "ScrollBars")
        SetScrollBars(property.AsEnum<TScrollStyle>(
            {{"ssNone", ssNone}, {"ssHorizontal", ssHorizontal}, {"ssVertical", ssVertical}, {"ssBoth", ssBoth}}));
    else if (property.Name() == "ReadOnly")
        SetReadOnly(property.AsBoolean());
    else
        return TWinControl::SetProperty(property, bindings);
    return true;
}
