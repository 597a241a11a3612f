# The byte-level catalogue code that builds natively, with the POSIX stand-ins for its platform
# side: one list for the sanitizer build here and the native catalogue bench.
get_filename_component(_tarvo_root "${CMAKE_CURRENT_LIST_DIR}/../.." ABSOLUTE)
set(catalogue_native_sources
  ${_tarvo_root}/src/sys/Fileiofun.cpp
  ${_tarvo_root}/src/sys/Setupapifun.cpp
  ${_tarvo_root}/src/msg/Clwinmsglist.cpp
  ${_tarvo_root}/src/msg/Clwinmsgfile.cpp
  ${CMAKE_CURRENT_LIST_DIR}/posix_shim.cpp)
