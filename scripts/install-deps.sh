#!/usr/bin/env bash
# Installs what building and testing need on a Debian machine, and nothing
# when it is all there already. Run as root.
set -euo pipefail

# Besides the compilers and Wine, every program the scripts call: file
# (check-programs.sh), convert (imagemagick), iconv and locale-gen (libc-bin,
# locales), cmp (diffutils), awk, sed, grep and coreutils' realpath, stat,
# timeout and the like, which a minimal Debian may or may not hold.
packages=(cmake make g++ googletest g++-mingw-w64-i686 g++-mingw-w64-x86-64 wine wine32:i386 wine64 xvfb imagemagick fonts-liberation
          locales libc-bin python3 zip clang libclang-rt-14-dev
          file diffutils coreutils sed grep mawk qemu-system-x86 debootstrap)

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

# Wine passes text between Linux and Windows correctly only in a locale that
# really exists. The Wine tests run in Russian (code page 1251), English
# (1252) and Japanese (932).
generate=
for locale in ru_RU en_US ja_JP; do
  if ! locale -a 2>/dev/null | grep -qix "$locale\.utf8"; then
    sed -i "s/^# *$locale.UTF-8 UTF-8/$locale.UTF-8 UTF-8/" /etc/locale.gen
    grep -qx "$locale.UTF-8 UTF-8" /etc/locale.gen || echo "$locale.UTF-8 UTF-8" >>/etc/locale.gen
    generate=1
  fi
done
if [ -n "$generate" ]; then
  locale-gen >/dev/null
fi
