#pragma once

#include <windows.h>

#include "platform/win32/forms.h"

// The main window: a tool strip with the count, the column header and the
// two mode buttons, over the listing of the desktop's top-level windows.
class TFQelt : public TForm {
public:
    // The most windows one snapshot holds; any further ones are dropped.
    static constexpr int MaxWindows = 500;

    explicit TFQelt(TComponent* Owner);
    const char* ClassName() const override { return "TFQelt"; }

    TPanel* Panel1 = nullptr;
    TMemo* Memo1 = nullptr;
    TSpeedButton* SpeedButton1 = nullptr;
    TSpeedButton* SpeedButton2 = nullptr;
    TLabel* Label1 = nullptr;
    TLabel* Label2 = nullptr;

    // The snapshot: the windows listed, in the order the window manager
    // reported them, and whether hidden ones were left out.
    int WindowCount = 0;
    HWND WindowList[MaxWindows] = {};
    int VisibleOnly = 0;

    void FormCreate(TObject* Sender);
    // The refresh: the sender's Tag picks the mode.
    void SpeedButtonClick(TObject* Sender);
    void ListWindows();

protected:
    void DeclareBindings(FormBindings& bindings) override;
};

extern TFQelt* FQelt;

// Takes one top-level window into FQelt's snapshot, or passes it over.
BOOL CALLBACK CollectWindowProc(HWND window, LPARAM unused) noexcept;
