# The engines we build on come from Debian's sources, cross-built by tools/deps.sh into a prefix
# outside the clone: KORVADEL_DEPS_PREFIX/{include,lib}.
set(KORVADEL_DEPS_PREFIX "" CACHE PATH "Prefix of the cross-built libjpeg-turbo, libxmp, libarchive and zlib")
if(NOT KORVADEL_DEPS_PREFIX OR NOT EXISTS "${KORVADEL_DEPS_PREFIX}/include")
    message(FATAL_ERROR "KORVADEL_DEPS_PREFIX is not set or empty: run tools/deps.sh and pass its prefix")
endif()

# The path is set again at every configuration: a tree moved to another prefix (new engines, new
# patches) must not go on linking the old one's libraries.
function(korvadel_dependency target library)
    set(path "${KORVADEL_DEPS_PREFIX}/lib/${library}")
    if(NOT EXISTS "${path}")
        message(FATAL_ERROR "${path} is missing: run tools/deps.sh and pass its prefix")
    endif()
    set(${target}_LIBRARY "${path}" CACHE FILEPATH "The ${library} of KORVADEL_DEPS_PREFIX" FORCE)
    add_library(Korvadel::${target} STATIC IMPORTED GLOBAL)
    set_target_properties(Korvadel::${target} PROPERTIES
        IMPORTED_LOCATION "${${target}_LIBRARY}"
        INTERFACE_INCLUDE_DIRECTORIES "${KORVADEL_DEPS_PREFIX}/include"
        INTERFACE_COMPILE_DEFINITIONS "${ARGN}")
endfunction()

# The pictures are the Windows program's alone; the native prefix, for the publisher's tool, has none.
if(WIN32)
    korvadel_dependency(jpeg libjpeg.a)
endif()
korvadel_dependency(xmp libxmp.a LIBXMP_STATIC)
korvadel_dependency(zlib libz.a)
korvadel_dependency(archive libarchive.a LIBARCHIVE_STATIC)
# libarchive's RAR readers take their CRC32 from zlib.
set_target_properties(Korvadel::archive PROPERTIES INTERFACE_LINK_LIBRARIES Korvadel::zlib)
