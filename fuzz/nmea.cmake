# NMEA: arbitrary bytes cut into lines and fed to the dispatcher and to
# every sentence parser.
kestrin_fuzz(nmea_fuzz SOURCES ${CMAKE_CURRENT_LIST_DIR}/nmea_fuzz.cpp DEPS gpsinfo_nmea
             CORPUS fuzz/corpus/nmea)
