# The portable wheel's toolchain (tools/build_wheel.sh): zig's C++ compiler
# targeting glibc 2.17, so that the modules load on any Linux of their
# machine since (x86-64, or the machine KELVANE_ZIG_TARGET names). Only the
# compiler's target changes between machines: the build-time generators run
# on the host's Python, and the headers of the stable ABI are the same on
# every 64-bit Linux.
set(CMAKE_CXX_COMPILER ${CMAKE_CURRENT_LIST_DIR}/c++)
set(CMAKE_AR ${CMAKE_CURRENT_LIST_DIR}/ar CACHE FILEPATH "")
set(CMAKE_RANLIB ${CMAKE_CURRENT_LIST_DIR}/ranlib CACHE FILEPATH "")
# zig's linker knows no --exclude-libs; the version scripts hide every symbol
# but the init functions all the same.
set(KELVANE_PORTABLE ON CACHE BOOL "")
