# A DLL whose stdcall functions are exported by their plain names (MIDASinit, not MIDASinit@0) on
# i686 as on x86_64. ld's import library under --kill-at lacks the @N that callers compiled against the
# header look for; dlltool writes one from the exports the compiler recorded, keeping the @N for
# callers only.
function(korvadel_undecorated_exports target)
    target_link_options(${target} PRIVATE -Wl,--kill-at)
    if(CMAKE_SIZEOF_VOID_P EQUAL 4)
        add_custom_command(TARGET ${target} POST_BUILD
            COMMAND ${CMAKE_DLLTOOL} --kill-at --dllname $<TARGET_FILE_NAME:${target}>
                    --output-lib $<TARGET_LINKER_FILE:${target}> $<TARGET_OBJECTS:${target}>
            VERBATIM COMMAND_EXPAND_LISTS)
    endif()
endfunction()
