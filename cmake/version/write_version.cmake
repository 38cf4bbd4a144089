# Run at build time (cmake -P): writes the version header, touching it only
# when its text changes, so a new commit rebuilds one small file.
#   -DSOURCE_DIR=<top of the tree> -DPROJECT_VERSION=<x.y.z>
#   -DTEMPLATE=<kestrin_version_values.h.in> -DOUTPUT=<header>
#
# The version, which the programs' --version and the packages share:
#   x.y.z                   the commit the release's tag vx.y.z names
#   x.y.z+gitN.abcdef0      any other commit: N commits in its history, then
#                           its own; sorts after the release and after every
#                           earlier commit (a count since the tag would start
#                           again at a tag made later)
#   ...-dirty               with changes not committed
#   x.y.z                   outside a git checkout
set(KESTRIN_VERSION_TEXT "${PROJECT_VERSION}")
find_program(GIT_EXECUTABLE git)
# Only a checkout of its own: a tarball unpacked inside another repository
# must not take that repository's commit.
if(GIT_EXECUTABLE AND EXISTS "${SOURCE_DIR}/.git")
  function(kestrin_git out)
    execute_process(COMMAND "${GIT_EXECUTABLE}" -C "${SOURCE_DIR}" --no-optional-locks ${ARGN}
                    OUTPUT_VARIABLE text OUTPUT_STRIP_TRAILING_WHITESPACE
                    RESULT_VARIABLE failed ERROR_QUIET)
    if(failed)
      set(text "")
    endif()
    set(${out} "${text}" PARENT_SCOPE)
  endfunction()
  kestrin_git(head rev-parse HEAD)
  if(head MATCHES "^[0-9a-f]+$")
    kestrin_git(released rev-parse -q --verify "refs/tags/v${PROJECT_VERSION}^{commit}")
    if(NOT head STREQUAL released)
      kestrin_git(count rev-list --count HEAD)
      kestrin_git(commit rev-parse --short=7 HEAD)
      string(APPEND KESTRIN_VERSION_TEXT "+git${count}.${commit}")
    endif()
    kestrin_git(changes status --porcelain --untracked-files=no)
    if(NOT changes STREQUAL "")
      string(APPEND KESTRIN_VERSION_TEXT "-dirty")
    endif()
  endif()
endif()
configure_file("${TEMPLATE}" "${OUTPUT}" @ONLY)
