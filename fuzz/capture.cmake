# RDS captures: the loader (reader, the station's record laid over, block A
# checks) and the on-air schedule built from it, time stamps included, played
# by the module.
kestrin_fuzz(capture_fuzz SOURCES ${CMAKE_CURRENT_LIST_DIR}/capture_fuzz.cpp DEPS host_com7
             CORPUS fuzz/corpus/capture)
