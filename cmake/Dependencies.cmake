# Every library varkit uses, found once and bundled into one interface target.
find_package(Qt5 REQUIRED COMPONENTS Core)
find_package(PkgConfig REQUIRED)
find_package(Threads REQUIRED)
find_package(leveldb CONFIG REQUIRED)

pkg_check_modules(VK_PKGS REQUIRED IMPORTED_TARGET
  sqlite3 zlib libzstd liblz4 blosc htslib bamtools-1 snappy
  muparserx libcrypto jansson libsmithwaterman xlsxwriter)

# libBigWig is loaded when a bigWig or bigBed file is first opened (BbiLibrary): only its headers
# are needed to build varkit; the tests link it to write their fixtures.
find_path(BIGWIG_INCLUDE_DIR bigWig.h REQUIRED)
find_library(BIGWIG_LIBRARY BigWig REQUIRED)

add_library(varkit_deps INTERFACE)
add_library(varkit::deps ALIAS varkit_deps)
target_include_directories(varkit_deps SYSTEM INTERFACE ${BIGWIG_INCLUDE_DIR})
target_link_libraries(varkit_deps INTERFACE
  Qt5::Core PkgConfig::VK_PKGS leveldb::leveldb ${CMAKE_DL_LIBS} Threads::Threads)
