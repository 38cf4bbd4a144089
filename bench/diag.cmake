# The diagnostics: the NOR check's 16 MiB sum beside a plain memcpy.
kestrin_bench(diag_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/diag_bench.cpp DEPS diag)
