# Lines from the host: RDS captures (the capture reader and the on-air
# schedule built from it) and gpsd's stream through the GPS1: client's
# filter, cut into arbitrary chunks.
if(TARGET host_com7 AND TARGET host_gps1)
  kestrin_fuzz(host_lines_fuzz SOURCES ${CMAKE_CURRENT_LIST_DIR}/host_lines_fuzz.cpp
               DEPS host_com7 host_gps1 CORPUS fuzz/corpus/host_lines)
  target_include_directories(host_lines_fuzz PRIVATE ${PROJECT_SOURCE_DIR}/host/devices/gps1/src)
endif()
