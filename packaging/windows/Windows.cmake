# The Windows build (cross-built with MinGW-w64, see scripts/build-windows.sh): the help compiler, hha.dll and
# leafbind-hhc.exe, and the converter leafbind-cli.exe with every layer below it (the desktop program is not built
# yet), with the unit tests of the layers and a C program that calls hha.dll as a caller of the entry point does.
# Everything lands in bin/, the folder the package is made from.
enable_language(C RC)
set(CMAKE_SHARED_LIBRARY_PREFIX "")
# Static libraries only (the platform's defaults would take an import library first): the programs carry what they
# link, and the package needs no DLL of them.
set(CMAKE_FIND_LIBRARY_SUFFIXES .a)
set(ZLIB_USE_STATIC_LIBS ON)
find_package(ZLIB REQUIRED)
# The layers as on Linux, lowest first, without the desktop program.
foreach(layer IN ITEMS base automation word docserver chm book helpproject webhelp engine cli)
    add_subdirectory(${layer})
endforeach()
# The libraries are static ones (scripts/build-windows.sh builds them so): libzip's header must not ask for a DLL,
# and what libzip itself links comes along by name.
target_compile_definitions(leafbind_docserver_package PRIVATE ZIP_STATIC)
target_link_libraries(leafbind_docserver_package PRIVATE ZLIB::ZLIB advapi32)
# The picture reader is the one header of Debian's libstb-dev, reached through a folder of its own, as the
# building machine's other headers must stay out of sight.
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/stb-include)
file(CREATE_LINK /usr/include/stb ${CMAKE_BINARY_DIR}/stb-include/stb SYMBOLIC)
target_include_directories(leafbind_docserver_html PRIVATE ${CMAKE_BINARY_DIR}/stb-include)
target_sources(leafbind-cli PRIVATE ${PROJECT_SOURCE_DIR}/packaging/windows/Manifest.rc)

if(LEAFBIND_BUILD_TESTS)
    enable_testing()
    add_subdirectory(tests/windows)
endif()

# The package: the programs, the library and the README, zipped (scripts/build-windows.sh makes it).
install(TARGETS leafbind-hhc leafbind-cli RUNTIME DESTINATION .)
install(TARGETS hha RUNTIME DESTINATION .)
install(FILES README.md DESTINATION .)
