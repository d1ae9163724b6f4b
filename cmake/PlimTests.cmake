# One test program per tests/<subsystem>/*_test.cpp file, so one area's tests build and
# run on their own. Files in tests/support/ are shared by a layer's tests.

# The test programs' own code is thin (the engine and the tests' support code,
# built as the libraries are, do the work): it builds unoptimised, with line
# tables only, on one precompiled GoogleTest header, which more than halves
# the time to build the tests. The sanitizer tree checks it for memory errors
# but not for undefined behaviour, whose checks of GoogleTest's templates
# took as long again.
if(PLIM_TESTS)
  set(PLIM_TEST_COMPILE_OPTIONS -g1 -O0)
  if(PLIM_SANITIZE)
    list(APPEND PLIM_TEST_COMPILE_OPTIONS -fno-sanitize=undefined)
  endif()
  file(WRITE ${CMAKE_BINARY_DIR}/plim_test_pch.cpp "// precompiled GoogleTest header for the test programs\n")
  add_library(plim_test_pch OBJECT ${CMAKE_BINARY_DIR}/plim_test_pch.cpp)
  target_link_libraries(plim_test_pch PRIVATE GTest::gtest)
  target_compile_options(plim_test_pch PRIVATE ${PLIM_TEST_COMPILE_OPTIONS})
  target_precompile_headers(plim_test_pch PRIVATE <gtest/gtest.h>)
endif()

# Registers a built test program with CTest. A program without labels is one
# test: its cases run in one process on one X server, which costs a fraction
# of a process and a server per case. Labelled programs (whole-program runs
# with real input or real time, wave soaks) are long case by case: each case
# is a test of its own, so they spread over the cores and retry one by one.
# Programs that need no display pass NO_DISPLAY; a long program passes its
# usual seconds as COST, so that CTest starts it early rather than last, and
# SHARDS N to run as N tests (NAME_1 ...), each a share of its cases in a
# process of its own (GoogleTest's sharding), so that none nears its time
# limit on two busy cores. CAPABILITY_CASES is a GoogleTest filter of the cases
# that need a capability (a raw socket, a forced receive buffer) and skip
# without it: each is a test of its own, so that CTest counts its skip, and the
# rest run together as before ("*": every case is one).
function(plim_register_test target)
  cmake_parse_arguments(_reg "NO_DISPLAY" "TIMEOUT;COST;SHARDS;CAPABILITY_CASES" "LABELS" ${ARGN})
  if(NOT _reg_TIMEOUT)
    set(_reg_TIMEOUT 300)
  endif()
  set_target_properties(${target} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  if(NOT _reg_NO_DISPLAY)
    # Each test process gets its own X server (see tools/test-display.sh).
    set_target_properties(${target} PROPERTIES CROSSCOMPILING_EMULATOR ${CMAKE_SOURCE_DIR}/tools/test-display.sh)
  endif()
  target_compile_options(${target} PRIVATE ${PLIM_TEST_COMPILE_OPTIONS})
  target_precompile_headers(${target} REUSE_FROM plim_test_pch)
  if(_reg_LABELS)
    gtest_discover_tests(${target} DISCOVERY_TIMEOUT 60
      PROPERTIES TIMEOUT ${_reg_TIMEOUT} LABELS "${_reg_LABELS}")
  elseif(_reg_SHARDS)
    foreach(_shard RANGE 1 ${_reg_SHARDS})
      math(EXPR _index "${_shard} - 1")
      add_test(NAME ${target}_${_shard} COMMAND ${target})
      set_tests_properties(${target}_${_shard} PROPERTIES TIMEOUT ${_reg_TIMEOUT}
        ENVIRONMENT "GTEST_TOTAL_SHARDS=${_reg_SHARDS};GTEST_SHARD_INDEX=${_index}")
      if(_reg_COST)
        set_tests_properties(${target}_${_shard} PROPERTIES COST ${_reg_COST})
      endif()
    endforeach()
  else()
    set(_rest "")
    if(_reg_CAPABILITY_CASES)
      gtest_discover_tests(${target} DISCOVERY_TIMEOUT 60 TEST_FILTER "${_reg_CAPABILITY_CASES}"
        PROPERTIES TIMEOUT ${_reg_TIMEOUT})
      set(_rest "--gtest_filter=-${_reg_CAPABILITY_CASES}")
      if(_reg_CAPABILITY_CASES STREQUAL "*")
        return()
      endif()
    endif()
    add_test(NAME ${target} COMMAND ${target} ${_rest})
    set_tests_properties(${target} PROPERTIES TIMEOUT ${_reg_TIMEOUT})
    if(_reg_COST)
      set_tests_properties(${target} PROPERTIES COST ${_reg_COST})
    endif()
  endif()
endfunction()

function(plim_add_tests layer)
  if(NOT PLIM_TESTS)
    return()
  endif()
  # Tests are filed by subsystem as the code is; a program's name is its file's.
  file(GLOB_RECURSE _tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tests/*_test.cpp)
  list(FILTER _tests EXCLUDE REGEX "/tests/support/")
  file(GLOB _support CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tests/support/*.cpp)
  set(_support_lib "")
  if(_support)
    add_library(${layer}_testsupport STATIC ${_support})
    plim_precompile(${layer}_testsupport)
    target_link_libraries(${layer}_testsupport PUBLIC ${layer} GTest::gtest)
    target_include_directories(${layer}_testsupport PUBLIC ${CMAKE_CURRENT_SOURCE_DIR}/tests/support)
    set(_support_lib ${layer}_testsupport)
  endif()
  foreach(_t ${_tests})
    get_filename_component(_name ${_t} NAME_WE)
    set(_target ${layer}_${_name})
    # *Program_test drives the real program with real X input in real time
    # (label xinput); *Waves_test plays every wave of a mode to its end (label
    # soak). tools/run-tests.sh runs both apart from the quick tests, and not
    # under the sanitizers, whose trees leave them out.
    set(_labels "")
    set(_timeout 300)
    if(_name MATCHES "Program_test$")
      set(_labels xinput)
    elseif(_name MATCHES "Waves_test$")
      set(_labels soak)
      set(_timeout 600)
    endif()
    if(_labels AND PLIM_SANITIZE)
      continue()
    endif()
    add_executable(${_target} ${_t})
    target_link_libraries(${_target} PRIVATE ${_support_lib} ${layer} GTest::gtest GTest::gtest_main)
    target_compile_definitions(${_target} PRIVATE
      PLIM_TEST_BINARY_DIR="${CMAKE_BINARY_DIR}"
      PLIM_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
    # A layer sets NAME_SHARDS for a program whose cases take long together,
    # and NAME_CAPABILITY_CASES for one with cases that need a capability.
    plim_register_test(${_target} TIMEOUT ${_timeout} LABELS ${_labels} SHARDS ${${_target}_SHARDS}
      CAPABILITY_CASES ${${_target}_CAPABILITY_CASES})
  endforeach()
endfunction()
