# Tests of the installation's pieces.
korvadel_add_test(NAME rararc_test SOURCES installation/RARArc_test.cpp LIBRARIES installation)
korvadel_add_test(NAME install_road_test SOURCES installation/InstallRoad_test.cpp GUI LIBRARIES medium_core
    DEPENDS installer midas_double unrar fixtures TIMEOUT 600)
korvadel_add_test(NAME unit2_test SOURCES installation/Unit2_test.cpp LIBRARIES installation DEPENDS unrar)
korvadel_add_test(NAME extraction_dialog_test
    SOURCES installation/Unit5_test.cpp ${PROJECT_SOURCE_DIR}/resources/install.rc
    LIBRARIES installation components GUI DEPENDS unrar fixtures)
korvadel_add_test(NAME network_share_test SOURCES installation/NetworkShare_test.cpp GUI
    DEPENDS installer midas_double unrar TIMEOUT 300)
# In a double-byte code page: the rig makes the Japanese locale that Wine takes the code page 932 from.
korvadel_add_test(NAME double_byte_paths_test SOURCES installation/DoubleBytePaths_test.cpp GUI
    LIBRARIES installation DEPENDS installer midas_double unrar fixtures TIMEOUT 300)
set_property(TEST double_byte_paths_test APPEND PROPERTY ENVIRONMENT
    "LC_ALL=ja_JP.UTF-8;LOCPATH=${CMAKE_BINARY_DIR}/rig/locales")
