# udp-relay: forwards datagrams between two endpoints and damages them at given rates (a test tool).
add_executable(udp-relay ${CMAKE_CURRENT_LIST_DIR}/UdpRelay.cpp ${CMAKE_CURRENT_LIST_DIR}/ArgumentNumber.cpp
  ${CMAKE_CURRENT_LIST_DIR}/StopSignals.cpp)
target_link_libraries(udp-relay PRIVATE ZLIB::ZLIB)

# Two net-peer processes through the relay with every kind of damage.
add_test(NAME net_relay_transfer
  COMMAND ${CMAKE_CURRENT_LIST_DIR}/tests/net_relay_test.sh $<TARGET_FILE:net-peer> $<TARGET_FILE:udp-relay>)
set_tests_properties(net_relay_transfer PROPERTIES TIMEOUT 150)

# net-peer pairs at the replication role's cadence through heavy loss, and a
# lost accept. Paced to real time: it runs with the real-time tests.
add_test(NAME net_relay_heavy_loss
  COMMAND ${CMAKE_CURRENT_LIST_DIR}/tests/net_relay_loss_test.sh $<TARGET_FILE:net-peer> $<TARGET_FILE:udp-relay>)
set_tests_properties(net_relay_heavy_loss PROPERTIES TIMEOUT 90 LABELS realtime)
