# Run by cmake --install and by cpack: installs the manual pages the build
# wrote (plain roff, cmake/ManPage.cmake), each finished with the places this
# install puts things, which only the install knows (/usr for the Debian
# package, /usr/local or --prefix for cmake --install), and gzipped.
#
# Set before it is included: HALVENOR_MAN_PAGES (the built pages),
# HALVENOR_MAN_DESTINATION and HALVENOR_DATA_DESTINATION (relative to the
# prefix, or absolute). In a page, @HALVENOR_SHOWS_DIR@ becomes the directory
# the shows are installed into.
set(shows "${HALVENOR_DATA_DESTINATION}/halvenor/shows")
if(NOT IS_ABSOLUTE "${shows}")
  set(shows "${CMAKE_INSTALL_PREFIX}/${shows}")
endif()
set(destination "${HALVENOR_MAN_DESTINATION}")
if(NOT IS_ABSOLUTE "${destination}")
  set(destination "${CMAKE_INSTALL_PREFIX}/${destination}")
endif()

# Finished apart from the build tree, which an install run as root must not
# leave files of root's in.
set(temporary "$ENV{TMPDIR}")
if(NOT temporary)
  set(temporary /tmp)
endif()
string(RANDOM LENGTH 12 token)
set(work "${temporary}/halvenor-man-${token}")
file(MAKE_DIRECTORY "${work}")
set(finished)
foreach(page ${HALVENOR_MAN_PAGES})
  get_filename_component(name "${page}" NAME)
  file(READ "${page}" text)
  string(REPLACE "@HALVENOR_SHOWS_DIR@" "${shows}" text "${text}")
  file(WRITE "${work}/${name}" "${text}")
  # -n: no name or time stamp inside, so the same page packs to the same bytes.
  execute_process(COMMAND gzip -9 -n -f "${work}/${name}" RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    file(REMOVE_RECURSE "${work}")
    message(FATAL_ERROR "gzip could not pack the manual page ${name}")
  endif()
  list(APPEND finished "${work}/${name}.gz")
endforeach()
# As install(FILES) would: DESTDIR, the manifest and the permissions.
file(INSTALL DESTINATION "${destination}" TYPE FILE
  PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ FILES ${finished})
file(REMOVE_RECURSE "${work}")
