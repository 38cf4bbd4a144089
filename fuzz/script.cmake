# Scripts: arbitrary text through the script parser.
if(TARGET kestrin_script)
  kestrin_fuzz(script_fuzz SOURCES ${CMAKE_CURRENT_LIST_DIR}/script_fuzz.cpp DEPS kestrin_script
               CORPUS fuzz/corpus/script)
endif()

# `expect match`: a pattern against long texts, through the parser and RE2.
if(TARGET kestrin_script)
  kestrin_fuzz(match_fuzz SOURCES ${CMAKE_CURRENT_LIST_DIR}/match_fuzz.cpp DEPS kestrin_script
               CORPUS fuzz/corpus/match)
endif()
