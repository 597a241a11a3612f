# What makes the shipped files the same for everyone who builds the same commit: one version, and
# the commit's time wherever a build would write the time of day.

# One version number for the version resource, the log and the release's names. Windows keeps a
# file version as four numbers below 65536.
if(NOT PROJECT_VERSION MATCHES "^([0-9]+)\\.([0-9]+)\\.([0-9]+)\\.([0-9]+)$")
  message(FATAL_ERROR "The project's version (${PROJECT_VERSION}) must have four numbers: 1.2.3.0")
endif()
foreach(part ${CMAKE_MATCH_1} ${CMAKE_MATCH_2} ${CMAKE_MATCH_3} ${CMAKE_MATCH_4})
  if(part GREATER 65535)
    message(FATAL_ERROR "The project's version (${PROJECT_VERSION}): ${part} does not fit a file version")
  endif()
endforeach()
configure_file(${CMAKE_CURRENT_LIST_DIR}/Version.h.in ${PROJECT_BINARY_DIR}/version/Version.h @ONLY)
include_directories(${PROJECT_BINARY_DIR}/version)

# The time that a reproducible build writes (the PE header's time stamp, the zip's times):
# SOURCE_DATE_EPOCH when it is set at configure time, else the commit's time, else (a source tree
# without git) the newest time of the files that make the program.
function(tarvo_source_date_epoch out)
  if(DEFINED ENV{SOURCE_DATE_EPOCH})
    set(${out} $ENV{SOURCE_DATE_EPOCH} PARENT_SCOPE)
    return()
  endif()
  find_package(Git QUIET)
  if(GIT_FOUND)
    execute_process(COMMAND ${GIT_EXECUTABLE} -C ${PROJECT_SOURCE_DIR} log -1 --format=%ct
      OUTPUT_VARIABLE epoch OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET RESULT_VARIABLE failed)
    if(NOT failed AND epoch MATCHES "^[0-9]+$")
      # A new commit configures again, and so links the program again with its time.
      execute_process(COMMAND ${GIT_EXECUTABLE} -C ${PROJECT_SOURCE_DIR} rev-parse --path-format=absolute
                              --git-path logs/HEAD
        OUTPUT_VARIABLE log OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
      if(log AND EXISTS ${log})
        set_property(DIRECTORY ${PROJECT_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${log})
      endif()
      set(${out} ${epoch} PARENT_SCOPE)
      return()
    endif()
  endif()
  file(GLOB_RECURSE files ${PROJECT_SOURCE_DIR}/src/* ${PROJECT_SOURCE_DIR}/cmake/*)
  set(newest 0)
  foreach(f ${files} ${PROJECT_SOURCE_DIR}/CMakeLists.txt)
    file(TIMESTAMP ${f} t "%s" UTC)
    if(t GREATER newest)
      set(newest ${t})
    endif()
  endforeach()
  set(${out} ${newest} PARENT_SCOPE)
endfunction()

# tarvo_reproducible_link(TARGET): TARGET links with that time as its time stamp (Debian's MinGW
# linker takes it from SOURCE_DATE_EPOCH), and the tree notes version, time and the release's
# name for scripts/release.
function(tarvo_reproducible_link target)
  if(CMAKE_VERSION VERSION_LESS 3.21)
    message(WARNING "CMake ${CMAKE_VERSION} has no linker launcher: ${target} gets the time of its link")
  endif()
  tarvo_source_date_epoch(epoch)
  set_target_properties(${target} PROPERTIES
    CXX_LINKER_LAUNCHER "${CMAKE_COMMAND};-E;env;SOURCE_DATE_EPOCH=${epoch}")
  math(EXPR bits "${CMAKE_SIZEOF_VOID_P} * 8")
  file(WRITE ${PROJECT_BINARY_DIR}/shipping.txt
    "version ${PROJECT_VERSION}\nepoch ${epoch}\nname ${PROJECT_NAME}-${PROJECT_VERSION}-win${bits}\n")
endfunction()
