# Marlin's version, written once in project() and handed to the code and the resources:
# the header MarlinVersion.h (target marlin_version) and a version resource per Windows
# program (marlin_add_version_resource).
configure_file(${CMAKE_CURRENT_LIST_DIR}/MarlinVersion.h.in
               ${PROJECT_BINARY_DIR}/generated/MarlinVersion.h @ONLY)
add_library(marlin_version INTERFACE)
target_include_directories(marlin_version INTERFACE ${PROJECT_BINARY_DIR}/generated)

# marlin_add_version_resource(TARGET PROGRAM "DESCRIPTION"): gives the Windows executable
# TARGET (file PROGRAM.exe) a version resource; nothing elsewhere.
function(marlin_add_version_resource target program description)
    if(NOT WIN32)
        return()
    endif()
    set(MARLIN_PROGRAM ${program})
    set(MARLIN_DESCRIPTION ${description})
    set(script ${CMAKE_CURRENT_BINARY_DIR}/${program}-version.rc)
    configure_file(${PROJECT_SOURCE_DIR}/cmake/VersionInfo.rc.in ${script} @ONLY)
    set_source_files_properties(${script} PROPERTIES OBJECT_DEPENDS
        ${PROJECT_BINARY_DIR}/generated/MarlinVersion.h)
    target_sources(${target} PRIVATE ${script})
    target_link_libraries(${target} PRIVATE marlin_version)
endfunction()
