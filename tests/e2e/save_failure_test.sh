#!/usr/bin/env bash
# A Save onto a full file system: the system's reason, the old file as it
# was, and nothing left behind. Runs the file writer's test that needs one.
# usage: save_failure_test.sh PINTORA_TESTS
set -euo pipefail
tests=${1:?usage: $0 PINTORA_TESTS}

echo "== a full file system (a 1 MiB tmpfs in a mount namespace of our own)"
full=$(mktemp -d)
trap 'rm -rf "$full"' EXIT
namespace=(unshare --mount)
[[ $(id -u) == 0 ]] || namespace=(unshare --map-root-user --mount)
# Some machines allow no mount namespace to a user (Ubuntu's AppArmor
# default): then there is nothing to run this on, which ctest shows as skipped.
if ! "${namespace[@]}" true 2>/dev/null; then
    echo "no mount namespace may be made here: skipped"
    exit 77
fi
"${namespace[@]}" bash -c '
    set -e
    mount -t tmpfs -o size=1m pintora-full "$1"
    head -c 200000 /dev/urandom >"$1/old.png"
    PINTORA_FULL_FOLDER="$1" "$2" --gtest_also_run_disabled_tests --gtest_brief=1 \
        --gtest_filter=FileReplace.DISABLED_OnAFullDisk*' _ "$full" "$tests"

echo "PASS"
