#!/usr/bin/env bash
# Builds the demo for 64-bit Windows and proves it under Wine. On Debian 12, as root:
#
#   bash scripts/windows.sh
#
# 1. Installs Debian's MinGW-w64 cross compilers, zlib for MinGW, Wine and what the Linux
#    build needs, and adds Debian's source archive to apt's sources.
# 2. Cross-builds freeglut, GLEW, DevIL (its PNG and JPEG readers, with libpng and
#    libjpeg-turbo) and Assimp (its COLLADA importer) from Debian's source packages into
#    build-windows/prefix. They are kept there: a second run skips them.
# 3. Builds the Linux program's data directory (shaders, and the models and images its
#    generator writes) and the Linux capture tool; cross-builds okv.exe and okv_capture.exe.
# 4. Packs build-windows/okv-windows-x86_64.zip and unpacks it into an empty directory.
# 5. From that directory, under Wine on a virtual X server: runs the program, checks its
#    start-up lines and that its error stream holds nothing but Wine's own lines, ends it with
#    Escape, and compares the capture tool's frames with the Linux build's.
#
# Prints how long each step took; exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
work=$root/build-windows
sources=$work/sources
prefix=$work/prefix
jobs=$(nproc)
timings=""

# step NAME COMMAND...: runs one step and notes how long it took.
step() {
    local name=$1 start=$SECONDS
    shift
    echo "=== $name"
    "$@"
    timings+=$(printf '%6d s  %s' $((SECONDS - start)) "$name")$'\n'
}

# Debian 12's source packages, and DevIL from the development suite: the tarballs of
# Debian 12's DevIL 1.7.8 are not served by every mirror, while 1.8.0's upstream tarball is.
# Only sources: no binary package comes from another suite.
source_suites="bookworm bookworm-updates sid"
source_list=/etc/apt/sources.list.d/okv-windows-sources.sources

install_packages() {
    if [ ! -f "$source_list" ]; then
        cat > "$source_list" <<EOF
# Added by the OKV demo's scripts/windows.sh: the source packages it cross-builds.
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: $source_suites
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
EOF
        apt-get update -qq
    fi
    # libutfcpp-dev: Assimp's UTF-8 conversion, header only. dpkg-dev: apt-get source.
    scripts/install-dependencies.sh g++-mingw-w64-x86-64-posix libz-mingw-w64-dev wine64 wine \
        libutfcpp-dev dpkg-dev zip unzip
}

# The directory of one unpacked source package, the newest where there are several.
source_dir() {
    ls -d "$sources/$1"-[0-9]* | sort -V | tail -n 1
}

# adjust PACKAGE DIRECTORY: what the cross build changes in a freshly unpacked source tree.
adjust() {
    case $1 in
    assimp)
        # Debian's patch that makes Assimp require the system's Draco library (glTF's mesh
        # compression; only the COLLADA importer is built here) is taken back.
        patch -R -p1 -s -d "$2" < "$2/debian/patches/use-system-libdraco.patch"
        # Its Windows resource script (version information) is left out of Debian's
        # repacked tarball.
        sed -i '\|"res/assimp.rc"|d' "$2/code/CMakeLists.txt"
        ;;
    devil)
        # DevIL's CMake build lists, for Windows, a resource script (version information and
        # an icon) that the repacked tarball leaves out, and text files for Visual Studio's
        # project view under names that differ in case from the files: neither is built.
        sed -i '/set(\(DevIL\|ILU\)_\(RSRC\|TXT\) /d' "$2"/DevIL/src-IL{,U}/CMakeLists.txt
        ;;
    esac
}

# fetch PACKAGE/SUITE...: Debian source packages, unpacked with Debian's patches, into
# build-windows/sources; skipped for those already there.
fetch() {
    mkdir -p "$sources"
    cd "$sources"
    local package name
    for package in "$@"; do
        name=${package%/*}
        if ! ls "$name"_*.dsc > /dev/null 2>&1; then
            apt-get source --download-only -qq "$package"
            dpkg-source -x "$name"_*.dsc > /dev/null 2>&1
            adjust "$name" "$(source_dir "$name")"
        fi
    done
    # DevIL's upstream tarball alone: the Debian revision's packaging files are not served
    # where 1.7.8's tarballs are not, and the build needs only the upstream tree.
    if ! ls -d devil-[0-9]* > /dev/null 2>&1; then
        apt-get source --download-only --tar-only -qq devil/sid
        local tarball directory
        tarball=$(ls devil_*.orig.tar.*)
        directory=devil-$(echo "$tarball" | sed 's/^devil_\(.*\)\.orig\.tar\..*$/\1/')
        mkdir "$directory"
        tar -xf "$tarball" -C "$directory" --strip-components=1
        adjust devil "$sources/$directory"
    fi
    cd "$root"
}

fetch_sources() {
    fetch freeglut/bookworm glew/bookworm assimp/bookworm libpng1.6/bookworm \
        libjpeg-turbo/bookworm zlib/bookworm
}

# cross_build NAME SOURCE_DIR CMAKE_OPTION...: configures, builds and installs one library
# into the prefix, unless this version of it is there already.
cross_build() {
    local name=$1 source=$2 package=${2#"$sources/"}
    package=${package%%/*}
    local stamp=$prefix/built/$name-$package
    shift 2
    if [ -f "$stamp" ]; then
        echo "$name: built before ($package)"
        return
    fi
    echo "$name: building $package"
    local directory=$work/libraries/$name
    rm -rf "$directory"
    mkdir -p "$directory"
    if ! { cmake -S "$source" -B "$directory" -DCMAKE_TOOLCHAIN_FILE="$root/scripts/windows-toolchain.cmake" \
               -DCMAKE_FIND_ROOT_PATH="$prefix" -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_BUILD_TYPE=Release "$@" &&
           cmake --build "$directory" -j"$jobs" &&
           cmake --install "$directory"; } > "$directory.log" 2>&1; then
        tail -n 40 "$directory.log"
        echo "$name: the build failed; its log is $directory.log" >&2
        return 1
    fi
    mkdir -p "$prefix/built"
    touch "$stamp"
}

# minizip, for Assimp's zipped COLLADA files: Debian's Assimp source leaves its own copy out
# and uses the one from zlib's source. A static library, with the pkg-config file Assimp
# looks for.
build_minizip() {
    local source stamp
    source=$(source_dir zlib)
    stamp="$prefix/built/minizip-$(basename "$source")"
    [ -f "$stamp" ] && return
    local directory=$work/libraries/minizip
    rm -rf "$directory"
    mkdir -p "$directory" "$prefix/lib/pkgconfig" "$prefix/include/minizip"
    for file in ioapi unzip iowin32; do
        x86_64-w64-mingw32-gcc-posix -O2 -c "$source/contrib/minizip/$file.c" -o "$directory/$file.o"
    done
    x86_64-w64-mingw32-ar rcs "$prefix/lib/libminizip.a" "$directory"/*.o
    cp "$source"/contrib/minizip/{ioapi,unzip,crypt,iowin32}.h "$prefix/include/minizip/"
    cat > "$prefix/lib/pkgconfig/minizip.pc" <<EOF
Name: minizip
Description: zlib's minizip, cross-built for Windows
Version: 1.1
Requires: zlib
Cflags: -I$prefix/include/minizip
Libs: -L$prefix/lib -lminizip
EOF
    mkdir -p "$prefix/built"
    touch "$stamp"
}

build_libraries() {
    cross_build libjpeg-turbo "$(source_dir libjpeg-turbo)" \
        -DENABLE_STATIC=OFF -DWITH_TURBOJPEG=OFF -DWITH_SIMD=OFF
    cross_build libpng "$(source_dir libpng1.6)" \
        -DPNG_STATIC=OFF -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF
    # IL alone (DevIL's ILU and ILUT are not used), reading PNG and JPEG through the two
    # libraries above; the formats it reads without a library stay, as in Debian's build.
    cross_build devil "$(source_dir devil)/DevIL/src-IL" \
        -DCMAKE_DISABLE_FIND_PACKAGE_TIFF=ON -DCMAKE_DISABLE_FIND_PACKAGE_Jasper=ON \
        -DCMAKE_DISABLE_FIND_PACKAGE_OpenEXR=ON -DCMAKE_DISABLE_FIND_PACKAGE_LCMS2=ON \
        -DCMAKE_DISABLE_FIND_PACKAGE_MNG=ON -DCMAKE_DISABLE_FIND_PACKAGE_libSquish=ON \
        -DCMAKE_DISABLE_FIND_PACKAGE_NVTT=ON
    # DevIL's utility library: not used by the demo, but CMake's FindDevIL requires it.
    cross_build devil-utilities "$(source_dir devil)/DevIL/src-ILU" -DCMAKE_SHARED_LINKER_FLAGS="-L$prefix/lib"
    # With GL/glut.h, as on Linux, where CMake's FindGLUT looks for it.
    cross_build freeglut "$(source_dir freeglut)" \
        -DFREEGLUT_BUILD_STATIC_LIBS=OFF -DFREEGLUT_BUILD_DEMOS=OFF -DFREEGLUT_REPLACE_GLUT=ON
    cross_build glew "$(source_dir glew)/build/cmake" -DBUILD_UTILS=OFF
    build_minizip
    # The COLLADA importer alone, no exporter. pkg-config sees only the cross-built
    # libraries, so the host's minizip cannot slip in; Assimp links minizip by its name alone.
    PKG_CONFIG_LIBDIR="$prefix/lib/pkgconfig:/usr/x86_64-w64-mingw32/lib/pkgconfig" \
    cross_build assimp "$(source_dir assimp)" \
        -DASSIMP_BUILD_ALL_IMPORTERS_BY_DEFAULT=OFF -DASSIMP_BUILD_COLLADA_IMPORTER=ON \
        -DASSIMP_NO_EXPORT=ON -DASSIMP_BUILD_TESTS=OFF -DASSIMP_BUILD_ASSIMP_TOOLS=OFF \
        -DASSIMP_BUILD_ZLIB=OFF -DASSIMP_WARNINGS_AS_ERRORS=OFF -DASSIMP_INSTALL_PDB=OFF \
        -DCMAKE_CXX_FLAGS="-I/usr/include/utf8cpp" -DCMAKE_SHARED_LINKER_FLAGS="-L$prefix/lib"
}

step "packages" install_packages
step "sources" fetch_sources
step "libraries" build_libraries

echo "=== time per step"
printf '%s' "$timings"
