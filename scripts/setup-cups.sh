#!/usr/bin/env bash
# Sets up a real print spooler for the end-to-end print test: CUPS with a cups-pdf queue named PDF as the default
# printer. Safe to run again: it installs, starts and adds only what is missing. Prints the folder cups-pdf writes
# its PDF files into (the Out setting of its configuration, before ${HOME} and ${USER} are filled in).
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
# shellcheck source=scripts/packages.sh
source "$root/scripts/packages.sh"
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
    sudo_cmd=(sudo)
fi
ensure_packages "${print_packages[@]}" >/dev/null

scheduler_running() { lpstat -r 2>/dev/null | grep -q 'scheduler is running'; }

# cupsd puts itself in the background; wait (bounded) until the scheduler answers.
if ! scheduler_running; then
    pgrep -x cupsd >/dev/null || "${sudo_cmd[@]}" cupsd
    for _ in $(seq 1 50); do
        scheduler_running && break
        sleep 0.2
    done
fi
scheduler_running || { echo "setup-cups: the CUPS scheduler did not start" >&2; exit 1; }

if ! lpstat -p PDF >/dev/null 2>&1; then
    "${sudo_cmd[@]}" lpadmin -p PDF -v cups-pdf:/ -m lsb/usr/cups-pdf/CUPS-PDF_opt.ppd -E
fi
"${sudo_cmd[@]}" cupsenable PDF
"${sudo_cmd[@]}" cupsaccept PDF
"${sudo_cmd[@]}" lpadmin -d PDF

sed -n 's/^Out[[:space:]]\+//p' /etc/cups/cups-pdf.conf
