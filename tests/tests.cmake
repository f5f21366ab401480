# The project's tests: unit tests of each piece, and GUI tests that drive the real installer.

korvadel_add_test(NAME definition_test SOURCES toolkit/Definition_test.cpp LIBRARIES toolkit)
korvadel_add_test(NAME form_test
    SOURCES toolkit/Form_test.cpp toolkit/SystemClassKind_test.cpp toolkit/forms.rc
    LIBRARIES toolkit)
korvadel_resource_dependencies(toolkit/forms.rc)
# The publisher's tool built for this machine runs its tests natively, outside the rig.
if(KORVADEL_NATIVE)
    add_test(NAME medium_native_test COMMAND ${CMAKE_BINARY_DIR}/native/medium_test)
endif()
korvadel_add_test(NAME packed_medium_test SOURCES medium/PackedMedium_test.cpp GUI
    DEPENDS installer midas_double unrar korvadel-medium TIMEOUT 300)
korvadel_add_test(NAME profile_test SOURCES medium/Profile_test.cpp LIBRARIES medium_core)
korvadel_add_test(NAME string_list_test SOURCES toolkit/StringList_test.cpp LIBRARIES toolkit)
korvadel_add_test(NAME settings_test SOURCES installation/Settings_test.cpp LIBRARIES installation)

korvadel_add_test(NAME startup_test SOURCES shell/Startup_test.cpp GUI
    DEPENDS installer midas_double window_refusal TIMEOUT 300)
korvadel_add_test(NAME form_inspection_test SOURCES toolkit/FormInspection_test.cpp GUI
    DEPENDS installer midas_double TIMEOUT 120)
korvadel_add_test(NAME main_window_test SOURCES shell/MainWindow_test.cpp GUI DEPENDS installer midas_double
    TIMEOUT 300)
korvadel_add_test(NAME dialogs_test SOURCES toolkit/Dialogs_test.cpp toolkit/forms.rc LIBRARIES toolkit GUI)
korvadel_add_test(NAME oem_text_test SOURCES toolkit/OemText_test.cpp toolkit/forms.rc LIBRARIES toolkit GUI)

# Tests kept with the pieces they exercise.
include(${CMAKE_CURRENT_SOURCE_DIR}/fixtures/CMakeLists.txt)
include(${CMAKE_CURRENT_SOURCE_DIR}/unrar/tests.cmake)
include(${CMAKE_CURRENT_SOURCE_DIR}/installation/tests.cmake)
korvadel_add_test(NAME scroll_text_test SOURCES components/ScrollText_test.cpp LIBRARIES components)
include(${CMAKE_CURRENT_SOURCE_DIR}/music/tests.cmake)
korvadel_add_test(NAME viewer_test SOURCES shell/Viewer_test.cpp GUI DEPENDS installer midas_double TIMEOUT 300)
korvadel_add_test(NAME directory_controls_test SOURCES toolkit/DirectoryControls_test.cpp toolkit/forms.rc LIBRARIES toolkit GUI)
korvadel_add_test(NAME wordcap_test
    SOURCES components/Wordcap_test.cpp components/WordcapPaint_test.cpp components/wordcap.rc
    LIBRARIES components GUI TIMEOUT 300)
korvadel_resource_dependencies(components/wordcap.rc)
korvadel_add_test(NAME wordcap_windows_test SOURCES components/WordcapWindows_test.cpp GUI
    DEPENDS installer midas_double unrar TIMEOUT 300)

# Not a test: the demo walks the installer through its windows with it for the documentation.
add_executable(tour tour/tour.cpp)
target_link_libraries(tour PRIVATE korvadel_driver)
# What tools/demo.sh runs, and nothing else: the program, its two libraries, the tour and the archive.
add_custom_target(demo DEPENDS installer unrar music tour fixtures_demo)

# The main window made by a small program of its own, so that Playmod can be called as the tests like.
add_executable(playmod_probe WIN32 shell/playmod_probe.cpp ${PROJECT_SOURCE_DIR}/resources/install.rc)
korvadel_resource_dependencies(${PROJECT_SOURCE_DIR}/resources/install.rc)
target_link_libraries(playmod_probe PRIVATE shell midas_double)
target_link_options(playmod_probe PRIVATE -mconsole)
korvadel_add_test(NAME playmod_test SOURCES shell/Playmod_test.cpp GUI DEPENDS playmod_probe midas_double unrar)
# The i686 tree is tools/build.sh's, beside this one; the test skips a tree or a kit that is not made.
korvadel_add_test(NAME binaries_test SOURCES binaries/Binaries_test.cpp LIBRARIES korvadel_driver
    DEPENDS installer music unrar)
set_property(TEST binaries_test APPEND PROPERTY ENVIRONMENT
    "KORVADEL_BUILD=${CMAKE_BINARY_DIR};KORVADEL_BUILD_I686=${PROJECT_SOURCE_DIR}/build-i686")
