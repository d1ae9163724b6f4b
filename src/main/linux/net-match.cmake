# net-match: a networked duel of two computer pilots on the match harness, the
# server replicating it to clients that join at any time (a build and test tool).
if(TARGET top_testsupport)
  add_executable(net-match ${CMAKE_CURRENT_LIST_DIR}/NetMatch.cpp ${CMAKE_CURRENT_LIST_DIR}/NetMatchView.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ArgumentNumber.cpp ${CMAKE_CURRENT_LIST_DIR}/StopSignals.cpp)
  target_include_directories(net-match PRIVATE ${CMAKE_CURRENT_LIST_DIR})
  target_link_libraries(net-match PRIVATE top_testsupport)
  add_dependencies(net-match data)
endif()

# Three programs paced to real time each: they run with the real-input tests,
# two at a time. net_match_relay: a server and two clients (one late) through
# udp-relay, each on its own X server: one hash everywhere; the recording
# replays to it. net_match_replay: a hostile sender replays recorded datagrams
# at the server and at a client from other ports: nobody is cut off and every
# side prints the same hash. net_match_loss: four clients through 40% loss each
# way hold the match.
if(TARGET net-match)
  foreach(_pair "net_match_relay;net_match_test" "net_match_replay;net_replay_test" "net_match_loss;net_match_loss_test")
    list(GET _pair 0 _test)
    list(GET _pair 1 _script)
    add_test(NAME ${_test}
      COMMAND ${CMAKE_CURRENT_LIST_DIR}/tests/${_script}.sh $<TARGET_FILE:net-match> $<TARGET_FILE:udp-relay>
        ${CMAKE_SOURCE_DIR}/tools/test-display.sh)
    set_tests_properties(${_test} PROPERTIES TIMEOUT 180 LABELS realtime)
  endforeach()
  # Every network tool stopped by SIGTERM or SIGINT, mid-match or still joining.
  add_test(NAME net_tools_stop COMMAND ${CMAKE_SOURCE_DIR}/tools/test-display.sh ${CMAKE_CURRENT_LIST_DIR}/tests/net_stop_test.sh
    $<TARGET_FILE:net-match> $<TARGET_FILE:udp-relay> $<TARGET_FILE:net-peer> $<TARGET_FILE:udp-flood>)
  set_tests_properties(net_tools_stop PROPERTIES TIMEOUT 300 LABELS realtime)
endif()
