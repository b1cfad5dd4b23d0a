#!/usr/bin/env bash
# The side-by-side benchmark. On the same warm tree, in turn: quarnel-scan, ripgrep (rg -lF -f,
# --no-ignore --hidden), GNU grep (grep -rlF -f) and the floor (bench/plain_reader: list, then read
# every file whole; once on one thread, once on every core). Prints the median wall time of each,
# quarnel-scan's ratio to each, peak resident memory, and checks that quarnel-scan's hit list
# equals the plain reference scan's (bench/reference_scan).
#
# Cases (see bench/make_corpus.sh):
#   web/8, web/1000   ~1 GB of Debian's PHP applications, the 8 default and 1,000 signatures
#   small/8           200,000 small files
#   big/8             a 3 GiB text with its hit in the last line, and a 3 GiB sparse file
#   allhit, nohit     the same PHP tree with "<?php" (every file a hit) and with a missing string
#
# Usage: bench/run.sh [--runs N] [--cases "web/8 web/1000 ..."] [DIR]
# Writes the table to standard output and to bench/runs/DATE.md.
set -euo pipefail
repo="$(cd "$(dirname "$0")/.." && pwd)"
runs=5
cases="web/8 web/1000 small/8 big/8 allhit nohit"
dir=/var/tmp/quarnel-corpus
while [ $# -gt 0 ]; do
  case "$1" in
    --runs) runs="$2"; shift 2 ;;
    --cases) cases="$2"; shift 2 ;;
    *) dir="$1"; shift ;;
  esac
done

"$repo/scripts/deps.sh" base bench
[ -e "$dir/allhit/.done" ] || "$repo/bench/make_corpus.sh" "$dir"
build="$repo/build-bench"
cmake -S "$repo" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUARNEL_BUILD_TESTS=OFF \
  -DQUARNEL_BUILD_QT=OFF >/dev/null
cmake --build "$build" -j "$(nproc)" --target quarnel-scan plain_reader reference_scan >/dev/null
scan="$build/app/quarnel-scan"
floor="$build/bench/plain_reader"
reference="$build/bench/reference_scan"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir -p "$repo/bench/runs"
out="$repo/bench/runs/$(date +%F-%H%M).md"

{
  echo "# quarnel-scan side by side, $(date +%F)"
  echo
  echo "$(nproc) cores ($(lscpu | sed -n 's/^Model name: *//p')), $(free -g | awk '/Mem:/{print $2}') GiB;" \
    "$(rg --version 2>/dev/null | head -1), $(grep --version 2>/dev/null | head -1), hyperfine median of $runs runs after 1 warm-up."
  echo
  echo "| case | files | quarnel-scan | rg | grep | floor 1 core | floor all cores | vs rg | vs grep | vs floor 1 | vs floor all | peak RSS | hits = reference |"
  echo "|---|---|---|---|---|---|---|---|---|---|---|---|---|"
} | tee "$out"

declare -A median
for c in $cases; do
  case "$c" in
    allhit) tree="$dir/allhit"; sigs="$dir/sigs/php.txt" ;;
    nohit) tree="$dir/allhit"; sigs="$dir/sigs/none.txt" ;;
    */1000) tree="$dir/${c%/*}"; sigs="$dir/sigs/sig1000.txt" ;;
    *) tree="$dir/${c%/*}"; sigs="$dir/sigs/default.txt" ;;
  esac
  # The all-hit pair writes the hit log, so that what a hit costs (one append) is in the figure.
  case "$c" in
    allhit|nohit) q="$scan --log $work/list_log.txt -q -f $sigs $tree" ;;
    *) q="$scan --no-log -q -f $sigs $tree" ;;
  esac
  commands=("$q" "rg -lF --no-ignore --hidden -f $sigs $tree" "grep -rlF -f $sigs $tree"
    "$floor --threads 1 $tree" "$floor $tree")
  hyperfine -N -i --warmup 1 --runs "$runs" --style none --export-json "$work/h.json" \
    "${commands[@]}" >/dev/null 2>&1
  mapfile -t t < <(jq -r '.results[].median' "$work/h.json")
  median[$c]="${t[0]}"
  rss=$({ /usr/bin/time -f %M $q >/dev/null || true; } 2>&1 | tail -1)

  # The hit check: every file that can hold a signature holds its bytes somewhere, so rg -a
  # (which searches every byte) names a superset; the reference decides on those alone.
  $q >"$work/fast.txt" || true
  { rg -a -lF --no-ignore --hidden -f "$sigs" "$tree" || true; cat "$work/fast.txt"; } >"$work/cand.txt"
  "$reference" -f "$sigs" --only "$work/cand.txt" "$tree" >"$work/ref.txt"
  same=$(cmp -s "$work/fast.txt" "$work/ref.txt" && echo "yes ($(wc -l <"$work/ref.txt"))" || echo "NO")
  files=$(find "$tree" -type f ! -name .done | wc -l)
  ratio() { awk -v a="$1" -v b="$2" 'BEGIN{printf "%.2f", a/b}'; }
  printf '| %s | %s | %.3f s | %.3f s | %.3f s | %.3f s | %.3f s | %s | %s | %s | %s | %d MiB | %s |\n' \
    "$c" "$files" "${t[0]}" "${t[1]}" "${t[2]}" "${t[3]}" "${t[4]}" "$(ratio "${t[0]}" "${t[1]}")" \
    "$(ratio "${t[0]}" "${t[2]}")" "$(ratio "${t[0]}" "${t[3]}")" "$(ratio "${t[0]}" "${t[4]}")" \
    "$((rss / 1024))" "$same" | tee -a "$out"
done

{
  echo
  [ -n "${median[web/8]:-}" ] && [ -n "${median[web/1000]:-}" ] &&
    awk -v a="${median[web/1000]}" -v b="${median[web/8]}" \
      'BEGIN{printf "1,000 signatures cost %.2f x what 8 cost (web).\n", a/b}'
  [ -n "${median[allhit]:-}" ] && [ -n "${median[nohit]:-}" ] &&
    awk -v a="${median[allhit]}" -v b="${median[nohit]}" \
      'BEGIN{printf "The all-hit tree costs %.2f x a no-hit scan of it.\n", a/b}'
  echo
  echo "Reproduce: bench/make_corpus.sh && bench/run.sh --runs $runs"
} | tee -a "$out"
