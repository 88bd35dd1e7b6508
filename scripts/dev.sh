#!/usr/bin/env bash
# Set-up, build, run and test of the terminal on Debian 12.
#   scripts/dev.sh run   installs what is missing, builds and starts the terminal on demo data
#   scripts/dev.sh test  installs what is missing, builds and runs every test
#   scripts/dev.sh asan  builds with AddressSanitizer and UBSan (build-asan/) and runs every test
#   scripts/dev.sh tsan  builds with ThreadSanitizer (build-tsan/) and runs every test
#   scripts/dev.sh fuzz  builds the fuzz targets with clang (build-fuzz/) and runs each briefly
#   scripts/dev.sh package  builds the Debian package build/zep_<version>_<arch>.deb
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="${ZEP_BUILD_DIR:-$root/build}"

packages=(
    cmake make g++ pkg-config ccache
    qtbase5-dev qtdeclarative5-dev qtmultimedia5-dev qttools5-dev qttools5-dev-tools
    libqt5sql5-sqlite libqt5multimedia5-plugins
    qml-module-qtquick2 qml-module-qtquick-window2 qml-module-qtquick-layouts
    qml-module-qtquick-controls2 qml-module-qtmultimedia
    libcpp-httplib-dev libbenchmark-dev sqlite3 libsqlite3-dev rapidjson-dev fiu-utils
    espeak-ng sox xvfb xauth gstreamer1.0-plugins-bad
    xdotool x11-xkb-utils pulseaudio pulseaudio-utils
    clang libclang-rt-14-dev dpkg-dev
)

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

install_missing() {
    local missing=() p
    for p in "${packages[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    as_root apt-get update -qq
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

build_all() {
    cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
    cmake --build "$build" -j"$(nproc)"
}

run_tests() {
    cd "$build"
    xvfb-run -a ctest --output-on-failure -j"$(nproc)"
}

run_fuzz() {
    local fuzz_build="${ZEP_FUZZ_BUILD_DIR:-$root/build-fuzz}"
    cmake -S "$root" -B "$fuzz_build" -DZEP_FUZZ=ON -DCMAKE_CXX_COMPILER=clang++ \
        -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    cmake --build "$fuzz_build" --target fuzz_targets -j"$(nproc)"
    cd "$fuzz_build"
    ctest -L fuzz --output-on-failure -j"$(nproc)"
}

build_package() {
    cd "$build"
    cpack -G DEB
}

run_terminal() {
    local runtime="$build/runtime"
    cd "$runtime"
    local args=()
    servers=()
    [ -f data.db ] || args+=(-fillDemoData)
    # The development attendance server and remote-management service, both on loopback.
    "$build/tools/zep-devserver" --port 8088 --data "$runtime/devserver.db" \
        --seed "$root/tools/devserver-seed.json" >devserver.log 2>&1 &
    servers+=($!)
    "$build/tools/zep-remoteservice" --port 8090 --config "$root/tools/remoteservice-config.json" \
        --uploads "$runtime/uploads" >remoteservice.log 2>&1 &
    servers+=($!)
    trap 'kill "${servers[@]}" 2>/dev/null || true' EXIT
    [ -f zep.ini ] || printf '[serverKLD]\nip=127.0.0.1\nport=8088\n' >zep.ini
    grep -q '^\[orvel\]' zep.ini || printf '[orvel]\nsszep=127.0.0.1\nsszepPort=8090\n' >>zep.ini
    # The demo identity, known to both servers, unless the terminal has one.
    if [ "$(sqlite3 zep.db 'SELECT COUNT(*) FROM term' 2>/dev/null || echo 0)" = 0 ]; then
        ./zep --install-identity "$root/tools/demo-identity.json"
    fi
    if [ -n "${DISPLAY:-}" ]; then
        ./zep "${args[@]}"
    else
        xvfb-run -a -s "-screen 0 1280x800x24" ./zep "${args[@]}"
    fi
}

case "${1:-}" in
    run) install_missing; build_all; run_terminal ;;
    test) install_missing; build_all; run_tests ;;
    asan) build="${ZEP_BUILD_DIR:-$root/build-asan}"; install_missing
        build_all -DZEP_SANITIZE=address,undefined; run_tests ;;
    tsan) build="${ZEP_BUILD_DIR:-$root/build-tsan}"; install_missing
        build_all -DZEP_SANITIZE=thread; run_tests ;;
    fuzz) install_missing; run_fuzz ;;
    package) install_missing; build_all; build_package ;;
    *) echo "usage: $0 run|test|asan|tsan|fuzz|package" >&2; exit 2 ;;
esac
