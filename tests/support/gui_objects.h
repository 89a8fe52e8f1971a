#pragma once

// How many GDI and USER objects this process holds, to show that a form
// leaves none behind. GetGuiResources answers on Windows; Wine's is a stub
// that says 0, so there the GDI handle table and this thread's windows
// are counted instead.
#include <windows.h>

#include <ostream>

namespace qelt_test {

struct GuiObjects {
    long Gdi = 0;
    long User = 0;
    bool operator==(const GuiObjects&) const = default;
};

inline std::ostream& operator<<(std::ostream& out, const GuiObjects& objects)
{
    return out << "{GDI " << objects.Gdi << ", USER " << objects.User << "}";
}

GuiObjects CountGuiObjects();

}  // namespace qelt_test
