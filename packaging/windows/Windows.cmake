# The Windows build (cross-built with MinGW-w64, see scripts/build-windows.sh): so far the help compiler, hha.dll
# and leafbind-hhc.exe, with the unit tests of the layers it is made of and a C program that calls hha.dll as a
# caller of the entry point does. Everything lands in bin/, the folder the package is made from.
enable_language(C RC)
set(CMAKE_SHARED_LIBRARY_PREFIX "")
foreach(layer IN ITEMS base chm)
    add_subdirectory(${layer})
endforeach()

if(LEAFBIND_BUILD_TESTS)
    enable_testing()
    add_subdirectory(tests/windows)
endif()

# The package: the programs, the library and the README, zipped (scripts/build-windows.sh makes it).
install(TARGETS leafbind-hhc RUNTIME DESTINATION .)
install(TARGETS hha RUNTIME DESTINATION .)
install(FILES README.md DESTINATION .)
