// Force-included into every C++ source of the cross build (cmake/Flags.cmake). libstdc++ declares
// std::string's members as instantiated in the library, and the static link then takes the
// library's whole instantiation (32 KiB, most of it unused). Its own switch for exactly this case,
// -1, lets each program instantiate only the members it calls, which the linker's section
// collection then keeps alone. Nothing else changes: the checks that -1 enables at -O0 belong to
// _GLIBCXX_ASSERTIONS, which this build does not set.
#pragma once
#include <bits/c++config.h>
#undef _GLIBCXX_EXTERN_TEMPLATE
#define _GLIBCXX_EXTERN_TEMPLATE -1
