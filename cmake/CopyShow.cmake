# Makes the build tree's copy of one show: the files its author wrote (listed
# in FILE_LIST, relative to SOURCE), then the assets its generator makes
# (GENERATOR DEST, when the show has one). The copy is what gets installed, so
# the source tree's show is never written to by the install.
#
#   cmake -DSOURCE=shows/x -DDEST=build/shows/x -DFILE_LIST=x.files [-DGENERATOR=MakeXAssets [-DGENERATOR_OPTIONS=--x]] -DSTAMP=... -P CopyShow.cmake
file(REMOVE_RECURSE "${DEST}")
file(MAKE_DIRECTORY "${DEST}")
file(STRINGS "${FILE_LIST}" files)
foreach(file ${files})
  get_filename_component(dir "${DEST}/${file}" DIRECTORY)
  file(COPY "${SOURCE}/${file}" DESTINATION "${dir}")
endforeach()
if(GENERATOR)
  execute_process(COMMAND "${GENERATOR}" ${GENERATOR_OPTIONS} "${DEST}" WORKING_DIRECTORY "${DEST}"
    RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${GENERATOR} could not make the assets of ${DEST}:\n${output}")
  endif()
endif()
file(REMOVE "${DEST}/error_log.txt")
file(WRITE "${STAMP}" "")
