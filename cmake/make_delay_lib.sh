#!/bin/sh
# Makes a delay-load import library for one system DLL from mingw-w64's import library:
# every function the import library names, resolved on its first call instead of when the
# program loads (mingw-w64's __delayLoadHelper2 does the loading).
#   make_delay_lib.sh NAME OUT.a      (NAME as in -lNAME, e.g. winhttp)
set -eu
name=$1
out=$2
lib=/usr/x86_64-w64-mingw32/lib/lib$name.a
dll=$(x86_64-w64-mingw32-dlltool -I "$lib")
def="$out.def"
{
  echo "LIBRARY $dll"
  echo "EXPORTS"
  x86_64-w64-mingw32-nm -g --defined-only "$lib" | awk '$2 == "T" { print $3 }' | sort -u
} >"$def"
x86_64-w64-mingw32-dlltool -d "$def" -y "$out"
