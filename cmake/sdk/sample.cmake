# The sample application, built against the installed SDK alone:
#   cmake -S <sdk>/sample -B build -DCMAKE_TOOLCHAIN_FILE=<sdk>/toolchains/mingw-w64.cmake \
#         -DCMAKE_PREFIX_PATH=<sdk>
#   cmake --build build
# (toolchains/mingw-w64-i686.cmake builds the same program for 32-bit Windows.)
cmake_minimum_required(VERSION 3.16)
project(hello_gi C CXX)

find_package(Gyrantrix 8.0 REQUIRED)
add_executable(hello_gi hello_gi.c)
target_link_libraries(hello_gi PRIVATE Gyrantrix::gyrantrix)
