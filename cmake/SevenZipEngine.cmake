# The 7-Zip archive engine, compiled from the unpacked 7-Zip 26 sources into the
# static library `sevenzip`: the 7z format (read side), its codecs and filters,
# 7z's AES, the format and codec registry (CCodecs) and the extraction entry
# point of the engine's UI layer (Extract() with its open and extraction
# callbacks and the wildcard censor). The file list follows the engine's own
# extract-only bundle (Format7zExtract) plus what Extract() needs from the
# console bundle (Alone7z); none of the engine's self-extractor modules is used.
if(NOT WIN32)
    return()
endif()

set(_sz "${SFX_7ZIP_ROOT}")

set(SFX_7ZIP_C_SOURCES
    # CRC-32 (slicing by 12: x86 has no CRC-32 instruction, and the engine's
    # assembler variant needs asmc) and CPU detection
    C/7zCrc.c C/7zCrcOpt.c C/CpuArch.c
    C/Alloc.c C/7zStream.c C/Threads.c
    # LZMA and LZMA2, the latter with the multithreaded block decoder
    C/LzmaDec.c C/Lzma2Dec.c C/Lzma2DecMt.c C/MtDec.c
    # PPMd variant H (7z's PPMD)
    C/Ppmd7.c C/Ppmd7Dec.c
    # BCJ, BCJ2 and the other branch filters (ARM64 and RISCV come with Bra.c), Delta, byte swap
    C/Bcj2.c C/Bra.c C/Bra86.c C/BraIA64.c C/Delta.c C/SwapBytes.c
    # AES with AES-NI/VAES and SHA-256 with SHA-NI (GCC compiles them through
    # target attributes); both pick the hardware path at run time
    C/Aes.c C/AesOpt.c C/Sha256.c C/Sha256Opt.c)

set(SFX_7ZIP_CPP_SOURCES
    # static initialisers: the CRC table and the SHA-256 hardware check
    CPP/Common/CRC.cpp CPP/Common/Sha256Prepare.cpp
    CPP/Common/IntToString.cpp CPP/Common/MyString.cpp CPP/Common/MyVector.cpp
    CPP/Common/NewHandler.cpp CPP/Common/StringConvert.cpp CPP/Common/StringToInt.cpp
    CPP/Common/UTFConvert.cpp CPP/Common/Wildcard.cpp CPP/Common/DynLimBuf.cpp

    CPP/Windows/ErrorMsg.cpp CPP/Windows/FileDir.cpp CPP/Windows/FileFind.cpp
    CPP/Windows/FileIO.cpp CPP/Windows/FileLink.cpp CPP/Windows/FileName.cpp
    CPP/Windows/PropVariant.cpp CPP/Windows/PropVariantConv.cpp
    CPP/Windows/Synchronization.cpp CPP/Windows/System.cpp CPP/Windows/TimeUtils.cpp

    CPP/7zip/Common/CreateCoder.cpp CPP/7zip/Common/CWrappers.cpp
    CPP/7zip/Common/FilePathAutoRename.cpp CPP/7zip/Common/FileStreams.cpp
    CPP/7zip/Common/FilterCoder.cpp CPP/7zip/Common/InBuffer.cpp
    CPP/7zip/Common/LimitedStreams.cpp CPP/7zip/Common/MethodId.cpp
    CPP/7zip/Common/MethodProps.cpp CPP/7zip/Common/OutBuffer.cpp
    CPP/7zip/Common/ProgressUtils.cpp CPP/7zip/Common/PropId.cpp
    CPP/7zip/Common/StreamBinder.cpp CPP/7zip/Common/StreamObjects.cpp
    CPP/7zip/Common/StreamUtils.cpp CPP/7zip/Common/VirtThread.cpp CPP/7zip/Common/UniqBlocks.cpp

    CPP/7zip/Archive/Common/CoderMixer2.cpp CPP/7zip/Archive/Common/HandlerOut.cpp
    CPP/7zip/Archive/Common/ItemNameUtils.cpp CPP/7zip/Archive/Common/OutStreamWithCRC.cpp
    CPP/7zip/Archive/Common/ParseProperties.cpp

    CPP/7zip/Archive/7z/7zCompressionMode.cpp CPP/7zip/Archive/7z/7zDecode.cpp
    CPP/7zip/Archive/7z/7zExtract.cpp CPP/7zip/Archive/7z/7zHandler.cpp
    CPP/7zip/Archive/7z/7zHeader.cpp CPP/7zip/Archive/7z/7zIn.cpp
    CPP/7zip/Archive/7z/7zProperties.cpp CPP/7zip/Archive/7z/7zRegister.cpp

    CPP/7zip/Compress/Bcj2Coder.cpp CPP/7zip/Compress/Bcj2Register.cpp
    CPP/7zip/Compress/BcjCoder.cpp CPP/7zip/Compress/BcjRegister.cpp
    CPP/7zip/Compress/BranchMisc.cpp CPP/7zip/Compress/BranchRegister.cpp
    CPP/7zip/Compress/ByteSwap.cpp
    CPP/7zip/Compress/CopyCoder.cpp CPP/7zip/Compress/CopyRegister.cpp
    CPP/7zip/Compress/DeltaFilter.cpp
    CPP/7zip/Compress/Lzma2Decoder.cpp CPP/7zip/Compress/Lzma2Register.cpp
    CPP/7zip/Compress/LzmaDecoder.cpp CPP/7zip/Compress/LzmaRegister.cpp
    CPP/7zip/Compress/PpmdDecoder.cpp CPP/7zip/Compress/PpmdRegister.cpp

    CPP/7zip/Crypto/7zAes.cpp CPP/7zip/Crypto/7zAesRegister.cpp
    CPP/7zip/Crypto/MyAes.cpp CPP/7zip/Crypto/MyAesReg.cpp

    # CCodecs, the registry of a statically linked client (it defines
    # RegisterArc, so ArchiveExports/DllExports2, which define it for a DLL,
    # are left out), and Extract() with what it links: the hash-archive and
    # directory-listing parts come along because Extract() handles hash
    # archives too
    CPP/7zip/UI/Common/LoadCodecs.cpp
    CPP/7zip/UI/Common/Extract.cpp CPP/7zip/UI/Common/ArchiveExtractCallback.cpp
    CPP/7zip/UI/Common/ArchiveOpenCallback.cpp CPP/7zip/UI/Common/OpenArchive.cpp
    CPP/7zip/UI/Common/ExtractingFilePath.cpp CPP/7zip/UI/Common/PropIDUtils.cpp
    CPP/7zip/UI/Common/SetProperties.cpp CPP/7zip/UI/Common/DefaultName.cpp
    CPP/7zip/UI/Common/HashCalc.cpp CPP/7zip/UI/Common/EnumDirItems.cpp CPP/7zip/UI/Common/SortUtils.cpp)

list(TRANSFORM SFX_7ZIP_C_SOURCES PREPEND "${_sz}/")
list(TRANSFORM SFX_7ZIP_CPP_SOURCES PREPEND "${_sz}/")

# 7-Zip's programs define the interface ids (IID_IInArchive and the others) in
# their main file; a library has none, so one generated unit defines them all.
set(_sz_guids "${CMAKE_CURRENT_BINARY_DIR}/sevenzip/EngineGuids.cpp")
file(CONFIGURE OUTPUT "${_sz_guids}" CONTENT [[
#include "Common/Common.h"
#include "Common/MyInitGuid.h"

#include "7zip/ICoder.h"
#include "7zip/IPassword.h"
#include "7zip/IProgress.h"
#include "7zip/IStream.h"
#include "7zip/Archive/IArchive.h"
#include "7zip/UI/Common/IFileExtractCallback.h"
]])

add_library(sevenzip STATIC ${SFX_7ZIP_C_SOURCES} ${SFX_7ZIP_CPP_SOURCES} "${_sz_guids}")
set_target_properties(sevenzip PROPERTIES ARCHIVE_OUTPUT_DIRECTORY "${CMAKE_BINARY_DIR}/lib")

# The engine's headers change class layouts with these, so every includer sees
# the same values: wide strings throughout (FString is UString), decoders only.
target_compile_definitions(sevenzip PUBLIC UNICODE _UNICODE Z7_EXTRACT_ONLY)
# Windows 7 is the stub's oldest system: the engine calls its functions
# directly instead of looking them up for Windows 2000.
target_compile_definitions(sevenzip PRIVATE NDEBUG Z7_WIN32_WINNT_MIN=0x0601)
target_include_directories(sevenzip SYSTEM PUBLIC "${_sz}/CPP" "${_sz}/C")
# Speed matters more than size here, whatever the build type says (the
# engine's own makefiles use -O2). With one section per function GCC 12 for
# PE fails on split-off parts of inline COM methods ("section type
# conflict"); no partial inlining avoids that.
target_compile_options(sevenzip PRIVATE -O2 -ffunction-sections -fdata-sections -fno-partial-inlining)
# Only the data path is hot: the C codecs, filters, CRC and hashes, the C++
# coders and crypto filters and the streams between them. Header parsing,
# paths, strings, the registry and the extraction driver run once per archive
# or per entry and are compiled for size (a stub is a download).
set(_sz_hot_cpp
    CPP/7zip/Common/CWrappers.cpp CPP/7zip/Common/FileStreams.cpp CPP/7zip/Common/FilterCoder.cpp
    CPP/7zip/Common/InBuffer.cpp CPP/7zip/Common/LimitedStreams.cpp CPP/7zip/Common/OutBuffer.cpp
    CPP/7zip/Common/StreamBinder.cpp CPP/7zip/Common/StreamObjects.cpp CPP/7zip/Common/StreamUtils.cpp
    CPP/7zip/Common/VirtThread.cpp CPP/7zip/Archive/Common/OutStreamWithCRC.cpp
    CPP/7zip/Archive/7z/7zExtract.cpp)
list(TRANSFORM _sz_hot_cpp PREPEND "${_sz}/")
foreach(_sz_source IN LISTS SFX_7ZIP_CPP_SOURCES)
    if(_sz_source MATCHES "/CPP/7zip/(Compress|Crypto)/" OR _sz_source IN_LIST _sz_hot_cpp)
        continue()
    endif()
    set_property(SOURCE "${_sz_source}" APPEND PROPERTY COMPILE_OPTIONS -Os)
endforeach()
# Unreferenced engine functions are dropped from every program that links it.
# The formats and codecs register themselves from static constructors, so a
# program must link the library whole: $<LINK_LIBRARY:WHOLE_ARCHIVE,sevenzip>.
target_link_options(sevenzip INTERFACE -Wl,--gc-sections)
target_link_libraries(sevenzip PUBLIC oleaut32 ole32 uuid advapi32 user32)

unset(_sz)
unset(_sz_guids)
unset(_sz_hot_cpp)
unset(_sz_source)
