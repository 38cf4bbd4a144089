# RE2, the regular expressions of `expect match` (script/): a match takes
# time linear in the text, whatever the pattern. Defines the target re2::re2.
#
# Linux: Debian's libre2-dev (20220601). The Windows builds (mingw-w64, for
# which Debian has no RE2): Debian's own source of the same version, its
# hash pinned, built here with the cross compiler as Debian builds it (the
# three tables its source leaves out are made from the Unicode data of
# Debian's unicode-data, the data Debian's libre2 was built with). Offline,
# -DFETCHCONTENT_SOURCE_DIR_RE2=DIR names an unpacked copy of the archive.

if(NOT WIN32)
  find_path(KESTRIN_RE2_INCLUDE_DIR re2/re2.h REQUIRED)
  find_library(KESTRIN_RE2_LIBRARY re2 REQUIRED)
  add_library(re2::re2 UNKNOWN IMPORTED)
  set_target_properties(re2::re2 PROPERTIES
    IMPORTED_LOCATION ${KESTRIN_RE2_LIBRARY}
    INTERFACE_INCLUDE_DIRECTORIES ${KESTRIN_RE2_INCLUDE_DIR})
  target_link_libraries(re2::re2 INTERFACE Threads::Threads)
  return()
endif()

include(FetchContent)
FetchContent_Declare(re2
  URL http://deb.debian.org/debian/pool/main/r/re2/re2_20220601+dfsg.orig.tar.xz
  URL_HASH SHA256=3bc61251da3b0b97be40a8a127818c517c62516e4eda11fc901d29496663df54)
FetchContent_GetProperties(re2)
if(NOT re2_POPULATED)
  FetchContent_Populate(re2)
endif()

# The generated tables, as Debian's build makes them (REBUILD_TABLES=1 with
# its patch that reads the Unicode data from /usr/share/unicode).
find_program(KESTRIN_PERL perl REQUIRED)
find_package(Python3 REQUIRED COMPONENTS Interpreter)
set(kestrin_unicode_data /usr/share/unicode)
if(NOT EXISTS ${kestrin_unicode_data}/UnicodeData.txt)
  message(FATAL_ERROR "RE2's tables need the Unicode data in ${kestrin_unicode_data}: "
                      "apt-get install unicode-data (.ci/install-deps --ci)")
endif()
set(kestrin_re2_tables ${re2_BINARY_DIR}/tables)
file(MAKE_DIRECTORY ${kestrin_re2_tables}/re2)
file(READ ${re2_SOURCE_DIR}/re2/unicode.py kestrin_unicode_py)
string(REPLACE "\"https://www.unicode.org/Public/14.0.0/ucd\"" "\"${kestrin_unicode_data}\""
       kestrin_unicode_py "${kestrin_unicode_py}")
file(WRITE ${kestrin_re2_tables}/unicode.py "${kestrin_unicode_py}")
# Each generator beside the patched unicode.py, so that it imports that one.
foreach(table IN ITEMS casefold groups)
  configure_file(${re2_SOURCE_DIR}/re2/make_unicode_${table}.py
                 ${kestrin_re2_tables}/make_unicode_${table}.py COPYONLY)
endforeach()
foreach(table IN ITEMS perl_groups unicode_casefold unicode_groups)
  set(output ${kestrin_re2_tables}/re2/${table}.cc)
  if(EXISTS ${output})
    continue()
  endif()
  if(table STREQUAL perl_groups)
    set(generator ${KESTRIN_PERL} ${re2_SOURCE_DIR}/re2/make_perl_groups.pl)
  else()
    set(generator ${Python3_EXECUTABLE} ${kestrin_re2_tables}/make_${table}.py)
  endif()
  # Through a file of its own, so that a failed run leaves no half table.
  execute_process(COMMAND ${generator} WORKING_DIRECTORY ${kestrin_re2_tables}
                  OUTPUT_FILE ${output}.part RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "RE2's table ${table}.cc could not be made (${status}): perl, "
                        "python3 and python3-six are needed (.ci/install-deps --ci)")
  endif()
  file(RENAME ${output}.part ${output})
endforeach()

# RE2's own list of sources (its CMakeLists.txt), built without its install
# rules, which would put its headers and library into the zip.
set(kestrin_re2_sources)
foreach(source IN ITEMS bitstate compile dfa filtered_re2 mimics_pcre nfa onepass parse prog re2
                        regexp set simplify stringpiece tostring)
  list(APPEND kestrin_re2_sources ${re2_SOURCE_DIR}/re2/${source}.cc)
endforeach()
add_library(re2 STATIC ${kestrin_re2_sources}
  ${re2_SOURCE_DIR}/util/rune.cc ${re2_SOURCE_DIR}/util/strutil.cc
  ${kestrin_re2_tables}/re2/perl_groups.cc ${kestrin_re2_tables}/re2/unicode_casefold.cc
  ${kestrin_re2_tables}/re2/unicode_groups.cc)
target_include_directories(re2 SYSTEM PUBLIC ${re2_SOURCE_DIR})
target_compile_definitions(re2 PRIVATE UNICODE _UNICODE STRICT)
# Another project's code: its warnings are not ours to fix.
target_compile_options(re2 PRIVATE -w)
set_target_properties(re2 PROPERTIES UNITY_BUILD OFF)
add_library(re2::re2 ALIAS re2)
