# The scripted loopback HTTP server and port helpers, shared by the tests and the fetch benchmark; included from
# both, so it is built even when the tests are not.
include_guard(GLOBAL)
find_package(Threads REQUIRED)

add_library(brenlow_http_test_server STATIC
    ${CMAKE_CURRENT_LIST_DIR}/httptestserver.cpp
    ${CMAKE_CURRENT_LIST_DIR}/loopbackports.cpp
)
target_include_directories(brenlow_http_test_server PUBLIC ${CMAKE_CURRENT_LIST_DIR}/..)
target_link_libraries(brenlow_http_test_server PUBLIC brenlow_options Qt6::Core Threads::Threads)
