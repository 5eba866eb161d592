#!/usr/bin/env bash
# Builds the folder an update server publishes, from an installed program folder (the
# folder that holds the window program "quorvant" and its side files):
#   OUT_DIR/quorvant.php   the update configuration (version, file count, file names)
#   OUT_DIR/<file>         a copy of every program file, subfolders kept
# Training files (*.vdr), the settings file and ".bak" copies are user data and stay out.
# The version is read from the marker compiled into PROGRAM_DIR/quorvant unless given.
#
#   scripts/make-update.sh PROGRAM_DIR OUT_DIR [VERSION]
set -euo pipefail

if [ $# -lt 2 ] || [ $# -gt 3 ]; then
  echo "usage: $0 PROGRAM_DIR OUT_DIR [VERSION]" >&2
  exit 2
fi
src=$1
out=$2
if [ ! -f "$src/quorvant" ]; then
  echo "$src/quorvant not found: PROGRAM_DIR must be an installed program folder" >&2
  exit 1
fi
version=${3:-$(grep -a -o -m 1 'QUORVANT-FILE-VERSION:[0-9][0-9.]*' "$src/quorvant" | head -c 64 | cut -d: -f2 || true)}
version=${version%%$'\n'*}
if ! [[ $version =~ ^[0-9]{1,9}(\.[0-9]{1,9}){0,3}$ ]]; then
  echo "no usable version ('$version'); give it as the third argument, e.g. 1.0.0.4" >&2
  exit 1
fi

files=()
while IFS= read -r -d '' name; do
  case $name in
    *.vdr|*.VDR|settings_vdr.dat|*/settings_vdr.dat|*.bak|.update-*) continue ;;
  esac
  # The program refuses such names, so the update would never install.
  if [[ $name == *..* || $name == *\\* || $name =~ [[:cntrl:]] ]]; then
    echo "cannot publish the file name '$name'" >&2
    exit 1
  fi
  files+=("$name")
done < <(cd "$src" && find . -type f -printf '%P\0' | LC_ALL=C sort -z)
if [ ${#files[@]} -lt 1 ] || [ ${#files[@]} -gt 1000 ]; then
  echo "${#files[@]} files: an update holds 1 to 1000 files" >&2
  exit 1
fi

mkdir -p "$out"
for name in "${files[@]}"; do
  mkdir -p "$out/$(dirname "$name")"
  cp -p "$src/$name" "$out/$name"
done
{
  printf 'UpdateConfigFile\r\n%s\r\n%d\r\n' "$version" "${#files[@]}"
  printf '%s\r\n' "${files[@]}"
} > "$out/quorvant.php.tmp"
if [ "$(wc -c < "$out/quorvant.php.tmp")" -gt 4096 ]; then
  rm -f "$out/quorvant.php.tmp"
  echo "the file list is longer than the 4096 bytes the program reads" >&2
  exit 1
fi
mv "$out/quorvant.php.tmp" "$out/quorvant.php"
echo "version $version, ${#files[@]} files in $out"
