# The driver switch: arbitrary command lines through the split and the whole
# tool, against recording stand-ins of the registry, kernel and prompt.
if(TARGET gps_tool)
  kestrin_fuzz(gps_fuzz SOURCES ${CMAKE_CURRENT_LIST_DIR}/gps_fuzz.cpp DEPS gps_tool
               CORPUS fuzz/corpus/gps)
  target_include_directories(gps_fuzz PRIVATE ${PROJECT_SOURCE_DIR}/tools/gps/tests)
endif()
