#!/usr/bin/env bash

# SPDX-FileCopyrightText: The Marquetrix developers
#
# SPDX-License-Identifier: GPL-3.0-or-later

# The fuzz test: the same verdict for the same commit, on any machine.
#   gate.sh TARGET SEEDS WORK SEED RUNS [LIBFUZZER-OPTIONS...]
# Every committed input runs once first, by name, so a regression shows as
# itself. The fuzzing after it starts from those inputs in a fixed order, with
# a fixed seed and a fixed number of runs (a time box would end at a different
# place on a slower machine), and keeps what it finds in a folder emptied
# first, so the inputs a run starts from never grow between runs. libFuzzer
# otherwise steers by the clock: how long since the corpus last grew sets the
# length limit, it rereads its folder every second, and a run's leak check
# counts allocations that Qt's threads make when they will.
set -u
target=$1 seeds=$2 work=$3 seed=$4 runs=$5
shift 5

mkdir -p "$work"
rm -rf "$work/found" "$work/seeds"
mkdir "$work/found"
cp -r "$seeds" "$work/seeds"
ln -sf "$target" "$work/target"
# From here every path is the same in any checkout: the paths a run is
# given are kept on its heap, and would move what comes after them.
cd "$work" || exit 1
# Directory order differs between file systems; libFuzzer's start-up
# shuffle would follow it.
mapfile -t inputs < <(find seeds -type f | LC_ALL=C sort)
# Qt's hashes are seeded per process, and the coverage they steer with them.
export QT_HASH_SEED=0
# The locale chooses codecs and text rules, and with them the path taken.
export LC_ALL=C.UTF-8 LANGUAGE=
# So are addresses: a hash keyed by pointers probes as far as they fall,
# and the coverage follows. Without address randomisation the same input
# takes the same path in every run.
fixed=()
if setarch -R true 2>/dev/null; then
  fixed=(setarch -R)
else
  echo "=== this machine will not run a program without address randomisation: runs may differ"
fi
limits=(-timeout=10 -rss_limit_mb=2048 -artifact_prefix=./)

echo "=== replaying ${#inputs[@]} inputs from $seeds"
if [ "${#inputs[@]}" -gt 0 ]; then
  "${fixed[@]}" ./target "${limits[@]}" "${inputs[@]}" || exit 1
fi

echo "=== fuzzing: -seed=$seed -runs=$runs; what it finds is in $work"
list=$(IFS=,; echo "${inputs[*]}")
printf '%s' "$list" > seed-inputs
exec "${fixed[@]}" ./target "${limits[@]}" -seed="$seed" -runs="$runs" -print_final_stats=1 \
  -reload=0 -len_control=0 -detect_leaks=0 -use_cmp=0 -use_memmem=0 "$@" \
  ${list:+-seed_inputs=@seed-inputs} found
