# The dialog framework: a full repaint of a dialog with 30 controls.
kestrin_bench(ui_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/ui_bench.cpp DEPS ui)
