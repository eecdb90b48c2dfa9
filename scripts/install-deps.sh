#!/usr/bin/env bash
# Installs what building and testing need on a Debian machine, where missing.
set -euo pipefail

packages=(cmake make g++-mingw-w64-x86-64-win32 binutils-mingw-w64-x86-64 wine wine64 fonts-wine
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
    "${sudo_cmd[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
