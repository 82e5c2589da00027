# Every test that ctest runs is started through tests/netns-run, which puts it
# in a network namespace of its own: nothing a test sends can reach the
# machine's real network.
set(CORVANE_NETNS_RUN ${CMAKE_SOURCE_DIR}/tests/netns-run)

# corvane_add_gtest(<name> SOURCES <files...> LIBS <targets...> [LABELS <labels...>])
# Builds one GoogleTest executable and registers it as one ctest test.
function(corvane_add_gtest name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;LABELS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
    target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests/support)
    add_dependencies(${name} corvane_data)
    corvane_add_test(${name} COMMAND $<TARGET_FILE:${name}> LABELS ${ARG_LABELS})
    # The target unit-tests builds every test labelled "unit" and nothing
    # else (the second configuration of scripts/test).
    if("unit" IN_LIST ARG_LABELS)
        set_property(GLOBAL APPEND PROPERTY CORVANE_UNIT_TEST_TARGETS ${name})
    endif()
endfunction()

# corvane_add_test(<name> COMMAND <cmd...> [LABELS <labels...>])
# Registers any command as a ctest test, run inside a fresh network namespace.
function(corvane_add_test name)
    cmake_parse_arguments(ARG "" "" "COMMAND;LABELS" ${ARGN})
    add_test(NAME ${name} COMMAND ${CORVANE_NETNS_RUN} ${ARG_COMMAND})
    set_tests_properties(${name} PROPERTIES
        WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/bin
        ENVIRONMENT "CORVANE_SOURCE_DIR=${CMAKE_SOURCE_DIR};CORVANE_BIN_DIR=${CMAKE_BINARY_DIR}/bin")
    if(ARG_LABELS)
        set_tests_properties(${name} PROPERTIES LABELS "${ARG_LABELS}")
    endif()
endfunction()

# corvane_add_fuzzer(<name> SOURCES <files...> LIBS <targets...> [CORPUS <dir>])
# A libFuzzer target (entry point LLVMFuzzerTestOneInput). With CORVANE_FUZZ
# it is built for libFuzzer (run it by hand: bin/<name> -max_total_time=300);
# otherwise it is built with a small driver that feeds it every file of its
# seed corpus, and that replay runs as an ordinary test.
function(corvane_add_fuzzer name)
    cmake_parse_arguments(ARG "" "CORPUS" "SOURCES;LIBS" ${ARGN})
    if(CORVANE_FUZZ)
        add_executable(${name} ${ARG_SOURCES})
        target_link_options(${name} PRIVATE -fsanitize=fuzzer)
    else()
        add_executable(${name} ${ARG_SOURCES} ${CMAKE_SOURCE_DIR}/tests/fuzz/replay_main.cpp)
        if(ARG_CORPUS)
            corvane_add_test(${name}_replay COMMAND $<TARGET_FILE:${name}> ${ARG_CORPUS} LABELS fuzz)
        endif()
    endif()
    target_link_libraries(${name} PRIVATE ${ARG_LIBS})
    target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests/fuzz)
endfunction()
