# The test display helper that every windowed test runs under.
add_test(NAME test_display_ready COMMAND ${CMAKE_SOURCE_DIR}/tools/test-display_test.sh 40)
set_tests_properties(test_display_ready PROPERTIES TIMEOUT 300)
