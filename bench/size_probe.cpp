// Linked into a copy of the uninstaller only, to measure what the runtime's error paths cost:
// the demangling terminate handler and the throwing helpers of the standard containers, which
// bring the exception classes, a second string implementation and the unwinder with them.
// Every replacement ends the program at once, which is where an uncaught throw ends it anyway.
#include <bits/functexcept.h>

#include <cstdlib>

namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx

namespace std {
void __throw_bad_alloc() { std::abort(); }
void __throw_bad_array_new_length() { std::abort(); }
void __throw_length_error(const char*) { std::abort(); }
void __throw_logic_error(const char*) { std::abort(); }
void __throw_out_of_range(const char*) { std::abort(); }
void __throw_out_of_range_fmt(const char*, ...) { std::abort(); }
void __throw_invalid_argument(const char*) { std::abort(); }
}  // namespace std
