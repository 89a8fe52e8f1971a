#include "tests/support/gui_objects.h"

#include <winternl.h>

namespace qelt_test {

namespace {

bool UnderWine()
{
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

// Wine keeps the process's GDI handles in the table the PEB points to,
// laid out as Windows' own: a used entry has a nonzero type.
long CountWineGdiHandles()
{
#ifdef _WIN64
    struct Entry {
        UINT64 Object;
        ULONG Owner;
        USHORT Unique;
        UCHAR Type;
        UCHAR Flags;
        UINT64 UserPointer;
    };
    static_assert(sizeof(Entry) == 24);
    constexpr std::size_t TableOffset = 0xF8;  // PEB.GdiSharedHandleTable
    constexpr int TableSize = 0x10000;
    using QueryProcess = NTSTATUS(NTAPI*)(HANDLE, PROCESSINFOCLASS, PVOID, ULONG, PULONG);
    const auto query = reinterpret_cast<QueryProcess>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationProcess")));
    PROCESS_BASIC_INFORMATION basic{};
    if (!query || query(GetCurrentProcess(), ProcessBasicInformation, &basic, sizeof basic, nullptr) != 0)
        return 0;
    const auto* peb = reinterpret_cast<const unsigned char*>(basic.PebBaseAddress);
    const auto* table = *reinterpret_cast<const Entry* const*>(peb + TableOffset);
    if (!table)
        return 0;
    long used = 0;
    for (int i = 0; i < TableSize; ++i)
        used += table[i].Type != 0;
    return used;
#else
    return 0;
#endif
}

BOOL CALLBACK CountWindow(HWND, LPARAM data)
{
    ++*reinterpret_cast<long*>(data);
    return TRUE;
}

BOOL CALLBACK CountTopLevelAndChildren(HWND window, LPARAM data)
{
    ++*reinterpret_cast<long*>(data);
    EnumChildWindows(window, CountWindow, data);
    return TRUE;
}

long CountThreadWindows()
{
    long windows = 0;
    EnumThreadWindows(GetCurrentThreadId(), CountTopLevelAndChildren, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

}  // namespace

GuiObjects CountGuiObjects()
{
    GuiObjects objects;
    objects.Gdi = static_cast<long>(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS));
    objects.User = static_cast<long>(GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS));
    if (UnderWine()) {
        if (objects.Gdi == 0)
            objects.Gdi = CountWineGdiHandles();
        if (objects.User == 0)
            objects.User = CountThreadWindows();
    }
    return objects;
}

}  // namespace qelt_test
