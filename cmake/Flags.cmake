# Build type, language level and the size-minded flags that the product, its tests and the
# benchmark references share, so that a size or time difference is the product's own.
if(NOT CMAKE_BUILD_TYPE)
  set(CMAKE_BUILD_TYPE Release CACHE STRING "" FORCE)
endif()

# A tree keeps the compiler it was first configured with, whatever the toolchain file says now.
if(TARVO_THREADS AND NOT CMAKE_CXX_COMPILER MATCHES "-${TARVO_THREADS}$")
  message(FATAL_ERROR "${CMAKE_BINARY_DIR} was configured with ${CMAKE_CXX_COMPILER}, not the "
    "${TARVO_THREADS} thread flavour: delete its CMakeCache.txt and CMakeFiles and configure again")
endif()

set(CMAKE_CXX_STANDARD 17)
set(CMAKE_CXX_STANDARD_REQUIRED ON)
set(CMAKE_CXX_EXTENSIONS OFF)

add_compile_options(-Wall -Wextra -Wshadow -ffunction-sections -fdata-sections)
# Where the sources and the build lie is nobody's business: no file name that a macro or debug
# information carries into a program names either folder.
add_compile_options("$<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${CMAKE_SOURCE_DIR}/=;-ffile-prefix-map=${CMAKE_BINARY_DIR}/=>")
# Headers of the oldest target, Windows 95 and NT 4.0: a newer call does not compile unless it is
# looked up at run time (sys/Syslibrary.h) with a fallback where it is missing.
add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0400 WINVER=0x0400)
# Only the std::string members that the program calls, not the library's whole instantiation.
add_compile_options($<$<COMPILE_LANGUAGE:CXX>:-include$<SEMICOLON>${CMAKE_CURRENT_LIST_DIR}/Inlinestring.h>)
set(CMAKE_CXX_FLAGS_RELEASE "-Os")
set(CMAKE_C_FLAGS_RELEASE "-Os")
# Static: the exe and the tests need nothing but system DLLs (no libgcc, libstdc++ or winpthread DLL).
add_link_options(-static -static-libgcc -static-libstdc++ -Wl,--gc-sections)
