# The whole shop: 8 emulated scales loaded and fetched by one VelkoCon run,
# against one scale alone, with the emulator holding each reply 1 ms.
add_executable(shop_bench ${CMAKE_CURRENT_LIST_DIR}/shop_bench.cpp)
target_link_libraries(shop_bench PRIVATE child_process)
target_compile_definitions(shop_bench PRIVATE SCALELINK_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
add_dependencies(shop_bench VelkoCon xferlnk scalesim)
