# The menus of the built game driven by real X input (xdotool) under Xvfb:
# profile screens, the ".pro" file, and screenshots of the main menu and the
# credits.
# Not under the sanitizers: real input in real time is too slow there.
if(NOT PLIM_TESTS OR PLIM_SANITIZE)
  return()
endif()
add_executable(linux_gui_test ${CMAKE_CURRENT_LIST_DIR}/tests/gui_test.cpp)
# The online pages post to the menu tests' local web service through http_proxy.
# X11: whether the game holds the pointer, and where the pointer is.
target_link_libraries(linux_gui_test PRIVATE plim menu_testsupport JPEG::JPEG X11::X11 GTest::gtest GTest::gtest_main)
target_compile_definitions(linux_gui_test PRIVATE
  CORVANA2DEMO_PATH="$<TARGET_FILE:corvana2demo>" PLIM_TEST_BINARY_DIR="${CMAKE_BINARY_DIR}")
add_dependencies(linux_gui_test corvana2demo)
# Real clicks and keys with real-time pauses: tools/run-tests.sh runs these
# apart from the rest (label xinput), so a loaded machine does not starve them.
plim_register_test(linux_gui_test LABELS xinput)
