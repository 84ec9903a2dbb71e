# Third-party libraries from Debian's archive (see scripts/deps.txt). Each is wrapped by exactly one
# of our libraries, which links it privately.
find_package(Threads REQUIRED)
find_package(ZLIB REQUIRED)
find_package(OpenSSL REQUIRED COMPONENTS Crypto)
find_package(LibXml2 REQUIRED)
find_package(CURL REQUIRED)
find_package(PkgConfig REQUIRED)
# libpsl, with the public suffix list built in, decides which cookie domains are public suffixes.
pkg_check_modules(LIBPSL REQUIRED IMPORTED_TARGET libpsl)
# minizip (zlib's contrib) reads zip archives for fnd's ZipReader.
pkg_check_modules(MINIZIP REQUIRED IMPORTED_TARGET minizip)

# Standalone asio is header-only.
find_path(ASIO_INCLUDE_DIR asio.hpp REQUIRED)
add_library(asio_standalone INTERFACE)
target_include_directories(asio_standalone SYSTEM INTERFACE "${ASIO_INCLUDE_DIR}")
target_compile_definitions(asio_standalone INTERFACE ASIO_STANDALONE ASIO_NO_DEPRECATED)
target_link_libraries(asio_standalone INTERFACE Threads::Threads)
# Under ThreadSanitizer asio's fenced blocks (a fence on each side of every handler) are left out: TSan does not
# model fences, and GCC warns at each one (-Wtsan). asio's scheduler hands a handler from thread to thread
# under its mutex, which TSan does see.
if(ZELVAN_SANITIZE_THREAD)
    target_compile_definitions(asio_standalone INTERFACE ASIO_DISABLE_FENCED_BLOCK)
endif()

# cpp-httplib (Debian ships it compiled): the dev server's web server and the loopback HTTP server
# of the URL loading tests.
find_library(CPP_HTTPLIB_LIBRARY cpp-httplib REQUIRED)
if(ZELVAN_BUILD_TESTS)
    find_package(GTest REQUIRED)
    # Python 3 (standard library only) drives the client against the hostile peer and the demo driver in
    # integration tests.
    find_package(Python3 REQUIRED COMPONENTS Interpreter)
endif()
if(ZELVAN_BUILD_BENCH)
    find_package(benchmark REQUIRED)
    # msgpack-c (C API), the peer of the tagged value codec's benchmark.
    find_package(PkgConfig REQUIRED)
    pkg_check_modules(MSGPACK REQUIRED IMPORTED_TARGET msgpack)
    # RapidJSON (header-only), the peer of the banner client's JSON scanner benchmark.
    find_path(RAPIDJSON_INCLUDE_DIR rapidjson/reader.h REQUIRED)
    # Lua 5.4, the peer of the game script interpreter's benchmark.
    pkg_check_modules(LUA REQUIRED IMPORTED_TARGET lua5.4)
endif()

# Graphics: cairo for drawing, FreeType and fontconfig for text, libpng/libjpeg/giflib for images.
find_package(PkgConfig REQUIRED)
pkg_check_modules(CAIRO REQUIRED IMPORTED_TARGET cairo cairo-ft)
find_package(Freetype REQUIRED)
find_package(Fontconfig REQUIRED)
find_package(PNG REQUIRED)
find_package(JPEG REQUIRED)
find_package(GIF REQUIRED)
# OpenGL ES 1.1 through EGL (glvnd), run on Mesa's llvmpipe software driver, behind gfx::Gles1Context.
pkg_check_modules(EGL REQUIRED IMPORTED_TARGET egl)
pkg_check_modules(GLESV1 REQUIRED IMPORTED_TARGET glesv1_cm)

# SQLite 3, wrapped by fnd's SQL database, for the address book and the web databases.
find_package(SQLite3 REQUIRED)
# libsndfile decodes the audio player's sound files.
pkg_check_modules(SNDFILE REQUIRED IMPORTED_TARGET sndfile)
# nlohmann/json (header-only) parses and writes the JSON of page data and bridge arguments.
find_package(nlohmann_json 3.11 REQUIRED)

# Duktape's amalgamated source as duktape-dev installs it; src/platform/ui/duktape compiles it
# with our configuration (the packaged shared library cannot stop a script).
find_path(DUKTAPE_SOURCE_DIR duktape.c PATHS /usr/share/duktape NO_DEFAULT_PATH)
if(NOT DUKTAPE_SOURCE_DIR)
    message(FATAL_ERROR "Duktape: duktape.c was not found in /usr/share/duktape (install duktape-dev)")
endif()
# litehtml (Debian's build) lays out and paints the web view's pages; src/platform/ui wraps it.
find_package(litehtml REQUIRED CONFIG)
if(ZELVAN_BUILD_BENCH)
    # MuJS, the peer of the page script host's benchmark (linked only there).
    pkg_check_modules(MUJS REQUIRED IMPORTED_TARGET mujs)
endif()
