# A load with verification of 10,000 articles against the load alone, with
# the scale emulator holding each reply 1 ms.
add_executable(verify_bench ${CMAKE_CURRENT_LIST_DIR}/verify_bench.cpp)
target_link_libraries(verify_bench PRIVATE child_process)
target_compile_definitions(verify_bench PRIVATE SCALELINK_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
add_dependencies(verify_bench VelkoCon xferlnk scalesim)
