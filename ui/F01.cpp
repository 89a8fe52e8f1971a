#include "ui/F01.h"

TFQelt* FQelt = nullptr;

TFQelt::TFQelt(TComponent* Owner) : TForm(Owner) {}

void TFQelt::DeclareBindings(FormBindings& bindings)
{
    bindings.Field("Panel1", Panel1);
    bindings.Field("Memo1", Memo1);
    bindings.Field("SpeedButton1", SpeedButton1);
    bindings.Field("SpeedButton2", SpeedButton2);
    bindings.Field("Label1", Label1);
    bindings.Field("Label2", Label2);
    bindings.Handler("FormCreate", this, &TFQelt::FormCreate);
    bindings.Handler("SpeedButtonClick", this, &TFQelt::SpeedButtonClick);
}

// The form's own Tag is 0: the window opens on the visible windows.
void TFQelt::FormCreate(TObject* Sender) { SpeedButtonClick(Sender); }
