# The tuner link: arbitrary module byte streams, cut into arbitrary chunks,
# through the frame reassembler, decoder, name assembler, the tool's chunk
# handler and the module check's reads.
kestrin_fuzz(rds_fuzz SOURCES ${CMAKE_CURRENT_LIST_DIR}/rds_fuzz.cpp DEPS rds_link
             CORPUS fuzz/corpus/rds)
