#!/bin/sh
# Fetches the sources the Windows build compiles itself: Debian's libxml2 source package
# (the same version as the Linux build's libxml2), from the Debian mirror this machine is
# configured with. The system's own apt sources are left as they are: a private list with
# the source entries is used for this one download.
# Usage: scripts/fetch-windows-sources.sh [DIR]   (default: .deps/sources beside the sources)
set -eu
src=$(cd "$(dirname "$0")/.." && pwd)
dir=${1:-"$src/.deps/sources"}
mkdir -p "$dir"
dir=$(cd "$dir" && pwd)

if ls "$dir"/libxml2-*/CMakeLists.txt >/dev/null 2>&1; then
    echo "fetch-windows-sources: libxml2 sources already in $dir"
    exit 0
fi
command -v dpkg-source >/dev/null || { echo "fetch-windows-sources: dpkg-dev is missing" >&2; exit 1; }

lists="$dir/apt"
mkdir -p "$lists/lists/partial"
sources="$lists/sources.list"
: > "$sources"
# Both the deb822 files and the one-line format, whichever the machine uses.
for file in /etc/apt/sources.list.d/*.sources; do
    [ -f "$file" ] && sed 's/^Types: deb$/Types: deb-src/' "$file" >> "$lists/src.sources"
done
if [ -f /etc/apt/sources.list ]; then
    sed -n 's/^deb \(.*\)/deb-src \1/p' /etc/apt/sources.list >> "$sources"
fi
mkdir -p "$lists/cache"
opts="-o Dir::Etc::sourcelist=$sources -o Dir::Etc::sourceparts=$lists -o Dir::State::Lists=$lists/lists -o Dir::Cache=$lists/cache"
# apt reads *.sources from the parts folder: the deb-src copies sit there.
apt-get update -qq $opts
cd "$dir"
apt-get source -qq $opts libxml2
ls -d "$dir"/libxml2-*/ >/dev/null
echo "fetch-windows-sources: libxml2 sources in $dir"
