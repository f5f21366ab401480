# The music library under Wine: the rules of its calls, what it plays, and the demo product with it.

# libxmp's own test modules, a real IT module and a packed one, come from its Debian source.
execute_process(COMMAND ${PROJECT_SOURCE_DIR}/tools/deps.sh --source libxmp
    OUTPUT_VARIABLE music_libxmp_source OUTPUT_STRIP_TRAILING_WHITESPACE
    COMMAND_ERROR_IS_FATAL ANY)
set(music_test_modules)
foreach(name test.it test.itz)
    add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/bin/music/${name}
        COMMAND ${CMAKE_COMMAND} -E copy ${music_libxmp_source}/test/${name} ${CMAKE_BINARY_DIR}/bin/music/${name}
        DEPENDS ${music_libxmp_source}/test/${name})
    list(APPEND music_test_modules ${CMAKE_BINARY_DIR}/bin/music/${name})
endforeach()
add_custom_target(music_test_modules DEPENDS ${music_test_modules})

korvadel_add_test(NAME music_test
    SOURCES music/Calls_test.cpp music/Playing_test.cpp music/Capture_test.cpp music/Wav.cpp
    LIBRARIES music korvadel_driver winmm
    DEPENDS music_test_modules
    TIMEOUT 240)
target_include_directories(music_test PRIVATE ${PROJECT_SOURCE_DIR}/libraries/music)

add_library(planted_library SHARED music/Planted.c)
set_target_properties(planted_library PROPERTIES PREFIX "" OUTPUT_NAME planted
    RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin/music)
korvadel_add_test(NAME music_product_test
    SOURCES music/DemoProduct_test.cpp music/Wav.cpp
    LIBRARIES music psapi
    GUI
    DEPENDS installer planted_library
    TIMEOUT 180)
target_include_directories(music_product_test PRIVATE ${PROJECT_SOURCE_DIR}/libraries/music)
