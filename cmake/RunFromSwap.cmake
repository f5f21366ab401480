# A binary of the kit that Windows runs from the swap file when it is started from a disc or a
# share: its code is otherwise paged in again from the drive, which at the volume prompt may hold the
# next disc. GNU ld has no switch for these characteristics; tools/run-from-swap.py sets them after
# the link.
find_program(KORVADEL_PYTHON3 NAMES python3 REQUIRED)
function(korvadel_run_from_swap target)
    add_custom_command(TARGET ${target} POST_BUILD
        COMMAND ${KORVADEL_PYTHON3} ${PROJECT_SOURCE_DIR}/tools/run-from-swap.py $<TARGET_FILE:${target}>
        VERBATIM)
endfunction()
