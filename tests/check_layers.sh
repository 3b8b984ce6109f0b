#!/usr/bin/env bash
# Checks that the game's folders use each other one way only, by their #include lines and by
# the libraries CMakeLists.txt links:
#   platform < text < weapons < characters < items < world < game
# A folder may include its own headers and those of folders before it, never one after it.
# Only platform/ may include SDL or operating-system headers: elsewhere every <...> include
# must be a standard C++ header (no ".h"). Only platform/posix/ and platform/win32/ may test
# for _WIN32.
# Tests and tools sit above every layer and are not checked.
# Usage: tests/check_layers.sh   (exits 1 and lists every offending line)
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

layers=(platform text weapons characters items world game)
declare -A rank
for i in "${!layers[@]}"; do
  rank[${layers[$i]}]=$i
done

faults=0
fault() {
  echo "$1"
  faults=$((faults + 1))
}

for folder in "${layers[@]}"; do
  while IFS= read -r -d '' file; do
    line_number=0
    while IFS= read -r line; do
      line_number=$((line_number + 1))
      where="$file:$line_number"
      if [[ $line =~ ^[[:space:]]*#[[:space:]]*include[[:space:]]*\"([a-z]+)/ ]]; then
        used="${BASH_REMATCH[1]}"
        if [[ -n ${rank[$used]+x} && ${rank[$used]} -gt ${rank[$folder]} ]]; then
          fault "$where: $folder/ includes $used/, which is built on top of it"
        fi
      elif [[ $line =~ ^[[:space:]]*#[[:space:]]*include[[:space:]]*\<([^>]+)\> ]]; then
        header="${BASH_REMATCH[1]}"
        if [[ $folder != platform && ( $header == *.h || $header == SDL* ) ]]; then
          fault "$where: <$header> is a system or SDL header; only platform/ may include it"
        fi
      fi
      if [[ $line =~ _WIN32 && $file != platform/win32/* && $file != platform/posix/* ]]; then
        fault "$where: _WIN32 outside the system folders platform/posix/ and platform/win32/"
      fi
    done <"$file"
  done < <(find "$folder" -type f \( -name '*.h' -o -name '*.cpp' \) -print0)
done

# Each library links only libraries of earlier layers (the null platform counts as platform).
layer_of_library() {
  local name="${1#vr_}"
  name="${name%%_*}"
  echo "${rank[$name]:-}"
}
while read -r library used; do
  own=$(layer_of_library "$library")
  [[ -z $own ]] && continue
  for dependency in $used; do
    [[ $dependency == vr_* ]] || continue
    theirs=$(layer_of_library "$dependency")
    # Within a layer only the null platform may build on the platform.
    if [[ -n $theirs ]] && ((theirs > own)) ||
      [[ $theirs == "$own" && $library != vr_platform_null ]]; then
      fault "CMakeLists.txt: $library links $dependency, which is not below it"
    fi
  done
done < <(sed -n 's/^ *target_link_libraries(\(vr_[a-z_]*\) \(PUBLIC\|PRIVATE\|INTERFACE\) \(.*\))/\1 \3/p' \
  CMakeLists.txt)

if ((faults > 0)); then
  echo "check_layers: $faults fault(s)"
  exit 1
fi
echo "check_layers: every folder uses only the folders below it"
