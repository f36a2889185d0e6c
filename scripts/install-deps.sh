#!/usr/bin/env bash
# Installs what building and testing need on a Debian machine, and nothing
# when it is all there already. Run as root.
set -euo pipefail

packages=(cmake make g++ googletest g++-mingw-w64-i686 g++-mingw-w64-x86-64 wine wine32:i386 wine64 xvfb imagemagick fonts-liberation
          locales python3 zip clang libclang-rt-14-dev qemu-system-x86 debootstrap)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if ((${#missing[@]})); then
  echo "installing: ${missing[*]}"
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
  fi
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" >/dev/null
fi

# Wine passes Cyrillic text between Linux and Windows correctly only when the
# Russian locale really exists.
if ! locale -a 2>/dev/null | grep -qi '^ru_RU\.utf8$'; then
  sed -i 's/^# *ru_RU.UTF-8/ru_RU.UTF-8/' /etc/locale.gen
  locale-gen >/dev/null
fi
