#!/bin/sh
# Installs the Debian 12 packages Korvex needs to build, test and run.
set -eu
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends \
    build-essential cmake ninja-build pkg-config \
    qt6-base-dev qt6-translations-l10n libxml2-dev libgtest-dev libgmock-dev \
    libreoffice-calc-nogui libreoffice-dev \
    xvfb xauth imagemagick xdotool fonts-dejavu-core \
    clang libclang-rt-14-dev \
    g++-mingw-w64-x86-64-posix googletest wine64 wine dpkg-dev \
    libmuparser-dev libexpat1-dev \
    >/dev/null
# The Windows build compiles libxml2 from Debian's own source package.
"$(dirname "$0")/fetch-windows-sources.sh"
