# Read by cpack before it makes a package (CPACK_PROJECT_CONFIG_FILE): the
# package's version is the one the programs were built with, from the
# version header of the build (cmake/version/write_version.cmake), so that
# `kestrin --version` and the package always agree, whatever was committed
# since the build was configured.
if(NOT EXISTS "${CPACK_KESTRIN_VERSION_HEADER}")
  message(FATAL_ERROR "${CPACK_KESTRIN_VERSION_HEADER} is missing: build the programs first")
endif()
file(STRINGS "${CPACK_KESTRIN_VERSION_HEADER}" kestrin_line REGEX "^#define KESTRIN_VERSION_TEXT ")
string(REGEX REPLACE "^#define KESTRIN_VERSION_TEXT \"(.*)\"$" "\\1" kestrin_version "${kestrin_line}")
set(CPACK_PACKAGE_VERSION "${kestrin_version}")
set(CPACK_DEBIAN_PACKAGE_VERSION "${kestrin_version}")
if(CPACK_KESTRIN_WINDOWS_ARCH)
  set(CPACK_PACKAGE_FILE_NAME "kestrin-${kestrin_version}-${CPACK_KESTRIN_WINDOWS_ARCH}")
endif()
