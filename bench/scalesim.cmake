# The scale emulator's cost per request against a bare loopback round trip.
add_executable(scalesim_bench ${CMAKE_CURRENT_LIST_DIR}/scalesim_bench.cpp)
target_link_libraries(scalesim_bench PRIVATE child_process)
add_dependencies(scalesim_bench scalesim)
