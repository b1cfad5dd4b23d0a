#!/usr/bin/env bash
# Builds the benchmark corpus outside the repository (default /var/tmp/quarnel-corpus):
#   web/      about 1 GB of real PHP web applications as Debian packages them (unpacked with
#             dpkg -x, copied until the tree is big enough), plus a few planted hits
#   small/    200,000 small generated PHP files, a planted hit every 10,000
#   big/      big.txt: 3 GiB of text with a signature in its last line (a hit);
#             sparse.bin: a 3 GiB sparse file with the same signature at its end (its text ends
#             at the first zero byte, so it is no hit: it shows the early stop)
#   allhit/   every .php file of one copy of the applications: with the signature "<?php" every
#             file is a hit, with sigs/none.txt none is
#   sigs/     default.txt (the window's 8), sig1000.txt (the 8 + 992 generated), php.txt, none.txt
# Usage: bench/make_corpus.sh [DIR]     (needs about 8 GB of disk; safe to run again)
set -euo pipefail
repo="$(cd "$(dirname "$0")/.." && pwd)"
dir="${1:-/var/tmp/quarnel-corpus}"
target_bytes=$((1000 * 1000 * 1000))
packages=(wordpress mediawiki phpmyadmin roundcube-core php-horde dokuwiki php-tcpdf tt-rss
  php-getid3 php-phpseclib libphp-phpmailer)

case "$dir" in "$repo"|"$repo"/*) echo "make_corpus.sh: keep the corpus outside the repository" >&2; exit 2 ;; esac
mkdir -p "$dir"
dir="$(cd "$dir" && pwd)"

cmake -S "$repo" -B "$repo/build-bench" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUARNEL_BUILD_TESTS=OFF >/dev/null
cmake --build "$repo/build-bench" -j 2 --target corpus_gen >/dev/null
gen="$repo/build-bench/bench/corpus_gen"

if [ ! -e "$dir/unpacked/.done" ]; then
  echo "== downloading and unpacking ${packages[*]}" >&2
  rm -rf "$dir/debs" "$dir/unpacked"
  mkdir -p "$dir/debs" "$dir/unpacked"
  (cd "$dir/debs" && apt-get download "${packages[@]}" >/dev/null)
  for deb in "$dir"/debs/*.deb; do
    name="$(basename "$deb" .deb)"
    dpkg -x "$deb" "$dir/unpacked/${name%%_*}"
  done
  # Packaged links point into the system (/usr/share/javascript, /etc): the tree must not leave itself.
  find "$dir/unpacked" -type l -delete
  touch "$dir/unpacked/.done"
fi

if [ ! -e "$dir/web/.done" ]; then
  echo "== web tree" >&2
  rm -rf "$dir/web"
  mkdir -p "$dir/web"
  one=$(du -sb "$dir/unpacked" | cut -f1)
  copies=$(((target_bytes + one - 1) / one))
  for i in $(seq 1 "$copies"); do cp -a "$dir/unpacked" "$dir/web/site$i"; done
  rm -f "$dir"/web/site*/.done
  w="$dir/web/site1/wordpress/usr/share/wordpress"
  printf '<?php @eval($_POST["z"]); ?>\n' >"$w/wp-content/uploads-shell.php"
  printf '<?php $f = "axsxsxexrxt"; ?>\n' >"$dir/web/site2/mediawiki/usr/share/mediawiki/images-x.php"
  # Not hits: after one byte 0x80-0xFF "eval(" is not at a character start; after a zero byte
  # the text has ended.
  printf '<?php \xb0eval($x); ?>\n' >"$w/gbk-not-a-hit.php"
  printf '<?php \0 eval($x); ?>\n' >"$w/zero-not-a-hit.php"
  touch "$dir/web/.done"
fi

if [ ! -e "$dir/small/.done" ]; then
  echo "== 200,000 small files" >&2
  rm -rf "$dir/small"
  mkdir -p "$dir/small"
  "$gen" small "$dir/small" 200000
  touch "$dir/small/.done"
fi

if [ ! -e "$dir/big/.done" ]; then
  echo "== 3 GiB files" >&2
  rm -rf "$dir/big"
  mkdir -p "$dir/big"
  size=$((3 * 1024 * 1024 * 1024))
  "$gen" big "$dir/big/big.txt" "$size"
  truncate -s "$((size - 6))" "$dir/big/sparse.bin"
  printf 'eval(\n' >>"$dir/big/sparse.bin"
  touch "$dir/big/.done"
fi

if [ ! -e "$dir/allhit/.done" ]; then
  echo "== all-hit tree" >&2
  rm -rf "$dir/allhit"
  mkdir -p "$dir/allhit"
  (cd "$dir/unpacked" && find . -name '*.php' -type f -print0 | xargs -0 grep -lZ -F "<?php" |
    xargs -0 cp --parents -t "$dir/allhit")
  touch "$dir/allhit/.done"
fi

mkdir -p "$dir/sigs"
"$gen" signatures 8 >"$dir/sigs/default.txt"
"$gen" signatures 1000 >"$dir/sigs/sig1000.txt"
printf '<?php\n' >"$dir/sigs/php.txt"
printf 'zq9Xv_no_file_holds_this\n' >"$dir/sigs/none.txt"

for part in web small big allhit; do
  printf '%-8s %8s files %8s\n' "$part" "$(find "$dir/$part" -type f ! -name .done | wc -l)" \
    "$(du -sh --apparent-size "$dir/$part" | cut -f1)" >&2
done
