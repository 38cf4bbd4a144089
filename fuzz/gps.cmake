# The driver switch: arbitrary command lines through the split and the whole
# tool, against recording stand-ins of the registry, kernel and prompt, and
# as the host program's arguments on a unit folder.
kestrin_fuzz(gps_fuzz SOURCES ${CMAKE_CURRENT_LIST_DIR}/gps_fuzz.cpp
             DEPS gps_tool host_gps kestrin_test_support CORPUS fuzz/corpus/gps)
target_include_directories(gps_fuzz PRIVATE ${PROJECT_SOURCE_DIR}/host/platform/src)
target_link_libraries(gps_fuzz PRIVATE kestrin_tree)
