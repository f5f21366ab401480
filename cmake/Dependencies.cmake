# The engines we build on come from Debian's sources, cross-built by tools/deps.sh into a prefix
# outside the clone: KORVADEL_DEPS_PREFIX/{include,lib}.
set(KORVADEL_DEPS_PREFIX "" CACHE PATH "Prefix of the cross-built libjpeg-turbo, libxmp and libarchive")
if(NOT KORVADEL_DEPS_PREFIX OR NOT EXISTS "${KORVADEL_DEPS_PREFIX}/include")
    message(FATAL_ERROR "KORVADEL_DEPS_PREFIX is not set or empty: run tools/deps.sh and pass its prefix")
endif()

function(korvadel_dependency target library)
    find_library(${target}_LIBRARY NAMES ${library} PATHS "${KORVADEL_DEPS_PREFIX}/lib"
                 NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH REQUIRED)
    add_library(Korvadel::${target} STATIC IMPORTED GLOBAL)
    set_target_properties(Korvadel::${target} PROPERTIES
        IMPORTED_LOCATION "${${target}_LIBRARY}"
        INTERFACE_INCLUDE_DIRECTORIES "${KORVADEL_DEPS_PREFIX}/include"
        INTERFACE_COMPILE_DEFINITIONS "${ARGN}")
endfunction()

korvadel_dependency(jpeg libjpeg.a)
korvadel_dependency(xmp libxmp.a LIBXMP_STATIC)
korvadel_dependency(archive libarchive.a LIBARCHIVE_STATIC)
