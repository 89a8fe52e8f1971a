/* Looks at a running program's windows from inside its Wine world, for
 * tools/run.sh.
 *
 *   window-probe wait-form CLASS SECONDS  until a top-level window of CLASS
 *                                         is visible
 *   window-probe wait CLASS SECONDS       until it holds a listing; prints it
 *   window-probe click CLASS CHILD X Y    presses the left button at X,Y of
 *                                         its first CHILD-class child
 *   window-probe close CLASS              posts WM_CLOSE to it
 *
 * A listing is text with a line "HANDLE [Class] Title" in one of the
 * window's descendants (the main form's memo).
 */
#include <windows.h>
#include <ctype.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static int IsListingLine(const char* line, size_t length)
{
    size_t i = 0;
    while (i < length && isxdigit((unsigned char)line[i]))
        ++i;
    if (i < 4 || i + 1 >= length || line[i] != ' ' || line[i + 1] != '[')
        return 0;
    return memchr(line + i, ']', length - i) != NULL;
}

static int CountListingLines(const char* text)
{
    int lines = 0;
    for (const char* start = text; *start;) {
        const char* end = strpbrk(start, "\r\n");
        const size_t length = end ? (size_t)(end - start) : strlen(start);
        lines += IsListingLine(start, length);
        start += length;
        while (*start == '\r' || *start == '\n')
            ++start;
    }
    return lines;
}

static struct {
    int Lines;
    char Text[65536];
} Found;

static BOOL CALLBACK ReadChild(HWND child, LPARAM unused)
{
    (void)unused;
    static char text[sizeof Found.Text];
    text[0] = 0;
    SendMessageTimeoutA(child, WM_GETTEXT, sizeof text, (LPARAM)text, SMTO_ABORTIFHUNG, 2000, NULL);
    const int lines = CountListingLines(text);
    if (lines > Found.Lines) {
        Found.Lines = lines;
        memcpy(Found.Text, text, sizeof text);
    }
    return TRUE;
}

static HWND VisibleWindow(const char* windowClass)
{
    for (HWND window = FindWindowExA(NULL, NULL, windowClass, NULL); window;
         window = FindWindowExA(NULL, window, windowClass, NULL))
        if (IsWindowVisible(window))
            return window;
    return NULL;
}

static int Wait(const char* windowClass, int seconds, int listing)
{
    const DWORD limit = (DWORD)seconds * 1000;
    for (DWORD start = GetTickCount(); GetTickCount() - start < limit; Sleep(200)) {
        const HWND window = VisibleWindow(windowClass);
        if (!window)
            continue;
        if (!listing)
            return 0;
        Found.Lines = 0;
        EnumChildWindows(window, ReadChild, 0);
        if (Found.Lines > 0) {
            // Painted through before anyone takes a picture.
            RedrawWindow(window, NULL, NULL, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
            SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 2000, NULL);
            printf("%s lists %d windows:\n%s\n", windowClass, Found.Lines, Found.Text);
            return 0;
        }
    }
    fprintf(stderr, "no visible %s window%s after %d s\n", windowClass, listing ? " with a listing" : "", seconds);
    return 1;
}

int main(int argc, char** argv)
{
    if (argc >= 4 && strcmp(argv[1], "wait-form") == 0)
        return Wait(argv[2], atoi(argv[3]), 0);
    if (argc >= 4 && strcmp(argv[1], "wait") == 0)
        return Wait(argv[2], atoi(argv[3]), 1);
    if (argc == 6 && strcmp(argv[1], "click") == 0) {
        const HWND window = VisibleWindow(argv[2]);
        const HWND child = window ? FindWindowExA(window, NULL, argv[3], NULL) : NULL;
        if (!child) {
            fprintf(stderr, "no visible %s window with a %s child\n", argv[2], argv[3]);
            return 1;
        }
        const LPARAM point = MAKELPARAM(atoi(argv[4]), atoi(argv[5]));
        PostMessageA(child, WM_MOUSEMOVE, 0, point);
        PostMessageA(child, WM_LBUTTONDOWN, MK_LBUTTON, point);
        PostMessageA(child, WM_LBUTTONUP, 0, point);
        return 0;
    }
    if (argc == 3 && strcmp(argv[1], "close") == 0) {
        int closed = 0;
        for (HWND window = FindWindowExA(NULL, NULL, argv[2], NULL); window;
             window = FindWindowExA(NULL, window, argv[2], NULL)) {
            PostMessageA(window, WM_CLOSE, 0, 0);
            ++closed;
        }
        return closed ? 0 : 1;
    }
    fprintf(stderr, "usage: window-probe wait-form|wait CLASS SECONDS | click CLASS CHILD X Y | close CLASS\n");
    return 2;
}
