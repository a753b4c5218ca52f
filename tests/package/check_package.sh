#!/usr/bin/env bash
# Checks a built Debian package: its file list and control fields; the
# installed programs, unpacked into a temporary root (quenvol --version, an
# unknown argument, quenvol-admin setup on a fresh home and on one that has an
# INI file); the manual pages against the programs' --help; the desktop entry,
# the AppStream metadata and lintian.
# Usage: tests/package/check_package.sh quenvol_<version>_<arch>.deb
set -euo pipefail
deb=$(realpath "$1")
repo=$(cd "$(dirname "$0")/../.." && pwd)
version=$(sed -n 's/^project(Quenvol VERSION \([0-9.]*\).*/\1/p' "$repo/CMakeLists.txt")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FALLITO: $*" >&2; failures=$((failures + 1)); }

# --- The file list: exactly these files, nothing else ----------------------
expected=(
  ./etc/quenvol/backup.conf
  ./etc/quenvol/guard.conf
  ./lib/systemd/system/quenvol-backup.service
  ./lib/systemd/system/quenvol-backup.timer
  ./lib/systemd/system/quenvol-guard.service
  ./usr/bin/quenvol
  ./usr/bin/quenvol-admin
  ./usr/share/applications/quenvol.desktop
  ./usr/share/doc/quenvol/changelog.gz
  ./usr/share/doc/quenvol/copyright
)
for size in 16 22 24 32 48 64 128 256; do
  expected+=("./usr/share/icons/hicolor/${size}x${size}/apps/quenvol.png")
done
expected+=(
  ./usr/share/icons/hicolor/scalable/apps/quenvol.svg
  ./usr/share/man/man1/quenvol-admin.1.gz
  ./usr/share/man/man1/quenvol.1.gz
  ./usr/share/man/man7/quenvol-ufficio.7.gz
  ./usr/share/metainfo/it.quenvol.Quenvol.metainfo.xml
  ./usr/libexec/quenvol/quenvol-backup
  ./usr/share/doc/quenvol/manuale.html
  ./usr/share/doc/quenvol/manuale.pdf
)
# The operators' manual's pictures: those its text names.
while read -r picture; do
  expected+=("./usr/share/doc/quenvol/$picture")
done < <(grep -o '](immagini/[^)]*\.png)' "$repo/doc/manuale/manuale.md" | sed 's/^](//; s/)$//' | sort -u)
dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $6}' | sort > "$work/files"
printf '%s\n' "${expected[@]}" | sort > "$work/expected"
diff -u "$work/expected" "$work/files" || fail "l'elenco dei file non è quello atteso"
dpkg-deb -c "$deb" | awk '$2 != "root/root" {print}' | grep . && fail "file non di root/root"
dpkg-deb -c "$deb" | awk '$6 ~ /^\.\/usr\/(bin|libexec\/quenvol)\/./ && $1 != "-rwxr-xr-x" {print}' | grep . &&
  fail "programmi senza i permessi 755"

# --- Control fields -------------------------------------------------------
field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = quenvol ] || fail "Package: $(field Package)"
[ "$(field Version)" = "$version" ] || fail "Version: $(field Version), atteso $version"
[ "$(field Architecture)" = "$(dpkg --print-architecture)" ] || fail "Architecture: $(field Architecture)"
depends=$(field Depends)
for needed in fonts-liberation libc6 libqt6widgets6 libqt6gui6 libqt6core6 libsqlite3-0 libx11-6 libpq5; do
  grep -qE "(^|, )$needed( |,|$)" <<<"$depends" || fail "Depends senza $needed: $depends"
done
description=$(field Description)
grep -q "simplified customs" <<<"$description" || fail "descrizione inglese assente"
grep -q "procedura semplificata" <<<"$description" || fail "descrizione italiana assente"
[ -n "$(field Maintainer)" ] || fail "Maintainer vuoto"

# --- The installed programs, in a temporary root ------------------------
root="$work/root"
dpkg-deb -x "$deb" "$root"
bin="$root/usr/bin"
# libpq is loaded when a company on a server is opened, never at every start.
objdump -p "$bin/quenvol" | grep -q 'NEEDED.*libpq' && fail "quenvol carica libpq a ogni avvio"
run() {  # a clean environment: no display, a home of its own
  env -i PATH=/usr/bin:/bin HOME="$work/home" LANG=C.UTF-8 "$@"
}
out=$(run "$bin/quenvol" --version) || fail "quenvol --version: stato $?"
[ "$out" = "quenvol $version" ] || fail "quenvol --version stampa: $out"
set +e
run "$bin/quenvol" --finestra > "$work/out" 2> "$work/err"
status=$?
set -e
[ "$status" = 2 ] || fail "quenvol --finestra: stato $status, atteso 2"
grep -q '^uso: quenvol' "$work/err" || fail "quenvol --finestra senza riga d'uso: $(cat "$work/err")"
grep -q 'display' "$work/err" && fail "quenvol --finestra ha cercato un display"
[ -s "$work/out" ] && fail "quenvol --finestra scrive sullo standard output"

mkdir -p "$work/home"
long="$work/$(printf 'cartella%.0s' {1..12})"  # the INI file gives back 99 characters
set +e
run "$bin/quenvol-admin" setup "$long" DEMO > /dev/null 2> "$work/err"
status=$?
set -e
[ "$status" = 1 ] || fail "setup con una cartella di oltre 99 caratteri: stato $status, atteso 1"
[ -e "$work/home/.config/Morvanex.ini" ] && fail "setup ha scritto un INI che il programma leggerebbe tronco"
[ -e "$long" ] && fail "setup ha creato la società in una cartella che il programma non ritroverebbe"
run "$bin/quenvol-admin" setup "$work/dati" DEMO --demo > "$work/out" 2>&1 ||
  fail "setup: stato $?: $(cat "$work/out")"
ini="$work/home/.config/Morvanex.ini"
[ -s "$work/dati/DEMO/quelda.mdb" ] || fail "setup non ha creato la società"
# The INI file is written with CRLF line ends, as the suite's Windows programs write it.
grep -qx $'DITTA=DEMO\r' "$ini" 2>/dev/null || fail "setup: Morvanex.ini senza DITTA=DEMO"
grep -qx "DIRINI=$work/dati/"$'\r' "$ini" 2>/dev/null || fail "setup: Morvanex.ini senza DIRINI=$work/dati/"
cp "$ini" "$work/ini.before"
set +e
run "$bin/quenvol-admin" setup "$work/dati" ALTRA > "$work/out" 2> "$work/err"
status=$?
set -e
[ "$status" = 1 ] || fail "setup con un INI esistente: stato $status, atteso 1"
cmp -s "$ini" "$work/ini.before" || fail "setup ha modificato un INI esistente"
grep -qF "$ini" "$work/err" && grep -q 'DITTA=DEMO' "$work/err" ||
  fail "setup non dice quale INI userà il programma e che cosa contiene: $(cat "$work/err")"
[ -s "$work/dati/ALTRA/quelda.mdb" ] || fail "setup con un INI esistente non ha creato la società"

# --- Scheduled backups: installed, disabled, one configuration file ------
dpkg-deb -I "$deb" conffiles 2>/dev/null | grep -qx /etc/quenvol/backup.conf ||
  fail "/etc/quenvol/backup.conf non è un conffile"
for script in postinst preinst; do
  dpkg-deb -I "$deb" "$script" > /dev/null 2>&1 && fail "il pacchetto ha uno script $script: i timer restano disattivati"
done
units="$root/lib/systemd/system"
grep -qx 'WantedBy=timers.target' "$units/quenvol-backup.timer" || fail "quenvol-backup.timer senza WantedBy=timers.target"
grep -qx 'EnvironmentFile=/etc/quenvol/backup.conf' "$units/quenvol-backup.service" ||
  fail "quenvol-backup.service non legge /etc/quenvol/backup.conf"
exec_start=$(sed -n 's/^ExecStart=//p' "$units/quenvol-backup.service")
[ -x "$root$exec_start" ] || fail "ExecStart di quenvol-backup.service non è nel pacchetto: $exec_start"
if command -v systemd-analyze > /dev/null; then
  # Only the unit files' own faults: the programs they name are in $root.
  systemd-analyze verify "$units/quenvol-backup.timer" "$units/quenvol-backup.service" 2>&1 |
    grep -v -e "is not executable" -e "man quenvol-ufficio" | grep . && fail "systemd-analyze verify"
fi
for variable in QUENVOL_BACKUP_FROM QUENVOL_BACKUP_COMPANIES QUENVOL_BACKUP_FOLDER QUENVOL_BACKUP_KEEP; do
  grep -q "^$variable=" "$root/etc/quenvol/backup.conf" || fail "backup.conf senza $variable"
  grep -qF "$variable" "$root$exec_start" || fail "quenvol-backup non usa $variable"
done
# --- The office guard: installed, disabled, one configuration file --------
dpkg-deb -I "$deb" conffiles 2>/dev/null | grep -qx /etc/quenvol/guard.conf ||
  fail "/etc/quenvol/guard.conf non è un conffile"
grep -qx 'EnvironmentFile=/etc/quenvol/guard.conf' "$units/quenvol-guard.service" ||
  fail "quenvol-guard.service non legge /etc/quenvol/guard.conf"
grep -qx 'WantedBy=multi-user.target' "$units/quenvol-guard.service" || fail "quenvol-guard.service senza WantedBy"
guard_start=$(sed -n 's/^ExecStart=//p' "$units/quenvol-guard.service")
[ "${guard_start%% *}" = /usr/bin/quenvol-admin ] && [ -x "$root/usr/bin/quenvol-admin" ] ||
  fail "ExecStart di quenvol-guard.service non è quenvol-admin del pacchetto: $guard_start"
grep -qF ' guard ${QUENVOL_GUARD_SERVER} --limit ${QUENVOL_GUARD_LIMIT}' "$units/quenvol-guard.service" ||
  fail "quenvol-guard.service non avvia quenvol-admin guard con la configurazione"
for variable in QUENVOL_GUARD_SERVER QUENVOL_GUARD_LIMIT; do
  grep -q "^$variable=" "$root/etc/quenvol/guard.conf" || fail "guard.conf senza $variable"
done
if command -v systemd-analyze > /dev/null; then
  systemd-analyze verify "$units/quenvol-guard.service" 2>&1 |
    grep -v -e "is not executable" -e "man quenvol-ufficio" -e "quenvol-admin" | grep . && fail "systemd-analyze verify quenvol-guard"
fi
# The guard refuses a limit that is not a number of seconds, before any server.
set +e
run "$bin/quenvol-admin" guard dbname=quenvol --limit mezzo > "$work/out" 2>&1
status=$?
set -e
[ "$status" = 1 ] && grep -q -- "--limit" "$work/out" || fail "guard --limit mezzo: $(cat "$work/out")"
# The helper as the service runs it: the two companies of the data folder,
# each copy with its SHA-256, and only the last one kept.
for round in 1 2; do
  run env PATH="$bin:/usr/bin:/bin" QUENVOL_BACKUP_FROM="$work/dati" QUENVOL_BACKUP_COMPANIES="DEMO ALTRA" \
    QUENVOL_BACKUP_FOLDER="$work/copie" QUENVOL_BACKUP_KEEP=1 "$root$exec_start" > "$work/out" 2>&1 ||
    fail "quenvol-backup: stato $?: $(cat "$work/out")"
  if [ "$round" = 1 ]; then  # the first copies made older, as the next night finds them
    for f in "$work/copie"/*.mdb; do
      old=$(sed 's/_[0-9-]*_[0-9]*\.mdb$/_2000-01-01_000000.mdb/' <<<"$f")
      mv "$f" "$old" && sed "s/  .*/  $(basename "$old")/" "$f.sha256" > "$old.sha256" && rm "$f.sha256"
    done
  fi
done
for company in DEMO ALTRA; do
  [ "$(ls "$work/copie" | grep -c "^${company}_.*\.mdb$")" = 1 ] || fail "quenvol-backup: copie di $company: $(ls "$work/copie")"
done
(cd "$work/copie" && sha256sum -c --quiet ./*.sha256) || fail "quenvol-backup: SHA-256 non corrispondenti"

# --- Manual pages and --help agree --------------------------------------
man_source() { zcat "$root/usr/share/man/man1/$1.1.gz"; }
commands=$(run "$bin/quenvol-admin" --help | awk '/^Comandi:/ {on = 1; next} on && /^  [a-z]/ {print $1}')
# A section's name as roff writes it: a hyphen escaped ("verify\-pdf").
sections=$(man_source quenvol-admin | awk '/^\.SH/ {on = ($2 == "COMANDI"); next} on && /^\.SS/ {name = $2; gsub(/\\-/, "-", name); print name}')
[ "$(sort <<<"$commands")" = "$(sort <<<"$sections")" ] ||
  fail "comandi di quenvol-admin --help ($(echo $commands)) e sezioni della pagina di manuale ($(echo $sections)) diversi"
for command in $commands; do
  help=$(run "$bin/quenvol-admin" "$command" --help) || fail "quenvol-admin $command --help: stato $?"
  section=$(man_source quenvol-admin | awk -v c="$command" '/^\.S[SH]/ {name = $2; gsub(/\\-/, "-", name); on = ($1 == ".SS" && name == c); next} on')
  for option in $(grep -o -- '--[a-z-]*' <<<"$help" | sort -u); do
    grep -qF -- "$(sed 's/-/\\-/g' <<<"$option")" <<<"$section" ||
      fail "l'opzione $option di quenvol-admin $command manca nella pagina di manuale"
  done
done
for option in $(run "$bin/quenvol" --help | grep -o -- '--[a-z-]*' | sort -u); do
  man_source quenvol | grep -qF -- "$(sed 's/-/\\-/g' <<<"$option")" ||
    fail "l'opzione $option di quenvol manca nella pagina di manuale"
done
for page in man1/quenvol.1 man1/quenvol-admin.1 man7/quenvol-ufficio.7; do
  LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$root/usr/share/man/$page.gz" \
    > /dev/null 2> "$work/err" || fail "man $page: stato $?"
  [ -s "$work/err" ] && fail "man $page: $(cat "$work/err")"
done
# Every key of the window's help (F1) is in the manual page.
for key in F1 F2 F4 F7 F8 F9 Esc Alt+X Alt+N Ctrl+Maiusc+L Ctrl+Maiusc+S; do
  man_source quenvol | grep -qF -- "$key" || fail "il tasto $key manca nella pagina di manuale di quenvol"
done

# --- Validators and lintian ---------------------------------------------
desktop-file-validate "$root/usr/share/applications/quenvol.desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net "$root/usr/share/metainfo/it.quenvol.Quenvol.metainfo.xml" \
  > "$work/out" || fail "appstreamcli validate: $(cat "$work/out")"
lintian --fail-on error,warning --display-info "$deb" > "$work/lintian" || fail "lintian: $(cat "$work/lintian")"
# The programs are built with Debian's hardening flags.
if grep -F "hardening-" "$work/lintian"; then
  fail "lintian: programmi senza le opzioni di irrobustimento di Debian"
fi

if [ "$failures" -ne 0 ]; then
  echo "$deb: $failures controlli falliti" >&2
  exit 1
fi
echo "$deb: tutti i controlli superati"
