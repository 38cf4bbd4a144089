# Scripts: arbitrary text through the script parser.
kestrin_fuzz(script_fuzz SOURCES ${CMAKE_CURRENT_LIST_DIR}/script_fuzz.cpp DEPS kestrin_script
             CORPUS fuzz/corpus/script)

# `expect match`: a pattern against long texts, through the parser and RE2.
kestrin_fuzz(match_fuzz SOURCES ${CMAKE_CURRENT_LIST_DIR}/match_fuzz.cpp DEPS kestrin_script
             CORPUS fuzz/corpus/match)
