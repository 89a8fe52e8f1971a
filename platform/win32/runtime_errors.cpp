// How the C++ runtime's own failures reach the program. The library's
// defaults throw its std:: exception classes, whose definitions bring in
// two complete string implementations, and report a terminate with a
// demangled message on a console a GUI program does not have: together
// well over a third of the executable. Here a failing container throws the
// platform's Exception, which the window procedure shows like any other.
#include <cstdlib>

#include "platform/base/exception.h"

namespace {

[[noreturn]] void Fail(const char* what) { throw Exception(UnicodeString::FromUtf8(what)); }

}  // namespace

namespace std {

void __throw_bad_alloc() { Fail("Out of memory"); }
void __throw_bad_array_new_length() { Fail("Out of memory"); }
void __throw_bad_function_call() { Fail("An empty function was called"); }
void __throw_length_error(const char* what) { Fail(what); }
void __throw_logic_error(const char* what) { Fail(what); }
// The message is the library's format string, its numbers left out.
void __throw_out_of_range_fmt(const char* format, ...) { Fail(format); }

}  // namespace std

namespace __gnu_cxx {

// Nothing is thrown across a callback or out of a noexcept function, so
// this is never reached; should it be, the program ends at once.
void __verbose_terminate_handler() { std::abort(); }

}  // namespace __gnu_cxx
