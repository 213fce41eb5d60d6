# A paired read of 100,000 transactions by xferlnk against the raw round
# trips of the same read and key packets: fetch_bench runs both against the
# scale emulator.
add_executable(fetch_pingpong ${CMAKE_CURRENT_LIST_DIR}/fetch_pingpong.cpp)
add_executable(fetch_bench ${CMAKE_CURRENT_LIST_DIR}/fetch_bench.cpp)
target_link_libraries(fetch_bench PRIVATE child_process)
add_dependencies(fetch_bench xferlnk fetch_pingpong scalesim)
