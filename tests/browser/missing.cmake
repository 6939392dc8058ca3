# Stands in for the browser test when its tools are missing.
message(FATAL_ERROR "The browser test needs ${WHAT}. Install them with: scripts/install-deps.sh --browser")
