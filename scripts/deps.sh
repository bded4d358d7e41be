#!/bin/sh
# Installs the Debian packages the build needs, but only those that are missing.
set -eu

# The fonts make widget sizes in the tests the same on every machine; the
# translations give Qt's own dialogs (the file dialogs) in Swedish.
PACKAGES="cmake make g++ qt6-base-dev qt6-translations-l10n libgtest-dev libgmock-dev fonts-dejavu-core"

missing=""
for p in $PACKAGES; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing="$missing $p"
    fi
done

[ -z "$missing" ] && exit 0

echo "Installing missing packages:$missing"
if [ "$(id -u)" -ne 0 ]; then
    SUDO=sudo
else
    SUDO=
fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update
# shellcheck disable=SC2086
$SUDO apt-get install -y $missing
