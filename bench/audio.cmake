# Tone synthesis: the sweep and a tone, built into the generator's buffer.
kestrin_bench(audio_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/audio_bench.cpp DEPS audio_synth)
