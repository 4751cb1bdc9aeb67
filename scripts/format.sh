#!/usr/bin/env bash
# Rewrites the project's sources as clang-format lays them out, the shape scripts/test.sh checks (the
# build's `format` target runs this).
source "$(dirname "$0")/common.sh"
clang_format_sources -i
