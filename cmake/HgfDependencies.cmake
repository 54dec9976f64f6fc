# Third-party libraries, as imported targets with one name on both builds:
#   hgf::zlib, hgf::ogg, hgf::vorbis, hgf::vorbisfile, hgf::vorbisenc, hgf::mpg123,
#   hgf::flac, hgf::opus, hgf::opusfile
# Windows: Debian's MinGW zlib (static: the core, loaded into other programs by its
# keyboard hook, may import system DLLs only) and what scripts/build-thirdparty.sh builds
# (static libraries, and libmpg123 as a DLL); native: Debian's -dev packages through
# pkg-config.
if(WIN32)
    set(ZLIB_USE_STATIC_LIBS ON)
    if(ZLIB_LIBRARY_RELEASE MATCHES "\\.dll\\.a$")  # cached by a build that linked the DLL
        unset(ZLIB_LIBRARY_RELEASE CACHE)
    endif()
endif()
find_package(ZLIB REQUIRED)
add_library(hgf::zlib ALIAS ZLIB::ZLIB)

if(WIN32)
    find_package(Ogg CONFIG REQUIRED)
    find_package(Vorbis CONFIG REQUIRED)
    find_package(mpg123 CONFIG QUIET)
    add_library(hgf::ogg ALIAS Ogg::ogg)
    add_library(hgf::vorbis ALIAS Vorbis::vorbis)
    add_library(hgf::vorbisfile ALIAS Vorbis::vorbisfile)
    add_library(hgf::vorbisenc ALIAS Vorbis::vorbisenc)
    if(TARGET MPG123::libmpg123)
        # libmpg123-0.dll offers the functions that take file offsets with 64-bit offsets
        # only (mpg123_open_handle_64, ...): its users compile with a 64-bit off_t, which
        # makes mpg123.h call those.
        set_property(TARGET MPG123::libmpg123 APPEND PROPERTY
            INTERFACE_COMPILE_DEFINITIONS _FILE_OFFSET_BITS=64)
        add_library(hgf::mpg123 ALIAS MPG123::libmpg123)
    endif()
    find_package(FLAC CONFIG REQUIRED)
    add_library(hgf::flac ALIAS FLAC::FLAC)
    # opus and opusfile come from their autotools builds, which install no CMake package.
    find_path(HGF_OPUS_INCLUDE_DIR opus.h PATH_SUFFIXES opus REQUIRED)
    find_library(HGF_OPUS_LIBRARY NAMES libopus.a opus REQUIRED)
    find_library(HGF_OPUSFILE_LIBRARY NAMES libopusfile.a opusfile REQUIRED)
    add_library(hgf::opus STATIC IMPORTED)
    set_target_properties(hgf::opus PROPERTIES IMPORTED_LOCATION ${HGF_OPUS_LIBRARY}
        INTERFACE_INCLUDE_DIRECTORIES ${HGF_OPUS_INCLUDE_DIR})
    add_library(hgf::opusfile STATIC IMPORTED)
    set_target_properties(hgf::opusfile PROPERTIES IMPORTED_LOCATION ${HGF_OPUSFILE_LIBRARY}
        INTERFACE_INCLUDE_DIRECTORIES ${HGF_OPUS_INCLUDE_DIR}
        INTERFACE_LINK_LIBRARIES "hgf::opus;Ogg::ogg")
    # opusfile has no function that tells its version: the options page takes it from here.
    get_filename_component(opusfile_lib_dir ${HGF_OPUSFILE_LIBRARY} DIRECTORY)
    file(STRINGS ${opusfile_lib_dir}/pkgconfig/opusfile.pc opusfile_version REGEX "^Version:")
    string(REGEX REPLACE "^Version: *" "" HGF_OPUSFILE_VERSION "${opusfile_version}")
else()
    find_package(PkgConfig REQUIRED)
    pkg_check_modules(HGF_OGG REQUIRED IMPORTED_TARGET ogg)
    pkg_check_modules(HGF_VORBIS REQUIRED IMPORTED_TARGET vorbis)
    pkg_check_modules(HGF_VORBISFILE REQUIRED IMPORTED_TARGET vorbisfile)
    pkg_check_modules(HGF_VORBISENC REQUIRED IMPORTED_TARGET vorbisenc)
    pkg_check_modules(HGF_MPG123 IMPORTED_TARGET libmpg123)
    add_library(hgf::ogg ALIAS PkgConfig::HGF_OGG)
    add_library(hgf::vorbis ALIAS PkgConfig::HGF_VORBIS)
    add_library(hgf::vorbisfile ALIAS PkgConfig::HGF_VORBISFILE)
    add_library(hgf::vorbisenc ALIAS PkgConfig::HGF_VORBISENC)
    if(TARGET PkgConfig::HGF_MPG123)
        add_library(hgf::mpg123 ALIAS PkgConfig::HGF_MPG123)
    endif()
    pkg_check_modules(HGF_FLAC REQUIRED IMPORTED_TARGET flac)
    pkg_check_modules(HGF_OPUS REQUIRED IMPORTED_TARGET opus)
    pkg_check_modules(HGF_OPUSFILE REQUIRED IMPORTED_TARGET opusfile)
    add_library(hgf::flac ALIAS PkgConfig::HGF_FLAC)
    add_library(hgf::opus ALIAS PkgConfig::HGF_OPUS)
    add_library(hgf::opusfile ALIAS PkgConfig::HGF_OPUSFILE)
endif()

if(HGF_TESTS)
    find_package(GTest REQUIRED)
endif()
if(HGF_BENCHMARKS AND NOT WIN32 AND NOT HGF_FUZZ)
    find_package(benchmark QUIET)
endif()

# The licence texts of the third-party code inside the Windows binaries go to
# bin/licenses/, from where the package takes them: libogg and libvorbis from the sources
# that scripts/build-thirdparty.sh unpacked, libFLAC, libopus and libopusfile from where it
# kept them (vbmp3/ adds libmpg123's), zlib from its header, and the MinGW-w64
# run-time (winpthreads and the start-up code, linked into every binary) from Debian.
if(WIN32)
    set(HGF_LICENSES_DIR ${PROJECT_BINARY_DIR}/bin/licenses)
    function(hgf_ship_licence name pattern)
        file(GLOB found ${pattern})
        list(SORT found)
        list(POP_BACK found file)  # the newest unpacked version
        if(NOT file)
            message(FATAL_ERROR "The licence text of ${name} is missing: ${pattern}")
        endif()
        configure_file(${file} ${HGF_LICENSES_DIR}/${name}.txt COPYONLY)
    endfunction()
    hgf_ship_licence(libogg ${HGF_MINGW_PREFIX}/../src/libogg-*/COPYING)
    hgf_ship_licence(libvorbis ${HGF_MINGW_PREFIX}/../src/libvorbis-*/COPYING)
    hgf_ship_licence(libflac ${HGF_MINGW_PREFIX}/share/licenses/flac/COPYING.Xiph)
    hgf_ship_licence(libopus ${HGF_MINGW_PREFIX}/share/licenses/opus/COPYING)
    hgf_ship_licence(libopusfile ${HGF_MINGW_PREFIX}/share/licenses/opusfile/COPYING)
    hgf_ship_licence(mingw-w64-runtime /usr/share/doc/mingw-w64-x86-64-dev/copyright)
    # zlib's licence is the opening comment of zlib.h.
    list(GET ZLIB_INCLUDE_DIRS 0 zlib_include)
    file(READ ${zlib_include}/zlib.h zlib_header)
    string(REGEX MATCH "^/\\*[^*]*(\\*+[^*/][^*]*)*\\*+/" zlib_licence "${zlib_header}")
    file(WRITE ${PROJECT_BINARY_DIR}/zlib-licence.txt "${zlib_licence}\n")
    configure_file(${PROJECT_BINARY_DIR}/zlib-licence.txt ${HGF_LICENSES_DIR}/zlib.txt COPYONLY)
endif()
