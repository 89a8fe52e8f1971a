#include "platform/win32/forms.h"

#include <string>

namespace {

struct ControlClass {
    const char* Name;
    TControl* (*Create)(TComponent* owner);
};

template <class Control>
TControl* CreateControl(TComponent* owner)
{
    return new Control(owner);
}

// The classes a form definition may name.
constexpr ControlClass ControlClasses[] = {
    {"TPanel", CreateControl<TPanel>},
    {"TMemo", CreateControl<TMemo>},
    {"TSpeedButton", CreateControl<TSpeedButton>},
    {"TLabel", CreateControl<TLabel>},
};

std::wstring Widen(const char* ascii)
{
    const std::string text(ascii);
    return std::wstring(text.begin(), text.end());
}

}  // namespace

// Builds a form's components from its definition.
class FormLoader {
public:
    FormLoader(TForm& form, FormBindings& bindings) : FForm(form), FBindings(bindings) {}

    void Load(const FormObject& root)
    {
        if (root.ClassName != FForm.ClassName())
            Fail(root.Line, "the definition is of " + root.ClassName + ", the form of " + FForm.ClassName());
        FForm.Name = UnicodeString::FromUtf8(root.Name);
        Apply(FForm, root);
        FBindings.CheckAllBound(root.Line);
        for (TComponent* component : FLoaded) {
            component->FLoading = false;
            component->Loaded();
        }
    }

private:
    [[noreturn]] void Fail(int line, const std::string& problem)
    {
        throw EFormDefinitionError(FBindings.Source(), line, problem);
    }

    void Apply(TComponent& component, const FormObject& object)
    {
        component.FLoading = true;
        FLoaded.push_back(&component);
        for (const FormProperty& property : object.Properties) {
            const FormPropertyReader reader(property, FBindings.Source());
            if (!component.SetProperty(reader, FBindings))
                Fail(property.Line, std::string(component.ClassName()) + " has no property " + property.Name);
        }
        for (const FormObject& child : object.Children)
            LoadChild(component, child);
    }

    void LoadChild(TComponent& parent, const FormObject& object)
    {
        auto* parentControl = dynamic_cast<TWinControl*>(&parent);
        if (!parentControl)
            Fail(object.Line, std::string(parent.ClassName()) + " cannot hold other controls");
        const ControlClass* controlClass = nullptr;
        for (const ControlClass& known : ControlClasses)
            if (object.ClassName == known.Name)
                controlClass = &known;
        if (!controlClass)
            Fail(object.Line, "unknown class " + object.ClassName);
        const UnicodeString name = UnicodeString::FromUtf8(object.Name);
        if (FForm.FindComponent(name) || SameText(name, FForm.Name))
            Fail(object.Line, "a second component named " + object.Name);
        // Owned by the form from here on, whatever fails next.
        TControl* control = controlClass->Create(&FForm);
        control->Name = name;
        FBindings.BindField(object.Name, control, object.Line);
        control->SetParent(parentControl);
        Apply(*control, object);
    }

    TForm& FForm;
    FormBindings& FBindings;
    std::vector<TComponent*> FLoaded;
};

TForm::TForm(TComponent* AOwner) : TWinControl(AOwner) {}

TForm::~TForm() { Application->FormGone(this); }

void TForm::LoadFromResource()
{
    const std::wstring name = Widen(ClassName());
    const HMODULE module = GetModuleHandleW(nullptr);
    HRSRC resource = FindResourceW(module, name.c_str(), MAKEINTRESOURCEW(10) /* RT_RCDATA */);
    HGLOBAL data = resource ? LoadResource(module, resource) : nullptr;
    const void* bytes = data ? LockResource(data) : nullptr;
    if (!bytes)
        throw Exception(L"The form definition of " + UnicodeString(name.c_str()) + L" is missing");
    const std::string source = std::string(ClassName()) + " form definition";
    LoadFromDefinition(std::string_view(static_cast<const char*>(bytes), SizeofResource(module, resource)), source);
}

void TForm::LoadFromDefinition(std::string_view text, std::string_view source)
{
    const FormObject root = ReadFormDefinition(text, source);
    FormBindings bindings(source);
    DeclareBindings(bindings);
    FormLoader(*this, bindings).Load(root);
    if (Scaled) {
        WindowDC screen(nullptr);
        const int screenDensity = GetDeviceCaps(screen.DC(), LOGPIXELSY);
        if (screenDensity != PixelsPerInch && PixelsPerInch > 0) {
            const int clientWidth = MulDiv(ClientWidth(), screenDensity, PixelsPerInch);
            const int clientHeight = MulDiv(ClientHeight(), screenDensity, PixelsPerInch);
            for (int i = 0; i < ControlCount(); ++i)
                Controls(i)->ScaleBy(screenDensity, PixelsPerInch);
            Font->SetHeight(MulDiv(Font->Height(), screenDensity, PixelsPerInch));
            SetClientWidth(clientWidth);
            SetClientHeight(clientHeight);
        }
    }
    HandleNeeded();
    if (OnCreate)
        OnCreate(this);
    // What OnCreate put in the controls is in place before the form shows.
    Application->FlushDeferredUpdates();
}

DWORD TForm::FrameStyle() const { return WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN; }

DWORD TForm::FrameExStyle() const
{
    const bool mainForm = !Application->MainForm() || Application->MainForm() == this;
    return Application->MainFormOnTaskBar && mainForm ? WS_EX_APPWINDOW : 0;
}

SIZE TForm::FrameSize(int clientWidth, int clientHeight) const
{
    RECT frame{0, 0, clientWidth, clientHeight};
    AdjustWindowRectEx(&frame, FrameStyle(), FALSE, FrameExStyle());
    return {frame.right - frame.left, frame.bottom - frame.top};
}

int TForm::ClientWidth() const
{
    if (HandleAllocated()) {
        RECT client;
        GetClientRect(const_cast<TForm*>(this)->Handle(), &client);
        return client.right;
    }
    return Width() - (FrameSize(0, 0).cx);
}

int TForm::ClientHeight() const
{
    if (HandleAllocated()) {
        RECT client;
        GetClientRect(const_cast<TForm*>(this)->Handle(), &client);
        return client.bottom;
    }
    return Height() - (FrameSize(0, 0).cy);
}

void TForm::SetClientWidth(int width) { SetBounds(Left(), Top(), FrameSize(width, 0).cx, Height()); }

void TForm::SetClientHeight(int height) { SetBounds(Left(), Top(), Width(), FrameSize(0, height).cy); }

void TForm::CreateParams(TCreateParams& params)
{
    params.Style = FrameStyle();
    params.ExStyle = FrameExStyle();
    params.ParentWindow = nullptr;
}

void TForm::CreateWnd()
{
    TWinControl::CreateWnd();
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    // Shared icons belong to the system; nothing to free.
    if (HANDLE icon = LoadImageW(instance, L"MAINICON", IMAGE_ICON, GetSystemMetrics(SM_CXICON),
                                 GetSystemMetrics(SM_CYICON), LR_SHARED))
        SendMessageW(Handle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    if (HANDLE icon = LoadImageW(instance, L"MAINICON", IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                 GetSystemMetrics(SM_CYSMICON), LR_SHARED))
        SendMessageW(Handle(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
}

void TForm::Center()
{
    SetBounds((GetSystemMetrics(SM_CXSCREEN) - Width()) / 2, (GetSystemMetrics(SM_CYSCREEN) - Height()) / 2,
              Width(), Height());
}

void TForm::Show()
{
    HandleNeeded();
    const bool first = !FShownOnce;
    if (first && Position == poScreenCenter)
        Center();
    FShownOnce = true;
    // The main form's first showing follows how the program was started.
    ShowWindow(Handle(), first && Application->MainForm() == this ? SW_SHOWDEFAULT : SW_SHOW);
    SetForegroundWindow(Handle());
}

void TForm::Close()
{
    if (Application->MainForm() == this)
        Application->Terminate();
    ShowWindow(Handle(), SW_HIDE);
}

void TForm::FocusFirstControl()
{
    if (FFocusedChild && IsWindow(FFocusedChild) && IsChild(Handle(), FFocusedChild)) {
        SetFocus(FFocusedChild);
        return;
    }
    // The first keyboard stop in tab order, looking into nested controls.
    if (HWND first = GetNextDlgTabItem(Handle(), nullptr, FALSE))
        SetFocus(first);
}

LRESULT TForm::WndProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CLOSE:
        Close();
        return 0;
    case WM_ACTIVATE:
        if (LOWORD(wParam) == WA_INACTIVE) {
            HWND focused = GetFocus();
            if (focused && IsChild(Handle(), focused))
                FFocusedChild = focused;
        }
        break;
    case WM_SETFOCUS:
        FocusFirstControl();
        return 0;
    case WM_DESTROY:
        if (Application->MainForm() == this)
            Application->Terminate();
        break;
    }
    return TWinControl::WndProc(message, wParam, lParam);
}

bool TForm::SetProperty(const FormPropertyReader& property, const FormBindings& bindings)
{
    const std::string& name = property.Name();
    if (name == "ClientWidth")
        SetClientWidth(property.AsInteger());
    else if (name == "ClientHeight")
        SetClientHeight(property.AsInteger());
    else if (name == "Position")
        Position = property.AsEnum<TPosition>({{"poDesigned", poDesigned}, {"poScreenCenter", poScreenCenter}});
    else if (name == "Scaled")
        Scaled = property.AsBoolean();
    else if (name == "PixelsPerInch")
        PixelsPerInch = property.AsInteger();
    else if (name == "OldCreateOrder") {
        // OnCreate always fires once everything is loaded.
        if (property.AsBoolean())
            property.Fail("OldCreateOrder True is not supported: OnCreate fires after loading");
    } else if (name == "OnCreate")
        OnCreate = bindings.FindHandler(property);
    else
        return TWinControl::SetProperty(property, bindings);
    return true;
}

namespace {

UnicodeString ModuleTitle()
{
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring name(path, length < MAX_PATH ? length : 0);
    name.erase(0, name.find_last_of(L"\\/") + 1);
    const auto dot = name.find_last_of(L'.');
    if (dot != std::wstring::npos)
        name.erase(dot);
    return UnicodeString(name.c_str());
}

void ShowErrorBox(HWND owner, const UnicodeString& message, const UnicodeString& title) noexcept
{
    MessageBoxW(owner, message.c_str(), title.c_str(), MB_OK | MB_ICONERROR);
}

TApplication TheApplication;

}  // namespace

TApplication* Application = &TheApplication;

TApplication::TApplication() : TComponent(nullptr), Title(ModuleTitle()) {}

TApplication::~TApplication()
{
    FMainForm = nullptr;
    DestroyComponents();
}

void TApplication::Initialize()
{
    // No DLL is ever looked for in the current directory, and, where the
    // system allows it, only in the system directory.
    SetDllDirectoryW(L"");
    using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);
    if (HMODULE kernel = GetModuleHandleW(L"kernel32.dll"))
        if (auto setDefault = reinterpret_cast<SetDefaultDllDirectoriesFunction>(
                reinterpret_cast<void*>(GetProcAddress(kernel, "SetDefaultDllDirectories"))))
            setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

void TApplication::Run()
{
    if (!FMainForm)
        return;
    FMainForm->Show();
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

void TApplication::Terminate() { PostQuitMessage(0); }

void TApplication::FormGone(TForm* form)
{
    if (FMainForm == form)
        FMainForm = nullptr;
}

void TApplication::ShowException(const Exception& error) noexcept
{
    FlushDeferredUpdates();
    HWND owner = FMainForm && FMainForm->HandleAllocated() && IsWindowVisible(FMainForm->Handle())
                     ? FMainForm->Handle()
                     : nullptr;
    ShowErrorBox(owner, error.Message(), Title);
}

void TApplication::DeferUpdate(TMemoLines* lines) { FDeferred.push_back(lines); }

void TApplication::CancelDeferredUpdate(TMemoLines* lines) { std::erase(FDeferred, lines); }

void TApplication::FlushDeferredUpdates() noexcept
{
    while (!FDeferred.empty()) {
        TMemoLines* lines = FDeferred.back();
        FDeferred.pop_back();
        try {
            lines->Flush();
        } catch (const Exception& error) {
            ShowErrorBox(nullptr, error.Message(), Title);
        } catch (...) {
            ShowErrorBox(nullptr, UnicodeString(), Title);
        }
    }
}
