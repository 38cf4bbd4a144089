# kestrin_version: the version of the programs' --version and of the
# packages: the release, and past its tag the commit (write_version.cmake).
# It is read at every build (not only at configure time), so a program never
# names a commit older than its sources; a build outside a git checkout
# carries the release alone.
set(kestrin_version_dir ${CMAKE_BINARY_DIR}/generated/version)
set(kestrin_version_header ${kestrin_version_dir}/kestrin_version_values.h)
add_custom_target(kestrin_version_values
  COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${PROJECT_SOURCE_DIR} -DPROJECT_VERSION=${PROJECT_VERSION}
          -DTEMPLATE=${CMAKE_CURRENT_LIST_DIR}/version/kestrin_version_values.h.in
          -DOUTPUT=${kestrin_version_header}
          -P ${CMAKE_CURRENT_LIST_DIR}/version/write_version.cmake
  BYPRODUCTS ${kestrin_version_header}
  COMMENT "Version ${PROJECT_VERSION}, with the git commit past the release"
  VERBATIM)

add_library(kestrin_version STATIC ${CMAKE_CURRENT_LIST_DIR}/version/kestrin_version.cpp)
add_dependencies(kestrin_version kestrin_version_values)
target_include_directories(kestrin_version PUBLIC ${CMAKE_CURRENT_LIST_DIR}/version
                                           PRIVATE ${kestrin_version_dir})
target_link_libraries(kestrin_version PRIVATE kestrin_warnings)
