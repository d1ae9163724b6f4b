# net-peer: one end of a test connection over the engine's network transport.
add_executable(net-peer ${CMAKE_CURRENT_LIST_DIR}/NetPeer.cpp ${CMAKE_CURRENT_LIST_DIR}/ArgumentNumber.cpp
  ${CMAKE_CURRENT_LIST_DIR}/StopSignals.cpp)
target_link_libraries(net-peer PRIVATE plim)
