# wadtool: packs, lists and extracts data archives with the engine's own code.
add_executable(wadtool ${CMAKE_CURRENT_LIST_DIR}/WadTool.cpp ${CMAKE_CURRENT_LIST_DIR}/StagedFolder.cpp)
target_link_libraries(wadtool PRIVATE plim)

if(NOT PLIM_TESTS)
  return()
endif()
# The program's own test runs the built wadtool.
add_executable(linux_wadtool_test ${CMAKE_CURRENT_LIST_DIR}/tests/wadtool_test.cpp)
target_link_libraries(linux_wadtool_test PRIVATE GTest::gtest GTest::gtest_main)
target_include_directories(linux_wadtool_test PRIVATE ${PROJECT_SOURCE_DIR}/project_plim/tests/support)
target_compile_definitions(linux_wadtool_test PRIVATE WADTOOL_PATH="$<TARGET_FILE:wadtool>")
add_dependencies(linux_wadtool_test wadtool)
plim_register_test(linux_wadtool_test NO_DISPLAY)
