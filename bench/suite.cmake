# A suite of trivial scripts: what each one costs the run (a fresh copy of the
# unit loaded, the script, the copy gone), through the program and alone.
kestrin_bench(suite_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/suite_bench.cpp
              DEPS host_platform host_components)
if(TARGET suite_bench AND TARGET kestrin)
  add_dependencies(suite_bench kestrin)
  file(GENERATE OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/generated/suite_bench_paths.h CONTENT
"#pragma once
#define KESTRIN_BIN \"$<TARGET_FILE:kestrin>\"
")
  target_include_directories(suite_bench PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/generated)
endif()
