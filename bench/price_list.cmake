# The load mode's conversion of a large price list into the PLU file.
add_executable(price_list_bench ${CMAKE_CURRENT_LIST_DIR}/price_list_bench.cpp)
target_link_libraries(price_list_bench PRIVATE converter_lib)
