#!/usr/bin/env bash
# Builds the libFuzzer targets with clang into build-fuzz/ and runs each for a while.
#   scripts/fuzz.sh [SECONDS]     run every target SECONDS long (default 30)
#   scripts/fuzz.sh --corpus      write the seed corpus in fuzz/corpus/ again
# New inputs go to a scratch folder; the seed corpus is only read. An input that crashes, leaks, hangs
# or breaks a property is saved in fuzz/crashes/<target>/, where the normal build's tests replay it.
source "$(dirname "$0")/common.sh"

dir="${QUILLET_FUZZ_BUILD_DIR:-$QUILLET_ROOT/build-fuzz}"
targets=(fuzz_qltreader fuzz_strongreader fuzz_inifile fuzz_startsettings fuzz_ansitext fuzz_commandline fuzz_clicommand)

install_missing_packages "${QUILLET_PACKAGES[@]}" "${QUILLET_FUZZ_PACKAGES[@]}"
# Warnings stay warnings here: clang warns about things g++ does not, and the g++ build is the one that
# holds the code to -Werror.
CC=clang CXX=clang++ cmake -S "$QUILLET_ROOT" -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DQUILLET_BUILD_FUZZ=ON -DQUILLET_WERROR=OFF

if [ "${1:-}" = "--corpus" ]; then
    cmake --build "$dir" --target make_corpus --parallel "$(nproc)"
    "$dir/bin/make_corpus" "$QUILLET_ROOT/fuzz/corpus"
    exit 0
fi

seconds="${1:-30}"
cmake --build "$dir" --target "${targets[@]}" --parallel "$(nproc)"

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
export QT_QPA_PLATFORM=offscreen
failed=()
for target in "${targets[@]}"; do
    name=${target#fuzz_}
    crashes="$QUILLET_ROOT/fuzz/crashes/$name"
    mkdir -p "$scratch/$name" "$crashes"
    echo "== $target: ${seconds}s"
    if ! "$dir/bin/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
        -artifact_prefix="$crashes/" "$scratch/$name" "$QUILLET_ROOT/fuzz/corpus/$name"; then
        failed+=("$target")
    fi
done

if [ ${#failed[@]} -ne 0 ]; then
    echo "fuzzing found problems in: ${failed[*]} (inputs in fuzz/crashes/)" >&2
    exit 1
fi
echo "fuzzing found nothing in ${#targets[@]} targets"
