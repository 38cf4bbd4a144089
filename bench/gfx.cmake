# Rendering: text through the glyph cache and full-screen fills.
kestrin_bench(gfx_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/gfx_bench.cpp DEPS ui_gfx)
