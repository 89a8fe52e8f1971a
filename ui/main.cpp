#include <windows.h>

#include "ui/F01.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    try {
        Application->Initialize();
        Application->MainFormOnTaskBar = true;
        Application->CreateForm(&FQelt);
        Application->Run();
    } catch (const Exception& exception) {
        Application->ShowException(exception);
    } catch (...) {
        // Whatever was thrown, the user sees an error box, not a crash.
        try {
            throw Exception(L"");
        } catch (const Exception& exception) {
            Application->ShowException(exception);
        }
    }
    return 0;
}
