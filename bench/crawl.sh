#!/usr/bin/env bash
# Times `snapdredge get` against wget (one connection) and wget2 (8 threads)
# harvesting the same generated gallery from a local nginx, and checks that
# each saved the same set of pictures. Then the resume case: a search stopped
# with many queued addresses, continued.
#
# Usage: bench/crawl.sh [--quick]      (--quick: the 1200-picture site only)
# Needs a Release build in build/ (scripts/run or scripts/test makes one).
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
"$top/scripts/deps" nginx wget wget2 time bc >/dev/null
build="$top/build"
cmake --build "$build" --target snapdredge sd_makesite sd_resumebench >/dev/null
snapdredge="$build/snapdredge"
makesite="$build/tests/sd_makesite"

work="$(mktemp -d /tmp/snapdredge-bench.XXXXXX)"
nginx_pid=""
cleanup() {
  [ -n "$nginx_pid" ] && kill "$nginx_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

port=$((20000 + RANDOM % 20000))
mkdir -p "$work/nginx"
user_line=""
[ "$(id -u)" -eq 0 ] && user_line="user root;"
cat >"$work/nginx/nginx.conf" <<CONF
$user_line
worker_processes 2;
daemon off;
pid $work/nginx/nginx.pid;
error_log $work/nginx/error.log;
events { worker_connections 1024; }
http {
  access_log off;
  sendfile on;
  tcp_nopush on;
  keepalive_requests 1000000;
  types { text/html html; image/jpeg jpg; }
  server {
    listen 127.0.0.1:$port;
    root $work/site;
  }
}
CONF

# One timed run: prints "name wall_s cpu_s peak_kb" and keeps the folder it filled.
measure() {
  local name="$1"; shift
  local rc=0
  /usr/bin/time -f "%e %U %S %M" -o "$work/time.$name" "$@" >"$work/out.$name" 2>&1 || rc=$?
  # wget and wget2 end with 8 when any link of the site answered with an error.
  if [ "$rc" -ne 0 ] && [ "$rc" -ne 8 ]; then
    echo "$name failed ($rc):"; tail -5 "$work/out.$name"; return 1
  fi
  sed -i '/^Command exited/d' "$work/time.$name"
  read -r wall user sys peak <"$work/time.$name"
  printf '%-12s %8.2f %8.2f %10d\n' "$name" "$wall" "$(echo "$user + $sys" | bc)" "$peak"
  echo "$wall $(echo "$user + $sys" | bc) $peak" >"$work/result.$name"
}

# name:size of every picture a folder holds, sorted.
pictures_in() {
  find "$1" -type f \( -name '*.jpg' -o -name '*.png' -o -name '*.gif' \) -printf '%f:%s\n' | sort
}

run_site() {
  local pages="$1" per_page="$2"
  rm -rf "$work/site" "$work/out" && mkdir -p "$work/out"
  "$makesite" "$work/site" "$pages" "$per_page"
  kill "$nginx_pid" 2>/dev/null || true
  nginx -c "$work/nginx/nginx.conf" -p "$work/nginx" & nginx_pid=$!
  for _ in $(seq 50); do wget -q -O /dev/null "http://127.0.0.1:$port/index.html" && break; sleep 0.1; done
  local url="http://127.0.0.1:$port/index.html"
  pictures_in "$work/site" >"$work/expected"
  echo "site: $pages pages, $(wc -l <"$work/expected") pictures, $(du -sh "$work/site" | cut -f1)"
  printf '%-12s %8s %8s %10s\n' tool wall_s cpu_s peak_kb

  export XDG_DATA_HOME="$work/out/snap-data" XDG_CONFIG_HOME="$work/out/snap-config"
  measure snapdredge "$snapdredge" get --threads 8 --original-names --max-size 100000 "$url"
  unset XDG_DATA_HOME XDG_CONFIG_HOME
  measure wget wget -q -r -l 2 -nd -e robots=off -A jpg,html -P "$work/out/wget" "$url"
  measure wget2 wget2 -q -r -l 2 -nd -e robots=off --max-threads 8 -A jpg,html -P "$work/out/wget2" "$url"

  for tool in snapdredge wget wget2; do
    local dir="$work/out/wget"; [ "$tool" = wget2 ] && dir="$work/out/wget2"
    [ "$tool" = snapdredge ] && dir="$work/out/snap-data"
    if ! diff -q <(pictures_in "$dir") "$work/expected" >/dev/null; then
      echo "!! $tool did not save the same pictures ($(pictures_in "$dir" | wc -l) of $(wc -l <"$work/expected"))"
    fi
  done
  read -r sw sc sp <"$work/result.snapdredge"
  read -r ww wc wp <"$work/result.wget"
  read -r w2w w2c w2p <"$work/result.wget2"
  local n; n=$(wc -l <"$work/expected")
  printf 'snapdredge/wget  wall %.2f  cpu %.2f  memory %.2f\n' "$(echo "$sw / $ww" | bc -l)" \
    "$(echo "$sc / $wc" | bc -l)" "$(echo "$sp / $wp" | bc -l)"
  printf 'snapdredge/wget2 wall %.2f  cpu %.2f  memory %.2f\n' "$(echo "$sw / $w2w" | bc -l)" \
    "$(echo "$sc / $w2c" | bc -l)" "$(echo "$sp / $w2p" | bc -l)"
  printf 'snapdredge: %.0f pictures/s, %.0f us cpu per picture\n\n' "$(echo "$n / $sw" | bc -l)" \
    "$(echo "$sc * 1000000 / $n" | bc -l)"
}

run_site 20 30
if [ "${1:-}" != "--quick" ]; then
  run_site 100 50
fi

# Resume: a search whose queues hold 50 000 addresses, continued. The time
# to the first request handed out is what the database costs.
echo "resume: a stopped search with 50000 queued pictures"
"$build/tests/sd_resumebench" "$work/resume" 50000
