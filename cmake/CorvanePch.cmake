# Precompiled headers for the heaviest third-party headers. The command
# line's parser and Qt's test and widget headers cost seconds per file to
# parse, and most files of those targets include them: parsed once per
# target (or once for the GUI tests) they cost that once. (The unit tests
# differ in their flags, and GCC 12 reports false overflows in them with a
# shared GoogleTest header: they parse it each.) CORVANE_PCH=OFF builds without them (e.g. to check that every
# file includes what it uses).
option(CORVANE_PCH "Precompile the heaviest third-party headers" ON)

# corvane_precompile(<target> <headers...>): the target's own precompiled
# header.
function(corvane_precompile target)
    if(CORVANE_PCH)
        target_precompile_headers(${target} PRIVATE ${ARGN})
    endif()
endfunction()

# corvane_pch_anchor(<name> <link targets...> HEADERS <headers...>): an object
# library that only carries a precompiled header for other targets to reuse
# (corvane_reuse_pch). Targets that reuse it must be compiled with the same
# options, so the anchor links what they link.
function(corvane_pch_anchor name)
    cmake_parse_arguments(ARG "" "" "LIBS;HEADERS" ${ARGN})
    if(NOT CORVANE_PCH)
        return()
    endif()
    set(anchor ${CMAKE_CURRENT_BINARY_DIR}/${name}_anchor.cpp)
    file(WRITE ${anchor} "// Carries the precompiled header of ${name}.\n")
    add_library(${name} OBJECT ${anchor})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS})
    target_precompile_headers(${name} PRIVATE ${ARG_HEADERS})
endfunction()

function(corvane_reuse_pch target anchor)
    if(CORVANE_PCH)
        target_precompile_headers(${target} REUSE_FROM ${anchor})
    endif()
endfunction()
