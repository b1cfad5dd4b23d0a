#!/usr/bin/env bash
# Builds quarnel-scan and scans the sample web root with the default signatures.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh base
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build --target quarnel-scan
set +e
./build/app/quarnel-scan examples/webroot
status=$?
set -e
# 1 means hits were found, which is what the sample is for.
[ "$status" -le 1 ] || exit "$status"
echo "Hit log: $(pwd)/build/app/list_log.txt"
