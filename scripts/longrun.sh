#!/usr/bin/env bash
# A long run of the built terminal outside CI: card reads typed as real X key events (xdotool
# under Xvfb) while the development server goes away and comes back. Samples the terminal's
# resident memory, open files, threads and the size of each file of the working folder, and at
# the end prints the growth per hour of each, measured after the first quarter of the run.
#
#   bash scripts/longrun.sh [minutes (default 20)] [build folder (default ./build)]
#
# Needs xvfb, xdotool and a built tree (zep, tools/zep-devserver, runtime/). Works in a
# temporary folder that it prints and keeps (samples.tsv holds every sample).
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
minutes="${1:-20}"
build="$(cd "${2:-$root/build}" && pwd)"
work="$(mktemp -d /tmp/zep-longrun.XXXXXX)"
port=$((20000 + RANDOM % 20000))
display=":$((100 + RANDOM % 800))"
cards=(0004521874 0004521873)
files=(data.db data.db-wal zep.db zep.log zep-debug.log interrupts.log netman.log camcontrol.log)

cp -a "$build/runtime/." "$work/"
rm -f "$work"/data.db* "$work"/zep.db* "$work"/*.log "$work"/zep.ini
mkdir -p "$work/home"
cat >"$work/zep.ini" <<EOF
[serverKLD]
ip=127.0.0.1
port=$port
synInterval=31
[timeout]
intersSyncInterval=1
[ui]
screenSaverDelay=5
[orvel]
sszep=
EOF
cd "$work"
echo "working folder: $work"

pids=()
server_pid=""
cleanup() {
    [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null || true
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
}
trap cleanup EXIT

start_server() {
    "$build/tools/zep-devserver" --host 127.0.0.1 --port "$port" --data "$work/devserver.db" \
        --seed "$root/tools/devserver-seed.json" >>devserver.log 2>&1 &
    server_pid=$!
}

stop_server() {
    kill "$server_pid" 2>/dev/null || true
    wait "$server_pid" 2>/dev/null || true
    server_pid=""
}

Xvfb "$display" -screen 0 1280x800x24 -nolisten tcp >xvfb.log 2>&1 &
pids+=($!)
export DISPLAY="$display"
for _ in $(seq 50); do xdotool getmouselocation >/dev/null 2>&1 && break; sleep 0.2; done

start_server
HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" ./zep -fillDemoData -noRandomData \
    >zep.out 2>&1 &
zep=$!
pids+=("$zep")
window=$(xdotool search --sync --onlyvisible --pid "$zep" | head -n 1)
# No window manager: the keyboard goes to the window given the focus.
xdotool windowfocus --sync "$window"
xdotool mousemove 400 240

# The cards are the development server's people: read only once the first sync brought them.
for _ in $(seq 300); do
    [ "$(sqlite3 data.db "SELECT COUNT(*) FROM ludia WHERE karta = '${cards[0]}'" 2>/dev/null)" = 1 ] \
        && break
    sleep 1
done

sample() {
    local t=$1 rss fds threads sizes="" f
    rss=$(awk '/^VmRSS/ {print $2}' "/proc/$zep/status")
    threads=$(awk '/^Threads/ {print $2}' "/proc/$zep/status")
    fds=$(find "/proc/$zep/fd" -mindepth 1 2>/dev/null | wc -l)
    for f in "${files[@]}"; do sizes+=$'\t'"$(stat -c %s "$f" 2>/dev/null || echo 0)"; done
    printf '%s\t%s\t%s\t%s%s\n' "$t" "$rss" "$fds" "$threads" "$sizes" >>samples.tsv
}

read_card() {
    xdotool windowfocus "$window"
    xdotool type --delay 5 "$1"
    xdotool key Return
    sleep 1
    xdotool key 1
    sleep 0.5
    xdotool key 1
    sleep 1
    xdotool key Return
}

printf 't_s\trss_kB\topen_files\tthreads' >samples.tsv
printf '\t%s' "${files[@]}" >>samples.tsv
printf '\n' >>samples.tsv

start=$(date +%s)
end=$((start + minutes * 60))
reads=0
next_toggle=$((start + 180))
while [ "$(date +%s)" -lt "$end" ]; do
    kill -0 "$zep" 2>/dev/null || { echo "the terminal ended" >&2; exit 1; }
    now=$(date +%s)
    if [ "$now" -ge "$next_toggle" ]; then
        if [ -n "$server_pid" ]; then stop_server; else start_server; fi
        next_toggle=$((now + 180))
    fi
    read_card "${cards[$((reads % ${#cards[@]}))]}"
    reads=$((reads + 1))
    sample $(($(date +%s) - start))
    # Idle long enough for the screen saver to start the background work.
    sleep 15
done

echo "card reads: $reads; entrances: $(sqlite3 data.db 'SELECT COUNT(*) FROM prerusenia')"
# Least-squares slope per hour of each column over the samples after the first quarter.
awk -F'\t' -v skip=$((minutes * 15)) '
    NR == 1 { for (i = 2; i <= NF; i++) name[i] = $i; cols = NF; next }
    $1 >= skip {
        n++; sx += $1; sxx += $1 * $1
        for (i = 2; i <= cols; i++) { sy[i] += $i; sxy[i] += $1 * $i; last[i] = $i; if (!(i in first)) first[i] = $i }
    }
    END {
        printf "%-16s %14s %14s %16s\n", "sampled", "first", "last", "growth per hour"
        d = n * sxx - sx * sx
        for (i = 2; i <= cols; i++)
            printf "%-16s %14d %14d %16.1f\n", name[i], first[i], last[i], d ? (n * sxy[i] - sx * sy[i]) / d * 3600 : 0
    }' samples.tsv
