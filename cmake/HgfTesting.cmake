# Test programs: GoogleTest executables driven by CTest. On the Windows build they
# run under Wine through scripts/wine-run.sh (set as the cross-compiling emulator).
if(WIN32 AND CMAKE_CROSSCOMPILING)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${PROJECT_SOURCE_DIR}/scripts/wine-run.sh)
endif()
if(HGF_TESTS)
    enable_testing()
endif()

# hgf_add_gtest(<name> SOURCES <files...> [LIBS <targets...>] [LABELS <labels...>]
#               [TIMEOUT <seconds>])
function(hgf_add_gtest name)
    cmake_parse_arguments(ARG "" "TIMEOUT" "SOURCES;LIBS;LABELS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main)
    target_compile_definitions(${name} PRIVATE
        HGF_TEST_DATA_DIR="${PROJECT_SOURCE_DIR}/tests/data")
    add_test(NAME ${name} COMMAND ${name} --gtest_brief=1)
    if(NOT ARG_TIMEOUT)
        set(ARG_TIMEOUT 300)
    endif()
    set_tests_properties(${name} PROPERTIES TIMEOUT ${ARG_TIMEOUT} LABELS "${ARG_LABELS}")
endfunction()

# hgf_add_script_test(<name> COMMAND <command...> [LABELS ...] [TIMEOUT <s>])
# A test driven by a shell script, for checks that span several programs
# (for example a Windows program under Wine and a native analysis of its output).
function(hgf_add_script_test name)
    cmake_parse_arguments(ARG "" "TIMEOUT" "COMMAND;LABELS" ${ARGN})
    add_test(NAME ${name} COMMAND ${ARG_COMMAND})
    if(NOT ARG_TIMEOUT)
        set(ARG_TIMEOUT 300)
    endif()
    set_tests_properties(${name} PROPERTIES TIMEOUT ${ARG_TIMEOUT} LABELS "${ARG_LABELS}"
        ENVIRONMENT "HGF_BUILD_DIR=${PROJECT_BINARY_DIR};HGF_SOURCE_DIR=${PROJECT_SOURCE_DIR}")
endfunction()
