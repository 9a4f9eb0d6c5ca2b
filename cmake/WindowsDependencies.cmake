# The libraries of the Windows build, cross-built by scripts/windows/build-deps.sh
# into HALVENOR_WIN_PREFIX (the toolchain file points pkg-config there). The
# codecs, image libraries and libopenmpt are linked in; SDL 1.2 and the
# threads runtime are DLLs that travel beside the programs.
if(NOT HALVENOR_WIN_PREFIX)
  message(FATAL_ERROR "HALVENOR_WIN_PREFIX is not set: configure with scripts/windows/toolchain.cmake")
endif()
find_package(PkgConfig REQUIRED)
# SDL's pkg-config file names SDLmain and -mwindows for every program; the
# engine enters at its own WinMain and the tools are console programs, so
# only the library itself is linked.
find_path(SDL_HEADER_DIR SDL.h PATH_SUFFIXES SDL REQUIRED)
find_library(SDL_DLL_LIBRARY SDL REQUIRED)
set(SDL_INCLUDE_DIRS ${SDL_HEADER_DIR} ${HALVENOR_WIN_PREFIX}/include)
set(SDL_LINK_LIBRARIES ${SDL_DLL_LIBRARY})
pkg_check_modules(SNDFILE REQUIRED sndfile)
pkg_check_modules(OPENMPT REQUIRED libopenmpt)
pkg_check_modules(PNG REQUIRED libpng)
find_package(OpenGL REQUIRED)
find_package(JPEG REQUIRED)
find_package(Threads REQUIRED)

# Static libraries need their own dependencies named after them: pkg-config's
# --static lists (sndfile's codecs, png's zlib).
set(HALVENOR_WINDOWS_LIBRARIES
  ${SDL_LINK_LIBRARIES} OpenGL::GLU OpenGL::GL JPEG::JPEG ${PNG_STATIC_LDFLAGS} ${SNDFILE_STATIC_LDFLAGS}
  ${OPENMPT_STATIC_LDFLAGS} Threads::Threads ws2_32 winmm
  # Opus builds itself hardened (_FORTIFY_SOURCE): its checked copies come
  # from GCC's own libssp, linked in rather than one more DLL.
  -l:libssp.a)
include_directories(SYSTEM ${SDL_INCLUDE_DIRS} ${SNDFILE_INCLUDE_DIRS} ${OPENMPT_INCLUDE_DIRS} ${PNG_INCLUDE_DIRS})
link_directories(${HALVENOR_WIN_PREFIX}/lib)
# The programs name no mingw runtime DLL they need not: libgcc and libstdc++
# would otherwise be two more files beside each program.
add_link_options(-static-libgcc -static-libstdc++)
# SDL 1.2's SDL_main.h would rename every main to SDL_main, to be entered from SDLmain: the tools keep their own console main, halvenor its WinMain.
add_compile_definitions(_SDL_main_h)
# The Windows port's files include <windows.h> without its rarely used parts
# and without the min/max macros that would break std::min and std::max.
add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX)
