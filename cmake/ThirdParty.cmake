# Libraries from outside the project, as targets every folder can link:
#   tappolo_vorbisfile   Ogg Vorbis decoding (libogg, libvorbis, vorbisfile)
#   tappolo_minizip      reading zip files (minizip's unzip.c and ioapi.c, over zlib)
# The cross builds compile them from the Debian source packages that tools/setup.sh unpacks into
# build/_deps/<package> (Debian's patches applied); the native build links Debian's -dev packages
# of the same versions, so native tests run the same decoder as the program. The fuzz build
# compiles the same sources with the fuzzer's coverage, so that the fuzzers see inside them.
set(TAPPOLO_DEPS_DIR "${CMAKE_SOURCE_DIR}/build/_deps"
    CACHE PATH "Debian source packages for the cross build (tools/setup.sh unpacks them)")

# Third-party code keeps its own warnings; our flags are not its rules.
function(tappolo_third_party_library name)
    add_library(${name} STATIC ${ARGN})
    target_compile_options(${name} PRIVATE $<IF:$<C_COMPILER_ID:MSVC>,/w,-w>)
    if(TAPPOLO_FUZZ)
        target_compile_options(${name} PRIVATE -fsanitize=fuzzer-no-link,address -O1)
        target_link_options(${name} INTERFACE -fsanitize=address)
    endif()
    set_target_properties(${name} PROPERTIES C_STANDARD 99 C_EXTENSIONS OFF)
endfunction()

function(tappolo_source_package package out)
    set(dir "${TAPPOLO_DEPS_DIR}/${package}")
    if(NOT EXISTS "${dir}/.tappolo-version")
        message(FATAL_ERROR "${package} sources missing in ${dir}: run tools/setup.sh")
    endif()
    set(${out} "${dir}" PARENT_SCOPE)
endfunction()

# minizip comes only as source with zlib's package: every build compiles its reading half from
# it, over the platform's zlib (MinGW's static libz-mingw-w64 for Windows, zlib1g natively).
# Entries are read through our own I/O callbacks only; its stdio half is compiled all the same,
# with glibc's 64-bit file calls declared. This unzip.c is built without decryption.
function(tappolo_minizip)
    tappolo_source_package(zlib zlib)
    if(WIN32)
        set(ZLIB_USE_STATIC_LIBS ON)
    endif()
    find_package(ZLIB REQUIRED)
    tappolo_third_party_library(tappolo_minizip
        "${zlib}/contrib/minizip/unzip.c" "${zlib}/contrib/minizip/ioapi.c")
    if(NOT WIN32)
        target_compile_definitions(tappolo_minizip PRIVATE _LARGEFILE64_SOURCE)
    endif()
    target_include_directories(tappolo_minizip SYSTEM PUBLIC "${zlib}/contrib/minizip")
    target_link_libraries(tappolo_minizip PUBLIC ZLIB::ZLIB)
endfunction()

function(tappolo_third_party_libraries)
    tappolo_minizip()
    if(NOT WIN32 AND NOT TAPPOLO_FUZZ)
        find_library(TAPPOLO_OGG_LIB ogg REQUIRED)
        find_library(TAPPOLO_VORBIS_LIB vorbis REQUIRED)
        find_library(TAPPOLO_VORBISFILE_LIB vorbisfile REQUIRED)
        find_path(TAPPOLO_VORBIS_INCLUDE vorbis/vorbisfile.h REQUIRED)
        add_library(tappolo_vorbisfile INTERFACE)
        target_include_directories(tappolo_vorbisfile SYSTEM INTERFACE ${TAPPOLO_VORBIS_INCLUDE})
        target_link_libraries(tappolo_vorbisfile INTERFACE
            ${TAPPOLO_VORBISFILE_LIB} ${TAPPOLO_VORBIS_LIB} ${TAPPOLO_OGG_LIB} m)
        return()
    endif()

    # libogg: its one configured header holds the sized integer types.
    tappolo_source_package(libogg ogg)
    set(generated "${CMAKE_BINARY_DIR}/_deps/ogg-include/ogg")
    file(WRITE "${generated}/config_types.h.new" [=[
#ifndef __CONFIG_TYPES_H__
#define __CONFIG_TYPES_H__
#include <stdint.h>
typedef int16_t ogg_int16_t;
typedef uint16_t ogg_uint16_t;
typedef int32_t ogg_int32_t;
typedef uint32_t ogg_uint32_t;
typedef int64_t ogg_int64_t;
typedef uint64_t ogg_uint64_t;
#endif
]=])
    file(COPY_FILE "${generated}/config_types.h.new" "${generated}/config_types.h" ONLY_IF_DIFFERENT)
    tappolo_third_party_library(tappolo_ogg "${ogg}/src/framing.c" "${ogg}/src/bitwise.c")
    target_include_directories(tappolo_ogg SYSTEM PUBLIC "${CMAKE_BINARY_DIR}/_deps/ogg-include" "${ogg}/include")

    # libvorbis: the decoding side and vorbisfile (no encoder, no tools).
    tappolo_source_package(libvorbis vorbis)
    set(files analysis bitrate block codebook envelope floor0 floor1 info lookup lpc lsp
        mapping0 mdct psy registry res0 sharedbook smallft synthesis window vorbisfile)
    list(TRANSFORM files PREPEND "${vorbis}/lib/")
    list(TRANSFORM files APPEND ".c")
    tappolo_third_party_library(tappolo_vorbisfile ${files})
    target_include_directories(tappolo_vorbisfile SYSTEM PUBLIC "${vorbis}/include"
        PRIVATE "${vorbis}/lib")
    if(NOT WIN32)
        target_compile_definitions(tappolo_vorbisfile PRIVATE HAVE_ALLOCA_H)
    endif()
    target_link_libraries(tappolo_vorbisfile PUBLIC tappolo_ogg)
endfunction()
