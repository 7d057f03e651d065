# Warnings are errors in our own code; third-party headers come in as SYSTEM.
function(sfx_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow
        -Wnon-virtual-dtor -Wcast-align -Woverloaded-virtual -Werror)
endfunction()
