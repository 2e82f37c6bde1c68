#!/usr/bin/env bash
# Times the replacement engine against sed -i, perl -pi, sd and cp on generated
# CSV data (CRLF lines of ten fields), checks that all outputs are
# byte-identical, and prints throughput, peak memory and ratios for each case.
# The cases with targets (files, one, folder, tabs) run in interleaved rounds,
# every timing after sync, and compare medians (bench/timing.sh).
# Run by hand; it needs about 15 GB of free disk and 30 to 60 minutes.
#   BUILD_DIR=build BENCH_BIN= BENCH_DATA=bench-data BENCH_SIZE=1073741824 BENCH_ROUNDS=5 BENCH_KEEP=0 \
#     bench/run.sh [cases...]
# Cases: files one folder tabs twenty nomatch encodings pairs (all by default).
#   files: 2,000 files of 256 KiB, one pair, in place; target 2x the fastest peer;
#     also timed: the same bytes copied as new files and synced, the floor for
#     results that are on the disk before they replace their files
#   one, folder: 1 GiB, one pair, in place / to an output folder, engine and
#     window against cp; target within 1.5x of cp
#   tabs: 2,000 pairs (20 occurring) on 64 MiB through the window, single tab
#     against sets tab; target within 1.3x
#   pairs: from one to 10,000 pairs on a 64 MiB file (peers on a slice of it,
#     as sed and perl take minutes per MiB with thousands of pairs) and
#     100,000 pairs on 1 MiB.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "$root" && mkdir -p "${BUILD_DIR:-build}" && cd "${BUILD_DIR:-build}" && pwd)
data=${BENCH_DATA:-$root/bench-data}
size=${BENCH_SIZE:-1073741824}
file_count=${BENCH_FILES:-2000}
file_size=${BENCH_FILE_SIZE:-262144}
rounds_count=${BENCH_ROUNDS:-5}
cases=("$@")
[ ${#cases[@]} -gt 0 ] || cases=(files one folder tabs twenty nomatch encodings pairs)
pairs_size=${BENCH_PAIRS_SIZE:-67108864}
slice_size=${BENCH_SLICE_SIZE:-1048576}

# --- tools -------------------------------------------------------------------
missing=()
for pair in sed:sed perl:perl sd:sd /usr/bin/time:time iconv:libc-bin cmp:diffutils; do
  command -v "${pair%%:*}" >/dev/null 2>&1 || missing+=("${pair#*:}")
done
if [ ${#missing[@]} -gt 0 ]; then
  apt-get update >/dev/null
  DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}" >/dev/null
fi
# BENCH_BIN: a folder with the three programs built before (to time a build
# kept aside while another is made); otherwise they are built here.
if [ -n "${BENCH_BIN:-}" ]; then
  engine=$BENCH_BIN/bench_replace batchrun=$BENCH_BIN/bench_batchrun generate=$BENCH_BIN/bench_generate
else
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$build" -j2 --target bench_replace bench_generate bench_batchrun >/dev/null
  engine=$build/bench/bench_replace
  batchrun=$build/bench/batchrun/bench_batchrun
  generate=$build/bench/bench_generate
fi
export LC_ALL=C

mkdir -p "$data"
# shellcheck source=bench/timing.sh
. "$root/bench/timing.sh"
cleanup() { [ "${BENCH_KEEP:-0}" = 1 ] || rm -rf "$data"; }
trap cleanup EXIT

# --- pairs -------------------------------------------------------------------
one_pair=$'Berlin\tHamburg'
twenty_pairs=$'Berlin\tHamburg
Hamburg\tBremen
open\tpending
pending\tin progress
2023-\t2024-
@example.org\t@example.com
.com\t.net
Paris\tLyon
J\xc3\xbcrgen\tJuergen
Zo\xc3\xab\tZoe
closed\tdone
Germany\tDE
France\tFR
Spain\tES
Madrid\tBarcelona
EUR\t\xe2\x82\xac
urgent\tURGENT
invoice\tbill
Smith\tSmyth
no answer\tunanswered'
never_pair=$'#never#\tx'

sed_find() { printf '%s' "$1" | sed -e 's/[]\/$*.^[]/\\&/g'; }
sed_replace() { printf '%s' "$1" | sed -e 's/[\/&]/\\&/g'; }
perl_single() { printf "'%s'" "$(printf '%s' "$1" | sed -e "s/[\\\\']/\\\\&/g")"; }

sed_script() {
  local find replace
  while IFS=$'\t' read -r find replace; do
    printf 's/%s/%s/g\n' "$(sed_find "$find")" "$(sed_replace "$replace")"
  done <<<"$1"
}
# The texts sit in variables set once, so that \Q$f_j\E is a literal that is
# compiled once and the replacement is taken as it is. Plain scalars: in a
# pattern, perl may read $f[1234] as $f followed by a character class.
perl_script() {
  local find replace j=0 begin='BEGIN {' body=''
  while IFS=$'\t' read -r find replace; do
    begin+=" \$f_$j = $(perl_single "$find"); \$r_$j = $(perl_single "$replace");"
    body+=" s/\\Q\$f_$j\\E/\$r_$j/g;"
    j=$((j + 1))
  done <<<"$1"
  printf '%s }%s' "$begin" "$body"
}
sd_all() { # pairs files...
  local pairs=$1 find replace
  shift
  while IFS=$'\t' read -r find replace; do
    sd -s "$find" "$replace" "$@"
  done <<<"$pairs"
}

# --- measuring ---------------------------------------------------------------
# measure LABEL BYTES ENGINE_SECONDS(or -) CMD... ; sets last_seconds
results=()
measure() {
  local label=$1 bytes=$2 reference=$3
  shift 3
  local out=$data/time.out
  sync # every tool starts with no dirty data of the copies waiting for the disk
  local start end
  start=$(date +%s%N)
  /usr/bin/time -f '%e %M' -o "$out" "$@" >"$data/stdout.out"
  end=$(date +%s%N)
  # Peak memory from time; the seconds to the millisecond, as some cases take a tenth.
  read -r _ kib <"$out"
  seconds=$(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.3f", (b - a) / 1e9 }')
  last_seconds=$seconds
  local rate ratio
  rate=$(awk -v b="$bytes" -v s="$seconds" 'BEGIN { printf "%.0f", (s > 0 ? b / s / 1048576 : 0) }')
  ratio=$([ "$reference" = - ] && echo "-" || awk -v p="$seconds" -v e="$reference" 'BEGIN { printf "%.2f", (e > 0 ? p / e : 0) }')
  printf '  %-28s %8.3f s %8s MiB/s %8.1f MiB peak   peer/engine %s\n' "$label" "$seconds" "$rate" \
    "$(awk -v k="$kib" 'BEGIN { print k / 1024 }')" "$ratio"
}
same() { # a b (files or folders)
  if cmp -s "$1" "$2" 2>/dev/null || diff -rq "$1" "$2" >/dev/null 2>&1; then echo "    output identical to the engine's"; else echo "    OUTPUT DIFFERS: $2"; fi
}

base=$data/base.csv
if [ ! -f "$base" ] && [[ " ${cases[*]} " =~ \ (one|folder|twenty|nomatch|encodings)\  ]]; then
  echo "generating $size bytes of CSV..."
  "$generate" "$base" "$size" 1
fi
bytes=$(stat -c %s "$base" 2>/dev/null || echo 0)
work=$data/work
mkdir -p "$work"

run_big_case() { # title pairs [single]
  local title=$1 pairs=$2
  printf '%s\n' "$pairs" >"$data/pairs.tsv"
  echo "== $title: $((bytes / 1048576)) MiB, $(wc -l <"$data/pairs.tsv") pair(s), in place"
  cp "$base" "$work/engine.csv"
  measure "engine" "$bytes" - "$engine" "$data/pairs.tsv" "$work/engine.csv"
  local engine_seconds=$last_seconds
  if [ "${3:-}" = single ]; then
    cp "$base" "$work/single.csv"
    measure "engine, single mode+yields" "$bytes" - "$engine" --single "$data/pairs.tsv" "$work/single.csv"
    same "$work/engine.csv" "$work/single.csv"; rm -f "$work/single.csv"
  fi
  sed_script "$pairs" >"$data/script.sed"
  cp "$base" "$work/sed.csv"
  measure "sed -i" "$bytes" "$engine_seconds" sed -i -f "$data/script.sed" "$work/sed.csv"
  same "$work/engine.csv" "$work/sed.csv"; rm -f "$work/sed.csv"
  cp "$base" "$work/perl.csv"
  measure "perl -pi" "$bytes" "$engine_seconds" perl -pi -e "$(perl_script "$pairs")" "$work/perl.csv"
  same "$work/engine.csv" "$work/perl.csv"; rm -f "$work/perl.csv"
  cp "$base" "$work/sd.csv"
  export -f sd_all
  measure "sd -s" "$bytes" "$engine_seconds" bash -c 'sd_all "$1" "$2"' _ "$pairs" "$work/sd.csv"
  same "$work/engine.csv" "$work/sd.csv"; rm -f "$work/sd.csv"
}

# --- many pairs ----------------------------------------------------------------
# Codes as in a mapping table: an amount field ",1234.5" (each occurs a few
# times in the data) or one that never occurs (",5000.0" and up, amounts stay
# below 5000, but their first units are common).
code_pairs() { # count kind(occurring|never|long) seed
  awk -v n="$1" -v kind="$2" -v seed="$3" 'BEGIN {
    srand(seed)
    while (made < n) {
      if (kind == "long") code = sprintf(",%d.%02d ", int(rand() * 5000), int(rand() * 100))
      else code = sprintf(",%d.%d", (kind == "never" ? 5000 : 0) + int(rand() * 5000), int(rand() * 10))
      if (code in seen) continue
      seen[code] = 1; made++
      printf "%s\t;%s;\n", code, substr(code, 2)
    }
  }'
}

# engine_only LABEL BYTES REFERENCE PAIRS FILE: the engine to an output folder,
# best of three (a tenth of a second is within this machine's noise)
engine_only() {
  local label=$1 bytes=$2 reference=$3 pairs=$4 file=$5 best= line=
  for _ in 1 2 3; do
    rm -rf "$work/out"; mkdir -p "$work/out"
    local printed
    printed=$(measure "$label" "$bytes" "$reference" "$engine" --out "$work/out" "$pairs" "$file")
    local seconds
    seconds=$(awk '{ for (i = 1; i < NF; ++i) if ($(i + 1) == "s") { print $i; exit } }' <<<"$printed")
    if [ -z "$best" ] || awk -v a="$seconds" -v b="$best" 'BEGIN { exit !(a < b) }'; then
      best=$seconds line=$printed
    fi
  done
  last_seconds=$best
  echo "$line"
}

# peers_on_slice TITLE PAIRS: engine and peers in place on the slice, outputs compared
peers_on_slice() {
  local title=$1 pairs=$2 slice=$data/slice.csv
  local slice_bytes
  slice_bytes=$(stat -c %s "$slice")
  echo "   $title on a $((slice_bytes / 1048576)) MiB slice, in place (peer/engine = how many times the engine's time)"
  cp "$slice" "$work/engine.csv"
  measure "engine" "$slice_bytes" - "$engine" "$pairs" "$work/engine.csv"
  local engine_seconds=$last_seconds
  sed_script "$(cat "$pairs")" >"$data/script.sed"
  cp "$slice" "$work/sed.csv"
  measure "sed -i -f" "$slice_bytes" "$engine_seconds" sed -i -f "$data/script.sed" "$work/sed.csv"
  same "$work/engine.csv" "$work/sed.csv"; rm -f "$work/sed.csv"
  # Too long for one argument: the script goes in a file.
  perl_script "$(cat "$pairs")" >"$data/script.pl"
  cp "$slice" "$work/perl.csv"
  measure "perl -pi" "$slice_bytes" "$engine_seconds" perl -pi "$data/script.pl" "$work/perl.csv"
  same "$work/engine.csv" "$work/perl.csv"; rm -f "$work/perl.csv"
  if command -v sd >/dev/null 2>&1; then
    cp "$slice" "$work/sd.csv"
    export -f sd_all
    measure "sd -s, one call per pair" "$slice_bytes" "$engine_seconds" bash -c 'sd_all "$1" "$2"' _ "$(cat "$pairs")" "$work/sd.csv"
    same "$work/engine.csv" "$work/sd.csv"; rm -f "$work/sd.csv"
  fi
  rm -f "$work/engine.csv"
}

run_pairs_cases() {
  local big=$data/pairs-base.csv small=$data/pairs-small.csv
  [ -f "$big" ] || "$generate" "$big" "$pairs_size" 7
  head -c "$slice_size" "$big" >"$data/slice.csv"
  [ -f "$small" ] || "$generate" "$small" 1048576 8
  local big_bytes small_bytes
  big_bytes=$(stat -c %s "$big")
  small_bytes=$(stat -c %s "$small")
  local p=$data/pairs
  mkdir -p "$p"
  printf '%s\n' "$one_pair" >"$p/1.tsv"
  printf '%s\n' "$twenty_pairs" >"$p/20.tsv"
  { printf '%s\n' "$twenty_pairs"; code_pairs 180 never 1; } >"$p/200.tsv"
  { printf '%s\n' "$twenty_pairs"; code_pairs 1980 never 2; } >"$p/2000-20.tsv"
  { code_pairs 20 occurring 9; code_pairs 1980 never 2; } >"$p/2000-20codes.tsv"
  code_pairs 2000 occurring 3 >"$p/2000-all.tsv"
  { printf '%s\n' "$twenty_pairs"; code_pairs 9980 never 4; } >"$p/10000-20.tsv"
  code_pairs 10000 occurring 5 >"$p/10000-all.tsv"
  code_pairs 100000 long 6 >"$p/100000.tsv"

  cat "$big" >/dev/null # read once, as the cases before may have pushed it out of the cache
  echo "== many pairs: $((big_bytes / 1048576)) MiB to an output folder, best of three (engine/engine = how many times 1 pair's time)"
  engine_only "engine, 1 pair" "$big_bytes" - "$p/1.tsv" "$big"
  local one=$last_seconds
  # 2000-20: the twenty pairs above, dense (millions of replacements), and
  # 1,980 that never occur; 2000-20codes: a code table of which 20 codes
  # occur, each a few times.
  for name in 20 200 2000-20 2000-20codes 2000-all 10000-20 10000-all; do
    engine_only "engine, $name pairs" "$big_bytes" "$one" "$p/$name.tsv" "$big"
  done
  rm -rf "$work/out"

  # As the user waits for it: the sets tab of an offscreen window, results in
  # place (each run on a fresh copy, after sync), best of three.
  echo "   through the window, sets tab, in place, from the click to \"Done.\" (window/window = how many times 1 pair's time)"
  local window_one=
  for name in 1 2000-20 2000-20codes; do
    local seconds
    seconds=$(QT_QPA_PLATFORM=offscreen "$batchrun" --rounds 3 --tab 1 "$p/$name.tsv" "$big" 2>/dev/null | awk '/^  sets/ { print $(NF-4) }')
    [ -n "$window_one" ] || window_one=$seconds
    printf '  %-28s %8.3f s   window/window %s\n' "window, $name pair(s)" "$seconds" \
      "$(awk -v s="$seconds" -v o="$window_one" 'BEGIN { printf "%.2f", (o > 0 ? s / o : 0) }')"
  done

  peers_on_slice "2,000 pairs, all occurring" "$p/2000-all.tsv"
  peers_on_slice "2,000 pairs, about 20 occurring" "$p/2000-20.tsv"

  local text_bytes
  text_bytes=$(awk -F '\t' '{ n += length($1) + length($2) } END { print n }' "$p/100000.tsv")
  echo "== 100,000 pairs on 1 MiB: memory limit 64 MiB + twice the pairs' text ($((text_bytes / 1024)) KiB) = $(( (67108864 + 2 * text_bytes) / 1048576 )) MiB"
  engine_only "engine, 100,000 pairs" "$small_bytes" - "$p/100000.tsv" "$small"
  rm -rf "$work/out"
}

# --- cases in interleaved rounds ------------------------------------------------
# A label's folder or file name.
slot() { printf '%s' "$1" | tr -c 'A-Za-z0-9' '_'; }

# window_run LABEL [--out FOLDER] PAIRS FILE...: "Start Replacing" on an
# offscreen window, sets tab, timed from the click to "Done." by the program
# itself (it copies the files afresh and syncs first).
window_run() {
  local label=$1
  shift
  sync
  QT_QPA_PLATFORM=offscreen "$batchrun" --rounds 1 --only window --tab 1 "$@" >"$data/window.out" 2>&1 ||
    echo "    FAILED: $label: $(tail -3 "$data/window.out")" >&2
  record "$label" "$(awk '/^  sets/ { print $(NF-4) }' "$data/window.out")" \
    "$(awk '/peak memory/ { printf "%d", $(NF-1) * 1024 }' "$data/window.out")"
}

files_labels=(engine "engine, one by one" "engine, commit each" "engine, to output folder" window "sed -i" "perl -pi"
  "sd -s" "cp -r, synced")
files_prepare() {
  rm -rf "${work:?}/$(slot "$1")"
  case $1 in
  window) ;;
  "engine, to output folder") mkdir -p "$work/$(slot "$1")" ;;
  "cp -r, synced") ;;
  *) cp -r "$files_src" "$work/$(slot "$1")" ;;
  esac
  # A file system may pass over recently freed inodes when it creates a
  # file (ext4 without a journal does, for up to about 35 s).
  sleep "${BENCH_SETTLE:-2}"
}
files_run() {
  local dir=$work/$(slot "$1")
  case $1 in
  engine) timed "$1" "$engine" "$data/pairs.tsv" "$dir"/*.csv ;;
  # In place each result is on the disk before it replaces its source; the
  # engine commits them in groups and makes its temporary files ahead, as a
  # run does (--commit-each: one by one).
  "engine, commit each") timed "$1" "$engine" --commit-each "$data/pairs.tsv" "$dir"/*.csv ;;
  # Without the next files read and replaced on a second thread.
  "engine, one by one") timed "$1" "$engine" --one-by-one "$data/pairs.tsv" "$dir"/*.csv ;;
  # The floor for a tool that waits for its results to be on the disk: the
  # same bytes copied as new files and synced.
  "cp -r, synced") timed "$1" sh -c 'cp -r "$1" "$2" && sync -f "$2"' _ "$files_src" "$dir" ;;
  "engine, to output folder") timed "$1" "$engine" --out "$dir" "$data/pairs.tsv" "$files_src"/*.csv ;;
  window) window_run "$1" "$data/pairs.tsv" "$files_src"/*.csv ;;
  "sed -i") timed "$1" sed -i -f "$data/script.sed" "$dir"/*.csv ;;
  "perl -pi") timed "$1" perl -pi -e "$(perl_script "$one_pair")" "$dir"/*.csv ;;
  "sd -s") timed "$1" sd -s Berlin Hamburg "$dir"/*.csv ;;
  esac
}
run_files_case() {
  files_src=$data/files
  if [ ! -d "$files_src" ]; then
    mkdir -p "$files_src"
    for i in $(seq -w 1 "$file_count"); do "$generate" "$files_src/f$i.csv" "$file_size" "$i"; done
  fi
  local total
  total=$(du -sb "$files_src" | cut -f1)
  printf '%s\n' "$one_pair" >"$data/pairs.tsv"
  sed_script "$one_pair" >"$data/script.sed"
  echo "== $file_count files of $((file_size / 1024)) KiB, one pair, in place; medians of $rounds_count interleaved rounds"
  timings_begin "$data/timings"
  rounds "$rounds_count" files_prepare files_run "${files_labels[@]}"
  summary "$total" engine "${files_labels[@]}"
  echo "    peer / window: $(for peer in "sed -i" "perl -pi" "sd -s"; do
    printf '%s %.2f  ' "$peer" "$(awk -v p="$(median_of "$peer")" -v w="$(median_of window)" 'BEGIN { print (w > 0 ? p / w : 0) }')"
  done)"
  echo "    sd -s / engine: $(awk -v p="$(median_of "sd -s")" -v e="$(median_of engine)" 'BEGIN { printf "%.2f", (e > 0 ? p / e : 0) }');" \
    "cp -r, synced / engine: $(awk -v c="$(median_of "cp -r, synced")" -v e="$(median_of engine)" 'BEGIN { printf "%.2f", (e > 0 ? c / e : 0) }')"
  for label in "engine, one by one" "engine, commit each" "engine, to output folder" "sed -i" "perl -pi" "sd -s"; do
    same "$work/engine" "$work/$(slot "$label")"
  done
  for label in "${files_labels[@]}"; do rm -rf "${work:?}/$(slot "$label")"; done
}

big_labels_in_place=(engine window "sed -i" "perl -pi" "sd -s" cp)
big_labels_to_folder=(engine window sed "perl -p" cp)
# BENCH_BEFORE: a folder with an earlier build's bench_replace, timed in the same rounds.
if [ -n "${BENCH_BEFORE:-}" ]; then
  big_labels_in_place+=("engine before")
  big_labels_to_folder+=("engine before")
fi
big_prepare() {
  local file=$work/$(slot "$1").csv
  rm -rf "$file" "$work/out-$(slot "$1")"
  mkdir -p "$work/out-$(slot "$1")"
  case "$big_mode,$1" in
  in_place,window | in_place,cp | to_folder,*) ;;
  *) cp "$base" "$file" ;;
  esac
}
big_run() {
  local file=$work/$(slot "$1").csv out=$work/out-$(slot "$1")
  case "$big_mode,$1" in
  in_place,engine) timed "$1" "$engine" "$data/pairs.tsv" "$file" ;;
  "in_place,engine before") timed "$1" "$BENCH_BEFORE/bench_replace" "$data/pairs.tsv" "$file" ;;
  "to_folder,engine before") timed "$1" "$BENCH_BEFORE/bench_replace" --out "$out" "$data/pairs.tsv" "$base" ;;
  in_place,window) window_run "$1" "$data/pairs.tsv" "$base" ;;
  "in_place,sed -i") timed "$1" sed -i -f "$data/script.sed" "$file" ;;
  "in_place,perl -pi") timed "$1" perl -pi -e "$(perl_script "$one_pair")" "$file" ;;
  "in_place,sd -s") timed "$1" sd -s Berlin Hamburg "$file" ;;
  to_folder,engine) timed "$1" "$engine" --out "$out" "$data/pairs.tsv" "$base" ;;
  to_folder,window) window_run "$1" --out "$out" "$data/pairs.tsv" "$base" ;;
  to_folder,sed) timed "$1" sh -c 'sed -f "$1" "$2" >"$3"' _ "$data/script.sed" "$base" "$out/base.csv" ;;
  "to_folder,perl -p") timed "$1" sh -c 'perl -pe "$1" "$2" >"$3"' _ "$(perl_script "$one_pair")" "$base" "$out/base.csv" ;;
  *,cp) timed "$1" cp "$base" "$out/base.csv" ;;
  esac
}
# run_big_rounds in_place|to_folder
run_big_rounds() {
  big_mode=$1
  local labels
  if [ "$big_mode" = in_place ]; then labels=("${big_labels_in_place[@]}"); else labels=("${big_labels_to_folder[@]}"); fi
  printf '%s\n' "$one_pair" >"$data/pairs.tsv"
  sed_script "$one_pair" >"$data/script.sed"
  echo "== $((bytes / 1048576)) MiB, one pair, ${big_mode/_/ }; medians of $rounds_count interleaved rounds"
  timings_begin "$data/timings"
  rounds "$rounds_count" big_prepare big_run "${labels[@]}"
  summary "$bytes" cp "${labels[@]}"
  local reference=$work/$(slot engine).csv
  [ "$big_mode" = in_place ] || reference=$work/out-$(slot engine)/base.csv
  for label in "${labels[@]}"; do
    case "$big_mode,$label" in
    *,engine | *,window | *,cp) ;;
    in_place,*) same "$reference" "$work/$(slot "$label").csv" ;;
    *) same "$reference" "$work/out-$(slot "$label")/base.csv" ;;
    esac
  done
  for label in "${labels[@]}"; do rm -rf "$work/$(slot "$label").csv" "$work/out-$(slot "$label")"; done
}

# The single tab yields before every pair of every chunk; the sets tab not.
run_tabs_case() {
  local big=$data/pairs-base.csv
  [ -f "$big" ] || "$generate" "$big" "$pairs_size" 7
  { code_pairs 20 occurring 9; code_pairs 1980 never 2; } >"$data/tabs.tsv"
  echo "== 2,000 pairs (20 occurring) on $(($(stat -c %s "$big") / 1048576)) MiB in place through the window, single tab against sets tab; medians of $rounds_count rounds"
  QT_QPA_PLATFORM=offscreen "$batchrun" --rounds "$rounds_count" "$data/tabs.tsv" "$big" | tee "$data/tabs.out"
  awk '/^  sets/ { sets = $(NF-4) } /^  single/ { single = $(NF-4) }
    END { printf "    window, single tab / sets tab: %.2f (target at most 1.30)\n", (sets > 0 ? single / sets : 0) }' "$data/tabs.out"
}

for case in "${cases[@]}"; do
  case $case in
  files) run_files_case ;;
  one) run_big_rounds in_place ;;
  folder) run_big_rounds to_folder ;;
  tabs) run_tabs_case ;;
  twenty) run_big_case "twenty cascaded pairs" "$twenty_pairs" single ;;
  nomatch)
    printf '%s\n' "$never_pair" >"$data/pairs.tsv"
    echo "== no match: $((bytes / 1048576)) MiB in place and to an output folder (peers in place)"
    rm -rf "$work/out" "$work/cp"; mkdir -p "$work/out" "$work/cp"
    cp "$base" "$work/inplace.csv"
    before=$(stat -c '%i %Y.%y' "$work/inplace.csv")
    # Its pages are cached as cp's source is: both read from memory.
    cat "$work/inplace.csv" >/dev/null
    measure "engine, in place" "$bytes" - "$engine" "$data/pairs.tsv" "$work/inplace.csv"
    inplace_seconds=$last_seconds
    written=$(sed -n 's/.*written_bytes \([-0-9]*\).*/\1/p' "$data/stdout.out")
    after=$(stat -c '%i %Y.%y' "$work/inplace.csv")
    [ "$before" = "$after" ] && echo "    file untouched (same inode and time)" || echo "    FILE CHANGED: $before -> $after"
    echo "    bytes the engine wrote to the disk: $written"
    same "$base" "$work/inplace.csv"; rm -f "$work/inplace.csv"
    measure "cp" "$bytes" "$inplace_seconds" cp "$base" "$work/cp/base.csv"
    echo "    engine in place / cp: $(awk -v e="$inplace_seconds" -v c="$last_seconds" 'BEGIN { printf "%.2f", (c > 0 ? e / c : 0) }') (target at most 0.50)"
    measure "engine, to output folder" "$bytes" - "$engine" --out "$work/out" "$data/pairs.tsv" "$base"
    engine_seconds=$last_seconds
    same "$base" "$work/out/base.csv"
    for tool in sed perl sd; do
      cp "$base" "$work/$tool.csv"
      case $tool in
      sed) measure "sed -i" "$bytes" "$engine_seconds" sed -i -f <(sed_script "$never_pair") "$work/sed.csv" ;;
      perl) measure "perl -pi" "$bytes" "$engine_seconds" perl -pi -e "$(perl_script "$never_pair")" "$work/perl.csv" ;;
      sd) measure "sd -s" "$bytes" "$engine_seconds" sd -s '#never#' x "$work/sd.csv" ;;
      esac
      same "$base" "$work/$tool.csv"; rm -f "$work/$tool.csv"
    done
    rm -rf "$work/out" "$work/cp"
    ;;
  encodings)
    printf '%s\n' "$one_pair" >"$data/pairs.tsv"
    echo "== every encoding: the same text, one pair, to an output folder (engine only)"
    cp "$base" "$work/expected-utf8.csv"
    "$engine" "$data/pairs.tsv" "$work/expected-utf8.csv" >/dev/null
    for enc in UTF-8+mark WINDOWS-1252 UTF-16LE UTF-16BE UTF-32LE UTF-32BE; do
      case $enc in
      UTF-8+mark) mark='\xef\xbb\xbf'; codec=UTF-8 ;;
      WINDOWS-1252) mark=''; codec=WINDOWS-1252 ;;
      UTF-16LE) mark='\xff\xfe'; codec=UTF-16LE ;;
      UTF-16BE) mark='\xfe\xff'; codec=UTF-16BE ;;
      UTF-32LE) mark='\xff\xfe\x00\x00'; codec=UTF-32LE ;;
      UTF-32BE) mark='\x00\x00\xfe\xff'; codec=UTF-32BE ;;
      esac
      { printf "$mark"; iconv -f UTF-8 -t "$codec" "$base"; } >"$work/in.csv"
      { printf "$mark"; iconv -f UTF-8 -t "$codec" "$work/expected-utf8.csv"; } >"$work/expected.csv"
      rm -rf "$work/out"; mkdir -p "$work/out"
      measure "engine, $enc" "$(stat -c %s "$work/in.csv")" - "$engine" --out "$work/out" "$data/pairs.tsv" "$work/in.csv"
      same "$work/expected.csv" "$work/out/in.csv"
      rm -rf "$work/out" "$work/in.csv" "$work/expected.csv"
    done
    rm -f "$work/expected-utf8.csv"
    ;;
  pairs) run_pairs_cases ;;
  *) echo "unknown case $case" >&2; exit 2 ;;
  esac
done
rm -f "$work"/engine.csv
