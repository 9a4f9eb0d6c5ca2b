# Writes core/Revision.h: the engine's release number and the source revision
# the build comes from (git describe --always --dirty, or REVISION when given,
# or "unknown" outside a git checkout). Runs at every build; the header is
# rewritten only when its text changes, so a new commit recompiles just the few
# files that print the version, never the whole engine.
#
#   cmake -DSOURCE_DIR=... -DOUTPUT=.../core/Revision.h -DVERSION=0.2.0 [-DREVISION=...] -P Revision.cmake
set(revision "${REVISION}")
if(revision STREQUAL "")
  set(revision unknown)
  find_program(GIT_EXECUTABLE git)
  if(GIT_EXECUTABLE)
    # Only the checkout that holds these sources names their revision: an
    # unpacked source archive inside some other repository has none.
    execute_process(COMMAND "${GIT_EXECUTABLE}" -C "${SOURCE_DIR}" rev-parse --show-toplevel
      OUTPUT_VARIABLE top RESULT_VARIABLE status OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
    if(status EQUAL 0)
      get_filename_component(top "${top}" REALPATH)
      get_filename_component(source "${SOURCE_DIR}" REALPATH)
      if(top STREQUAL source)
        execute_process(COMMAND "${GIT_EXECUTABLE}" -C "${SOURCE_DIR}" describe --always --dirty
          OUTPUT_VARIABLE described RESULT_VARIABLE status OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
        if(status EQUAL 0 AND NOT described STREQUAL "")
          set(revision "${described}")
        endif()
      endif()
    endif()
  endif()
endif()
# The text lands inside a C string literal: keep only what a revision name holds.
string(REGEX REPLACE "[^A-Za-z0-9._+~-]" "" revision "${revision}")
if(revision STREQUAL "")
  set(revision unknown)
endif()

set(text "// Written by the build (cmake/Revision.cmake) at every build: do not edit.
#define HALVENOR_VERSION_NUMBER \"${VERSION}\"
#define HALVENOR_REVISION \"${revision}\"
")
set(old "")
if(EXISTS "${OUTPUT}")
  file(READ "${OUTPUT}" old)
endif()
if(NOT old STREQUAL text)
  file(WRITE "${OUTPUT}" "${text}")
endif()
