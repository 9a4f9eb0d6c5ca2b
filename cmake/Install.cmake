# Installing like any Linux program (included at the end of CMakeLists.txt,
# once every target exists):
#   cmake --install build [--prefix PREFIX]   PREFIX/bin, PREFIX/share/man/man1,
#                                              PREFIX/share/halvenor/shows
#   cd build && cpack -G DEB                  halvenor_VERSION_ARCH.deb
include(GNUInstallDirs)
# Named, so that the install test's own cmake --install --component writes its
# manifest apart and build/install_manifest.txt keeps listing the user's install.
set(CMAKE_INSTALL_DEFAULT_COMPONENT_NAME halvenor)

# The programs a show author runs, each with the line its manual page opens
# with. Programs the build does not define are skipped, and a tools/halvenor-*
# program missing here is installed all the same, with a plain line.
set(HALVENOR_PROGRAMS
  "halvenor|play a real-time demo show in step with its music"
  "halvenor-check|check a Halvenor show before it plays"
  "halvenor-capture|render a Halvenor show to a video or to PNG frames"
  "halvenor-ctl|remote control for a Halvenor show that is playing"
  "halvenor-font|make the font image of a Halvenor show"
  "SceneExport|write an ASE scene as a Halvenor binary scene file"
  "ParticleTool|make, dump and pack Halvenor particle definition files")
set(listed)
foreach(entry ${HALVENOR_PROGRAMS})
  string(REPLACE "|" ";" entry "${entry}")
  list(GET entry 0 name)
  list(APPEND listed ${name})
endforeach()
foreach(name ${TOOL_TARGETS})
  if(name MATCHES "^halvenor-" AND NOT name IN_LIST listed)
    list(APPEND HALVENOR_PROGRAMS "${name}|a program of the Halvenor demo engine")
  endif()
endforeach()

# Sanitizer and fuzzing builds are for testing only: their programs are not
# run at build time to make manual pages or assets.
set(HALVENOR_TEST_ONLY_BUILD OFF)
if(HALVENOR_SANITIZE OR HALVENOR_BUILD_FUZZERS)
  set(HALVENOR_TEST_ONLY_BUILD ON)
endif()
find_program(HELP2MAN_EXECUTABLE help2man)
set(HALVENOR_MAN_PAGES OFF)
if(HALVENOR_TEST_ONLY_BUILD)
  message(STATUS "Manual pages and installed shows: not made in a sanitizer or fuzzing build")
elseif(NOT HELP2MAN_EXECUTABLE)
  message(STATUS "help2man not found: no manual pages (apt-get install help2man)")
else()
  set(HALVENOR_MAN_PAGES ON)
endif()

set(HALVENOR_MAN_DIR ${CMAKE_CURRENT_BINARY_DIR}/man)
set(installed_programs)
set(man_pages)
foreach(entry ${HALVENOR_PROGRAMS})
  string(REPLACE "|" ";" entry "${entry}")
  list(GET entry 0 name)
  list(GET entry 1 description)
  if(NOT TARGET ${name})
    continue()
  endif()
  list(APPEND installed_programs ${name})
  if(HALVENOR_MAN_PAGES)
    # doc/man/NAME.h2m adds sections --help has no room for (files, examples).
    set(include ${CMAKE_CURRENT_SOURCE_DIR}/doc/man/${name}.h2m)
    set(include_depends)
    if(EXISTS ${include})
      set(include_depends ${include})
    endif()
    set(page ${HALVENOR_MAN_DIR}/${name}.1)
    add_custom_command(OUTPUT ${page}
      COMMAND ${CMAKE_COMMAND} -DHELP2MAN=${HELP2MAN_EXECUTABLE} -DPROGRAM=$<TARGET_FILE:${name}>
        -DNAME=${name} -DDESCRIPTION=${description} "-DSOURCE=Halvenor ${PROJECT_VERSION}" -DINCLUDE=${include} -DOUTPUT=${page}
        -P ${CMAKE_CURRENT_SOURCE_DIR}/cmake/ManPage.cmake
      DEPENDS ${name} ${include_depends} ${CMAKE_CURRENT_SOURCE_DIR}/cmake/ManPage.cmake
      COMMENT "Manual page of ${name}" VERBATIM)
    list(APPEND man_pages ${page})
  endif()
endforeach()
install(TARGETS ${installed_programs} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(man_pages)
  file(MAKE_DIRECTORY ${HALVENOR_MAN_DIR})
  add_custom_target(man_pages ALL DEPENDS ${man_pages})
  # Gzipped as they are installed, with the install's own prefix in them.
  install(CODE "set(HALVENOR_MAN_PAGES \"${man_pages}\")
    set(HALVENOR_MAN_DESTINATION \"${CMAKE_INSTALL_MANDIR}/man1\")
    set(HALVENOR_DATA_DESTINATION \"${CMAKE_INSTALL_DATADIR}\")
    include(\"${CMAKE_CURRENT_SOURCE_DIR}/cmake/InstallManPages.cmake\")")
endif()

# Every shows/NAME with a preconfig.txt is installed into
# share/halvenor/shows/NAME from a copy in the build tree, build/shows/NAME:
# the files its author wrote plus, when the show's assets are made by code,
# what its generator makes (a tool named Make<Name>Assets, given the show
# directory: MakeSampleAssets for shows/sample, MakeSampleAssets --tracker for
# shows/tracker). Files the show's .gitignore
# names at its top (what the generator or the player write into the source
# tree) are not the author's and are not copied.
function(halvenor_show_files show_dir out_var)
  set(ignored error_log.txt)
  if(EXISTS ${show_dir}/.gitignore)
    file(STRINGS ${show_dir}/.gitignore lines)
    foreach(line ${lines})
      string(STRIP "${line}" line)
      if(line STREQUAL "" OR line MATCHES "^#")
        continue()
      endif()
      string(REGEX REPLACE "^/" "" line "${line}")
      string(REGEX REPLACE "/$" "" line "${line}")
      list(APPEND ignored "${line}")
    endforeach()
  endif()
  file(GLOB_RECURSE files RELATIVE ${show_dir} ${show_dir}/*)
  set(kept)
  foreach(file ${files})
    string(REGEX REPLACE "/.*" "" top "${file}")
    set(skip OFF)
    foreach(pattern ${ignored})
      # A .gitignore pattern as a regular expression: * and ? stay within a name.
      string(REPLACE "." "\\." regex "${pattern}")
      string(REPLACE "*" "[^/]*" regex "${regex}")
      string(REPLACE "?" "[^/]" regex "${regex}")
      if(top MATCHES "^${regex}$" OR file MATCHES "^${regex}$")
        set(skip ON)
        break()
      endif()
    endforeach()
    if(NOT skip AND NOT file STREQUAL ".gitignore")
      list(APPEND kept ${file})
    endif()
  endforeach()
  set(${out_var} ${kept} PARENT_SCOPE)
endfunction()

if(NOT HALVENOR_TEST_ONLY_BUILD)
  file(GLOB show_configs ${CMAKE_CURRENT_SOURCE_DIR}/shows/*/preconfig.txt)
  set(show_stamps)
  foreach(config ${show_configs})
    get_filename_component(show_dir ${config} DIRECTORY)
    get_filename_component(show ${show_dir} NAME)
    halvenor_show_files(${show_dir} files)
    set(absolute_files)
    foreach(file ${files})
      list(APPEND absolute_files ${show_dir}/${file})
    endforeach()
    string(REPLACE ";" "\n" file_lines "${files}")
    file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/shows/${show}.files "${file_lines}\n")

    string(SUBSTRING ${show} 0 1 first)
    string(SUBSTRING ${show} 1 -1 rest)
    string(TOUPPER ${first} first)
    set(generator Make${first}${rest}Assets)
    set(generator_args)
    if(show STREQUAL "tracker")
      # The tracker sample's module is composed by the sample's generator.
      set(generator MakeSampleAssets)
      set(generator_args -DGENERATOR_OPTIONS=--tracker)
    endif()
    if(TARGET ${generator})
      list(APPEND generator_args -DGENERATOR=$<TARGET_FILE:${generator}>)
    else()
      set(generator)
    endif()
    set(copy ${CMAKE_CURRENT_BINARY_DIR}/shows/${show})
    set(stamp ${CMAKE_CURRENT_BINARY_DIR}/shows/${show}.made)
    add_custom_command(OUTPUT ${stamp}
      COMMAND ${CMAKE_COMMAND} -DSOURCE=${show_dir} -DDEST=${copy}
        -DFILE_LIST=${CMAKE_CURRENT_BINARY_DIR}/shows/${show}.files ${generator_args} -DSTAMP=${stamp}
        -P ${CMAKE_CURRENT_SOURCE_DIR}/cmake/CopyShow.cmake
      DEPENDS ${absolute_files} ${CMAKE_CURRENT_BINARY_DIR}/shows/${show}.files ${generator}
        ${CMAKE_CURRENT_SOURCE_DIR}/cmake/CopyShow.cmake
      COMMENT "Show ${show} with its assets for installing" VERBATIM)
    list(APPEND show_stamps ${stamp})
    install(DIRECTORY ${copy}/ DESTINATION ${CMAKE_INSTALL_DATADIR}/halvenor/shows/${show}
      PATTERN error_log.txt EXCLUDE)
  endforeach()
  if(show_stamps)
    add_custom_target(installed_shows ALL DEPENDS ${show_stamps})
  endif()
endif()

# The install test installs into a temporary prefix and checks what lands.
if(TARGET test_tools_InstallTest)
  string(REPLACE ";" " " program_words "${installed_programs}")
  target_compile_definitions(test_tools_InstallTest PRIVATE
    HALVENOR_CMAKE_COMMAND="${CMAKE_COMMAND}"
    HALVENOR_INSTALL_COMPONENT="${CMAKE_INSTALL_DEFAULT_COMPONENT_NAME}"
    HALVENOR_MAN_PAGES=$<BOOL:${HALVENOR_MAN_PAGES}>
    HALVENOR_INSTALLS_SHOWS=$<NOT:$<BOOL:${HALVENOR_TEST_ONLY_BUILD}>>
    HALVENOR_INSTALLED_PROGRAMS="${program_words}")
  add_dependencies(test_tools_InstallTest ${installed_programs})
  if(TARGET man_pages)
    add_dependencies(test_tools_InstallTest man_pages)
  endif()
  if(TARGET installed_shows)
    add_dependencies(test_tools_InstallTest installed_shows)
  endif()
endif()

# The Debian package: the same files under /usr. Its dependencies are those
# of the programs' shared libraries (dpkg-shlibdeps, from dpkg-dev) plus the
# OpenGL driver, which the programs load through libGL at run time, and the
# DejaVu fonts, which the author overlay and halvenor-font read by path.
set(CPACK_PACKAGE_NAME halvenor)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Halvenor Engine")
set(CPACK_PACKAGE_CONTACT "Halvenor Engine developers <developers@halvenor.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "real-time demo engine that plays OpenGL shows in step with music")
set(CPACK_PACKAGE_DESCRIPTION "Halvenor plays a pre-authored audiovisual show in one OpenGL window:
3D scenes from ASE exports or binary scene files, 2D layers, particle systems
and a blur and feedback pass, timed by a script against a music stream and
named in one plain-text file, preconfig.txt. The package holds the player
(halvenor), the show checker, the capture tool, the authoring tools, their
manual pages and a sample show in /usr/share/halvenor/shows.")
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libgl1-mesa-dri, fonts-dejavu-core")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "ffmpeg")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "xvfb, xauth")
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_STRIP_FILES ON)
include(CPack)
