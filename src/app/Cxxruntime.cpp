// Hooks into the C++ runtime that keep a static exe small. libstdc++'s own versions of these pull
// in its demangler, its whole stdexcept family and a second string implementation (about 100 KiB
// together). Ours raise the toolkit's exception, which WinMain shows in the exception box like any
// other, and end the program plainly on terminate: a GUI program has nowhere to print to.
#include <cstdlib>   // first: it tells which C++ library this is

#if defined(__GLIBCXX__)
#include <new>

#include "toolkit/Exception.h"

namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx

namespace std {
void __throw_logic_error(const char* what) { throw Exception(what); }
void __throw_length_error(const char* what) { throw Exception(what); }
void __throw_out_of_range(const char* what) { throw Exception(what); }
void __throw_out_of_range_fmt(const char* what, ...) { throw Exception(what); }
void __throw_invalid_argument(const char* what) { throw Exception(what); }
void __throw_bad_function_call() { throw Exception("bad function call"); }
void __throw_bad_alloc() { throw std::bad_alloc(); }
void __throw_bad_array_new_length() { throw std::bad_alloc(); }
}  // namespace std
#endif
