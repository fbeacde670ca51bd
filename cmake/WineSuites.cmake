# pellamy_wine_suites(<target> [EXCLUDE suite...] [HEADLESS suite...])
# Registers one ctest entry per GoogleTest suite of a Windows test program,
# run under Wine from the program's folder. Starting Wine once per test case
# would cost more than the tests, so a suite is the unit. The suites are read
# from the program's sources (every TEST/TEST_F/TEST_P), and editing a source
# reconfigures, so a new suite runs without touching this file. EXCLUDE names
# suites registered by hand (they need their own environment); HEADLESS
# suites open no window that needs activation or focus, and run beside the
# others, which take the display one at a time. A guard test lists the
# program's suites and fails naming any that no entry runs.
function(pellamy_wine_suites target)
  cmake_parse_arguments(ARG "" "" "EXCLUDE;HEADLESS" ${ARGN})
  get_target_property(sources ${target} SOURCES)
  get_target_property(dir ${target} SOURCE_DIR)
  set(suites)
  foreach(source IN LISTS sources)
    if(NOT source MATCHES "^test_.*\\.cpp$")
      continue()
    endif()
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${dir}/${source})
    file(STRINGS ${dir}/${source} lines REGEX "^(TEST|TEST_F|TEST_P)\\(")
    foreach(line IN LISTS lines)
      string(REGEX REPLACE "^TEST(_F|_P)?\\(([A-Za-z0-9_]+),.*" "\\2" suite "${line}")
      list(APPEND suites ${suite})
    endforeach()
  endforeach()
  list(REMOVE_DUPLICATES suites)
  set(covered ${ARG_EXCLUDE})
  foreach(suite IN LISTS suites)
    if(suite IN_LIST ARG_EXCLUDE)
      continue()
    endif()
    list(APPEND covered ${suite})
    add_test(NAME win.${suite} COMMAND ${target} --gtest_filter=${suite}.* WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
    set_tests_properties(win.${suite} PROPERTIES ENVIRONMENT "${WINE_ENV}" TIMEOUT 600)
    if(NOT suite IN_LIST ARG_HEADLESS)
      set_tests_properties(win.${suite} PROPERTIES RESOURCE_LOCK display)
    endif()
  endforeach()
  add_test(NAME win.${target}.AllSuitesRun
    COMMAND ${CMAKE_COMMAND} -DPROGRAM=$<TARGET_FILE:${target}> -DEMULATOR=${CMAKE_CROSSCOMPILING_EMULATOR}
      "-DCOVERED=${covered}" -P ${PROJECT_SOURCE_DIR}/cmake/CheckSuites.cmake)
  set_tests_properties(win.${target}.AllSuitesRun PROPERTIES ENVIRONMENT "${WINE_ENV}" TIMEOUT 120)
endfunction()
