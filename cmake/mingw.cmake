# Cross toolchain for Windows through MinGW-w64 (posix thread flavour, which GoogleTest needs).
# TARVO_ARCH: i686 (the product as shipped) or x86_64 (the same sources, for test machines whose
# kernel cannot run 32-bit Wine).
set(TARVO_ARCH i686 CACHE STRING "i686 or x86_64")
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${TARVO_ARCH})
set(triple ${TARVO_ARCH}-w64-mingw32)
set(CMAKE_C_COMPILER   ${triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${triple}-g++-posix)
set(CMAKE_RC_COMPILER  ${triple}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Found on PATH at test time: scripts/winenv puts the loader that this machine can run there.
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
