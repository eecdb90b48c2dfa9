#!/usr/bin/env bash
# Installs what building and testing need on a Debian machine, where missing:
# for 64-bit and 32-bit Windows programs alike (Wine's 32-bit half comes from
# Debian's i386 architecture).
set -euo pipefail

packages=(cmake make g++-mingw-w64-x86-64-win32 binutils-mingw-w64-x86-64
          g++-mingw-w64-i686-win32 binutils-mingw-w64-i686 wine wine64 wine32:i386 fonts-wine
          xvfb googletest x11-utils xdotool imagemagick
          clang lld clang-tidy clang-format zip openssl osslsigncode)
missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
        missing+=("$package")
done
if ((${#missing[@]})); then
    sudo_cmd=()
    [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
    dpkg --print-foreign-architectures | grep -qx i386 ||
        "${sudo_cmd[@]}" dpkg --add-architecture i386
    "${sudo_cmd[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
