# The game binary started by the terminal tests writes what the sanitizers
# find to files here, since its own output goes to the pseudo-terminal where
# no one reads it. Run with -DLOGS=<folder> -DMODE=clear before those tests and
# -DMODE=check after them: check fails and shows every report found.
if(MODE STREQUAL "clear")
    file(REMOVE_RECURSE "${LOGS}")
    file(MAKE_DIRECTORY "${LOGS}")
elseif(MODE STREQUAL "check")
    file(GLOB reports "${LOGS}/*")
    if(reports)
        foreach(report IN LISTS reports)
            file(READ "${report}" text)
            message("== ${report}\n${text}")
        endforeach()
        message(FATAL_ERROR "the sanitizers reported faults")
    endif()
else()
    message(FATAL_ERROR "MODE must be clear or check")
endif()
