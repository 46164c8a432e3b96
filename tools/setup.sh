#!/usr/bin/env bash
# Installs what building and testing Tappolo needs on Debian 12, only what is missing.
# Safe to run twice.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

packages=(cmake ninja-build g++ clang libclang-rt-14-dev clang-format libgtest-dev libbenchmark-dev
    googletest g++-mingw-w64-x86-64 g++-mingw-w64-i686 binutils-mingw-w64-x86-64
    binutils-mingw-w64-i686 wine wine64 libwine fonts-wine xvfb xauth xdotool x11-utils imagemagick
    fonts-wqy-microhei fonts-dejavu-core fonts-liberation2 pulseaudio pulseaudio-utils sox dpkg-dev util-linux
    fp-utils-3.2.2 nlohmann-json3-dev libogg-dev libvorbis-dev libz-mingw-w64-dev nsis vorbis-tools lame)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
sudo=""
[ "$(id -u)" -eq 0 ] || sudo=sudo
if [ ${#missing[@]} -gt 0 ]; then
    echo "setup: installing ${missing[*]}"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# Libraries the cross build compiles itself, from Debian's source packages with Debian's own
# patches applied, unpacked into build/_deps/<package> (the native build uses the same
# libraries' -dev packages). Adding a library is one more name here and its targets in
# cmake/ThirdParty.cmake. A name may carry a version ("name=version"): zlib is the one Debian 12
# released, the version of its -dev packages here, as its later security update's source is not
# to be had (that update mends minizip's zip writer, which we do not build).
source_packages=(benchmark libogg libvorbis zlib=1:1.2.13.dfsg-1)

# A private deb-src list made from the machine's own Debian entries, so that no host is named
# here and the machine's apt configuration stays untouched.
deb_src_entries() {
    local f
    for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
        [ -f "$f" ] || continue
        sed -n -E 's/^[[:space:]]*deb[[:space:]]+(.*debian.*)$/deb-src \1/p' "$f"
    done
    for f in /etc/apt/sources.list.d/*.sources; do
        [ -f "$f" ] || continue
        awk 'BEGIN { RS = ""; FS = "\n" }
            {
                types = ""; uris = ""; suites = ""; comps = ""; signed = ""; enabled = "yes"
                for (i = 1; i <= NF; i++) {
                    if ($i ~ /^[[:space:]]*#/) continue
                    key = tolower($i); sub(/:.*/, "", key)
                    value = $i; sub(/^[^:]*:[[:space:]]*/, "", value)
                    if (key == "types") types = value
                    else if (key == "uris") uris = value
                    else if (key == "suites") suites = value
                    else if (key == "components") comps = value
                    else if (key == "signed-by") signed = value
                    else if (key == "enabled") enabled = tolower(value)
                }
                if (enabled == "no" || types !~ /(^|[[:space:]])deb([[:space:]]|$)/ || uris !~ /debian/) next
                n = split(uris, u, /[[:space:]]+/); m = split(suites, s, /[[:space:]]+/)
                for (a = 1; a <= n; a++) for (b = 1; b <= m; b++)
                    if (u[a] != "" && s[b] != "")
                        printf "deb-src %s%s %s %s\n", (signed == "" ? "" : "[signed-by=" signed "] "), u[a], s[b], comps
            }' "$f"
    done
}

wanted=()
for p in "${source_packages[@]}"; do
    [ -f "$root/build/_deps/${p%%=*}/.tappolo-version" ] || wanted+=("$p")
done
if [ ${#wanted[@]} -gt 0 ]; then
    work="$root/build/_deps/apt-src"
    rm -rf "$work/dl"
    mkdir -p "$work/lists/partial" "$work/dl"
    deb_src_entries >"$work/sources.list"
    if [ ! -s "$work/sources.list" ]; then
        echo "setup: no Debian entry in the machine's apt sources to fetch source packages from" >&2
        exit 1
    fi
    opts=(-o Dir::Etc::SourceList="$work/sources.list" -o Dir::Etc::SourceParts=/dev/null
        -o Dir::State::Lists="$work/lists" -o APT::Sandbox::User=root)
    apt-get "${opts[@]}" update -qq
    for entry in "${wanted[@]}"; do
        p=${entry%%=*}
        (cd "$work/dl" && apt-get "${opts[@]}" source --download-only -qq "$entry")
        dsc=$(ls "$work"/dl/"$p"_*.dsc | head -n 1)
        rm -rf "$root/build/_deps/$p"
        # dpkg-source checks the files against the .dsc's sums and applies Debian's patches.
        dpkg-source --no-copy -x "$dsc" "$root/build/_deps/$p" >/dev/null
        basename "$dsc" .dsc | sed 's/^[^_]*_//' >"$root/build/_deps/$p/.tappolo-version"
        echo "setup: $p $(cat "$root/build/_deps/$p/.tappolo-version") unpacked"
    done
    rm -rf "$work/dl"
fi
echo "setup: ready"
