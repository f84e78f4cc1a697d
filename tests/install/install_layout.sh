#!/usr/bin/env bash
# Installs the build into a fresh prefix, checks the layout, and checks that the installed launcher starts
# whatever it finds in its "soft" folder.
set -euo pipefail
build=$1
prefix=$2
rm -rf "$prefix"
cmake --install "$build" --prefix "$prefix" > "$prefix.log"

source "$(dirname "$0")/layout_checks.sh"
check_layout "$prefix"
check_launcher_starts_soft "$prefix"

[ $fail = 0 ] && echo "install layout: all checks passed"
exit $fail
