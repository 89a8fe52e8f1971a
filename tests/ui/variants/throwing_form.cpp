// The main form unit of a test build of the program whose OnCreate throws
// something that is not an Exception: only the entry's last catch stops
// it. It stands in for ui/F01.cpp; the listing code links as it is.
#include "ui/F01.h"

TFQelt* FQelt = nullptr;

TFQelt::TFQelt(TComponent* Owner) : TForm(Owner) {}

void TFQelt::DeclareBindings(FormBindings& bindings) { bindings.Handler("FormCreate", this, &TFQelt::FormCreate); }

void TFQelt::FormCreate(TObject*) { throw 42; }
