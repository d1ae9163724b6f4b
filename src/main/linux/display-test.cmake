# The game against its display: a pointer held by another program, a display
# that goes away, no display at all. Real time with its own X clients and
# servers: tools/run-tests.sh runs it apart from the quick tests (label realtime).
if(NOT PLIM_TESTS)
  return()
endif()
add_executable(pointer-holder ${CMAKE_CURRENT_LIST_DIR}/tests/pointer_holder.cpp)
target_link_libraries(pointer-holder PRIVATE X11::X11)
set_target_properties(pointer-holder PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
add_executable(linux_display_test ${CMAKE_CURRENT_LIST_DIR}/tests/display_test.cpp)
target_link_libraries(linux_display_test PRIVATE GTest::gtest GTest::gtest_main)
target_include_directories(linux_display_test PRIVATE ${CMAKE_SOURCE_DIR}/project_plim/tests/support) # TestDeadline.h
target_compile_definitions(linux_display_test PRIVATE
  CORVANA2DEMO_PATH="$<TARGET_FILE:corvana2demo>" PLIM_TEST_BINARY_DIR="${CMAKE_BINARY_DIR}"
  POINTER_HOLDER_PATH="$<TARGET_FILE:pointer-holder>")
add_dependencies(linux_display_test corvana2demo pointer-holder)
plim_register_test(linux_display_test LABELS realtime)
