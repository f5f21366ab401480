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
