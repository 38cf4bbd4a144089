# Run at build time (cmake -P): writes the version header, touching it only
# when its text changes, so a new commit rebuilds one small file.
#   -DSOURCE_DIR=<top of the tree> -DPROJECT_VERSION=<x.y.z>
#   -DTEMPLATE=<kestrin_version_values.h.in> -DOUTPUT=<header>
set(KESTRIN_GIT_COMMIT "")
find_program(GIT_EXECUTABLE git)
# Only a checkout of its own: a tarball unpacked inside another repository
# must not take that repository's commit.
if(GIT_EXECUTABLE AND EXISTS "${SOURCE_DIR}/.git")
  execute_process(COMMAND "${GIT_EXECUTABLE}" -C "${SOURCE_DIR}" rev-parse --short=7 HEAD
                  OUTPUT_VARIABLE commit OUTPUT_STRIP_TRAILING_WHITESPACE
                  RESULT_VARIABLE failed ERROR_QUIET)
  if(NOT failed AND commit MATCHES "^[0-9a-f]+$")
    set(KESTRIN_GIT_COMMIT "${commit}")
  endif()
endif()
configure_file("${TEMPLATE}" "${OUTPUT}" @ONLY)
