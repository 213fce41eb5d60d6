# The scale emulator's cost per request against a bare loopback round trip.
add_executable(scalesim_bench ${CMAKE_CURRENT_LIST_DIR}/scalesim_bench.cpp)
target_compile_definitions(scalesim_bench PRIVATE SCALESIM_PATH="${CMAKE_BINARY_DIR}/bin/scalesim")
add_dependencies(scalesim_bench scalesim)
