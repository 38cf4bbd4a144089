# The virtual unit's files: arbitrary unit.toml text loaded as a whole unit
# folder with every host component registered, and arbitrary registry.reg
# text through the registry reader and writer.
find_package(tomlplusplus REQUIRED)
kestrin_fuzz(unit_toml_fuzz SOURCES ${CMAKE_CURRENT_LIST_DIR}/unit_toml_fuzz.cpp
             DEPS host_platform host_components CORPUS fuzz/corpus/unit_toml)
target_link_libraries(unit_toml_fuzz PRIVATE tomlplusplus::tomlplusplus kestrin_tree)

kestrin_fuzz(registry_fuzz SOURCES ${CMAKE_CURRENT_LIST_DIR}/registry_fuzz.cpp
             DEPS host_platform CORPUS fuzz/corpus/registry)
target_include_directories(registry_fuzz PRIVATE ${PROJECT_SOURCE_DIR}/host/platform/src)
