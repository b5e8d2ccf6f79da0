# The header-only dependencies from Debian: CLI11 (the program), nlohmann-json and utfcpp (the
# program, and the library's plan document, compiled in privately).
#
# A native build uses their CMake packages. A cross build cannot: those packages put the
# host's /usr/include on the include path, whose C headers are not the target's. There the
# headers alone are copied into the build tree and wrapped in targets of the same names.

if(NOT CMAKE_CROSSCOMPILING)
    find_package(CLI11 CONFIG REQUIRED)
    find_package(nlohmann_json 3 CONFIG REQUIRED)
    find_package(utf8cpp CONFIG REQUIRED)
    return()
endif()

set(calvoro_staged_include ${CMAKE_BINARY_DIR}/staged-include)
foreach(header_dir /usr/include/CLI /usr/include/nlohmann /usr/include/utf8cpp)
    if(NOT EXISTS ${header_dir})
        message(FATAL_ERROR "${header_dir} is missing: install libcli11-dev, "
                            "nlohmann-json3-dev and libutfcpp-dev (scripts/bootstrap)")
    endif()
    file(COPY ${header_dir} DESTINATION ${calvoro_staged_include})
endforeach()

foreach(target CLI11::CLI11 nlohmann_json::nlohmann_json utf8cpp)
    if(NOT TARGET ${target})
        add_library(${target} INTERFACE IMPORTED GLOBAL)
    endif()
endforeach()
set_target_properties(CLI11::CLI11 nlohmann_json::nlohmann_json PROPERTIES
    INTERFACE_INCLUDE_DIRECTORIES ${calvoro_staged_include})
set_target_properties(utf8cpp PROPERTIES
    INTERFACE_INCLUDE_DIRECTORIES ${calvoro_staged_include}/utf8cpp)
