# Helpers that give every folder of src/ the same shape: one static library per folder, one test
# binary per folder (tests prefixed with the folder in dotted form), benchmarks and fuzz targets.

# zelvan_folder_sources(<out var> <folder>)
# The .cpp files of a folder and of its plain sub-folders, at any depth. A sub-folder with a CMakeLists.txt
# of its own builds its own target, so it and everything under it are left out, as are the platform's
# testing/ folders (their doubles build platform_testing).
function(zelvan_folder_sources out folder)
    file(GLOB found CONFIGURE_DEPENDS "${folder}/*.cpp")
    file(GLOB entries LIST_DIRECTORIES true "${folder}/*")
    foreach(entry ${entries})
        get_filename_component(name "${entry}" NAME)
        if(IS_DIRECTORY "${entry}" AND NOT EXISTS "${entry}/CMakeLists.txt" AND NOT name STREQUAL "testing")
            zelvan_folder_sources(nested "${entry}")
            list(APPEND found ${nested})
        endif()
    endforeach()
    set(${out} ${found} PARENT_SCOPE)
endfunction()

# zelvan_library(<target> [PUBLIC_DEPS ...] [PRIVATE_DEPS ...])
# Builds every .cpp of the calling folder and its plain sub-folders into a static library.
function(zelvan_library target)
    cmake_parse_arguments(ARG "" "" "PUBLIC_DEPS;PRIVATE_DEPS" ${ARGN})
    zelvan_folder_sources(sources "${CMAKE_CURRENT_SOURCE_DIR}")
    add_library(${target} STATIC ${sources})
    target_include_directories(${target} PUBLIC "${PROJECT_SOURCE_DIR}/src")
    target_link_libraries(${target} PUBLIC ${ARG_PUBLIC_DEPS} PRIVATE ${ARG_PRIVATE_DEPS})
endfunction()

# zelvan_network(<target> [PUBLIC_DEPS ...] [PRIVATE_DEPS ...])
# A library of one ad, offer, analytics or store network: built as zelvan_library, and its folder noted,
# so the include check lets only app/ (the composition root) and the network itself include it.
function(zelvan_network target)
    zelvan_library(${target} ${ARGN})
    file(RELATIVE_PATH folder "${PROJECT_SOURCE_DIR}" "${CMAKE_CURRENT_SOURCE_DIR}")
    set_property(GLOBAL APPEND PROPERTY ZELVAN_NETWORK_FOLDERS "${folder}")
endfunction()

# zelvan_tests(<folder under src/> [LIBS ...])
# Builds tests/<folder>/*.cpp (and its plain sub-folders) into test_<folder with _> and registers each case with CTest under
# the prefix <folder with .>. (e.g. platform.foundation.ValueTest.Sharing), each in a process of its
# own. The binary's cases also run three times in one process in random order, so a test that leans on
# files or process state another test left fails there: split into kShuffledShards shards
# (<prefix>shuffled.<i>, GoogleTest's own sharding), so no single CTest test runs long on a busy machine.
set(kShuffledShards 4)
function(zelvan_tests folder)
    cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
    string(REPLACE "/" "_" flat "${folder}")
    string(REPLACE "/" "." dotted "${folder}")
    zelvan_folder_sources(sources "${CMAKE_CURRENT_SOURCE_DIR}")
    set(target test_${flat})
    add_executable(${target} ${sources})
    target_include_directories(${target} PRIVATE "${PROJECT_SOURCE_DIR}")
    target_link_libraries(${target} PRIVATE ${ARG_LIBS} zelvan_test_main GTest::gmock GTest::gtest)
    gtest_discover_tests(${target} TEST_PREFIX "${dotted}." DISCOVERY_MODE PRE_TEST
                         PROPERTIES ENVIRONMENT "ZELVAN_SOURCE_DIR=${PROJECT_SOURCE_DIR}")
    # The seed is printed at the start of each repetition; --gtest_random_seed=N replays an order (with
    # the shard's GTEST_TOTAL_SHARDS and GTEST_SHARD_INDEX).
    math(EXPR lastShard "${kShuffledShards} - 1")
    foreach(shard RANGE ${lastShard})
        add_test(NAME ${dotted}.shuffled.${shard} COMMAND ${target} --gtest_shuffle --gtest_repeat=3)
        # A high cost makes CTest start the long shuffled runs first, beside the short single cases.
        set_tests_properties(
            ${dotted}.shuffled.${shard}
            PROPERTIES ENVIRONMENT
                       "ZELVAN_SOURCE_DIR=${PROJECT_SOURCE_DIR};GTEST_TOTAL_SHARDS=${kShuffledShards};GTEST_SHARD_INDEX=${shard}"
                       COST 1000)
    endforeach()
endfunction()

# zelvan_benchmark(<area> [LIBS ...])
# Builds bench/<area>*.cpp ... into bench_<area>.
function(zelvan_benchmark area)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    add_executable(bench_${area} ${ARG_SOURCES})
    target_link_libraries(bench_${area} PRIVATE ${ARG_LIBS} benchmark::benchmark_main)
endfunction()

# zelvan_fuzz(<format> SOURCE <file> [LIBS ...])
# Under the fuzz preset: a libFuzzer binary fuzz_<format>. Under the test preset: the target's entry point,
# renamed zelvanReplay_<format>, joins the one replay driver (zelvan_fuzz_replay_driver), and a test
# fuzz.<format>.replay feeds it every file of fuzz/corpus/<format>/ and fuzz/regressions/<format>/, so
# inputs that once crashed stay fixed. One driver for every format keeps the sanitizer tree from linking
# the client's libraries once per format.
function(zelvan_fuzz format)
    cmake_parse_arguments(ARG "" "SOURCE" "LIBS" ${ARGN})
    if(ZELVAN_BUILD_FUZZ)
        add_executable(fuzz_${format} ${ARG_SOURCE})
        target_link_libraries(fuzz_${format} PRIVATE ${ARG_LIBS})
        target_link_options(fuzz_${format} PRIVATE -fsanitize=fuzzer)
    elseif(ZELVAN_BUILD_TESTS)
        add_library(replay_${format} OBJECT ${ARG_SOURCE})
        target_compile_definitions(replay_${format} PRIVATE LLVMFuzzerTestOneInput=zelvanReplay_${format})
        target_link_libraries(replay_${format} PRIVATE ${ARG_LIBS})
        set_property(GLOBAL APPEND PROPERTY ZELVAN_REPLAY_FORMATS ${format})
        set_property(GLOBAL APPEND PROPERTY ZELVAN_REPLAY_LIBS ${ARG_LIBS})
        add_test(NAME fuzz.${format}.replay
                 COMMAND zelvan-fuzz-replay ${format} "${PROJECT_SOURCE_DIR}/fuzz/corpus/${format}"
                         "${PROJECT_SOURCE_DIR}/fuzz/regressions/${format}")
    endif()
endfunction()

# zelvan_fuzz_replay_driver(): after every zelvan_fuzz, the replay driver zelvan-fuzz-replay of the test
# preset: replay_main.cpp with a generated table of the formats' entry points.
function(zelvan_fuzz_replay_driver)
    if(ZELVAN_BUILD_FUZZ OR NOT ZELVAN_BUILD_TESTS)
        return()
    endif()
    get_property(formats GLOBAL PROPERTY ZELVAN_REPLAY_FORMATS)
    get_property(libs GLOBAL PROPERTY ZELVAN_REPLAY_LIBS)
    list(REMOVE_DUPLICATES libs)
    set(declarations "")
    set(entries "")
    set(objects "")
    foreach(format IN LISTS formats)
        string(APPEND declarations "extern \"C\" int zelvanReplay_${format}(const uint8_t*, size_t);\n")
        string(APPEND entries "    {\"${format}\", zelvanReplay_${format}},\n")
        list(APPEND objects $<TARGET_OBJECTS:replay_${format}>)
    endforeach()
    set(table "${CMAKE_CURRENT_BINARY_DIR}/replay_table.cpp")
    file(CONFIGURE OUTPUT "${table}" CONTENT "// Generated by zelvan_fuzz_replay_driver: the entry point of every fuzz format.
#include <cstddef>
#include <cstdint>

#include \"replay_table.h\"

${declarations}
const ReplayEntry kReplayEntries[] = {
${entries}};
const size_t kReplayEntryCount = sizeof(kReplayEntries) / sizeof(kReplayEntries[0]);
")
    add_executable(zelvan-fuzz-replay "${PROJECT_SOURCE_DIR}/fuzz/replay_main.cpp" "${table}" ${objects})
    target_include_directories(zelvan-fuzz-replay PRIVATE "${PROJECT_SOURCE_DIR}/fuzz")
    target_link_libraries(zelvan-fuzz-replay PRIVATE ${libs})
endfunction()
