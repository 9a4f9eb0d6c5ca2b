#!/usr/bin/env bash
# Cross-builds the libraries the Windows programs link, from Debian's own source
# packages, with Debian's mingw-w64 toolchain, into a prefix kept outside the
# checkout. The prefix is named after the source versions and this script, so a
# second build reuses it and a changed version or recipe builds afresh.
#
#   scripts/windows/build-deps.sh        prints the prefix on its last line
#
# HALVENOR_WIN_CACHE overrides the cache folder (~/.cache/halvenor/win64).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
host=x86_64-w64-mingw32
cache=${HALVENOR_WIN_CACHE:-$HOME/.cache/halvenor/win64}
jobs=$(nproc)

# Source packages in build order: each needs only those before it.
packages=(zlib libjpeg-turbo libpng1.6 freetype libsdl1.2 libogg libvorbis flac opus mpg123 lame libsndfile libopenmpt)

log() { echo "windows-deps: $*" >&2; }

# The version apt-get source picks: the highest one the machine's suites offer.
source_version() {
  apt-cache showsrc "$1" 2>/dev/null | sed -n 's/^Version: //p' | sort -V | tail -1
}

versions=""
for p in "${packages[@]}"; do
  v=$(source_version "$p")
  [ -n "$v" ] || { log "no source package '$p': add a deb-src entry (scripts/build-windows.sh does)"; exit 1; }
  versions+="$p=$v "
done
recipe=$(cat "$0" "$here/toolchain.cmake" | sha256sum | cut -c1-12)
key=$(echo "$versions$recipe" | sha256sum | cut -c1-16)
prefix=$cache/$key
# One build at a time: a second caller waits for the first and takes its prefix.
mkdir -p "$cache"
exec 9> "$cache/.lock"
flock 9
if [ -f "$prefix/.complete" ]; then
  log "cached in $prefix"
  echo "$prefix"
  exit 0
fi

rm -rf "$prefix"
mkdir -p "$prefix/src" "$prefix/licences"
echo "$versions" | tr ' ' '\n' > "$prefix/versions.txt"
export PKG_CONFIG_LIBDIR=$prefix/lib/pkgconfig
export PKG_CONFIG_PATH=
export CPPFLAGS="-I$prefix/include"
export LDFLAGS="-L$prefix/lib"
export CFLAGS="-O2"
export CXXFLAGS="-O2"
export CC=$host-gcc-posix CXX=$host-g++-posix
cmake_cross=(-G "Unix Makefiles" -DCMAKE_TOOLCHAIN_FILE="$here/toolchain.cmake" -DHALVENOR_WIN_PREFIX="$prefix"
             -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_BUILD_TYPE=Release -DCMAKE_PREFIX_PATH="$prefix")
autotools_cross=(--host=$host --prefix="$prefix" --disable-dependency-tracking)

# Downloads the source package's files at the addresses apt knows, checks each
# against the hash of the machine's signed source index, and unpacks it with
# Debian's patches applied. Some mirrors lack the upstream signature files
# (.asc) that a few packages list: those are left out, since the tarball they
# sign is checked by the index's hash already.
fetch() {
  local p=$1 v uris url name size hash
  v=$(source_version "$p")
  log "fetching $p $v"
  mkdir -p "$prefix/src/$p" && cd "$prefix/src/$p"
  uris=$(apt-get source --print-uris -qq "$p=$v" 2>/dev/null | grep "^'") || { log "apt knows no files of $p $v"; exit 1; }
  while read -r url name size hash; do
    url=${url//\'/}
    if ! curl -sfL --retry 3 -m 300 -o "$name" "$url"; then
      case $name in
        *.asc) log "$name is missing on the mirror; the tarball's own hash checks it"
               sed -i "/ $name\$/d" ./*.dsc 2>/dev/null || true
               rm -f "$name"; continue ;;
        *) log "cannot download $url"; exit 1 ;;
      esac
    fi
    [ "$(sha256sum "$name" | cut -d' ' -f1)" = "${hash#SHA256:}" ] || { log "$name does not match the index's hash"; exit 1; }
  done <<< "$uris"
  # Any .asc dropped after the .dsc was written is taken out of it now.
  for asc in $(sed -n 's/.* \([^ ]*\.asc\)$/\1/p' ./*.dsc | sort -u); do
    [ -f "$asc" ] || sed -i "/ $asc\$/d" ./*.dsc
  done
  dpkg-source --no-check -x ./*.dsc source > "$prefix/src/$p.fetch.log" 2>&1 \
    || { cat "$prefix/src/$p.fetch.log" >&2; log "cannot unpack $p"; exit 1; }
  dir=$prefix/src/$p/source
  mkdir -p "$prefix/licences/$p"
  cp "$dir/debian/copyright" "$prefix/licences/$p/copyright"
  cd "$dir"
}

run() { # run LOGNAME command...: the output goes to a log, shown only on failure
  local name=$1; shift
  if ! "$@" > "$prefix/src/$name.log" 2>&1; then
    tail -40 "$prefix/src/$name.log" >&2
    log "failed: $name"
    exit 1
  fi
}

started=$SECONDS
for p in "${packages[@]}"; do
  t=$SECONDS
  fetch "$p"
  case $p in
    zlib)
      # Debian's zlib source carries no Windows makefile: the library's C files
      # straight into a static archive.
      mkdir -p _w "$prefix/include" "$prefix/lib/pkgconfig"
      for c in adler32 compress crc32 deflate gzclose gzlib gzread gzwrite infback inffast inflate inftrees trees \
               uncompr zutil; do
        run zlib $CC $CFLAGS -c "$c.c" -o "_w/$c.o"
      done
      run zlib-ar $host-ar rcs "$prefix/lib/libz.a" _w/*.o
      cp zlib.h zconf.h "$prefix/include/"
      printf 'prefix=%s\nlibdir=${prefix}/lib\nincludedir=${prefix}/include\n\nName: zlib\nDescription: zlib compression library\nVersion: 1.2.13\nLibs: -L${libdir} -lz\nCflags: -I${includedir}\n' \
        "$prefix" > "$prefix/lib/pkgconfig/zlib.pc"
      ;;
    libjpeg-turbo)
      run jpeg-cmake cmake -S . -B _w "${cmake_cross[@]}" -DENABLE_SHARED=OFF -DWITH_TURBOJPEG=OFF -DWITH_JAVA=OFF
      run jpeg-make cmake --build _w -j"$jobs" --target install
      ;;
    libpng1.6)
      run png-cmake cmake -S . -B _w "${cmake_cross[@]}" -DPNG_SHARED=OFF -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF \
        -DZLIB_ROOT="$prefix" -DZLIB_LIBRARY="$prefix/lib/libz.a" -DZLIB_INCLUDE_DIR="$prefix/include"
      run png-make cmake --build _w -j"$jobs" --target install
      ;;
    freetype)
      run freetype-cmake cmake -S . -B _w "${cmake_cross[@]}" -DBUILD_SHARED_LIBS=OFF -DFT_DISABLE_BZIP2=ON \
        -DFT_DISABLE_PNG=ON -DFT_DISABLE_HARFBUZZ=ON -DFT_DISABLE_BROTLI=ON -DFT_REQUIRE_ZLIB=ON \
        -DZLIB_LIBRARY="$prefix/lib/libz.a" -DZLIB_INCLUDE_DIR="$prefix/include"
      run freetype-make cmake --build _w -j"$jobs" --target install
      ;;
    libsdl1.2)
      # SDL 1.2 itself, whose Windows port opens the window through WGL as the
      # engine's pixel buffers expect; a DLL, as its licence suits. The engine
      # enters at its own WinMain, so nothing redirects the standard streams.
      run sdl-configure ./configure "${autotools_cross[@]}" --disable-static --enable-shared \
        --disable-stdio-redirect --enable-video-opengl --disable-video-directx --disable-nasm
      run sdl-make make -j"$jobs"
      run sdl-install make install
      ;;
    libogg|libvorbis|opus)
      run "$p-configure" ./configure "${autotools_cross[@]}" --disable-shared --enable-static --disable-docs \
        --disable-doc --disable-examples --disable-extra-programs
      run "$p-make" make -j"$jobs"
      run "$p-install" make install
      ;;
    flac)
      run flac-configure ./configure "${autotools_cross[@]}" --disable-shared --enable-static --disable-programs \
        --disable-examples --disable-cpplibs --disable-doxygen-docs --disable-xmms-plugin --disable-thorough-tests \
        --disable-stack-smash-protection
      run flac-make make -j"$jobs"
      run flac-install make install
      ;;
    mpg123)
      run mpg123-configure ./configure "${autotools_cross[@]}" --disable-shared --enable-static \
        --disable-components --enable-libmpg123 --with-cpu=x86-64
      run mpg123-make make -j"$jobs"
      run mpg123-install make install
      ;;
    lame)
      run lame-configure ./configure "${autotools_cross[@]}" --disable-shared --enable-static --disable-frontend \
        --disable-gtktest --disable-decoder
      run lame-make make -j"$jobs"
      run lame-install make install
      ;;
    libsndfile)
      run sndfile-configure ./configure "${autotools_cross[@]}" --disable-shared --enable-static --disable-full-suite \
        --disable-alsa --disable-sqlite --disable-octave --enable-external-libs --enable-mpeg
      grep -q "External FLAC/Ogg/Vorbis/Opus : .*yes" config.log || grep -q "HAVE_EXTERNAL_XIPH_LIBS 1" config.h \
        || { log "libsndfile found no codec libraries"; exit 1; }
      run sndfile-make make -j"$jobs"
      run sndfile-install make install
      ;;
    libopenmpt)
      run openmpt-configure ./configure "${autotools_cross[@]}" --disable-static --enable-shared --disable-openmpt123 \
        --disable-examples --disable-tests --disable-doxygen-doc --without-mpg123 --without-ogg --without-vorbis \
        --without-vorbisfile --without-portaudio --without-portaudiocpp --without-pulseaudio --without-sndfile \
        --without-flac
      run openmpt-make make -j"$jobs"
      run openmpt-install make install
      ;;
  esac
  log "$p built in $((SECONDS - t)) s"
  cd "$prefix/src"
  rm -rf "$prefix/src/$p"
done
rm -rf "$prefix/src"
touch "$prefix/.complete"
log "all built in $((SECONDS - started)) s"
echo "$prefix"
