# cmake -DICONV= -DSAMPLES= -DCONVERT= -DCHECK= -DWORK= -P Checkselftest.cmake
# The catalogue build and its byte check, run on small samples with known faults: each fault must
# be reported where it stands, and the sound parts must pass unreported.
set(failures "")
macro(fail text)
  string(APPEND failures "  ${text}\n")
endmacro()
# CMake wraps a FATAL_ERROR message at spaces, where the wrap falls depending on the length of the
# checkout's path; compare with every run of white space as one space.
macro(flat_output)
  string(REGEX REPLACE "[ \t\r\n]+" " " flat "${out}")
endmacro()
macro(expect_output needle)
  flat_output()
  string(FIND "${flat}" "${needle}" at)
  if(at EQUAL -1)
    fail("missing from the report: ${needle}")
  endif()
endmacro()
macro(refuse_output needle)
  flat_output()
  string(FIND "${flat}" "${needle}" at)
  if(NOT at EQUAL -1)
    fail("reported although sound: ${needle}")
  endif()
endmacro()

# The byte check.
execute_process(COMMAND ${CMAKE_COMMAND} -DICONV=${ICONV} -DSOURCE_DIR=${SAMPLES} -DBUILT_DIR=${SAMPLES}
    -DCATALOGS=CUT:932,BIG:950,OLD:1252,FORM:1252,NONE:1252 -P ${CHECK}
  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(rc EQUAL 0)
  fail("the check passed samples that hold faults")
endif()
# Shift-JIS: a kanji or kana ending in 0x5C before n or t is cut; an escape after a whole
# character or after a single-byte half-width kana is meant.
expect_output("SetupMsg.CUT line 2: a character ending in a backslash stands before \"n\"")
expect_output("SetupMsg.CUT line 4: a character ending in a backslash stands before \"t\"")
refuse_output("SetupMsg.CUT line 1")
refuse_output("SetupMsg.CUT line 3")
# Big5: 0xA5 leads a character here (in Shift-JIS it is a kana of its own).
expect_output("SetupMsg.BIG line 2: a character ending in a backslash stands before \"n\"")
refuse_output("SetupMsg.BIG line 1")
refuse_output("SetupMsg.CUT: its bytes")
refuse_output("SetupMsg.BIG: its bytes")
# A built file that no longer matches its source.
expect_output("SetupMsg.OLD: its bytes do not convert back")
# The form of the lines.
refuse_output("SetupMsg.FORM line 1")
expect_output("SetupMsg.FORM line 2: identifier 15110 stands twice")
expect_output("SetupMsg.FORM line 3: not")
expect_output("SetupMsg.FORM line 4: not")
expect_output("SetupMsg.FORM line 5: not")
expect_output("SetupMsg.FORM: the last line has no line end")
expect_output("SetupMsg.NONE: not built")

# The conversion: Turkish letters have no place in code page 1252; the build must stop, name the
# line, and leave no output that would look up to date.
file(REMOVE_RECURSE ${WORK})
execute_process(COMMAND ${CMAKE_COMMAND} -DICONV=${ICONV} -DCODEPAGE=1252
    -DSOURCE=${SAMPLES}/SetupMsg.TRK.utf8.txt -DOUTPUT=${WORK}/SetupMsg.TRK -P ${CONVERT}
  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(rc EQUAL 0)
  fail("code page 1252 took Turkish letters")
endif()
expect_output("SetupMsg.TRK.utf8.txt (line 2)")
expect_output("cannot hold")
if(EXISTS ${WORK}/SetupMsg.TRK OR EXISTS ${WORK}/SetupMsg.TRK.part)
  fail("a failed conversion left output behind")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -DICONV=${ICONV} -DCODEPAGE=1254
    -DSOURCE=${SAMPLES}/SetupMsg.TRK.utf8.txt -DOUTPUT=${WORK}/SetupMsg.TRK -P ${CONVERT}
  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT rc EQUAL 0 OR NOT EXISTS ${WORK}/SetupMsg.TRK)
  fail("code page 1254 refused Turkish letters: ${out}")
else()
  file(READ ${WORK}/SetupMsg.TRK hex HEX)
  if(NOT hex MATCHES "4b616c64fd72")
    fail("dotless i in \"Kaldir\" is not byte fd in code page 1254")
  endif()
endif()

if(failures)
  message(FATAL_ERROR "Catalogue build checks failed:\n${failures}")
endif()
