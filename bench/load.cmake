# A whole load of 10,000 articles with VelkoCon against the scale emulator,
# against the raw round trips of the same number of record packets.
add_executable(load_bench ${CMAKE_CURRENT_LIST_DIR}/load_bench.cpp)
target_link_libraries(load_bench PRIVATE child_process)
target_compile_definitions(load_bench PRIVATE SCALELINK_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
add_dependencies(load_bench VelkoCon xferlnk scalesim transfer_pingpong)
