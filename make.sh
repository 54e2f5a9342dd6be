#!/bin/sh
# The README's commands on a machine that has nothing yet, not even make: installs what the
# project needs (as root, with apt-get), then runs make with the arguments given.
#   ./make.sh run     ./make.sh test     ./make.sh docs ...
set -e
cd "$(dirname "$0")"
bash scripts/install-deps.sh
exec make "$@"
