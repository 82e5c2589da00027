# Build options shared by every target of the project.
option(CORVANE_BUILD_TESTS "Build the tests" ON)
option(CORVANE_BUILD_DESKTOP "Build the Qt desktop program" ON)
option(CORVANE_BUILD_BENCH "Build the benchmarks" ON)
# Without debug information (CI: the build is about a third faster and no one
# reads a core file there).
option(CORVANE_DEBUG_INFO "Keep the build type's debug information" ON)
# Optimised less (-O1): the build of the test suite in CI is about a quarter
# faster; the optimiser's own check there is the clang Release build.
option(CORVANE_QUICK_BUILD "Optimise less (-O1) for a faster build" OFF)
option(CORVANE_FUZZ "Build the libFuzzer targets (needs clang)" OFF)
set(CORVANE_SANITIZE "" CACHE STRING "Sanitizers to build with: address,undefined or thread")

# Warnings as errors where we build and test (scripts/build, scripts/test and
# CI turn it on); a packager's plain configure only warns, so a newer
# compiler's new warning never breaks a distribution build.
option(CORVANE_WERROR "Treat compiler warnings as errors" OFF)

add_compile_options(-Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor)
# GCC 12 reports -Wrestrict inside libstdc++ for "text" + std::string at -O3
# (GCC bug 105651, fixed in GCC 13): a false alarm on ordinary string code.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
    add_compile_options(-Wno-restrict)
endif()
if(CORVANE_WERROR)
    add_compile_options(-Werror)
endif()
add_compile_definitions(_GLIBCXX_ASSERTIONS)
if(NOT CORVANE_DEBUG_INFO)
    add_compile_options(-g0)
endif()
if(CORVANE_QUICK_BUILD)
    add_compile_options(-O1)
endif()

if(CORVANE_SANITIZE)
    add_compile_options(-fsanitize=${CORVANE_SANITIZE} -fno-omit-frame-pointer -fno-sanitize-recover=all)
    add_link_options(-fsanitize=${CORVANE_SANITIZE})
endif()

if(CORVANE_FUZZ)
    if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
        message(FATAL_ERROR "CORVANE_FUZZ needs clang (configure with CXX=clang++)")
    endif()
    add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer
                        -fno-sanitize-recover=all)
    add_link_options(-fsanitize=address,undefined)
endif()
