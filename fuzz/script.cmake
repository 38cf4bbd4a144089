# Scripts: arbitrary text through the script parser.
if(TARGET kestrin_script)
  kestrin_fuzz(script_fuzz SOURCES ${CMAKE_CURRENT_LIST_DIR}/script_fuzz.cpp DEPS kestrin_script
               CORPUS fuzz/corpus/script)
endif()
