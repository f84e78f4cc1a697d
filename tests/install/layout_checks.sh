# Checks shared by the install and the package tests; sourced. check() prints each result and remembers a
# failure in $fail.
fail=0
check() { if eval "$2"; then echo "ok: $1"; else echo "FAILED: $1"; fail=1; fi; }

# check_layout PREFIX: what the install rules lay out under PREFIX.
check_layout() {
    local prefix=$1
    local app=$prefix/lib/velon-configurator
    check "launcher installed" "[ -x '$app/velon-configurator' ]"
    check "configurator in soft/" "[ -x '$app/soft/velon-configurator' ]"
    check "command on the PATH is a link to the launcher" \
        "[ -L '$prefix/bin/velon-configurator' ] && [ \"\$(readlink -f '$prefix/bin/velon-configurator')\" = \"\$(readlink -f '$app/velon-configurator')\" ]"
    local desktop=$prefix/share/applications/velon-configurator.desktop
    check "desktop entry" "grep -q '^Name=Конфигуратор модемов «Велон»' '$desktop' && grep -q '^Comment=' '$desktop' && grep -q '^Exec=velon-configurator' '$desktop' && grep -q '^Icon=velon-configurator' '$desktop'"
    check "icon" "[ -s '$prefix/share/icons/hicolor/scalable/apps/velon-configurator.svg' ]"
    check "velon-cli on the PATH" "[ -x '$prefix/bin/velon-cli' ] && [ ! -L '$prefix/bin/velon-cli' ]"
    check "velon-cli runs and explains its commands" "'$prefix/bin/velon-cli' --help | grep '^  write FILE' > /dev/null"
    check "no simulated modem installed" "! find '$prefix' -name '*demo*' | grep -q ."
    if command -v desktop-file-validate > /dev/null; then
        check "desktop entry is valid" "desktop-file-validate '$desktop'"
    fi
}

# check_launcher_starts_soft PREFIX: the launcher behind PREFIX/bin/velon-configurator starts whatever it finds
# in its "soft" folder. A stand-in takes the configurator's place, because the real one would probe the
# machine's serial ports.
check_launcher_starts_soft() {
    local prefix=$1
    local app=$prefix/lib/velon-configurator
    local marker=$prefix/started.txt
    rm -f "$marker"
    cat > "$app/soft/velon-configurator" <<STANDIN
#!/bin/sh
{ pwd; for a in "\$@"; do echo "arg:\$a"; done; } > '$marker'
STANDIN
    chmod +x "$app/soft/velon-configurator"
    (cd / && "$prefix/bin/velon-configurator" "one arg" two)
    for _ in $(seq 50); do [ -s "$marker" ] && break; sleep 0.1; done
    check "launcher started its soft/ program in soft/ with the arguments" \
        "[ \"\$(cat '$marker')\" = \"\$(printf '%s\n' '$app/soft' 'arg:one arg' 'arg:two')\" ]"
}
