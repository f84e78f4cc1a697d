#!/usr/bin/env bash
# Installs the build into a fresh prefix, checks the layout, and checks that the installed launcher starts
# whatever it finds in its "soft" folder (a stand-in, never the real configurator, which would probe the
# machine's serial ports).
set -euo pipefail
build=$1
prefix=$2
rm -rf "$prefix"
cmake --install "$build" --prefix "$prefix" > "$prefix.log"

fail=0
check() { if eval "$2"; then echo "ok: $1"; else echo "FAILED: $1"; fail=1; fi; }
app=$prefix/lib/velon-configurator
check "launcher installed" "[ -x '$app/velon-configurator' ]"
check "configurator in soft/" "[ -x '$app/soft/velon-configurator' ]"
check "command on the PATH is a link to the launcher" \
    "[ -L '$prefix/bin/velon-configurator' ] && [ \"\$(readlink -f '$prefix/bin/velon-configurator')\" = \"\$(readlink -f '$app/velon-configurator')\" ]"
desktop=$prefix/share/applications/velon-configurator.desktop
check "desktop entry" "grep -q '^Name=Конфигуратор модемов «Велон»' '$desktop' && grep -q '^Comment=' '$desktop' && grep -q '^Exec=velon-configurator' '$desktop' && grep -q '^Icon=velon-configurator' '$desktop'"
check "icon" "[ -s '$prefix/share/icons/hicolor/scalable/apps/velon-configurator.svg' ]"
check "velon-cli on the PATH" "[ -x '$prefix/bin/velon-cli' ] && [ ! -L '$prefix/bin/velon-cli' ]"
check "installed velon-cli runs and explains its commands" \
    "'$prefix/bin/velon-cli' --help | grep -q '^  write FILE'"
check "no simulated modem installed" "! find '$prefix' -name '*demo*' | grep -q ."
if command -v desktop-file-validate > /dev/null; then
    check "desktop entry is valid" "desktop-file-validate '$desktop'"
fi

# The stand-in records how it was started.
marker=$prefix/started.txt
cat > "$app/soft/velon-configurator" <<STANDIN
#!/bin/sh
{ pwd; for a in "\$@"; do echo "arg:\$a"; done; } > '$marker'
STANDIN
chmod +x "$app/soft/velon-configurator"
(cd / && "$prefix/bin/velon-configurator" "one arg" two)
for _ in $(seq 50); do [ -s "$marker" ] && break; sleep 0.1; done
check "installed launcher started its soft/ program in soft/ with the arguments" \
    "[ \"\$(cat '$marker')\" = \"\$(printf '%s\n' '$app/soft' 'arg:one arg' 'arg:two')\" ]"

[ $fail = 0 ] && echo "install layout: all checks passed"
exit $fail
