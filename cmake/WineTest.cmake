# tarvo_unit_test(name SOURCES a.cpp... [ENV VAR=value...] [WINVER win98] [GUI] [FAULTS] [LABELS l...])
# One GoogleTest exe per call, run by CTest through Wine. WINVER makes Wine report that Windows
# version to this exe alone (AppDefaults by exe name), set by a fixture test before it runs.
# FAULTS links the layers built with their fault point (sys/Faultpoint.h), which the test may plan.
function(tarvo_unit_test name)
  cmake_parse_arguments(T "GUI;FAULTS" "WINVER;TIMEOUT" "SOURCES;ENV;LABELS;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  set(layers tarvo)
  if(T_FAULTS)
    set(layers tarvo_faults)
  endif()
  target_link_libraries(${name} PRIVATE ${layers} tarvo_strings gtest gtest_main ${T_LIBS})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/tests)
  add_test(NAME ${name} COMMAND ${name})
  set(env "WINEDEBUG=-all" ${T_ENV})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 120)
  endif()
  set_tests_properties(${name} PROPERTIES ENVIRONMENT "${env}" TIMEOUT ${T_TIMEOUT} LABELS "${T_LABELS}")
  if(T_WINVER)
    add_test(NAME ${name}_winver
      COMMAND ${CMAKE_CROSSCOMPILING_EMULATOR} reg add "HKCU\\Software\\Wine\\AppDefaults\\${name}.exe"
              /v Version /d ${T_WINVER} /f)
    set_tests_properties(${name}_winver PROPERTIES FIXTURES_SETUP ${name}_ver ENVIRONMENT "WINEDEBUG=-all")
    set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED ${name}_ver)
  endif()
endfunction()
