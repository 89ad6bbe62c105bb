#!/usr/bin/env bash
# The printers the print tests use (run as root; safe to run again):
#   TypaPDF     cups-pdf's own PPD: A4 by default, 65 paper sizes, one paper source, 300 dpi
#   TypaLettre  tests/printers/TypaLettre.ppd: US Letter by default, 4 paper sizes, 3 paper
#               sources, 600 dpi
# Both go to cups-pdf with the configuration /etc/cups/cups-pdf-typa.conf (device cups-pdf:/typa),
# which writes every job to $TYPA_PDF_DIR as "<title>-job_<id>.pdf", readable by everyone.
# Wine lists every CUPS queue as a Windows printer; TypaPDF is the default one.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
TYPA_PDF_DIR=${TYPA_PDF_DIR:-/var/spool/cups-pdf/typa}

say() { printf 'printers: %s\n' "$*"; }

if [[ $(id -u) -ne 0 ]]; then
  say "must run as root (cupsd, lpadmin)" >&2
  exit 1
fi
for tool in cupsd lpadmin lpstat; do
  command -v "$tool" >/dev/null || { say "$tool is missing: run scripts/setup.sh" >&2; exit 1; }
done
[[ -x /usr/lib/cups/backend/cups-pdf ]] || { say "cups-pdf is missing: run scripts/setup.sh" >&2; exit 1; }

conf=/etc/cups/cups-pdf-typa.conf
want=$(cat <<EOF
# Written by Typarium's scripts/printers.sh: the test printers' PDFs.
Out $TYPA_PDF_DIR
AnonDirName $TYPA_PDF_DIR
Label 2
UserUMask 0000
AnonUMask 0000
EOF
)
if [[ ! -f $conf ]] || [[ $(cat "$conf") != "$want" ]]; then
  printf '%s\n' "$want" > "$conf"
  say "wrote $conf"
fi
mkdir -p "$TYPA_PDF_DIR"
chmod 1777 "$TYPA_PDF_DIR"

# The scheduler: started when it does not answer (no systemd in containers and CI).
if ! lpstat -r 2>/dev/null | grep -q 'is running'; then
  say "starting cupsd"
  cupsd
  for _ in $(seq 50); do
    lpstat -r 2>/dev/null | grep -q 'is running' && break
    sleep 0.2
  done
  lpstat -r 2>/dev/null | grep -q 'is running' || { say "cupsd does not answer" >&2; exit 1; }
fi

queue_ok() {   # name ppd
  lpstat -v "$1" 2>/dev/null | grep -q 'cups-pdf:/typa' &&
    cmp -s "$2" "/etc/cups/ppd/$1.ppd" &&
    lpstat -p "$1" 2>/dev/null | grep -qv disabled
}

add_queue() {   # name ppd
  if ! queue_ok "$1" "$2"; then
    say "adding printer $1"
    lpadmin -p "$1" -v cups-pdf:/typa -P "$2" -E
  fi
  cupsaccept "$1" 2>/dev/null || true
  cupsenable "$1" 2>/dev/null || true
}

add_queue TypaPDF /usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd
add_queue TypaLettre "$root/tests/printers/TypaLettre.ppd"
if ! lpstat -d 2>/dev/null | grep -q ': TypaPDF$'; then
  lpadmin -d TypaPDF
fi
say "ready: $(lpstat -a 2>/dev/null | awk '{print $1}' | tr '\n' ' ')PDFs in $TYPA_PDF_DIR"
