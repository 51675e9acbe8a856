#!/usr/bin/env bash
# Installs what is missing, builds, and starts the viewer on the bundled
# sample log. Without a display it runs the batch mode instead: a screenshot
# PNG and the three level counts.
set -euo pipefail
source "$(dirname "$0")/setup.sh"
SAMPLE="$LUMIVAR_ROOT/samples/sample.log"
VIEWER="$LUMIVAR_BUILD/app/lumivar"
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  exec "$VIEWER" "$SAMPLE"
fi
SHOT="$LUMIVAR_BUILD/lumivar-screenshot.png"
echo "No display available: running the batch mode instead."
state="$("$VIEWER" --batch "$SAMPLE" --palette classic --screenshot "$SHOT" --state)"
echo "Screenshot: $SHOT"
echo "$state" | sed -n 's/.*"panes": \["\([^"]*\)", "\([^"]*\)", "\([^"]*\)"\].*/\1\n\2\n\3/p'
