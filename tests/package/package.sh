#!/usr/bin/env bash
# Builds the Debian package from the build tree and checks what an engineer's apt would get: the file list,
# the control fields with the dependencies CPack computed, lintian's verdict, and the unpacked programs.
set -euo pipefail
build=$1
version=$2
source "$(dirname "$0")/../install/layout_checks.sh"

for tool in cpack dpkg-deb dpkg-shlibdeps lintian readelf; do
    command -v "$tool" > /dev/null || { echo "FAILED: $tool is not installed (scripts/setup installs it)"; exit 1; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cpack --config "$build/CPackConfig.cmake" -B "$work/out" > "$work/cpack.log" 2>&1 || { cat "$work/cpack.log"; exit 1; }
deb=$work/out/velon-configurator_${version}_$(dpkg --print-architecture).deb
[ -f "$deb" ] || { echo "FAILED: no $deb, only:"; ls "$work/out"; exit 1; }

# Files and links only: directories follow from them. Nothing of the demo, the simulated modem, the tests or
# the benchmark may appear.
expected=(
    ./usr/bin/velon-configurator
    ./usr/bin/velon-cli
    ./usr/lib/velon-configurator/soft/velon-configurator
    ./usr/lib/velon-configurator/velon-configurator
    ./usr/share/applications/velon-configurator.desktop
    ./usr/share/doc/velon-configurator/changelog.gz
    ./usr/share/doc/velon-configurator/copyright
    ./usr/share/icons/hicolor/scalable/apps/velon-configurator.svg
    ./usr/share/man/man1/velon-cli.1.gz
    ./usr/share/man/man1/velon-configurator.1.gz
)
dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { print $6 }' | sort > "$work/files"
printf '%s\n' "${expected[@]}" | sort > "$work/expected"
check "file list" "diff -u '$work/expected' '$work/files'"

field() { dpkg-deb -f "$deb" "$1"; }
check "version $version" "[ \"\$(field Version)\" = '$version' ]"
check "maintainer, section and an English description" \
    "[ -n \"\$(field Maintainer)\" ] && [ -n \"\$(field Section)\" ] && [ \$(field Description | wc -l) -gt 2 ] && ! field Description | LC_ALL=C grep -q '[^ -~]'"
depends=$(field Depends)
echo "Depends: $depends"
entries=$(sed 's/ *[,|] */\n/g' <<< "$depends")
# Every library the packaged programs link, under the name of the package this system has it from (Debian
# 13 renamed the Qt ones, libqt5core5a to libqt5core5t64), each with the lowest version its symbols need.
dpkg-deb -x "$deb" "$work/root"
for program in "$work"/root/usr/bin/velon-cli "$work"/root/usr/lib/velon-configurator/velon-configurator \
    "$work"/root/usr/lib/velon-configurator/soft/velon-configurator; do
    readelf -d "$program" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p' > "$work/needed"
    ldd "$program" | awk 'NR == FNR { want[$1]; next } $2 == "=>" && $1 in want { print $1, $3 }' "$work/needed" -
done | sort -u > "$work/linked"
echo "linked:"
sed 's/^/    /' "$work/linked"
for soname in libQt5Core.so.5 libQt5Gui.so.5 libQt5Widgets.so.5 libQt5SerialPort.so.5 libstdc++.so.6 libc.so.6; do
    check "links $soname" "grep -q '^$soname ' '$work/linked'"
done
# Debian 12's dpkg knows some libraries under /lib only, though they are found through /usr/lib.
owner() {
    local real
    real=$(readlink -f "$1")
    { dpkg -S "$real" || dpkg -S "${real#/usr}"; } 2> /dev/null | sed -n '1s/[:,].*//p' || true
}
while read -r soname path; do
    lib=$(owner "$path")
    check "depends on ${lib:-the package of $path} ($soname)" "[ -n '$lib' ] && grep -q '^$lib (>= [0-9]' <<< \"\$entries\""
done < "$work/linked"
check "no development or test packages among the dependencies" "! grep -Eq -- '-dev|libqt5test' <<< \"\$entries\""

lintian --display-info "$deb" > "$work/lintian.log" 2>&1 || true
echo "lintian:"
sed 's/^/    /' "$work/lintian.log"
check "no lintian errors" "! grep -q '^E:' '$work/lintian.log'"

check_layout "$work/root/usr"
check_launcher_starts_soft "$work/root/usr"

[ $fail = 0 ] && echo "package: all checks passed"
exit $fail
