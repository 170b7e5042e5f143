#!/bin/sh
# Whole-process cost of one intake beside /bin/true, measured with hyperfine.
# Usage: bench/daemon/intake_vs_true.sh [build folder]
set -eu
build=${1:-build}
daemon=$(cd "$build" && pwd)/trovel/daemon/Murmelod
volume=$(mktemp -d /tmp/murmelo-bench-XXXXXX)
trap 'rm -rf "$volume"' EXIT
mkdir "$volume/home"
printf 'A message of an ordinary length, as a colleague would send it.\n' >"$volume/message"
BE_BOOT_VOLUME=$volume hyperfine --shell=none --warmup 100 --runs 2000 \
	/bin/true "$daemon sender RECIPIENT $volume/message"
