#!/usr/bin/env bash
# Installs the cross toolchain and test tools, then cross-builds the engines from Debian's sources
# as static libraries into a cache outside the clone, one prefix per triplet. libarchive and zlib
# (libarchive's CRC) get our patches, tools/patches/{libarchive,zlib}-*.patch, on top of Debian's.
# The same libarchive is also built for this machine: `native` for the tools that read RAR
# natively (with libxmp for the publisher's tool), `native-fuzz` instrumented for the fuzzer
# (libarchive and zlib).
#   tools/deps.sh                    prints "<target> <prefix>" for each triplet and native variant
#   tools/deps.sh --prefix TARGET    prints only that prefix (a triplet, native or native-fuzz)
#   tools/deps.sh --source PACKAGE   prints the unpacked source of libjpeg-turbo, libxmp, libarchive
#                                    or zlib as Debian ships it, without our patches
set -euo pipefail

cache=${KORVADEL_CACHE:-$HOME/.cache/korvadel}
repo=$(cd "$(dirname "$0")/.." && pwd)
triplets=(x86_64-w64-mingw32 i686-w64-mingw32)
targets=("${triplets[@]}" native native-fuzz)
packages=(g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix
          gcc-mingw-w64-i686-posix binutils-mingw-w64-x86-64 binutils-mingw-w64-i686 wine64 wine xvfb
          fonts-wine fonts-liberation imagemagick dpkg-dev cmake make googletest x11-utils xauth
          libarchive-tools libarchive-dev zlib1g-dev clang libclang-rt-14-dev bc patch)

die() { echo "deps.sh: $*" >&2; exit 1; }
usage() { die "usage: $0 [--prefix x86_64-w64-mingw32|i686-w64-mingw32|native|native-fuzz | --source libjpeg-turbo|libxmp|libarchive|zlib]"; }

mode=${1:-}
case $mode in
    '') [[ $# -eq 0 ]] || usage ;;
    --prefix) [[ $# -eq 2 && " ${targets[*]} " == *" $2 "* ]] || usage ;;
    --source) [[ $# -eq 2 && $2 =~ ^(libjpeg-turbo|libxmp|libarchive|zlib)$ ]] || usage ;;
    *) usage ;;
esac
# A caller captures stdout as a path, so everything else goes to stderr.
exec 3>&1 1>&2
# Two shells of the same tree may start this at once; the second waits and then finds the work done.
mkdir -p "$cache/logs" "$cache/src"
exec 9>"$cache/lock"
flock 9

# Sources are kept under their full Debian version, so a newer Debian revision gets a build of its own.
source_dir() {
    local dirs=("$cache/src/$1"-[0-9]*/)
    [[ -d ${dirs[0]} ]] && echo "${dirs[0]%/}"
}

fetch() {
    # Unpacked aside and moved in whole, so an interrupted fetch is never taken for a source.
    local tmp; tmp=$(mktemp -d "$cache/src/.fetch.XXXXXX")
    echo "deps.sh: fetching Debian's source of $1"
    # A mirror may lack the sources of a security update; the release's own version then serves.
    local release; release=$(. /etc/os-release && echo "$VERSION_CODENAME")
    local get=(apt-get source -q -o APT::Sandbox::User="$(id -un)")
    (cd "$tmp" && { "${get[@]}" "$1" ||
        { echo "deps.sh: trying $1 as $release shipped it"; rm -rf ./*; "${get[@]}" "$1/$release"; }; }) ||
        die "could not fetch the source of $1: see apt's message above; check the network and the deb-src entry in apt's sources, then run $0 again"
    local dsc=("$tmp/$1"_*.dsc) dirs=("$tmp/$1"-[0-9]*/)
    local version=${dsc[0]##*_}
    mv "${dirs[0]}" "$cache/src/$1-${version%.dsc}"
    rm -rf "$tmp"
}

sudo=; [[ $EUID -eq 0 ]] || sudo=sudo
missing=()
for p in "${packages[@]}"; do
    [[ $(dpkg-query -W -f='${Status}' "$p" 2>/dev/null) == 'install ok installed' ]] || missing+=("$p")
done
needed=(libjpeg-turbo libxmp libarchive zlib)
[[ $mode == --source ]] && needed=("$2")
fetches=()
for name in "${needed[@]}"; do
    source_dir "$name" >/dev/null || fetches+=("$name")
done

if ((${#fetches[@]})) && ! grep -qsE '^[[:space:]]*(deb-src|Types:.*deb-src)' /etc/apt/sources.list \
        /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources; then
    [[ -f /etc/apt/sources.list.d/debian.sources ]] || die "no deb-src entry in apt's sources to fetch ${fetches[*]} from"
    sed -E 's/^Types:.*/Types: deb-src/' /etc/apt/sources.list.d/debian.sources |
        $sudo tee /etc/apt/sources.list.d/korvadel-deb-src.sources >/dev/null
fi
# Another package manager (an update running in the background) may hold dpkg's lock for a while.
wait_lock=(-o DPkg::Lock::Timeout=300)
# apt 2.6 waits for dpkg's lock only, not for the lists': an update meeting a held one is tried again.
update_lists() {
    local log=$cache/logs/apt-update.log try
    for try in {1..30}; do
        $sudo apt-get update "${wait_lock[@]}" 2>"$log" && { cat "$log"; return; }
        cat "$log"
        grep -q 'Could not get lock' "$log" || break
        echo "deps.sh: another package manager holds apt's lists; trying again in 10 s ($try of 30)"
        sleep 10
    done
    die "apt-get update failed: see its message above; check the network and apt's sources, then run $0 again"
}
if ((${#missing[@]} + ${#fetches[@]})); then
    echo "deps.sh: updating apt's package lists"
    update_lists
fi
if ((${#missing[@]})); then
    echo "deps.sh: installing ${#missing[@]} packages (a few minutes on a fresh machine): ${missing[*]}"
    $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${wait_lock[@]}" \
        "${missing[@]}" ||
        die "could not install ${missing[*]}: see apt's message above; once that is dealt with (or they are installed by hand: ${sudo:+sudo }apt-get install ${missing[*]}), run $0 again"
fi
for name in "${fetches[@]}"; do
    fetch "$name"
done

if [[ $mode == --source ]]; then
    source_dir "$2" >&3
    exit
fi

# Build output would bury what the caller needs to see: it stays in the log unless a step fails.
step() {
    local log=$1; shift
    "$@" >>"$log" 2>&1 || { tail -n 40 "$log" >&2; die "failed: $* (log: $log)"; }
}

# An engine's Debian source with our patches for it (tools/patches/ENGINE-*.patch), copied into the
# build's work directory: the cached source stays as Debian ships it.
patched_copy() {
    local log=$1 engine=$2 source=$3 copy=$4 patch
    cp -a "$source" "$copy"
    for patch in "$repo"/tools/patches/"$engine"-*.patch; do
        [[ -f $patch ]] || continue
        step "$log" patch -p1 --batch --forward -d "$copy" -i "$patch"
    done
}

cmake_static() {
    local log=$1 source=$2 build=$3 target=$4; shift 4
    # libjpeg-turbo's default prefix for Windows, c:/..., is no path CMake accepts on this host.
    step "$log" cmake -S "$source" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$repo/cmake/toolchain-$t.cmake" \
        -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" "$@"
    step "$log" cmake --build "$build" --target "$target" -j2
}

# zlib's own configure and makefile build the static library alone (its CMake build would rename a
# header of the source it is given); they take the compiler and its options from the environment.
static_zlib() {
    local log=$1; shift
    echo "deps.sh: $t: zlib"
    patched_copy "$log" zlib "$zlib" "$work/zlib"
    (cd "$work/zlib" && step "$log" env "$@" sh -c './configure --static && make -j2 libz.a')
    cp "$work/zlib/libz.a" "$prefix/lib/"
    cp "$work/zlib"/{zlib,zconf}.h "$prefix/include/"
}

build() {
    work=$(mktemp -d)
    trap 'rm -rf "$work"' EXIT
    rm -rf "$prefix"
    mkdir -p "$prefix/include" "$prefix/lib"
    local log=$cache/logs/$t
    rm -f "$log"-*.log
    # 32-bit Windows unwinds by the DWARF tables of .eh_frame, which GCC writes for every C function
    # too: a fifth of the binaries. No exception passes through the engines (their callbacks catch
    # everything, libjpeg's errors leave by longjmp), so their C code goes without.
    local cflags=
    [[ $t == i686-* ]] && cflags=-fno-asynchronous-unwind-tables

    echo "deps.sh: $t: libjpeg-turbo"
    cmake_static "$log-jpeg.log" "$jpeg" "$work/jpeg" jpeg-static -DCMAKE_C_FLAGS="$cflags" \
        -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_TURBOJPEG=OFF -DWITH_SIMD=OFF
    cp "$work/jpeg/libjpeg.a" "$prefix/lib/"
    cp "$work/jpeg/jconfig.h" "$jpeg"/{jpeglib,jmorecfg,jerror}.h "$prefix/include/"

    # libxmp's depackers spawn unrar/unmo3 for files they cannot unpack and stage data in temp
    # files: nothing an installer playing its own modules may do.
    echo "deps.sh: $t: libxmp"
    cp -a "$xmp" "$work/xmp"
    (cd "$work/xmp" && step "$log-xmp.log" ./configure --host="$t" CC="$t-gcc-posix" CFLAGS="-O2 $cflags" \
        --enable-static --disable-shared --disable-depackers &&
        step "$log-xmp.log" make -j2 AR="$t-ar" static)
    cp "$work/xmp/lib/libxmp.a" "$prefix/lib/"
    # This libxmp knows only BUILDING_STATIC; users say LIBXMP_STATIC, as later releases of it do.
    sed 's/defined(BUILDING_STATIC)/& || defined(LIBXMP_STATIC)/' "$xmp/include/xmp.h" >"$prefix/include/xmp.h"

    # The RAR readers carry their own BLAKE2sp and PPMd; their CRC32 is zlib's, as without it they
    # fall back to one a byte at a time. Our zlib is a plain static library, which the check for
    # zlib's WINAPI build (a program it cannot run here) is told.
    static_zlib "$log-zlib.log" CHOST="$t" CC="$t-gcc-posix" CFLAGS="-O3 $cflags"
    echo "deps.sh: $t: libarchive"
    patched_copy "$log-archive.log" libarchive "$archive" "$work/archive-src"
    cmake_static "$log-archive.log" "$work/archive-src" "$work/archive" archive_static -DCMAKE_C_FLAGS="$cflags" \
        -DWINDOWS_VERSION=WIN7 \
        -DENABLE_{MBEDTLS,NETTLE,OPENSSL,CNG,LIBB2,LZ4,LZO,LZMA,ZSTD,BZip2,LIBXML2,EXPAT}=OFF \
        -DENABLE_ZLIB=ON -DZLIB_INCLUDE_DIR="$prefix/include" -DZLIB_LIBRARY="$prefix/lib/libz.a" \
        -DZLIB_WINAPI_EXITCODE=1 -DZLIB_WINAPI_EXITCODE__TRYRUN_OUTPUT= \
        -DPOSIX_REGEX_LIB=NONE -DENABLE_{ICONV,ACL,XATTR,TAR,CPIO,CAT,TEST,INSTALL}=OFF
    cp "$work/archive/libarchive/libarchive_static.a" "$prefix/lib/libarchive.a"
    cp "$work/archive-src"/libarchive/archive{,_entry}.h "$prefix/include/"

    verify
    rm -rf "$work"
}

# zlib and libarchive, for this machine, with the same options as for Windows but glibc's iconv. For
# the fuzzer, with AddressSanitizer and libFuzzer's coverage hooks: without them the fuzzer sees no
# edges inside the decoders it is meant to explore, and ASan misses their stray reads and writes.
build_native() {
    work=$(mktemp -d)
    trap 'rm -rf "$work"' EXIT
    rm -rf "$prefix"
    mkdir -p "$prefix/include" "$prefix/lib"
    local log=$cache/logs/$t cc=cc options=(-DCMAKE_BUILD_TYPE=Release) link=()
    rm -f "$log"-*.log
    if [[ $t == native-fuzz ]]; then
        cc=clang
        link=(-fsanitize=address,fuzzer-no-link)
        options=(-DCMAKE_BUILD_TYPE= "-DCMAKE_C_FLAGS=${link[*]} -g -O1 -fno-omit-frame-pointer")
    fi

    static_zlib "$log-zlib.log" CC="$cc" CFLAGS="-O3 -fPIC"
    echo "deps.sh: $t: libarchive"
    patched_copy "$log-archive.log" libarchive "$archive" "$work/archive-src"
    step "$log-archive.log" cmake -S "$work/archive-src" -B "$work/archive" -DCMAKE_C_COMPILER="$cc" \
        "${options[@]}" -DCMAKE_POSITION_INDEPENDENT_CODE=ON \
        -DENABLE_{MBEDTLS,NETTLE,OPENSSL,LIBB2,LZ4,LZO,LZMA,ZSTD,BZip2,LIBXML2,EXPAT}=OFF \
        -DENABLE_ZLIB=ON -DZLIB_INCLUDE_DIR="$prefix/include" -DZLIB_LIBRARY="$prefix/lib/libz.a" \
        -DPOSIX_REGEX_LIB=NONE -DENABLE_{ACL,XATTR,TAR,CPIO,CAT,TEST,INSTALL}=OFF
    step "$log-archive.log" cmake --build "$work/archive" --target archive_static -j2
    cp "$work/archive/libarchive/libarchive.a" "$prefix/lib/libarchive.a"
    cp "$work/archive-src"/libarchive/archive{,_entry}.h "$prefix/include/"

    # The publisher's tool checks a module the way the music library loads it: the same libxmp, built
    # without its depackers.
    if [[ $t == native ]]; then
        echo "deps.sh: $t: libxmp"
        cp -a "$xmp" "$work/xmp"
        (cd "$work/xmp" && step "$log-xmp.log" ./configure CFLAGS="-O2 -fPIC" --enable-static --disable-shared \
            --disable-depackers && step "$log-xmp.log" make -j2 static)
        cp "$work/xmp/lib/libxmp.a" "$prefix/lib/"
        sed 's/defined(BUILDING_STATIC)/& || defined(LIBXMP_STATIC)/' "$xmp/include/xmp.h" >"$prefix/include/xmp.h"
    fi

    nm -g "$prefix/lib/libarchive.a" | grep -E " T archive_read_support_format_rar5\$" >/dev/null ||
        die "archive_read_support_format_rar5 is missing from $prefix/lib/libarchive.a"
    link_check
    step "$cache/logs/$t-link.log" "$cc" "${link[@]}" -DARCHIVE_ONLY -I"$prefix/include" "$work/link.c" \
        "$prefix/lib/libarchive.a" "$prefix/lib/libz.a" -o "$work/link"
    step "$cache/logs/$t-link.log" "$work/link"
    rm -rf "$work"
}

# A prefix is stamped only once a static Windows program links against it, so the project's build
# never meets a half-usable one.
verify() {
    local check lib symbol
    for check in jpeg:jpeg_read_header xmp:xmp_create_context archive:archive_read_support_format_rar5; do
        lib=$prefix/lib/lib${check%%:*}.a
        symbol=${check#*:}
        "$t-nm" -g "$lib" | grep -E " T _?$symbol\$" >/dev/null || die "$symbol is missing from $lib"
    done
    link_check
    step "$cache/logs/$t-link.log" "$t-gcc-posix" -static -DLIBXMP_STATIC -DLIBARCHIVE_STATIC \
        -I"$prefix/include" "$work/link.c" -L"$prefix/lib" -larchive -lz -lxmp -ljpeg -o "$work/link.exe"
}

# A program that uses each engine; a native prefix has libarchive only.
link_check() {
    cat >"$work/link.c" <<'C'
#include <stdio.h>
#ifndef ARCHIVE_ONLY
#include <jpeglib.h>
#include <xmp.h>
#endif
#include <archive.h>
int main(void) {
#ifndef ARCHIVE_ONLY
    struct jpeg_decompress_struct jpeg;
    struct jpeg_error_mgr error;
    jpeg.err = jpeg_std_error(&error);
    jpeg_create_decompress(&jpeg);
    jpeg_destroy_decompress(&jpeg);
    xmp_free_context(xmp_create_context());
#endif
    struct archive *archive = archive_read_new();
    archive_read_support_format_rar(archive);
    archive_read_support_format_rar5(archive);
    return archive_read_free(archive);
}
C
}

jpeg=$(source_dir libjpeg-turbo)
xmp=$(source_dir libxmp)
archive=$(source_dir libarchive)
zlib=$(source_dir zlib)
key=jpeg-${jpeg##*/libjpeg-turbo-}_xmp-${xmp##*/libxmp-}_archive-${archive##*/libarchive-}_zlib-${zlib##*/zlib-}
# The stamp holds the digest of the build steps (from step() to verify() and link_check()) and of
# our patches' changes, so changed build options or patches give a new build while a longer package
# list or a patch's reworded description does not.
recipe=$({ sed -n '/^step() {$/,/^jpeg=/p' "${BASH_SOURCE[0]}"
           for patch in "$repo"/tools/patches/{libarchive,zlib}-*.patch; do sed -n '/^--- /,$p' "$patch"; done; } |
    sha256sum)
for t in "${targets[@]}"; do
    [[ $mode == --prefix && $2 != "$t" ]] && continue
    # A prefix per recipe: trees at different commits, built at once, never rebuild each other's.
    if [[ $t == native* ]]; then
        prefix=$cache/deps/$t/archive-${archive##*/libarchive-}_zlib-${zlib##*/zlib-}_xmp-${xmp##*/libxmp-}_${recipe:0:12}
    else
        prefix=$cache/deps/$t/${key}_${recipe:0:12}
    fi
    if [[ $(cat "$prefix/stamp" 2>/dev/null) != "$recipe" ]]; then
        case $t in
            native) what='zlib, libarchive and libxmp (about 4 min)' ;;
            native-fuzz) what='zlib and libarchive with AddressSanitizer for the fuzzer (about 4 min)' ;;
            *) what='libjpeg-turbo, libxmp, zlib and libarchive (about 5 min)' ;;
        esac
        echo "deps.sh: building $what for $t into $prefix; its logs: $cache/logs/$t-*.log"
        if [[ $t == native* ]]; then build_native; else build; fi
        echo "$recipe" >"$prefix/stamp"
    fi
    if [[ $mode == --prefix ]]; then echo "$prefix" >&3; else echo "$t $prefix" >&3; fi
done
