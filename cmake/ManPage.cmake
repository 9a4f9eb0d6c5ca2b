# Writes the manual page of one program from its --help and --version
# (help2man), with the sections of doc/man/NAME.h2m when there is one. The
# install finishes it with its prefix and gzips it (cmake/InstallManPages.cmake).
#
#   cmake -DHELP2MAN=... -DPROGRAM=path -DNAME=halvenor -DDESCRIPTION="..." -DSOURCE="Halvenor 0.2.0" \
#         [-DINCLUDE=doc/man/halvenor.h2m] -DOUTPUT=man/halvenor.1 -P ManPage.cmake
get_filename_component(work "${OUTPUT}" DIRECTORY)
set(work "${work}/.${NAME}")
file(REMOVE_RECURSE "${work}")
file(MAKE_DIRECTORY "${work}")

# help2man takes the SYNOPSIS from a first line "Usage: ..." and the lines
# "  or: ..." after it, and names the page after the file it runs. The
# programs print "usage:" and align further forms under the first (as the
# tests and scripts expect), so help2man runs them through a wrapper of the
# same name that rewrites just those lines.
set(wrapper "${work}/${NAME}")
file(WRITE "${wrapper}" "#!/bin/sh
'${PROGRAM}' \"$@\" | sed -e '1{s/^usage:/Usage:/' -e ':a' -e 'n' -e 's/^       \\([^ ]\\)/  or: \\1/' -e 'ta' -e '}'
")
execute_process(COMMAND chmod +x "${wrapper}")

# The footer names the release; the page's program name heads it already.
set(options --no-info --no-discard-stderr "--name=${DESCRIPTION}" "--source=${SOURCE}"
  "--output=${work}/${NAME}.1")
if(INCLUDE AND EXISTS "${INCLUDE}")
  list(APPEND options "--include=${INCLUDE}")
endif()
execute_process(COMMAND "${HELP2MAN}" ${options} "${wrapper}" RESULT_VARIABLE status ERROR_VARIABLE errors)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "help2man could not write the manual page of ${NAME}: ${errors}")
endif()
file(RENAME "${work}/${NAME}.1" "${OUTPUT}")
file(REMOVE_RECURSE "${work}")
