# matchsim: a build and test tool (not installed) that runs a scripted match
# on the match harness and prints the live objects per layer each second.
if(TARGET top_testsupport)
  add_executable(matchsim ${CMAKE_CURRENT_LIST_DIR}/MatchSim.cpp ${CMAKE_CURRENT_LIST_DIR}/ArgumentNumber.cpp)
  target_link_libraries(matchsim PRIVATE top_testsupport)
  add_dependencies(matchsim data)

  # Runs of the built tool: one seed gives the same bytes twice, and the spine
  # scenario empties its layers.
  add_executable(linux_matchsim_test ${CMAKE_CURRENT_LIST_DIR}/tests/matchsim_test.cpp)
  target_link_libraries(linux_matchsim_test PRIVATE GTest::gtest GTest::gtest_main)
  target_compile_definitions(linux_matchsim_test PRIVATE MATCHSIM_PATH="$<TARGET_FILE:matchsim>")
  add_dependencies(linux_matchsim_test matchsim)
  plim_register_test(linux_matchsim_test COST 30 SHARDS 2)
endif()
