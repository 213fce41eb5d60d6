# Cross build of the Windows programs with the MinGW-w64 compilers of Debian's
# g++-mingw-w64-x86-64:
#   cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake
# (with disk_fault_tests, whose GoogleTest comes from Debian's googletest;
# -DSCALELINK_TESTS=OFF builds the programs alone).
# -DMINGW_THREADS=posix picks the compilers of the POSIX thread model
# (std::mutex and std::thread, which the transfer program and GoogleTest
# need, with the winpthreads library linked in), as scripts/build-windows.sh
# does; without it, the system's default ones (the win32 thread model on
# Debian).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(mingw_prefix x86_64-w64-mingw32)
set(mingw_suffix "")
if(MINGW_THREADS)
  set(mingw_suffix -${MINGW_THREADS})
endif()
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES MINGW_THREADS)
set(CMAKE_C_COMPILER ${mingw_prefix}-gcc${mingw_suffix})
set(CMAKE_CXX_COMPILER ${mingw_prefix}-g++${mingw_suffix})
set(CMAKE_RC_COMPILER ${mingw_prefix}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${mingw_prefix})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The compiler's own libraries linked in, so that the .exe files need no
# DLLs beside them.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
