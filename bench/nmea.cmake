# NMEA: every line of a receiver log through the dispatcher (NMEA_LOG picks the log).
kestrin_bench(nmea_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/nmea_bench.cpp DEPS gpsinfo_nmea)
