# The scripted loopback HTTP server, which also plays the five engines, and port helpers, shared by the tests and
# the benchmarks; included from both, so it is built even when the tests are not.
include_guard(GLOBAL)
find_package(Threads REQUIRED)

add_library(brenlow_http_test_server STATIC
    ${CMAKE_CURRENT_LIST_DIR}/httptestserver.cpp
    ${CMAKE_CURRENT_LIST_DIR}/loopbackports.cpp
)
target_include_directories(brenlow_http_test_server PUBLIC ${CMAKE_CURRENT_LIST_DIR}/..)
target_compile_definitions(brenlow_http_test_server PRIVATE BRENLOW_TEST_DATA_DIR="${CMAKE_CURRENT_LIST_DIR}/../data")
target_link_libraries(brenlow_http_test_server PUBLIC brenlow_logic Threads::Threads)
