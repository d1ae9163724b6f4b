# plim-demo: the engine's own loop over one context that draws with the debug font.
add_executable(plim-demo ${CMAKE_CURRENT_LIST_DIR}/PlimDemo.cpp)
target_link_libraries(plim-demo PRIVATE plim)
