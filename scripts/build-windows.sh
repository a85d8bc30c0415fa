#!/usr/bin/env bash
# Cross-builds the Windows programs into build-windows/ on Debian 12: hha.dll (exporting HHA_CompileHHP only),
# leafbind-hhc.exe, the converter leafbind-cli.exe and the Windows tests, then the package
# build-windows/leafbind-windows.zip (the programs, the README and, when the Linux build has made it, the user manual
# leafbind.chm) and its installer build-windows/leafbind-windows-setup.exe.
# Installs MinGW-w64 and Wine when they are missing. Libraries Debian ships no MinGW build of (libmspack for the
# tests; pugixml, libzip, libpng and libjpeg-turbo for the converter) are cross-built, as static libraries, from
# Debian's own sources (fetched with apt-get source through a source list of this script's own, so the machine's
# lists are left alone) and kept under build-windows/deps, where later runs find them.
# Usage: scripts/build-windows.sh [extra cmake arguments]
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=$root/build-windows
deps=$build/deps
prefix=$deps/prefix
host=x86_64-w64-mingw32

packages=(g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix libz-mingw-w64-dev wine wine64
          cmake make dpkg-dev zip nsis python3 libgtest-dev libgmock-dev)
missing=()
for p in "${packages[@]}"; do
    dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    sudo=$([ "$(id -u)" -eq 0 ] || echo sudo)
    $sudo apt-get update -q
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# apt-get source with a private list of Debian's source archive, the suites the machine's own lists name.
fetch_source() {
    local package=$1 state=$deps/apt
    if [ ! -d "$state/lists" ]; then
        mkdir -p "$state/lists/partial"
        local suite
        suite=$(. /etc/os-release && echo "$VERSION_CODENAME")
        echo "deb-src http://deb.debian.org/debian $suite main" >"$state/sources.list"
        apt-get -q -o Dir::Etc::SourceList="$state/sources.list" -o Dir::Etc::SourceParts=- \
            -o Dir::State::Lists="$state/lists" update >/dev/null
    fi
    (cd "$deps/src" && apt-get -q -o Dir::Etc::SourceList="$state/sources.list" -o Dir::Etc::SourceParts=- \
        -o Dir::State::Lists="$state/lists" source --download-only "$package" >/dev/null &&
        dpkg-source -x --skip-patches "$package"_*.dsc "$package" >/dev/null 2>&1 ||
        dpkg-source -x "$package"_*.dsc "$package" >/dev/null)
}

# libmspack: the independent LZX decoder the compiler's tests check their output with.
build_libmspack() {
    [ -f "$prefix/lib/libmspack.a" ] && return
    mkdir -p "$deps/src"
    [ -d "$deps/src/libmspack" ] || fetch_source libmspack
    local source=$deps/src/libmspack
    [ -x "$source/configure" ] || source=$deps/src/libmspack/libmspack
    (cd "$source" && ./configure --host=$host --prefix="$prefix" --disable-shared --enable-static \
        CC=$host-gcc-posix CFLAGS="-O2 -D_FILE_OFFSET_BITS=64" >/dev/null && make -j"$(nproc)" >/dev/null &&
        make install >/dev/null)
}

# The libraries the converter links, each a static library built with CMake for MinGW from Debian's source:
# build_with_cmake PACKAGE INSTALLED-FILE [cmake arguments].
build_with_cmake() {
    local package=$1 installed=$2
    shift 2
    [ -f "$prefix/$installed" ] && return
    mkdir -p "$deps/src"
    [ -d "$deps/src/$package" ] || fetch_source "$package"
    cmake -S "$deps/src/$package" -B "$deps/build/$package" \
        -DCMAKE_TOOLCHAIN_FILE="$root/packaging/windows/mingw-w64-x86_64.cmake" -DLEAFBIND_WINDOWS_PREFIX="$prefix" \
        -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=OFF "$@" >/dev/null
    cmake --build "$deps/build/$package" -j"$(nproc)" >/dev/null
    cmake --install "$deps/build/$package" >/dev/null
}

start=$SECONDS
build_libmspack
build_with_cmake pugixml lib/libpugixml.a
build_with_cmake libzip lib/libzip.a -DENABLE_BZIP2=OFF -DENABLE_LZMA=OFF -DENABLE_ZSTD=OFF -DENABLE_OPENSSL=OFF \
    -DENABLE_GNUTLS=OFF -DENABLE_MBEDTLS=OFF -DENABLE_WINDOWS_CRYPTO=OFF -DENABLE_COMMONCRYPTO=OFF \
    -DBUILD_TOOLS=OFF -DBUILD_REGRESS=OFF -DBUILD_EXAMPLES=OFF -DBUILD_DOC=OFF
build_with_cmake libpng1.6 lib/libpng.a -DPNG_SHARED=OFF -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF -DPNG_TOOLS=OFF
build_with_cmake libjpeg-turbo lib/libjpeg.a -DENABLE_SHARED=OFF -DWITH_SIMD=OFF -DWITH_TURBOJPEG=OFF
echo "libraries ready in $((SECONDS - start)) s"

cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/packaging/windows/mingw-w64-x86_64.cmake" \
    -DLEAFBIND_WINDOWS_PREFIX="$prefix" -DCMAKE_BUILD_TYPE=Release "$@" >/dev/null
cmake --build "$build" -j"$(nproc)" >"$build/build.log" 2>&1 || {
    tail -40 "$build/build.log"
    exit 1
}

# Only the one entry point may be exported, by its plain name.
exports=$($host-objdump -p "$build/bin/hha.dll" | awk '/\[Ordinal\/Name Pointer\] Table/ {t = 1; next} t && NF == 0 {t = 0} t {print $NF}')
if [ "$exports" != "HHA_CompileHHP" ]; then
    echo "hha.dll exports '$exports', not HHA_CompileHHP alone" >&2
    exit 1
fi

# The package: the programs and the library with their README; every DLL they import is a system one.
package=$build/package/leafbind-windows
rm -rf "$build/package"
mkdir -p "$package"
cp "$build/bin/hha.dll" "$build/bin/leafbind-hhc.exe" "$build/bin/leafbind-cli.exe" "$package/"
cp packaging/windows/README.txt "$package/README.txt"
# The user manual is made by the Linux build's converter (the Windows compiler makes the same bytes, as
# scripts/test-windows.sh shows); without that build the package goes without it.
if [ -f "$root/build/bin/leafbind.chm" ]; then
    cp "$root/build/bin/leafbind.chm" "$package/leafbind.chm"
else
    echo "note: build/bin/leafbind.chm is missing (scripts/build.sh makes it): the package has no user manual" >&2
fi
for binary in "$package"/*.exe "$package"/*.dll; do
    for dll in $($host-objdump -p "$binary" | awk '/DLL Name:/ {print $3}'); do
        case "${dll,,}" in
        kernel32.dll | msvcrt.dll | user32.dll | shell32.dll | advapi32.dll | ole32.dll | ws2_32.dll) ;;
        api-ms-win-*) ;;
        *) [ -e "$package/$dll" ] || { echo "$binary needs $dll, which is not in the package" >&2; exit 1; } ;;
        esac
    done
done
(cd "$build/package" && rm -f ../leafbind-windows.zip && zip -qr ../leafbind-windows.zip leafbind-windows)
version=$(sed -n 's/^project(Leafbind VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
makensis -V2 -DSOURCE="$package" -DOUTFILE="$build/leafbind-windows-setup.exe" -DVERSION="$version" \
    packaging/windows/leafbind.nsi
echo "built $build/leafbind-windows.zip and $build/leafbind-windows-setup.exe"
