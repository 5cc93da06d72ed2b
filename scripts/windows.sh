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
# 3. Builds the Linux program, its data directory and its capture tool in build/, as the test
#    command does; cross-builds okv.exe and okv_capture.exe in build-windows/okv.
# 4. Packs build-windows/okv-windows-x86_64.zip and unpacks it into an empty directory.
# 5. From that directory, under Wine on a virtual X server: runs the program, checks its
#    start-up lines and that its error stream holds nothing but Wine's own lines, ends it with
#    Escape; runs it where the display offers OpenGL 3.1 only, where it must say so; and
#    compares the capture tool's frames with the Linux build's.
#
# Prints how long each step took; exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
work=$root/build-windows
sources=$work/sources
prefix=$work/prefix
jobs=$(nproc)
source scripts/timed-steps.sh
source scripts/program-window.sh

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

# apt downloads as its own user, who may not write into the sources folder; it would fall
# back to root with a warning for every file.
apt_source() {
    apt-get -o APT::Sandbox::User=root source --download-only -qq "$@"
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
            apt_source "$package"
            if ! dpkg-source -x "$name"_*.dsc > "$name.log" 2>&1; then
                cat "$name.log"
                return 1
            fi
            adjust "$name" "$(source_dir "$name")"
        fi
    done
    # DevIL's upstream tarball alone: the Debian revision's packaging files are not served
    # where 1.7.8's tarballs are not, and the build needs only the upstream tree.
    if ! ls -d devil-[0-9]* > /dev/null 2>&1; then
        apt_source --tar-only devil/sid
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
# into the prefix, unless this version of it is there already, built with these options.
cross_build() {
    local name=$1 source=$2 package=${2#"$sources/"}
    package=${package%%/*}
    shift 2
    local stamp
    stamp=$prefix/built/$name-$package-$(echo "$@" | md5sum | cut -c 1-8)
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
    # DevIL's image library, reading PNG and JPEG through the two libraries above; the formats
    # it reads without a library stay, as in Debian's build.
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

# The Linux build, as the test command makes it: its data directory (the shaders, and the
# models and images its generator writes) goes into the zip unchanged, so that the two builds'
# frames show the same data, and its capture tool renders the frames the Windows build's are
# compared with.
build_linux() {
    cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_COMPILE_WARNING_AS_ERROR=ON > "$work/linux-build.log"
    cmake --build build -j"$jobs" --target okv okv_capture okv_compare_frames shaders >> "$work/linux-build.log"
}

# The program and its tools, and nothing that runs on the build machine: no tests, and the
# generator is built but not run. The zip takes the program alone; the capture tool renders the
# frames compared below, and the others are built to show that they build for Windows too.
# Warnings are errors, as in the test command's builds. Assimp's link interface names minizip,
# its static dependency, by name alone.
build_windows() {
    cmake -S . -B "$work/okv" -DCMAKE_TOOLCHAIN_FILE="$root/scripts/windows-toolchain.cmake" \
        -DCMAKE_FIND_ROOT_PATH="$prefix" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=OFF \
        -DCMAKE_COMPILE_WARNING_AS_ERROR=ON -DCMAKE_EXE_LINKER_FLAGS="-L$prefix/lib" > "$work/windows-build.log"
    cmake --build "$work/okv" -j"$jobs" --target okv okv_capture okv_benchmark okv_breakdown okv_import_benchmark \
        okv_assets >> "$work/windows-build.log"
}

# Wine's settings for every run here. Wine Mono and Gecko are not needed, and without this
# Wine would offer to download them. Wine has a zlib1.dll of its own and prefers it to the one
# beside the program; the zip's is the one Windows loads, so it is the one tried.
export WINEPREFIX=$work/wine
export WINEDLLOVERRIDES="mscoree,mshtml=;zlib1=n,b"

start_wine() {
    source scripts/virtual-display.sh
    # Wine's server outlives the last program by a few seconds; it ends with this script.
    trap 'wineserver -k 2> /dev/null || true; stop_virtual_display' EXIT
    if [ ! -d "$WINEPREFIX" ]; then
        wineboot --init > "$work/wineboot.log" 2>&1
    fi
}

package_name=okv-windows-x86_64
zip_file=$work/$package_name.zip

# copy_dlls FILE DIRECTORY: copies every DLL that FILE imports, and what those import, from
# the cross-built libraries and the MinGW-w64 run time into DIRECTORY. Any other must be one
# of Windows' own, which Wine has too.
copy_dlls() {
    local dll place found
    for dll in $(x86_64-w64-mingw32-objdump -p "$1" | sed -n 's/^\tDLL Name: //p'); do
        [ -f "$2/$dll" ] && continue
        found=""
        for place in "$prefix/bin" /usr/x86_64-w64-mingw32/lib \
            "$(dirname "$(x86_64-w64-mingw32-g++-posix -print-libgcc-file-name)")"; do
            [ -f "$place/$dll" ] && found=$place/$dll && break
        done
        if [ -n "$found" ]; then
            # Without their symbols: Debian's MinGW C++ run time alone has 20 MB of them.
            x86_64-w64-mingw32-strip --strip-unneeded -o "$2/$dll" "$found"
            copy_dlls "$found" "$2"
        elif [ -z "$(find "$WINEPREFIX/drive_c/windows/system32" -maxdepth 1 -iname "$dll")" ]; then
            echo "$1 needs $dll, which neither the build nor Windows has" >&2
            return 1
        fi
    done
}

# The zip: okv.exe and its DLLs, the data directory, the README and the licences of what the
# DLLs were built from.
pack() {
    local staging=$work/package/$package_name
    rm -rf "$work/package" "$zip_file"
    mkdir -p "$staging/data" "$staging/licenses"
    x86_64-w64-mingw32-strip -o "$staging/okv.exe" "$work/okv/okv.exe"
    copy_dlls "$staging/okv.exe" "$staging"
    cp build/data/*.glsl "$staging/data/"
    cp -r build/data/models build/data/images "$staging/data/"
    # Windows' own editors expect CRLF line ends.
    sed 's/$/\r/' scripts/windows-readme.txt > "$staging/README-windows.txt"
    cp "$(source_dir freeglut)/debian/copyright" "$staging/licenses/freeglut.txt"
    cp "$(source_dir glew)/debian/copyright" "$staging/licenses/glew.txt"
    cp "$(source_dir assimp)/debian/copyright" "$staging/licenses/assimp.txt"
    cp "$(source_dir devil)/DevIL/COPYING" "$staging/licenses/devil.txt"
    cp "$(source_dir libpng1.6)/debian/copyright" "$staging/licenses/libpng.txt"
    cp "$(source_dir libjpeg-turbo)/debian/copyright" "$staging/licenses/libjpeg-turbo.txt"
    cp /usr/share/doc/libz-mingw-w64/copyright "$staging/licenses/zlib.txt"
    cp /usr/share/doc/gcc-mingw-w64-x86-64-posix-runtime/copyright "$staging/licenses/gcc-runtime.txt"
    cp /usr/share/doc/mingw-w64-x86-64-dev/copyright "$staging/licenses/mingw-w64.txt"
    (cd "$work/package" && zip -qr "$zip_file" "$package_name")
    ls -l "$zip_file"
}

# Lines that Wine itself writes on a program's error stream: its debug channels, its loader,
# and Debian's wine command's note that the 32-bit half is not installed.
wine_own_lines='^([0-9a-f]{4}:(err|fixme|warn|trace):|wine: |it looks like wine32 is missing|multiarch needs to be enabled|execute "dpkg --add-architecture i386|apt-get install wine32:i386|as root, please execute)'

# only_wine_lines FILE: fails when FILE holds a line that Wine did not write.
only_wine_lines() {
    if grep -Evq "$wine_own_lines" "$1"; then
        echo "$1 holds lines that are not Wine's own:" >&2
        grep -Ev "$wine_own_lines" "$1" >&2
        return 1
    fi
}

# run_program NAME DIRECTORY COMMAND...: starts the program from DIRECTORY, waits until its
# window is up and the scene is loaded, lets it render, takes a screenshot, presses Escape and
# waits for the end. Leaves NAME.out, NAME.err and NAME.png in build-windows; fails unless the
# program ended with status 0 and the screenshot shows more than a few colours.
run_program() {
    local name=$1 directory=$2 window status=0
    shift 2
    (cd "$directory" && exec "$@") > "$work/$name.out" 2> "$work/$name.err" &
    local program=$!
    if ! window=$(wait_for_window 60 "$program"); then
        echo "$name: no window within a minute" >&2
        kill "$program" 2> /dev/null || true
        return 1
    fi
    for _ in $(seq 120); do
        grep -q "After loadScene" "$work/$name.out" && break
        sleep 0.5
    done
    # A few frames after the scene is loaded.
    sleep 5
    import -window root "$work/$name.png"
    xdotool windowfocus --sync "$window" key Escape
    for _ in $(seq 60); do
        kill -0 "$program" 2> /dev/null || break
        sleep 0.5
    done
    wait "$program" || status=$?
    local colours
    colours=$(convert "$work/$name.png" -format %k info:)
    echo "$name: ended with status $status; its screenshot has $colours colours"
    [ "$status" -eq 0 ] && [ "$colours" -gt 1000 ]
}

# Wine hands the Unix environment, DISPLAY included, to Windows programs, and freeglut on
# Windows takes a DISPLAY variable for the name of a display device and warns that it is none.
# Windows has no such variable, so the Windows build is started through cmd without it.
without_display='set DISPLAY=&&'

unpacked=$work/unpacked/$package_name

run_under_wine() {
    rm -rf "$work/unpacked"
    mkdir -p "$work/unpacked"
    unzip -q "$zip_file" -d "$work/unpacked"

    run_program linux build/data ../okv
    # Started from the unpacked folder, as a double click starts it, it finds data\ beside it.
    run_program windows "$unpacked" wine cmd /c "$without_display okv.exe"
    local first_line
    first_line=$(head -n 1 "$work/windows.out" | tr -d '\r')
    if [ "$first_line" != "Using the data directory beside the program: $(winepath -w "$unpacked/data" 2> /dev/null)" ]; then
        echo "The Windows build did not say it uses the data beside it: $first_line" >&2
        return 1
    fi
    # Then the same lines as the Linux build's, up to Windows' line ends; both end with the
    # Escape key's code.
    if ! diff <(tail -n +2 "$work/windows.out" | tr -d '\r') "$work/linux.out" > "$work/start-up.diff"; then
        echo "The Windows build's console lines differ from the Linux build's:" >&2
        cat "$work/start-up.diff" >&2
        return 1
    fi
    echo "windows: $first_line"
    echo "windows: then the same $(wc -l < "$work/linux.out") console lines as the Linux build's"
    only_wine_lines "$work/windows.err"
    echo "windows: its error stream holds Wine's own lines only:"
    sed 's/^/    /' "$work/windows.err"
}

# Where the display offers no OpenGL 3.2 (Mesa, behind Wine's OpenGL, told to offer 3.1), the
# program says so in a message box, as a double-clicked program must; Return closes it. It
# must then end with status 1 and have written the same line, naming 3.1, on its error stream,
# beside Wine's own lines.
run_without_opengl32() {
    local box status=0
    (cd "$unpacked" && MESA_GL_VERSION_OVERRIDE=3.1 MESA_GLSL_VERSION_OVERRIDE=140 \
        exec wine cmd /c "$without_display okv.exe") > "$work/without-3.2.out" 2> "$work/without-3.2.err" &
    local program=$!
    if ! box=$(wait_for_window 60 "$program"); then
        echo "without 3.2: no message box within a minute" >&2
        kill "$program" 2> /dev/null || true
        return 1
    fi
    xdotool windowfocus --sync "$box" key Return
    wait "$program" || status=$?
    local lines
    lines=$(grep -Ev "$wine_own_lines" "$work/without-3.2.err" | tr -d '\r' || true)
    echo "without 3.2: ended with status $status, its error stream beside Wine's own lines:"
    echo "    $lines"
    [ "$status" -eq 1 ] && [ "$(echo "$lines" | wc -l)" -eq 1 ] &&
        [[ $lines == "OKV needs OpenGL 3.2 (core profile), but this display offers OpenGL 3.1 "* ]]
}

# The capture tool's frames at two animation times, from the Windows build beside the unpacked
# program and from the Linux build, compared as the softpipe test compares. Wine reports every
# DLL it loads: each that is not Wine's own must come from the unpacked zip.
compare_frames() {
    local frames=$work/frames
    rm -rf "$frames"
    mkdir -p "$frames/linux" "$work/unpacked/frames"
    (cd build/data && ../tools/okv_capture "$frames/linux" 640 480 7 1.5) > /dev/null
    x86_64-w64-mingw32-strip -o "$unpacked/okv_capture.exe" "$work/okv/tools/okv_capture.exe"
    (cd "$unpacked/data" &&
        WINEDEBUG=+loaddll wine cmd /c "$without_display ..\\okv_capture.exe ..\\..\\frames 640 480 7 1.5") \
        > "$work/capture.out" 2> "$work/capture.err"
    only_wine_lines "$work/capture.err"
    # Wine writes the paths with their backslashes doubled.
    local zip_path outside dll
    zip_path=$(winepath -w "$unpacked" 2> /dev/null | sed 's/\\/\\\\/g')
    outside=$(grep 'trace:loaddll:.*: native$' "$work/capture.err" | grep -Fv "L\"$zip_path\\\\" || true)
    if [ -n "$outside" ]; then
        echo "The Windows build loaded DLLs from outside the zip:" >&2
        echo "$outside" >&2
        return 1
    fi
    for dll in "$unpacked"/*.dll; do
        if ! grep -Fq "L\"$zip_path\\\\$(basename "$dll")\"" "$work/capture.err"; then
            echo "The Windows build did not load the zip's $(basename "$dll")" >&2
            return 1
        fi
    done
    echo "capture: every DLL not Wine's own came from the unpacked zip, and every DLL in it was loaded"
    mv "$work/unpacked/frames" "$frames/windows"
    build/tests/okv_compare_frames "$frames/linux" "$frames/windows" okv-7.png okv-1.5.png
}

step "packages" install_packages
step "sources" fetch_sources
step "libraries" build_libraries
step "Linux build" build_linux
step "Windows build" build_windows
step "virtual X server and Wine" start_wine
step "zip" pack
step "run under Wine" run_under_wine
step "without OpenGL 3.2" run_without_opengl32
step "frames" compare_frames

print_step_times
echo "The zip: $zip_file"
