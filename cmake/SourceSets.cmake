# Source folders keep platform code apart: files under a win/ folder are built
# only for Windows, files under a posix/ folder only natively (stand-ins for the
# few system calls that the portable code needs), everything else for both.
function(sfx_collect_sources out_var)
    set(all "")
    foreach(dir IN LISTS ARGN)
        file(GLOB_RECURSE found CONFIGURE_DEPENDS "${dir}/*.cpp" "${dir}/*.c")
        list(APPEND all ${found})
    endforeach()
    if(WIN32)
        list(FILTER all EXCLUDE REGEX "/posix/")
    else()
        list(FILTER all EXCLUDE REGEX "/win/")
    endif()
    set(${out_var} ${all} PARENT_SCOPE)
endfunction()
