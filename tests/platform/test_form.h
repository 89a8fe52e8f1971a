#pragma once

#include <functional>
#include <string>

#include "platform/win32/forms.h"

// A small form of every control kind, loaded from text in the tests.
class TTestForm : public TForm {
public:
    using TForm::TForm;
    const char* ClassName() const override { return "TTestForm"; }

    TPanel* Panel1 = nullptr;
    TSpeedButton* Button1 = nullptr;
    TSpeedButton* Button2 = nullptr;
    TLabel* Label1 = nullptr;
    TMemo* Memo1 = nullptr;

    int Clicks = 0;
    TObject* LastSender = nullptr;
    std::function<void()> OnButton;

    void ButtonClick(TObject* Sender)
    {
        ++Clicks;
        LastSender = Sender;
        if (OnButton)
            OnButton();
    }

protected:
    void DeclareBindings(FormBindings& bindings) override
    {
        bindings.Field("Panel1", Panel1);
        bindings.Field("Button1", Button1);
        bindings.Field("Button2", Button2);
        bindings.Field("Label1", Label1);
        bindings.Field("Memo1", Memo1);
        bindings.Handler("ButtonClick", this, &TTestForm::ButtonClick);
    }
};

inline const char* const TestFormDefinition = R"(// every kind of control
object TestForm: TTestForm
  Caption = "Platform test"
  ClientWidth = 400
  ClientHeight = 300
  Color = clBtnFace
  Font.Name = "Tahoma"
  Font.Height = -13
  object Panel1: TPanel
    Left = 0
    Top = 0
    Width = 400
    Height = 30
    Align = alTop
    BevelOuter = bvNone
    TabOrder = 0
    object Button1: TSpeedButton
      Tag = 1
      Left = 10
      Top = 4
      Width = 80
      Height = 22
      Caption = "One"
      OnClick = ButtonClick
    end
    object Button2: TSpeedButton
      Tag = 2
      Left = 100
      Top = 4
      Width = 80
      Height = 22
      Caption = "Two"
      OnClick = ButtonClick
    end
    object Label1: TLabel
      Left = 300
      Top = 6
      Width = 40
      Height = 16
      Alignment = taRightJustify
      Caption = "Label1"
    end
  end
  object Memo1: TMemo
    Left = 0
    Top = 30
    Width = 400
    Height = 270
    Align = alClient
    ScrollBars = ssBoth
    TabOrder = 1
  end
end
)";

// Loads the test form, or a variant with one line replaced.
inline TTestForm* LoadTestForm(const std::string& text = TestFormDefinition)
{
    auto* form = new TTestForm(Application);
    try {
        form->LoadFromDefinition(text, "test form");
    } catch (...) {
        delete form;
        throw;
    }
    return form;
}

// Runs the thread's messages until none is waiting.
inline void PumpMessages()
{
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}
