# The stand-in powrprof.dll: the simulated machine behind Windows' signatures, with its
# control functions exported, so that Windows programs run through the real Windows binding
# under Wine against a machine that answers. Cross builds only: on Windows itself a stand-in
# beside a program would replace the machine's own power API.
find_package(Threads REQUIRED)
add_library(calvoro_powrprof_standin SHARED
    ${CMAKE_CURRENT_LIST_DIR}/powrprof_standin.cpp
    ${PROJECT_SOURCE_DIR}/src/power_class/errors.cpp
    ${PROJECT_SOURCE_DIR}/src/power_class/guid.cpp
    ${PROJECT_SOURCE_DIR}/src/power_class/guid_text.cpp
    ${PROJECT_SOURCE_DIR}/src/c_api/simulation_c.cpp
    ${PROJECT_SOURCE_DIR}/src/c_api/translate.cpp
    ${PROJECT_SOURCE_DIR}/tools/calvoro/state_json.cpp
    ${PROJECT_SOURCE_DIR}/tools/calvoro/text.cpp
    $<TARGET_OBJECTS:calvoro_machine>)
set_target_properties(calvoro_powrprof_standin PROPERTIES OUTPUT_NAME powrprof PREFIX "")
target_include_directories(calvoro_powrprof_standin PRIVATE
    ${PROJECT_SOURCE_DIR}/include ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/src/plan_document
    ${PROJECT_SOURCE_DIR}/tools/calvoro)
target_compile_definitions(calvoro_powrprof_standin PRIVATE CALVORO_BUILDING)
target_link_libraries(calvoro_powrprof_standin PRIVATE
    Threads::Threads nlohmann_json::nlohmann_json utf8cpp calvoro_warnings)

