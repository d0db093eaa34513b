# Helpers shared by every subsystem's CMakeLists.txt.

# zelmo_subsystem(NAME [DEPS sub ...] [LIBS target ...])
# Builds src/NAME/*.cpp into the static library zelmo_NAME (Qt Core only) and adds it to
# zelmo_core. DEPS name other subsystems this one calls.
function(zelmo_subsystem name)
    cmake_parse_arguments(ARG "" "" "DEPS;LIBS" ${ARGN})
    file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
    if(sources)
        add_library(zelmo_${name} STATIC ${sources})
        set(scope PUBLIC)
    else()
        # Header-only so far.
        add_library(zelmo_${name} INTERFACE)
        set(scope INTERFACE)
    endif()
    target_include_directories(zelmo_${name} ${scope} ${CMAKE_SOURCE_DIR}/src)
    target_link_libraries(zelmo_${name} ${scope} Qt6::Core)
    foreach(dep ${ARG_DEPS})
        target_link_libraries(zelmo_${name} ${scope} zelmo_${dep})
    endforeach()
    if(ARG_LIBS)
        target_link_libraries(zelmo_${name} ${scope} ${ARG_LIBS})
    endif()
    target_link_libraries(zelmo_core INTERFACE zelmo_${name})
endfunction()

# zelmo_test_suite(NAME [SOURCES ...] LIBS target ... [LABELS label ...] [MAIN target])
# One GoogleTest binary test_NAME from tests/NAME/*.cpp (or the given sources) with the shared
# test main (MAIN zelmo_widget_test_main for widget suites), which isolates every run in its own
# temporary home. Each test case is a ctest test.
function(zelmo_test_suite name)
    cmake_parse_arguments(ARG "" "MAIN" "SOURCES;LIBS;LABELS" ${ARGN})
    if(NOT ARG_MAIN)
        set(ARG_MAIN zelmo_test_main)
    endif()
    if(ARG_SOURCES)
        set(sources ${ARG_SOURCES})
    else()
        file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
    endif()
    add_executable(test_${name} ${sources})
    target_link_libraries(test_${name} PRIVATE ${ARG_MAIN} ${ARG_LIBS} GTest::gtest
                                               GTest::gmock)
    target_include_directories(test_${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests)
    set_target_properties(test_${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY
                                                  ${CMAKE_BINARY_DIR}/tests)
    # One variable only: the discovery script splits a list-valued property into separate
    # arguments, which would shift every property after it. The test main sets the rest.
    gtest_discover_tests(test_${name} DISCOVERY_TIMEOUT 60 NO_PRETTY_VALUES
        PROPERTIES ENVIRONMENT "ZELMO_BIN_DIR=${ZELMO_BIN_DIR}" TIMEOUT 600 LABELS "${ARG_LABELS}")
endfunction()

# zelmo_benchmark(NAME LIBS target ...): bench/NAME/*.cpp into bench_NAME.
function(zelmo_benchmark name)
    cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
    file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
    add_executable(bench_${name} ${sources})
    target_link_libraries(bench_${name} PRIVATE ${ARG_LIBS} benchmark::benchmark
                                                benchmark::benchmark_main)
    target_include_directories(bench_${name} PRIVATE ${CMAKE_SOURCE_DIR}/bench)
    set_target_properties(bench_${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY
                                                   ${CMAKE_BINARY_DIR}/bench)
endfunction()

# zelmo_fuzzer(NAME SOURCE file LIBS target ...): a libFuzzer target fuzz_NAME whose seed corpus
# is fuzz/corpus/NAME.
function(zelmo_fuzzer name)
    cmake_parse_arguments(ARG "" "SOURCE" "LIBS" ${ARGN})
    add_executable(fuzz_${name} ${ARG_SOURCE})
    target_compile_options(fuzz_${name} PRIVATE -fsanitize=fuzzer)
    target_link_options(fuzz_${name} PRIVATE -fsanitize=fuzzer)
    target_link_libraries(fuzz_${name} PRIVATE ${ARG_LIBS})
    set_target_properties(fuzz_${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY
                                                  ${CMAKE_BINARY_DIR}/fuzz)
endfunction()

# zelmo_add_subfolders(): adds every folder below the current one that has a CMakeLists.txt.
function(zelmo_add_subfolders)
    file(GLOB entries LIST_DIRECTORIES true CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*)
    foreach(dir ${entries})
        if(IS_DIRECTORY ${dir} AND EXISTS ${dir}/CMakeLists.txt)
            add_subdirectory(${dir})
        endif()
    endforeach()
endfunction()
