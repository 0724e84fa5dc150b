# Warnings are set per target, on the project's own code only: every target of the project calls quillbox_warnings.
# QUILLBOX_WERROR, on in the builds of the test command and the checks CI runs, makes each warning an error.
option(QUILLBOX_WERROR "Treat warnings in the project's own code as errors" OFF)

function(quillbox_warnings)
    foreach(target ${ARGN})
        target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic $<$<BOOL:${QUILLBOX_WERROR}>:-Werror>)
    endforeach()
endfunction()
