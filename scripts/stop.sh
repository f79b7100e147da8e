#!/bin/bash
# Ends the Talvory that scripts/start.sh started, through the same path as its
# Toolbox > Exit (the tray icon goes, the clipboard is flushed as at exit),
# then the Xvfb and wineserver that start.sh started, and nothing else.
# Forces Talvory after 10 seconds (a dialog or message box may hold it); exits
# 1 when it had to.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/wine-env.sh"
source "$here/run-state.sh"
if ! talvory_running; then
    echo "Talvory is not running (nothing that scripts/start.sh started)."
    stop_started_services
    exit 0
fi
echo "Ending Talvory…"
status=0
talvory_stop || status=1
[ $status -ne 0 ] || echo "Talvory has ended."
exit $status
