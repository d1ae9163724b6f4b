# wadtool: packs, lists and extracts data archives with the engine's own code.
add_executable(wadtool ${CMAKE_CURRENT_LIST_DIR}/WadTool.cpp ${CMAKE_CURRENT_LIST_DIR}/StagedFolder.cpp)
target_link_libraries(wadtool PRIVATE plim)

if(NOT PLIM_TESTS)
  return()
endif()
# The program's own test runs the built wadtool.
add_executable(linux_wadtool_test ${CMAKE_CURRENT_LIST_DIR}/tests/wadtool_test.cpp)
target_link_libraries(linux_wadtool_test PRIVATE GTest::gtest GTest::gtest_main)
target_compile_definitions(linux_wadtool_test PRIVATE WADTOOL_PATH="$<TARGET_FILE:wadtool>")
add_dependencies(linux_wadtool_test wadtool)
plim_register_test(linux_wadtool_test NO_DISPLAY)
# Counts the calls that sync files, preloaded into the tool by its test; plain
# code, since a sanitizer's runtime must come first among the preloaded libraries.
add_library(count_syncs MODULE ${CMAKE_CURRENT_LIST_DIR}/tests/count_syncs.cpp)
target_compile_options(count_syncs PRIVATE -fno-sanitize=all)
target_link_options(count_syncs PRIVATE -fno-sanitize=all)
target_link_libraries(count_syncs PRIVATE ${CMAKE_DL_LIBS})
target_compile_definitions(linux_wadtool_test PRIVATE COUNT_SYNCS_PATH="$<TARGET_FILE:count_syncs>")
add_dependencies(linux_wadtool_test count_syncs)
