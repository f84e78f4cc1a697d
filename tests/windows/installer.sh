#!/usr/bin/env bash
# The Windows zip and setup as a user meets them, under Wine in a prefix of their own: the zip unpacks and
# its velon-cli runs; the setup installs silently for the current user into %LOCALAPPDATA%\Programs with a
# Start-menu entry and an uninstaller registered under HKCU; the uninstaller removes every file the setup put
# there, the entry and the registration, and leaves the user's history of sets.
# Usage: installer.sh BUILD_DIR
set -uo pipefail
build=$1
fail=0
check() { if eval "$2"; then echo "ok: $1"; else echo "FAILED: $1"; fail=1; fi; }

cmake --build "$build" --target velon-windows-package > "$build/package-out.log" 2>&1 ||
    { cat "$build/package-out.log"; exit 1; }
out=$build/package-out
setup=$(ls "$out"/velon-configurator_*_windows-x64-setup.exe)
zip=$(ls "$out"/velon-configurator_*_windows-x64.zip)
version=$(basename "$zip" | sed 's/velon-configurator_\(.*\)_windows-x64.zip/\1/')

export VELON_WINEPREFIX=$build/wine-prefix-install
wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver)
run() { WINEPREFIX=$VELON_WINEPREFIX "$build/wine-run" "$@"; }
settle() { WINEPREFIX=$VELON_WINEPREFIX "$wineserver" -w; }
run cmd /c exit > /dev/null 2>&1
user=$(ls "$VELON_WINEPREFIX/drive_c/users" | grep -v -x Public | head -n 1)
home=$VELON_WINEPREFIX/drive_c/users/$user
installed=$home/AppData/Local/Programs/velon-configurator
menu="$home/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Конфигуратор модемов «Велон».lnk"
history=$home/AppData/Roaming/velon-configurator/history/356938035643809
key='HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Uninstall\velon-configurator'
rm -rf "$installed" "$home/AppData/Roaming/velon-configurator"

unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
(cd "$unpacked" && cmake -E tar xf "$zip")
check "the zip holds the launcher at its top and the programs in soft/" \
    "[ -f '$unpacked/velon-configurator.exe' ] && [ -f '$unpacked/soft/velon-configurator.exe' ] && [ -f '$unpacked/soft/platforms/qwindows.dll' ]"
check "velon-cli runs from the unpacked zip" \
    "[ \"\$(run '$unpacked/soft/velon-cli.exe' --version 2>/dev/null | tr -d '\r')\" = 'velon-cli $version' ]"

run "$setup" /S > /dev/null 2>&1
settle
expected=$(cd "$unpacked" && find . -type f | sed 's|^\./||' | sort)
check "every file of the zip installed" \
    "[ \"\$(cd '$installed' && find . -type f ! -name uninstall.exe | sed 's|^\./||' | sort)\" = \"\$expected\" ]"
check "an uninstaller beside them" "[ -f '$installed/uninstall.exe' ]"
check "the Start-menu entry" "[ -f \"\$menu\" ]"
check "the uninstaller registered for the user" "run reg query '$key' /v UninstallString 2>/dev/null | grep -q uninstall.exe"
check "the installed velon-cli runs" \
    "[ \"\$(run '$installed/soft/velon-cli.exe' --version 2>/dev/null | tr -d '\r')\" = 'velon-cli $version' ]"

# The user's history, as the configurator keeps it.
mkdir -p "$history"
echo "SETCOM=9600,8,N,1,0;" > "$history/000001_read.txt"
run "$installed/uninstall.exe" /S > /dev/null 2>&1
settle
check "the installed folder is gone" "[ ! -e '$installed' ]"
check "the Start-menu entry is gone" "[ ! -e \"\$menu\" ]"
check "the registration is gone" "! run reg query '$key' > /dev/null 2>&1"
check "the history stays" "[ -f '$history/000001_read.txt' ]"
rm -rf "$home/AppData/Roaming/velon-configurator"

[ $fail = 0 ] && echo "installer: all checks passed"
exit $fail
