# GPS: from bytes queued in the virtual GPS1: driver to the window's text
# replaced, through the real receive thread, message queue and window.
kestrin_bench(gps_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/gps_bench.cpp DEPS gpsinfo host_gps1)
