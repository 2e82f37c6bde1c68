# Sourced by the benchmark scripts: interleaved rounds of timings, each after
# sync, and their medians. A disk shared with other work moves a single figure
# more than the gaps measured, so every tool of a case runs once per round, in
# an order that turns with the round, and the ratios compare medians.
#   timings_begin DIR       where the figures go (emptied)
#   timed LABEL CMD...      one timing after sync: seconds and peak memory
#   record LABEL SECONDS KIB
#                           a figure that a program timed itself
#   rounds N PREPARE RUN LABEL...
#                           N rounds; in each, for every label in turn:
#                           PREPARE LABEL (untimed), then RUN LABEL (timed)
#   summary BYTES REFERENCE LABEL...
#                           median, spread and peak per label; ratio of its
#                           median to REFERENCE's median ("-" for none)
#   median_of LABEL         the median seconds of a label

timings_begin() {
  timings_dir=$1
  rm -rf "$timings_dir"
  mkdir -p "$timings_dir"
}

# The label's file names: no slashes or spaces.
timing_file() { printf '%s/%s' "$timings_dir" "$(printf '%s' "$1" | tr -c 'A-Za-z0-9,.+-' '_')"; }

timed() {
  local label=$1
  shift
  local out=$timings_dir/time.out
  sync # no tool waits for data that another left for the disk
  local start end
  start=$(date +%s%N)
  if ! /usr/bin/time -f '%M' -o "$out" "$@" >"$timings_dir/stdout.out" 2>"$timings_dir/stderr.out"; then
    echo "    FAILED: $label: $(tail -3 "$timings_dir/stderr.out")" >&2
  fi
  end=$(date +%s%N)
  printf '%s %s\n' "$(( (end - start) / 1000000 ))" "$(tail -1 "$out")" >>"$(timing_file "$label")"
}

record() {
  printf '%s %s\n' "$(awk -v s="$2" 'BEGIN { printf "%d", s * 1000 }')" "$3" >>"$(timing_file "$1")"
}

rounds() {
  local n=$1 prepare=$2 run=$3
  shift 3
  local labels=("$@") count=$# round i
  for ((round = 0; round < n; ++round)); do
    for ((i = 0; i < count; ++i)); do
      local label=${labels[$(((i + round) % count))]}
      "$prepare" "$label"
      "$run" "$label"
    done
  done
}

# Milliseconds and KiB per line; prints "median min max peak_median" in seconds and MiB.
timing_stats() {
  local file peak
  file=$(timing_file "$1")
  median_line='{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
  peak=$(cut -d' ' -f2 "$file" | sort -n | awk "$median_line")
  cut -d' ' -f1 "$file" | sort -n | awk -v pk="$peak" '{ t[NR] = $1 }
    END {
      med = (NR % 2) ? t[(NR + 1) / 2] : (t[NR / 2] + t[NR / 2 + 1]) / 2
      printf "%.3f %.3f %.3f %.1f\n", med / 1000, t[1] / 1000, t[NR] / 1000, pk / 1024
    }'
}

median_of() { timing_stats "$1" | cut -d' ' -f1; }

summary() {
  local bytes=$1 reference=$2
  shift 2
  local ref_median=
  [ "$reference" = - ] || ref_median=$(median_of "$reference")
  printf '  %-30s %8s %17s %9s %10s  %s\n' "" "median s" "min-max s" "MiB/s" "peak MiB" "ratio to ${reference}"
  local label
  for label in "$@"; do
    local med lo hi peak
    read -r med lo hi peak < <(timing_stats "$label")
    printf '  %-30s %8.3f %8.3f-%-8.3f %9.0f %10.1f  %s\n' "$label" "$med" "$lo" "$hi" \
      "$(awk -v b="$bytes" -v s="$med" 'BEGIN { print (s > 0 ? b / s / 1048576 : 0) }')" "$peak" \
      "$([ -z "$ref_median" ] && echo - || awk -v p="$med" -v e="$ref_median" 'BEGIN { printf "%.2f", (e > 0 ? p / e : 0) }')"
  done
}
