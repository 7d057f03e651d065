# The Windows half of the tree: the same sources configured with the mingw-w64
# toolchain in a sub-build, rebuilt whenever the native build is.
include(ExternalProject)
set(SFX_MINGW_BINARY_DIR "${CMAKE_BINARY_DIR}/mingw")
set(SFX_WIN_BIN "${SFX_MINGW_BINARY_DIR}/bin")
string(REPLACE ";" "|" _sfx_key_arg "${SFX_CONFIG_KEY}")
ExternalProject_Add(mingw
    SOURCE_DIR "${CMAKE_SOURCE_DIR}"
    BINARY_DIR "${SFX_MINGW_BINARY_DIR}"
    LIST_SEPARATOR |
    CMAKE_ARGS
        -DCMAKE_TOOLCHAIN_FILE=${CMAKE_SOURCE_DIR}/cmake/toolchain-mingw32.cmake
        -DCMAKE_BUILD_TYPE=MinSizeRel
        -DSFX_CONFIG_KEY=${_sfx_key_arg}
        -DSFX_DEPS_CACHE=${SFX_DEPS_CACHE}
    BUILD_ALWAYS ON
    INSTALL_COMMAND ""
    USES_TERMINAL_BUILD ON)
