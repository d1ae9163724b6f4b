# udp-flood: forged datagrams at a steady rate toward a server, from forged
# sources where it may (a test tool). It writes them with the engine tests' forge.
if(TARGET plim_testsupport)
  add_executable(udp-flood ${CMAKE_CURRENT_LIST_DIR}/UdpFlood.cpp ${CMAKE_CURRENT_LIST_DIR}/DatagramFlood.cpp
                 ${CMAKE_CURRENT_LIST_DIR}/ArgumentNumber.cpp ${CMAKE_CURRENT_LIST_DIR}/StopSignals.cpp)
  target_link_libraries(udp-flood PRIVATE plim_testsupport)
  # A server under the tool's flood keeps an honest client: from forged
  # sources with a raw socket, from sockets with a receive buffer that holds it.
  add_executable(linux_udp_flood_test ${CMAKE_CURRENT_LIST_DIR}/tests/udp_flood_test.cpp
                 ${CMAKE_CURRENT_LIST_DIR}/DatagramFlood.cpp)
  target_include_directories(linux_udp_flood_test PRIVATE ${CMAKE_CURRENT_LIST_DIR})
  target_link_libraries(linux_udp_flood_test PRIVATE plim_testsupport GTest::gtest GTest::gtest_main)
  plim_register_test(linux_udp_flood_test NO_DISPLAY CAPABILITY_CASES "*")
endif()
