# What a peer on gpsd's port sends, through the GPS1: client's session:
# banner, watch replies, sentences and junk, cut into arbitrary chunks.
kestrin_fuzz(gpsd_fuzz SOURCES ${CMAKE_CURRENT_LIST_DIR}/gpsd_fuzz.cpp DEPS host_gps1
             CORPUS fuzz/corpus/gpsd)
target_include_directories(gpsd_fuzz PRIVATE ${PROJECT_SOURCE_DIR}/host/devices/gps1/src)
