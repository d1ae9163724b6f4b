# udp-flood: forged datagrams at a steady rate toward a server, from forged
# sources where it may (a test tool). It writes them with the engine tests' forge.
if(TARGET plim_testsupport)
  add_executable(udp-flood ${CMAKE_CURRENT_LIST_DIR}/UdpFlood.cpp ${CMAKE_CURRENT_LIST_DIR}/ArgumentNumber.cpp)
  target_link_libraries(udp-flood PRIVATE plim_testsupport)
endif()
