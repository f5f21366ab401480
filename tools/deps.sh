#!/usr/bin/env bash
# Installs the cross toolchain and test tools, then cross-builds the engines from Debian's sources
# as static libraries into a cache outside the clone, one prefix per triplet.
#   tools/deps.sh                    prints "<triplet> <prefix>" for each triplet
#   tools/deps.sh --prefix TRIPLET   prints only that prefix
#   tools/deps.sh --source PACKAGE   prints the unpacked source of libjpeg-turbo, libxmp or libarchive
set -euo pipefail

cache=${KORVADEL_CACHE:-$HOME/.cache/korvadel}
repo=$(cd "$(dirname "$0")/.." && pwd)
triplets=(x86_64-w64-mingw32 i686-w64-mingw32)
packages=(g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix
          gcc-mingw-w64-i686-posix binutils-mingw-w64-x86-64 binutils-mingw-w64-i686 wine64 wine xvfb
          fonts-wine fonts-liberation imagemagick dpkg-dev cmake make googletest x11-utils xauth
          libarchive-tools libarchive-dev clang libclang-rt-14-dev bc)

die() { echo "deps.sh: $*" >&2; exit 1; }
usage() { die "usage: $0 [--prefix x86_64-w64-mingw32|i686-w64-mingw32 | --source libjpeg-turbo|libxmp|libarchive]"; }

mode=${1:-}
case $mode in
    '') [[ $# -eq 0 ]] || usage ;;
    --prefix) [[ $# -eq 2 && " ${triplets[*]} " == *" $2 "* ]] || usage ;;
    --source) [[ $# -eq 2 && $2 =~ ^(libjpeg-turbo|libxmp|libarchive)$ ]] || usage ;;
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
    (cd "$tmp" && apt-get source -q -o APT::Sandbox::User="$(id -un)" "$1")
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
needed=(libjpeg-turbo libxmp libarchive)
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
if ((${#missing[@]} + ${#fetches[@]})); then
    $sudo apt-get update
fi
if ((${#missing[@]})); then
    $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
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

cmake_static() {
    local log=$1 source=$2 build=$3 target=$4; shift 4
    # libjpeg-turbo's default prefix for Windows, c:/..., is no path CMake accepts on this host.
    step "$log" cmake -S "$source" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$repo/cmake/toolchain-$t.cmake" \
        -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" "$@"
    step "$log" cmake --build "$build" --target "$target" -j2
}

build() {
    work=$(mktemp -d)
    trap 'rm -rf "$work"' EXIT
    rm -rf "$prefix"
    mkdir -p "$prefix/include" "$prefix/lib"
    local log=$cache/logs/$t
    rm -f "$log"-*.log

    cmake_static "$log-jpeg.log" "$jpeg" "$work/jpeg" jpeg-static \
        -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_TURBOJPEG=OFF -DWITH_SIMD=OFF
    cp "$work/jpeg/libjpeg.a" "$prefix/lib/"
    cp "$work/jpeg/jconfig.h" "$jpeg"/{jpeglib,jmorecfg,jerror}.h "$prefix/include/"

    # libxmp's depackers spawn unrar/unmo3 for files they cannot unpack and stage data in temp
    # files: nothing an installer playing its own modules may do.
    cp -a "$xmp" "$work/xmp"
    (cd "$work/xmp" && step "$log-xmp.log" ./configure --host="$t" CC="$t-gcc-posix" CFLAGS=-O2 \
        --enable-static --disable-shared --disable-depackers &&
        step "$log-xmp.log" make -j2 AR="$t-ar" static)
    cp "$work/xmp/lib/libxmp.a" "$prefix/lib/"
    # This libxmp knows only BUILDING_STATIC; users say LIBXMP_STATIC, as later releases of it do.
    sed 's/defined(BUILDING_STATIC)/& || defined(LIBXMP_STATIC)/' "$xmp/include/xmp.h" >"$prefix/include/xmp.h"

    # The RAR readers carry their own CRC32, BLAKE2sp and PPMd: no external library is needed.
    cmake_static "$log-archive.log" "$archive" "$work/archive" archive_static -DWINDOWS_VERSION=WIN7 \
        -DENABLE_{MBEDTLS,NETTLE,OPENSSL,CNG,LIBB2,LZ4,LZO,LZMA,ZSTD,ZLIB,BZip2,LIBXML2,EXPAT}=OFF \
        -DPOSIX_REGEX_LIB=NONE -DENABLE_{ICONV,ACL,XATTR,TAR,CPIO,CAT,TEST,INSTALL}=OFF
    cp "$work/archive/libarchive/libarchive_static.a" "$prefix/lib/libarchive.a"
    cp "$archive"/libarchive/archive{,_entry}.h "$prefix/include/"

    verify
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
    cat >"$work/link.c" <<'C'
#include <stdio.h>
#include <jpeglib.h>
#include <xmp.h>
#include <archive.h>
int main(void) {
    struct jpeg_decompress_struct jpeg;
    struct jpeg_error_mgr error;
    jpeg.err = jpeg_std_error(&error);
    jpeg_create_decompress(&jpeg);
    jpeg_destroy_decompress(&jpeg);
    xmp_free_context(xmp_create_context());
    struct archive *archive = archive_read_new();
    archive_read_support_format_rar(archive);
    archive_read_support_format_rar5(archive);
    return archive_read_free(archive);
}
C
    step "$cache/logs/$t-link.log" "$t-gcc-posix" -static -DLIBXMP_STATIC -DLIBARCHIVE_STATIC \
        -I"$prefix/include" "$work/link.c" -L"$prefix/lib" -larchive -lxmp -ljpeg -o "$work/link.exe"
}

jpeg=$(source_dir libjpeg-turbo)
xmp=$(source_dir libxmp)
archive=$(source_dir libarchive)
key=jpeg-${jpeg##*/libjpeg-turbo-}_xmp-${xmp##*/libxmp-}_archive-${archive##*/libarchive-}
# The stamp holds the digest of the build steps (from step() to verify()), so changed build options
# give a new build while a longer package list does not.
recipe=$(sed -n '/^step() {$/,/^jpeg=/p' "${BASH_SOURCE[0]}" | sha256sum)
for t in "${triplets[@]}"; do
    [[ $mode == --prefix && $2 != "$t" ]] && continue
    prefix=$cache/deps/$t/$key
    if [[ $(cat "$prefix/stamp" 2>/dev/null) != "$recipe" ]]; then
        echo "deps.sh: building the engines for $t into $prefix"
        build
        echo "$recipe" >"$prefix/stamp"
    fi
    if [[ $mode == --prefix ]]; then echo "$prefix" >&3; else echo "$t $prefix" >&3; fi
done
