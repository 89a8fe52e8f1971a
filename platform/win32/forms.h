#pragma once

#include <memory>
#include <string_view>
#include <vector>

#include "platform/base/exception.h"
#include "platform/base/form_bindings.h"
#include "platform/win32/stdctrls.h"

enum TPosition { poDesigned, poScreenCenter };

// A top-level window built from a stored form definition. A form class
// names its definition by its class name, and declares in
// DeclareBindings() the fields and handlers the definition may name.
class TForm : public TWinControl {
public:
    explicit TForm(TComponent* AOwner);
    ~TForm() override;
    const char* ClassName() const override { return "TForm"; }

    // Reads the definition stored under the class name among the
    // executable's resources, creates the window and its controls, and
    // fires OnCreate.
    void LoadFromResource();
    // The same, from the definition's text; `source` names it in messages.
    void LoadFromDefinition(std::string_view text, std::string_view source);

    void Show();
    void Close();

    int ClientWidth() const;
    int ClientHeight() const;
    void SetClientWidth(int width);
    void SetClientHeight(int height);

    TPosition Position = poDesigned;
    // Whether the form is resized to the screen's pixel density at load,
    // from the density it was designed at.
    bool Scaled = true;
    int PixelsPerInch = 96;

    TNotifyEvent OnCreate;

    bool SetProperty(const FormPropertyReader& property, const FormBindings& bindings) override;

protected:
    virtual void DeclareBindings(FormBindings&) {}
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    friend class FormLoader;

    DWORD FrameStyle() const;
    DWORD FrameExStyle() const;
    // The outer size for a client area of the given size.
    SIZE FrameSize(int clientWidth, int clientHeight) const;
    void Center();
    void FocusFirstControl();

    bool FShownOnce = false;
    HWND FFocusedChild = nullptr;
};

class TMemoLines;

class TApplication : public TComponent {
public:
    TApplication();
    ~TApplication() override;
    const char* ClassName() const override { return "TApplication"; }

    // Finishes the platform's start-up: the search for DLLs is confined to
    // the system directory.
    void Initialize();

    // The main form carries the taskbar button itself.
    bool MainFormOnTaskBar = false;

    // Creates a form of the given class owned by the application, storing
    // it in *reference before its OnCreate runs. The first form created is
    // the main form.
    template <class Form>
    void CreateForm(Form** reference)
    {
        auto form = std::make_unique<Form>(this);
        *reference = form.get();
        try {
            form->LoadFromResource();
        } catch (...) {
            *reference = nullptr;
            throw;
        }
        if (!FMainForm)
            FMainForm = form.get();
        form.release();
    }

    TForm* MainForm() const { return FMainForm; }

    // Shows the main form and dispatches messages until it closes.
    void Run();
    void Terminate();

    // Shows the exception's message in an error box.
    void ShowException(const Exception& error) noexcept;

    UnicodeString Title;

    // Lines of a memo waiting to be handed to its control; handed over as
    // the outermost window procedure returns, before the message loop
    // sees another message.
    void DeferUpdate(TMemoLines* lines);
    void CancelDeferredUpdate(TMemoLines* lines);
    void FlushDeferredUpdates() noexcept;

private:
    friend class TForm;
    void FormGone(TForm* form);

    TForm* FMainForm = nullptr;
    std::vector<TMemoLines*> FDeferred;
};

extern TApplication* Application;
