# unrar.dll under Wine against the fixtures (tests/fixtures), and its portable core under libFuzzer.
# Included from tests/, so CMAKE_CURRENT_SOURCE_DIR is tests/.
korvadel_add_test(NAME unrar_test
    SOURCES unrar/UnrarTest.cpp unrar/Extraction_test.cpp unrar/Volumes_test.cpp unrar/Interface_test.cpp
            unrar/Safety_test.cpp unrar/Damage_test.cpp
    LIBRARIES unrar korvadel_driver
    TIMEOUT 300)
if(TARGET fixtures)
    add_dependencies(unrar_test fixtures)
endif()

# Natively, outside the rig: builds the fuzzer into fuzz/ of the build tree, where its corpus grows from
# run to run, and fuzzes for a bounded time.
# The fuzzer's instrumented libarchive is built when the project is configured, not in the test's
# time; should that fail, the test meets and reports the same failure.
if(KORVADEL_NATIVE)
    execute_process(COMMAND ${PROJECT_SOURCE_DIR}/tools/deps.sh --prefix native-fuzz OUTPUT_QUIET ERROR_QUIET)
    add_test(NAME unrar_fuzz COMMAND ${PROJECT_SOURCE_DIR}/tools/fuzz-unrar.sh 60)
    set_tests_properties(unrar_fuzz PROPERTIES TIMEOUT 300 ENVIRONMENT "KORVADEL_FUZZ_DIR=${CMAKE_BINARY_DIR}/fuzz")
endif()
