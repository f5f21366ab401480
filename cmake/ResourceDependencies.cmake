# A resource script's inputs are read from the script itself, so that a new window definition or
# picture is named in one place: every quoted name at the end of a line that is a file beside the
# script (its RCDATA, ICON and manifest files and the scripts it includes) rebuilds it when changed.
# Source properties hold in the directory that sets them: call this where the script is compiled.
function(korvadel_resource_dependencies script)
    get_filename_component(script ${script} ABSOLUTE)
    get_filename_component(folder ${script} DIRECTORY)
    file(STRINGS ${script} lines REGEX "\"[^\"]+\"[ \t]*$")
    set(inputs)
    foreach(line IN LISTS lines)
        string(REGEX MATCH "\"([^\"]+)\"[ \t]*$" quoted "${line}")
        if(EXISTS ${folder}/${CMAKE_MATCH_1} AND NOT IS_DIRECTORY ${folder}/${CMAKE_MATCH_1})
            list(APPEND inputs ${folder}/${CMAKE_MATCH_1})
        endif()
    endforeach()
    set_source_files_properties(${script} PROPERTIES OBJECT_DEPENDS "${inputs}")
    # A name added to the script is found at the next build.
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${script})
endfunction()
