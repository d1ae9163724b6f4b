# net-match: a networked duel of two computer pilots on the match harness, the
# server replicating it to clients that join at any time (a build and test tool).
if(TARGET top_testsupport)
  add_executable(net-match ${CMAKE_CURRENT_LIST_DIR}/NetMatch.cpp ${CMAKE_CURRENT_LIST_DIR}/NetMatchView.cpp)
  target_include_directories(net-match PRIVATE ${CMAKE_CURRENT_LIST_DIR})
  target_link_libraries(net-match PRIVATE top_testsupport)
  add_dependencies(net-match data)
endif()
