# Boost and GoogleTest. Natively they come from Debian's packages; for mingw,
# Boost comes from the cache that tools/bootstrap.sh fills and GoogleTest is
# compiled from Debian's googletest sources.
set(SFX_BOOST_COMPONENTS log log_setup filesystem regex iostreams thread system)
if(WIN32)
    set(SFX_BOOST_PREFIX "${SFX_DEPS_CACHE}/boost-1.81-mingw32-win7-os")
    set(Boost_USE_STATIC_LIBS ON)
    set(Boost_USE_STATIC_RUNTIME ON)
    set(Boost_USE_MULTITHREADED ON)
    find_package(Boost 1.81.0 EXACT REQUIRED CONFIG COMPONENTS ${SFX_BOOST_COMPONENTS}
        PATHS "${SFX_BOOST_PREFIX}" NO_DEFAULT_PATH)
    # Boost's package files add mingw's "synchronization" library, whose
    # imports name api-ms-win-core-synch-l1-2-0.dll. Windows 7 has no such
    # API set, and everything Boost calls from it is in kernel32 anyway.
    foreach(component IN LISTS SFX_BOOST_COMPONENTS)
        if(TARGET Boost::${component})
            get_target_property(_sfx_libs Boost::${component} INTERFACE_LINK_LIBRARIES)
            if(_sfx_libs)
                string(REPLACE "synchronization" "kernel32" _sfx_libs "${_sfx_libs}")
                set_target_properties(Boost::${component} PROPERTIES INTERFACE_LINK_LIBRARIES "${_sfx_libs}")
            endif()
        endif()
    endforeach()
    set(SFX_7ZIP_ROOT "${SFX_DEPS_CACHE}/7zip-26" CACHE PATH "Unpacked 7-Zip 26 sources")
    if(NOT EXISTS "${SFX_7ZIP_ROOT}/CPP/7zip/Archive/7z/7zHandler.cpp")
        message(FATAL_ERROR "7-Zip sources not found in ${SFX_7ZIP_ROOT}; run tools/bootstrap.sh")
    endif()
else()
    find_package(Boost 1.81.0 EXACT REQUIRED CONFIG COMPONENTS ${SFX_BOOST_COMPONENTS})
endif()

# One interface target carries the Boost settings every part of the tree uses.
add_library(sfx_boost INTERFACE)
target_link_libraries(sfx_boost INTERFACE Boost::log Boost::log_setup Boost::filesystem
    Boost::regex Boost::iostreams Boost::thread Boost::system)
target_compile_definitions(sfx_boost INTERFACE BOOST_ALL_NO_LIB BOOST_FILESYSTEM_NO_DEPRECATED)
if(WIN32)
    # Windows 7 is the oldest system the manifest lists.
    target_compile_definitions(sfx_boost INTERFACE _WIN32_WINNT=0x0601 WINVER=0x0601 BOOST_USE_WINAPI_VERSION=0x0601
        NTDDI_VERSION=0x06010000 UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX)
endif()

function(sfx_gtest_targets)
    if(TARGET GTest::gtest_main)
        return()
    endif()
    if(WIN32)
        set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
        set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
        set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
        # Its own CMake file defines GTest::gtest and GTest::gtest_main.
        add_subdirectory(/usr/src/googletest "${CMAKE_BINARY_DIR}/googletest" EXCLUDE_FROM_ALL)
    else()
        find_package(GTest REQUIRED)
    endif()
endfunction()
