# The record load of xferlnk against the raw round-trip time of the same
# packets: transfer_bench runs both against the scale emulator.
add_executable(transfer_pingpong ${CMAKE_CURRENT_LIST_DIR}/transfer_pingpong.cpp)
add_executable(transfer_bench ${CMAKE_CURRENT_LIST_DIR}/transfer_bench.cpp)
target_link_libraries(transfer_bench PRIVATE child_process)
add_dependencies(transfer_bench xferlnk transfer_pingpong scalesim)
