# The leak check reports a leak of ours under SDL's timer and audio callbacks
# with the project's suppressions (sanitizer trees only).
if(PLIM_TESTS AND PLIM_SANITIZE)
  add_executable(linux_leak_check_test ${CMAKE_CURRENT_LIST_DIR}/tests/leak_check_test.cpp)
  target_link_libraries(linux_leak_check_test PRIVATE plim GTest::gtest GTest::gtest_main)
  plim_register_test(linux_leak_check_test NO_DISPLAY)
  set_tests_properties(linux_leak_check_test PROPERTIES ENVIRONMENT
    "ASAN_OPTIONS=detect_leaks=1;LSAN_OPTIONS=suppressions=${CMAKE_SOURCE_DIR}/tools/lsan.supp")
endif()
