#!/bin/sh
# Builds a fuzzer of the codec or its users with clang's libFuzzer (rebuilt only when a source
# changed) and runs it for a bounded number of inputs. Exit code 77 tells CTest the run was skipped.
#
# Usage: run_fuzzer.sh <clang++> <output dir> <runs> <Qt include dirs, ':'-separated>
#                      <QtCore library> <protocol source dir> <fuzzer source> [<more sources>...]
# More sources (built with the protocol's) must need nothing but QtCore; their folders are included.
set -eu

clang=$1
outdir=$2
runs=$3
qt_includes=$4
qt_core=$5
protocol_dir=$6
fuzzer_source=$7
shift 7
extra_sources="$*"

max_seconds=45 # bound on the fuzzing time, whatever the run count

if ! command -v "$clang" >/dev/null 2>&1; then
    echo "SKIP: $clang not found; install clang-14 and libclang-rt-14-dev to run the codec fuzzer"
    exit 77
fi
runtime="$("$clang" -print-resource-dir)/lib/linux/libclang_rt.fuzzer-$(uname -m).a"
if [ ! -f "$runtime" ]; then
    echo "SKIP: libFuzzer runtime $runtime not found; install libclang-rt-14-dev"
    exit 77
fi

binary="$outdir/$(basename "$fuzzer_source" .cpp)"
stale=no
if [ ! -x "$binary" ]; then
    stale=yes
else
    # shellcheck disable=SC2086 # extra_sources is a list of words on purpose
    for file in "$fuzzer_source" "$protocol_dir"/*.h "$protocol_dir"/*.cpp $extra_sources; do
        [ "$file" -nt "$binary" ] && stale=yes
    done
fi

if [ "$stale" = yes ]; then
    mkdir -p "$outdir"
    include_flags=""
    old_ifs=$IFS
    IFS=:
    for dir in $qt_includes; do
        include_flags="$include_flags -I$dir"
    done
    IFS=$old_ifs
    for source in $extra_sources; do
        include_flags="$include_flags -I$(dirname "$source")"
    done
    echo "building $binary"
    # shellcheck disable=SC2086 # include_flags is a list of words on purpose
    "$clang" -std=c++17 -O1 -g -fPIC -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
        -DORVEXPROTOCOL_LIBRARY $include_flags -I"$protocol_dir" \
        "$fuzzer_source" "$protocol_dir"/*.cpp $extra_sources "$qt_core" -o "$binary.tmp"
    mv "$binary.tmp" "$binary"
fi

workdir=$(mktemp -d)
trap 'rm -rf "$workdir"' EXIT
mkdir "$workdir/corpus"
# Seeds: the two worked example frames, one after the other.
printf '\371\001\002\000\074\241\310\234\372' >"$workdir/corpus/frame1"
printf '\371\005\020\002\373\375\001\073\307\253\205\372' >"$workdir/corpus/frame2"

status=0
# Refused oversized messages are logged as warnings; thousands of them would only slow the run.
QT_LOGGING_RULES="vt.protocol.warning=false" "$binary" -runs="$runs" -max_total_time="$max_seconds" -seed=1 -max_len=1024 -print_final_stats=1 \
    -artifact_prefix="$workdir/" "$workdir/corpus" || status=$?
if [ "$status" -ne 0 ]; then
    for artifact in "$workdir"/crash-* "$workdir"/leak-* "$workdir"/timeout-*; do
        [ -f "$artifact" ] && echo "failing input $(basename "$artifact"): $(od -An -tx1 "$artifact" | tr -s ' \n' ' ')"
    done
fi
exit "$status"
