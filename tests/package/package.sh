#!/usr/bin/env bash
# Builds the Debian package from the build tree and checks what an engineer's apt would get: the file list,
# the control fields with the dependencies CPack computed, lintian's verdict, and the unpacked programs.
set -euo pipefail
build=$1
version=$2
source "$(dirname "$0")/../install/layout_checks.sh"

for tool in cpack dpkg-deb dpkg-shlibdeps lintian; do
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
# Each library with the lowest version its symbols need: computed by dpkg-shlibdeps, not typed.
for lib in libqt5core5a libqt5gui5 libqt5widgets5 libqt5serialport5 libstdc++6 libc6; do
    check "depends on $lib" "grep -q '^$lib (>= [0-9]' <<< \"\$entries\""
done
check "no development or test packages among the dependencies" "! grep -Eq -- '-dev|libqt5test' <<< \"\$entries\""

lintian --display-info "$deb" > "$work/lintian.log" 2>&1 || true
echo "lintian:"
sed 's/^/    /' "$work/lintian.log"
check "no lintian errors" "! grep -q '^E:' '$work/lintian.log'"

dpkg-deb -x "$deb" "$work/root"
check_layout "$work/root/usr"
check_launcher_starts_soft "$work/root/usr"

[ $fail = 0 ] && echo "package: all checks passed"
exit $fail
