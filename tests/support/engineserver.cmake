# The five engines on a loopback server, shared by the GUI tests and the update-run benchmark.
include_guard(GLOBAL)
include(${CMAKE_CURRENT_LIST_DIR}/httptestserver.cmake)

add_library(brenlow_engine_server STATIC ${CMAKE_CURRENT_LIST_DIR}/engineserver.cpp)
target_link_libraries(brenlow_engine_server PUBLIC brenlow_logic brenlow_http_test_server)
