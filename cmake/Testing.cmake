# orvane_add_tests(<name> SOURCES <pure tests...> [WIN_SOURCES <Wine-only tests...>]
#                  [LIBS <libs...>] [PROPERTIES <ctest properties...>] [TARGET <target>]
#                  [FIXTURES <fixtures...>] [LOCKS <resource locks...>])
#
# Pure tests build natively (under the sanitizers) and for Windows (under
# Wine); Wine-only tests join them in the Windows build. Each test case
# becomes its own ctest test, named "native.<name>.<Suite>.<Case>" or
# "wine.<name>.<Suite>.<Case>". TARGET (default <name>_tests) lets one
# subsystem have several test programs, for cases that need other ctest
# properties (peers, resource locks). FIXTURES: fixtures every case requires
# (PROPERTIES cannot carry a list value through test discovery). LOCKS:
# resource locks every case holds, for the same reason.
include(GoogleTest)

set(ORVANE_TEST_TIMEOUT 120 CACHE STRING "default time limit of one test case in seconds")
if(WIN32)
  set(ORVANE_TEST_PREFIX "wine.")
else()
  set(ORVANE_TEST_PREFIX "native.")
endif()

function(orvane_add_tests name)
  cmake_parse_arguments(T "" "TARGET" "SOURCES;WIN_SOURCES;LIBS;PROPERTIES;FIXTURES;LOCKS" ${ARGN})
  set(target ${name}_tests)
  if(T_TARGET)
    set(target ${T_TARGET})
  endif()
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
  if(T_FIXTURES OR T_LOCKS)
    # read by ctest after the discovered tests, whose names it then knows
    set(script ${CMAKE_CURRENT_BINARY_DIR}/${target}_fixtures.cmake)
    set(props "")
    if(T_FIXTURES)
      string(APPEND props " FIXTURES_REQUIRED \"${T_FIXTURES}\"")
    endif()
    if(T_LOCKS)
      string(APPEND props " RESOURCE_LOCK \"${T_LOCKS}\"")
    endif()
    file(WRITE ${script}
      "if(DEFINED ${target}_TESTS)\n"
      "  set_tests_properties(\${${target}_TESTS} PROPERTIES${props})\n"
      "endif()\n")
    set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${script})
  endif()
endfunction()

# orvane_add_peer(<name> [WAIT_TCP host:port...] [WAIT_UDP host:port...]
#                 COMMAND <command...>)
# A loopback peer for the tests: fixture tests "peer.<name>.start" and
# "peer.<name>.stop" start it in the background and stop it; a test that
# needs it sets FIXTURES_REQUIRED peer.<name>.
set(ORVANE_PEER_DIR ${CMAKE_BINARY_DIR}/peers)
function(orvane_add_peer name)
  cmake_parse_arguments(P "" "" "WAIT_TCP;WAIT_UDP;COMMAND" ${ARGN})
  get_property(_done GLOBAL PROPERTY ORVANE_PEER_${name})
  if(_done)
    return()
  endif()
  set_property(GLOBAL PROPERTY ORVANE_PEER_${name} TRUE)
  set(waits)
  foreach(w IN LISTS P_WAIT_TCP)
    list(APPEND waits --wait-tcp ${w})
  endforeach()
  foreach(w IN LISTS P_WAIT_UDP)
    list(APPEND waits --wait-udp ${w})
  endforeach()
  set(ctl ${CMAKE_SOURCE_DIR}/tests/peers/peerctl)
  add_test(NAME peer.${name}.start
    COMMAND ${CMAKE_COMMAND} -E env ORVANE_PEER_DIR=${ORVANE_PEER_DIR}
            ${ctl} start ${name} ${waits} -- ${P_COMMAND})
  add_test(NAME peer.${name}.stop
    COMMAND ${CMAKE_COMMAND} -E env ORVANE_PEER_DIR=${ORVANE_PEER_DIR} ${ctl} stop ${name})
  set_tests_properties(peer.${name}.start PROPERTIES FIXTURES_SETUP peer.${name} TIMEOUT 60)
  set_tests_properties(peer.${name}.stop PROPERTIES FIXTURES_CLEANUP peer.${name} TIMEOUT 60)
endfunction()

# orvane_add_link_fixture(<name> LINKS <path-in-prefix>=<target-name>...
#                         [LOCKS <resource locks...>])
# Fixture "links.<name>": before the tests that require it, links that a
# hostile user could plant are put into the test prefix (see
# tests/support/plant-links.sh), each to a folder outside the prefix that
# holds keep.txt; they are removed again after those tests. The targets are
# under ${ORVANE_LINK_TARGETS}/<name>. LOCKS: held while planting and
# removing, for links at places that other tests use.
set(ORVANE_LINK_TARGETS ${CMAKE_BINARY_DIR}/link-targets)
function(orvane_add_link_fixture name)
  cmake_parse_arguments(L "" "" "LINKS;LOCKS" ${ARGN})
  set(script ${CMAKE_SOURCE_DIR}/tests/support/plant-links.sh)
  set(targets ${ORVANE_LINK_TARGETS}/${name})
  add_test(NAME links.${name}.setup
    COMMAND ${script} setup ${ORVANE_WINEPREFIX} ${targets} ${L_LINKS})
  add_test(NAME links.${name}.cleanup
    COMMAND ${script} cleanup ${ORVANE_WINEPREFIX} ${targets} ${L_LINKS})
  set_tests_properties(links.${name}.setup PROPERTIES FIXTURES_SETUP links.${name} TIMEOUT 30)
  set_tests_properties(links.${name}.cleanup PROPERTIES FIXTURES_CLEANUP links.${name} TIMEOUT 30)
  if(L_LOCKS)
    set_tests_properties(links.${name}.setup links.${name}.cleanup PROPERTIES
      RESOURCE_LOCK "${L_LOCKS}")
  endif()
endfunction()
