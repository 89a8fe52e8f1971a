/* Looks at a running program's windows from inside its Wine world, for
 * tools/run.sh.
 *
 *   window-probe wait CLASS SECONDS   until a visible top-level window of
 *                                     CLASS holds a listing; prints it
 *   window-probe close CLASS          posts WM_CLOSE to those windows
 *
 * A listing is text with a line "HANDLE [Class] Title" in one of the
 * window's descendants (the main form's memo).
 */
#include <windows.h>
#include <ctype.h>
#include <stdio.h>
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

struct Search {
    int Lines;
    char Text[65536];
};

static BOOL CALLBACK ReadChild(HWND child, LPARAM data)
{
    struct Search* search = (struct Search*)data;
    char text[sizeof search->Text];
    text[0] = 0;
    SendMessageTimeoutA(child, WM_GETTEXT, sizeof text, (LPARAM)text, SMTO_ABORTIFHUNG, 2000, NULL);
    const int lines = CountListingLines(text);
    if (lines > search->Lines) {
        search->Lines = lines;
        memcpy(search->Text, text, sizeof text);
    }
    return TRUE;
}

int main(int argc, char** argv)
{
    if (argc < 3) {
        fprintf(stderr, "usage: window-probe wait CLASS SECONDS | close CLASS\n");
        return 2;
    }
    const char* windowClass = argv[2];
    if (strcmp(argv[1], "close") == 0) {
        int closed = 0;
        for (HWND window = FindWindowExA(NULL, NULL, windowClass, NULL); window;
             window = FindWindowExA(NULL, window, windowClass, NULL)) {
            PostMessageA(window, WM_CLOSE, 0, 0);
            ++closed;
        }
        return closed ? 0 : 1;
    }
    const DWORD limit = (DWORD)(argc > 3 ? atoi(argv[3]) : 60) * 1000;
    static struct Search search;
    for (DWORD start = GetTickCount(); GetTickCount() - start < limit; Sleep(200)) {
        for (HWND window = FindWindowExA(NULL, NULL, windowClass, NULL); window;
             window = FindWindowExA(NULL, window, windowClass, NULL)) {
            if (!IsWindowVisible(window))
                continue;
            search.Lines = 0;
            EnumChildWindows(window, ReadChild, (LPARAM)&search);
            if (search.Lines > 0) {
                // Painted through before anyone takes a picture.
                RedrawWindow(window, NULL, NULL, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
                SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 2000, NULL);
                printf("%s window %p lists %d windows:\n%s\n", windowClass, (void*)window, search.Lines,
                       search.Text);
                return 0;
            }
        }
    }
    fprintf(stderr, "no visible %s window with a listing after %lu s\n", windowClass, (unsigned long)(limit / 1000));
    return 1;
}
