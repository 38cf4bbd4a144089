# Common compile settings and helpers for every Kestrin target.

if(KESTRIN_SANITIZE)
  set(kestrin_sanitized ON)
else()
  set(kestrin_sanitized OFF)
endif()

add_library(kestrin_warnings INTERFACE)
target_compile_options(kestrin_warnings INTERFACE
  -Wall -Wextra -Wpedantic -Wformat=2 -Wconversion -Wsign-conversion
  -Wshadow -Wnon-virtual-dtor -Woverloaded-virtual -Wcast-align
  -Wimplicit-fallthrough -Wundef
  $<$<BOOL:${KESTRIN_WERROR}>:-Werror>
  # GCC 12 reports false overlaps inside std::string's inlined operator+ at
  # -O2 and above (GCC bug 105329); the check is worthless there.
  $<$<CXX_COMPILER_ID:GNU>:-Wno-restrict>
  # Under the sanitizers' instrumentation GCC 12 reports uninitialised reads
  # inside std::variant and std::vector moves that cannot happen; the plain
  # build keeps the check.
  $<$<AND:$<CXX_COMPILER_ID:GNU>,$<BOOL:${kestrin_sanitized}>>:-Wno-maybe-uninitialized>)

if(KESTRIN_FUZZ)
  # Every library is instrumented for coverage; the fuzz executables link
  # the libFuzzer driver (kestrin_fuzz below).
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()

if(KESTRIN_SANITIZE)
  add_compile_options(-fsanitize=${KESTRIN_SANITIZE} -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=${KESTRIN_SANITIZE})
endif()

# __FILE__ (GoogleTest's failure locations) relative to the tree: the same
# text in every checkout, so that a compiler cache shares the units that
# expand it (every test) between checkouts in different folders.
add_compile_options(-fmacro-prefix-map=${PROJECT_SOURCE_DIR}/=)

if(KESTRIN_COVERAGE)
  # The console's threads share the counters: they are updated atomically.
  add_compile_options(--coverage -fprofile-update=atomic)
  add_link_options(--coverage)
endif()

if(NOT WIN32 AND CMAKE_SIZEOF_VOID_P EQUAL 4)
  # 32-bit Linux (armhf): glibc's 64-bit file offsets and times, else a map
  # file over 2 GB or dated past 2038 has no size and no date (stat fails
  # with EOVERFLOW) and a unit's file times wrap. None of the libraries the
  # programs call passes an off_t or a time_t.
  add_compile_definitions(_FILE_OFFSET_BITS=64 _TIME_BITS=64)
endif()

# Where the tree and its test data are, for the tests, benchmarks and fuzz
# targets that read files of it: a generated header rather than -D flags, so
# that a compiler cache shares every unit that does not name them between
# checkouts in different folders.
file(CONFIGURE OUTPUT ${PROJECT_BINARY_DIR}/generated/kestrin_tree.h @ONLY CONTENT [[
#pragma once
#define KESTRIN_SOURCE_DIR "@PROJECT_SOURCE_DIR@"
#define KESTRIN_TESTDATA_DIR "@PROJECT_SOURCE_DIR@/testdata"
]])
add_library(kestrin_tree INTERFACE)
target_include_directories(kestrin_tree INTERFACE ${PROJECT_BINARY_DIR}/generated)

set(THREADS_PREFER_PTHREAD_FLAG ON)
find_package(Threads REQUIRED)

# kestrin_library(NAME DIR ... ) : a static library with a public include/
# directory. Only what it links against can be included by it, so the layering
# is enforced by the include paths, not by discipline.
function(kestrin_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;PUBLIC_DEPS;PRIVATE_DEPS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR}/include)
  target_link_libraries(${name} PUBLIC ${ARG_PUBLIC_DEPS} PRIVATE kestrin_warnings ${ARG_PRIVATE_DEPS})
endfunction()

# kestrin_test(NAME [PORTABLE] SOURCES ... DEPS ...) : one GoogleTest
# executable, registered with CTest test by test, with the shared
# test-support headers. Only PORTABLE tests (those that need no part of the
# Linux host) are built for Windows.
function(kestrin_test name)
  cmake_parse_arguments(ARG "PORTABLE" "" "SOURCES;DEPS" ${ARGN})
  if(NOT KESTRIN_TESTS OR (WIN32 AND NOT ARG_PORTABLE))
    return()
  endif()
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE kestrin_warnings kestrin_tree kestrin_test_support ${ARG_DEPS} GTest::gtest GTest::gtest_main GTest::gmock Threads::Threads)
  if(WIN32)
    # The list is taken under wine when ctest runs, so that building needs
    # no wine.
    gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 300)
  elseif(CMAKE_CROSSCOMPILING_EMULATOR)
    # A test that must start its own program again (a death test in a fresh
    # process) learns from KESTRIN_EMULATOR that it runs under one.
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 300
                         ENVIRONMENT "KESTRIN_EMULATOR=${KESTRIN_TEST_EMULATOR}")
  else()
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 300)
  endif()
endfunction()

# kestrin_bench(NAME SOURCES ... DEPS ...) : a Google Benchmark executable in
# bench/. Benchmarks are programs, not tests: run them by hand (README).
function(kestrin_bench name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE kestrin_warnings kestrin_tree ${ARG_DEPS} benchmark::benchmark Threads::Threads)
endfunction()

# kestrin_fuzz(NAME SOURCES ... DEPS ... CORPUS dir) : a libFuzzer target
# (clang, KESTRIN_FUZZ=ON). CI runs each for a bounded time from its corpus.
function(kestrin_fuzz name)
  cmake_parse_arguments(ARG "" "CORPUS" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE kestrin_warnings ${ARG_DEPS})
  target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  set_property(GLOBAL APPEND PROPERTY KESTRIN_FUZZ_TARGETS "${name}=${ARG_CORPUS}")
endfunction()

# In a cross build (the ARM one) the tests run the programs under
# CMAKE_CROSSCOMPILING_EMULATOR (qemu-user). CTest puts it in front of a
# test whose command names a target; a shell a test starts does not, so
# such tests get KESTRIN_TEST_EMULATOR (the emulator's command line, empty
# in a native build) or a program through kestrin_test_program.
string(JOIN " " KESTRIN_TEST_EMULATOR ${CMAKE_CROSSCOMPILING_EMULATOR})

# kestrin_test_program(VAR TARGET) : sets VAR to what a test's script runs
# as the program TARGET: the program itself, or in a cross build a script
# beside the test that runs it under the emulator (its --jobs workers too).
function(kestrin_test_program var target)
  if(NOT CMAKE_CROSSCOMPILING_EMULATOR)
    set(${var} $<TARGET_FILE:${target}> PARENT_SCOPE)
    return()
  endif()
  set(wrapper ${CMAKE_BINARY_DIR}/emulated/${target})
  # One wrapper a program, however many tests ask for it.
  get_property(made GLOBAL PROPERTY KESTRIN_EMULATED_${target})
  if(made)
    set(${var} ${wrapper} PARENT_SCOPE)
    return()
  endif()
  set_property(GLOBAL PROPERTY KESTRIN_EMULATED_${target} TRUE)
  file(GENERATE OUTPUT ${wrapper}
       CONTENT "#!/bin/sh\nKESTRIN_EMULATOR='${KESTRIN_TEST_EMULATOR}' exec ${KESTRIN_TEST_EMULATOR} '$<TARGET_FILE:${target}>' \"$@\"\n"
       FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                        WORLD_READ WORLD_EXECUTE)
  set(${var} ${wrapper} PARENT_SCOPE)
endfunction()

# kestrin_script_test(NAME SCRIPT [UNIT dir] [ARGS ...]) : an end-to-end test
# that runs the headless console under a script on a fresh copy of a unit
# (units/default unless UNIT is given). The script's own expectations decide.
function(kestrin_script_test name script)
  if(NOT KESTRIN_TESTS OR WIN32)
    return()
  endif()
  cmake_parse_arguments(ARG "" "UNIT" "ARGS" ${ARGN})
  if(NOT ARG_UNIT)
    set(ARG_UNIT ${PROJECT_SOURCE_DIR}/units/default)
  endif()
  get_filename_component(script_path ${script} ABSOLUTE)
  add_test(NAME script.${name}
           COMMAND kestrin --headless --unit ${ARG_UNIT} --fresh-copy
                   --script ${script_path} ${ARG_ARGS})
  set_tests_properties(script.${name} PROPERTIES TIMEOUT 300)
endfunction()
