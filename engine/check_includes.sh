#!/bin/sh
# Stops the build when a file of an engine folder includes from an engine folder that its
# library does not depend on (engine/CMakeLists.txt declares what each may use), or from a
# folder that builds on the engine (app, image, chart).
# Usage: check_includes.sh STAMP FOLDER [FOLDER_IT_DEPENDS_ON...]
set -eu
stamp=$1
folder=$2
shift 2
cd "$(dirname "$0")/.."
faults=$(grep -rnE --include='*.h' --include='*.cpp' '^[[:space:]]*#[[:space:]]*include[[:space:]]*"(engine|app|image|chart)/' "engine/$folder" |
  awk -v allowed="$folder $*" '
    BEGIN { list = allowed; gsub(/ /, ",", list) }
    {
      split($0, quoted, "\"")
      split(quoted[2], part, "/")
      if (part[1] == "engine" && index(" " allowed " ", " " part[2] " ")) next
      split($0, place, ":")
      print place[1] ":" place[2] ": error: includes \"" quoted[2] "\"; this folder may include only engine/{" list "} and platform/"
    }')
if [ -n "$faults" ]; then
  printf '%s\n' "$faults" >&2
  exit 1
fi
touch "$stamp"
