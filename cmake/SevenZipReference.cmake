# 7-Zip's own console program (Bundles/Alone2, the program Debian ships as
# 7zz), built by the engine's own makefile from the same sources with the same
# compiler and its own flags (-O2, static). It is the yardstick for the stub's
# extraction speed and is built only on request:
#   ninja 7z_reference   ->   bin/7zz-reference.exe
if(NOT WIN32)
    return()
endif()

find_program(SFX_MAKE NAMES make gmake REQUIRED)
cmake_host_system_information(RESULT _sfx_ref_jobs QUERY NUMBER_OF_LOGICAL_CORES)
set(_sfx_ref_dir "${CMAKE_BINARY_DIR}/7z-reference")
set(_sfx_ref_exe "${CMAKE_BINARY_DIR}/bin/7zz-reference.exe")

# The makefile detects mingw only from Windows environment variables, so the
# cross build says IS_MINGW itself; O keeps the objects out of the source tree.
# DISABLE_RAR as in Debian's own build: its sources lack the RAR decoders.
add_custom_command(OUTPUT "${_sfx_ref_exe}"
    COMMAND "${CMAKE_COMMAND}" -E make_directory "${_sfx_ref_dir}" "${CMAKE_BINARY_DIR}/bin"
    COMMAND "${SFX_MAKE}" -C "${SFX_7ZIP_ROOT}/CPP/7zip/Bundles/Alone2" -f makefile.gcc
        -j${_sfx_ref_jobs} IS_MINGW=1 DISABLE_RAR=1 "O=${_sfx_ref_dir}" "MY_MKDIR=mkdir -p"
        "CC=${CMAKE_C_COMPILER}" "CXX=${CMAKE_CXX_COMPILER}" "RC=${CMAKE_RC_COMPILER}"
    COMMAND "${CMAKE_COMMAND}" -E copy "${_sfx_ref_dir}/7zz.exe" "${_sfx_ref_exe}"
    COMMENT "Building 7-Zip's console program (reference for the extraction benchmark)"
    USES_TERMINAL
    VERBATIM)
add_custom_target(7z_reference DEPENDS "${_sfx_ref_exe}")

unset(_sfx_ref_jobs)
unset(_sfx_ref_dir)
unset(_sfx_ref_exe)
