# The menus of the built game driven by real X input (xdotool) under Xvfb:
# profile screens, the ".pro" file, screenshots of the main menu and the
# credits, the options pages (gui_test); the online pages (gui_online_test).
# Not under the sanitizers: real input in real time is too slow there.
if(NOT PLIM_TESTS OR PLIM_SANITIZE)
  return()
endif()
# The online pages post to the menu tests' local web service through
# http_proxy. X11: whether the game holds the pointer, and where the pointer is.
foreach(_gui gui_test gui_online_test)
  add_executable(linux_${_gui} ${CMAKE_CURRENT_LIST_DIR}/tests/${_gui}.cpp)
  target_link_libraries(linux_${_gui} PRIVATE plim menu_testsupport JPEG::JPEG X11::X11 GTest::gtest GTest::gtest_main)
  target_compile_definitions(linux_${_gui} PRIVATE
    CORVANA2DEMO_PATH="$<TARGET_FILE:corvana2demo>" PLIM_TEST_BINARY_DIR="${CMAKE_BINARY_DIR}")
  add_dependencies(linux_${_gui} corvana2demo)
  # Real clicks and keys with real-time pauses: tools/run-tests.sh runs these
  # apart from the rest (label xinput), so a loaded machine does not starve them.
  plim_register_test(linux_${_gui} LABELS xinput)
endforeach()
