# orvane_add_tests(<name> SOURCES <pure tests...> [WIN_SOURCES <Wine-only tests...>]
#                  [LIBS <libs...>] [PROPERTIES <ctest properties...>])
#
# Pure tests build natively (under the sanitizers) and for Windows (under
# Wine); Wine-only tests join them in the Windows build. Each test case
# becomes its own ctest test, named "native.<name>.<Suite>.<Case>" or
# "wine.<name>.<Suite>.<Case>".
include(GoogleTest)

set(ORVANE_TEST_TIMEOUT 120 CACHE STRING "default time limit of one test case in seconds")
if(WIN32)
  set(ORVANE_TEST_PREFIX "wine.")
else()
  set(ORVANE_TEST_PREFIX "native.")
endif()

function(orvane_add_tests name)
  cmake_parse_arguments(T "" "" "SOURCES;WIN_SOURCES;LIBS;PROPERTIES" ${ARGN})
  set(target ${name}_tests)
  set(sources ${T_SOURCES})
  if(WIN32)
    list(APPEND sources ${T_WIN_SOURCES})
  endif()
  if(NOT sources)
    return()
  endif()
  add_executable(${target} ${sources})
  target_include_directories(${target} PRIVATE ${CMAKE_SOURCE_DIR}/tests)
  if(WIN32)
    target_link_libraries(${target} PRIVATE orvane_win orvane_test_support)
  else()
    target_link_libraries(${target} PRIVATE orvane_core)
  endif()
  target_link_libraries(${target} PRIVATE ${T_LIBS} gmock gtest_main)
  gtest_discover_tests(${target}
    TEST_PREFIX "${ORVANE_TEST_PREFIX}${name}."
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60
    PROPERTIES TIMEOUT ${ORVANE_TEST_TIMEOUT} ${T_PROPERTIES})
endfunction()
