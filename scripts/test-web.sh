#!/usr/bin/env bash
# Builds the page with the golden-frame page beside it (scripts/build-web.sh)
# and tests both in headless Chromium: the golden frames against the
# desktop's references, then the page from "Click to start" to Escape.
# Frames drawn and a screenshot of the page playing go to build-web/web-test.
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/build-web.sh --golden
build_dir=${WEB_BUILD_DIR:-build-web}
# playwright-core drives Debian's chromium; it never downloads a browser.
[ -d node_modules/playwright-core ] || npm ci --no-audit --no-fund --silent
node platform/web/test-web.mjs dist/demo-web "$build_dir/golden-page" "$build_dir/web-test"
