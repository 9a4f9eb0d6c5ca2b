# Cross-compiling for Windows x86-64 with Debian's mingw-w64 toolchain, in its
# POSIX-threads flavour (std::thread and std::mutex need it). HALVENOR_WIN_PREFIX
# is where scripts/windows/build-deps.sh installed the libraries.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32 ${HALVENOR_WIN_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES HALVENOR_WIN_PREFIX)
set(ENV{PKG_CONFIG_LIBDIR} ${HALVENOR_WIN_PREFIX}/lib/pkgconfig)
set(ENV{PKG_CONFIG_PATH} "")
