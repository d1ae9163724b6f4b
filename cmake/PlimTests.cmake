# One test program per tests/*_test.cpp file, so one area's tests build and
# run on their own. Files in tests/support/ are shared by a layer's tests.
function(plim_add_tests layer)
  if(NOT PLIM_TESTS)
    return()
  endif()
  file(GLOB _tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tests/*_test.cpp)
  file(GLOB _support CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tests/support/*.cpp)
  set(_support_lib "")
  if(_support)
    add_library(${layer}_testsupport STATIC ${_support})
    target_link_libraries(${layer}_testsupport PUBLIC ${layer} GTest::gtest)
    target_include_directories(${layer}_testsupport PUBLIC ${CMAKE_CURRENT_SOURCE_DIR}/tests/support)
    set(_support_lib ${layer}_testsupport)
  endif()
  foreach(_t ${_tests})
    get_filename_component(_name ${_t} NAME_WE)
    set(_target ${layer}_${_name})
    add_executable(${_target} ${_t})
    # Each test process gets its own X server (see tools/test-display.sh).
    set_target_properties(${_target} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests
      CROSSCOMPILING_EMULATOR ${CMAKE_SOURCE_DIR}/tools/test-display.sh)
    target_link_libraries(${_target} PRIVATE ${_support_lib} ${layer} GTest::gtest GTest::gtest_main)
    target_compile_definitions(${_target} PRIVATE
      PLIM_TEST_BINARY_DIR="${CMAKE_BINARY_DIR}"
      PLIM_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
    # *Program_test drives the real program with real X input in real time
    # (label xinput); *Waves_test plays every wave of a mode to its end (label
    # soak). tools/run-tests.sh runs both apart from the quick tests.
    set(_labels "")
    set(_timeout 120)
    if(_name MATCHES "Program_test$")
      set(_labels xinput)
      set(_timeout 300)
    elseif(_name MATCHES "Waves_test$")
      set(_labels soak)
      set(_timeout 600)
    endif()
    gtest_discover_tests(${_target} DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT ${_timeout} LABELS "${_labels}")
  endforeach()
endfunction()
