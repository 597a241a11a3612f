# cmake -DICONV=<iconv> -DCODEPAGE=<n> -DSOURCE=<utf-8 file> -DOUTPUT=<file> -P Convert.cmake
# Converts one catalogue to its code page. iconv refuses a character that the code page cannot
# hold, and that refusal fails the build. The output appears only once it is complete, so a failed
# conversion never leaves a file behind that looks up to date.
foreach(v ICONV CODEPAGE SOURCE OUTPUT)
  if(NOT DEFINED ${v})
    message(FATAL_ERROR "Convert.cmake needs -D${v}=")
  endif()
endforeach()

get_filename_component(dir "${OUTPUT}" DIRECTORY)
file(MAKE_DIRECTORY "${dir}")
set(part "${OUTPUT}.part")
execute_process(COMMAND "${ICONV}" -f UTF-8 -t CP${CODEPAGE}
  INPUT_FILE "${SOURCE}" OUTPUT_FILE "${part}" RESULT_VARIABLE rc ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  file(REMOVE "${part}")
  # iconv names a byte offset; a line number is what the translator needs.
  set(where "")
  if(err MATCHES "position ([0-9]+)")
    file(READ "${SOURCE}" head LIMIT ${CMAKE_MATCH_1} HEX)
    string(REGEX MATCHALL ".." bytes "${head}")
    list(FILTER bytes INCLUDE REGEX "0a")
    list(LENGTH bytes line)
    math(EXPR line "${line} + 1")
    set(where " (line ${line})")
  endif()
  string(STRIP "${err}" err)
  message(FATAL_ERROR "${SOURCE}${where}: code page ${CODEPAGE} cannot hold this text: ${err}")
endif()
file(RENAME "${part}" "${OUTPUT}")
