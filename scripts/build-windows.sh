#!/usr/bin/env bash
# Builds the Windows release of the engine on Debian: installs Debian's
# mingw-w64 cross toolchain, cross-builds the libraries from Debian's own source
# packages (cached outside the checkout, see scripts/windows/build-deps.sh),
# builds every program for Windows x86-64 in build-windows/ and makes
# build-windows/halvenor-VERSION-win64.zip: the programs, the DLLs they load,
# the sample and tracker shows with their generated assets (made by the Linux
# build's tools), a README.txt/LEEME.txt and the bundled libraries' licences.
# Runs as root (CI) or through sudo.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
started=$SECONDS

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
packages=(g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 dpkg-dev
          cmake make pkg-config autoconf automake libtool nasm zip curl fonts-dejavu-core)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
# apt-get source needs deb-src entries; add them for the machine's own suites when there are none.
if ! grep -rqs '^deb-src\|^Types:.*deb-src' /etc/apt/sources.list /etc/apt/sources.list.d/; then
  suites=$(. /etc/os-release && echo "$VERSION_CODENAME $VERSION_CODENAME-updates")
  printf 'Types: deb-src\nURIs: http://deb.debian.org/debian\nSuites: %s\nComponents: main\nSigned-By: /usr/share/keyrings/debian-archive-keyring.gpg\n' \
    "$suites" | $sudo tee /etc/apt/sources.list.d/halvenor-deb-src.sources >/dev/null
  missing+=(apt-update-only)
fi
if [ ${#missing[@]} -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -qq
  real=()
  for p in "${missing[@]}"; do [ "$p" = apt-update-only ] || real+=("$p"); done
  [ ${#real[@]} -eq 0 ] || $sudo apt-get install -y -qq --no-install-recommends "${real[@]}"
fi

prefix=$(./scripts/windows/build-deps.sh | tail -1)
[ -f "$prefix/.complete" ] || { echo "build-windows: the libraries did not build" >&2; exit 1; }

launcher=()
command -v ccache >/dev/null 2>&1 && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE="$root/scripts/windows/toolchain.cmake" \
  -DHALVENOR_WIN_PREFIX="$prefix" -DHALVENOR_BUILD_TESTS=OFF -DHALVENOR_BUILD_BENCHMARKS=OFF \
  -DCMAKE_BUILD_TYPE=Release "${launcher[@]}" >/dev/null
programs=(halvenor halvenor-capture halvenor-check halvenor-ctl halvenor-font SceneExport ParticleTool)
cmake --build build-windows -j"$(nproc)" --target "${programs[@]}"

# The shows travel with the assets the Linux tools generate (the same bytes on both).
./scripts/build.sh installed_shows >/dev/null

version=$(sed -n 's/^project(Halvenor VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
name=halvenor-$version-win64
stage=build-windows/$name
rm -rf "$stage" "build-windows/$name.zip"
mkdir -p "$stage/shows" "$stage/licences"
for p in "${programs[@]}"; do
  cp "build-windows/$p.exe" "$stage/"
done
x86_64-w64-mingw32-strip "$stage"/*.exe
# The DLLs the programs load: SDL 1.2 and the threads runtime.
for dll in "$prefix/bin/SDL.dll" /usr/x86_64-w64-mingw32/lib/libwinpthread-1.dll; do
  [ -f "$dll" ] || { echo "build-windows: missing $dll" >&2; exit 1; }
  cp "$dll" "$stage/"
done
x86_64-w64-mingw32-strip --strip-unneeded "$stage"/*.dll
# The author overlay and halvenor-font look for DejaVu Sans Mono beside the
# programs first: Windows has no copy of its own.
cp /usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf "$stage/"
mkdir -p "$stage/licences/fonts-dejavu-core"
cp /usr/share/doc/fonts-dejavu-core/copyright "$stage/licences/fonts-dejavu-core/copyright"
for show in sample tracker; do
  cp -r "build/shows/$show" "$stage/shows/$show"
  rm -f "$stage/shows/$show/error_log.txt"
  printf '@echo off\r\ncd /d "%%~dp0"\r\n"%%~dp0..\\..\\halvenor.exe" %%*\r\n' > "$stage/shows/$show/jugar.bat"
done
for text in README.txt LEEME.txt; do
  sed "s/@VERSION@/$version/" "scripts/windows/$text" | sed 's/$/\r/' > "$stage/$text"
done
cp -r "$prefix/licences/." "$stage/licences/"
mkdir -p "$stage/licences/mingw-w64-runtime" "$stage/licences/gcc-runtime"
cp /usr/share/doc/mingw-w64-common/copyright "$stage/licences/mingw-w64-runtime/copyright"
cp /usr/share/doc/gcc-mingw-w64-base/copyright "$stage/licences/gcc-runtime/copyright"
cp "$prefix/versions.txt" "$stage/licences/source-versions.txt"
(cd build-windows && zip -qr9 "$name.zip" "$name")
echo "build-windows: build-windows/$name.zip ($(du -h "build-windows/$name.zip" | cut -f1)) in $((SECONDS - started)) s"
