# Cross toolchain for Windows through MinGW-w64.
# TARVO_ARCH: i686 (the product as shipped) or x86_64 (the same sources, for test machines whose
# kernel cannot run 32-bit Wine).
# TARVO_THREADS: the compiler's thread flavour. win32 (default for i686) links no thread library:
# the posix flavour's winpthread imports functions that Windows before Vista lacks, so an exe built
# with it does not even load there. posix (default for x86_64) gives std::thread and std::mutex,
# which GoogleTest and the tests need.
set(TARVO_ARCH i686 CACHE STRING "i686 or x86_64")
if(TARVO_ARCH STREQUAL i686)
  set(TARVO_THREADS win32 CACHE STRING "win32 or posix")
else()
  set(TARVO_THREADS posix CACHE STRING "win32 or posix")
endif()
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${TARVO_ARCH})
set(triple ${TARVO_ARCH}-w64-mingw32)
set(CMAKE_C_COMPILER   ${triple}-gcc-${TARVO_THREADS})
set(CMAKE_CXX_COMPILER ${triple}-g++-${TARVO_THREADS})
set(CMAKE_RC_COMPILER  ${triple}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Found on PATH at test time: scripts/winenv puts the loader that this machine can run there.
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
