/* Keeps a Wine desktop in use while the test harness runs.
 *
 * Wine closes a desktop, and ends its explorer.exe, a few seconds after the
 * last process using it has gone; the next program then starts explorer.exe
 * again, and explorer.exe keeps that program's output pipes open until it
 * ends. Started once with its streams on /dev/null, this process holds the
 * desktop (and Wine's services) for the whole run. It owns only a
 * message-only window, which EnumWindows does not report.
 *
 * Argument: a file to create once the desktop is up.
 */
#include <windows.h>

int main(int argc, char** argv)
{
    GetDesktopWindow();
    HWND window = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, NULL, NULL, NULL);
    if (!window)
        return 1;
    if (argc > 1) {
        HANDLE ready = CreateFileA(argv[1], GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
        if (ready == INVALID_HANDLE_VALUE)
            return 2;
        CloseHandle(ready);
    }
    MSG message;
    while (GetMessageA(&message, NULL, 0, 0) > 0)
        DispatchMessageA(&message);
    return 0;
}
