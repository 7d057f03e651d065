# The configuration key is four 32-bit constants chosen at build time. Stub and
# sfxpack both include the header generated here, so they always agree.
list(LENGTH SFX_CONFIG_KEY _sfx_key_count)
if(NOT _sfx_key_count EQUAL 4)
    message(FATAL_ERROR "SFX_CONFIG_KEY must hold four constants, got '${SFX_CONFIG_KEY}'")
endif()
set(_sfx_key_index 0)
foreach(_sfx_word IN LISTS SFX_CONFIG_KEY)
    if(NOT _sfx_word MATCHES "^0x[0-9A-Fa-f]+$")
        message(FATAL_ERROR "SFX_CONFIG_KEY constant '${_sfx_word}' is not a hexadecimal number")
    endif()
    set(SFX_KEY_WORD${_sfx_key_index} "${_sfx_word}u")
    math(EXPR _sfx_key_index "${_sfx_key_index} + 1")
endforeach()
set(SFX_GENERATED_DIR "${CMAKE_BINARY_DIR}/generated")
configure_file("${CMAKE_CURRENT_LIST_DIR}/ConfigKeyConstants.h.in"
    "${SFX_GENERATED_DIR}/sfx/ConfigKeyConstants.h" @ONLY)
add_library(sfx_config_key INTERFACE)
target_include_directories(sfx_config_key INTERFACE "${SFX_GENERATED_DIR}")
