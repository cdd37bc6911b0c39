# The portable wheel's toolchain (tools/build_wheel.sh): zig's C++ compiler
# targeting glibc 2.17, so that the modules load on any x86-64 Linux since.
set(CMAKE_CXX_COMPILER ${CMAKE_CURRENT_LIST_DIR}/c++)
set(CMAKE_AR ${CMAKE_CURRENT_LIST_DIR}/ar CACHE FILEPATH "")
set(CMAKE_RANLIB ${CMAKE_CURRENT_LIST_DIR}/ranlib CACHE FILEPATH "")
# zig's linker knows no --exclude-libs; the version scripts hide every symbol
# but the init functions all the same.
set(KELVANE_PORTABLE ON CACHE BOOL "")
