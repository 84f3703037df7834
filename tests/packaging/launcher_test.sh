#!/usr/bin/env bash
# Tests the installed launcher (bin/ferlang) without a display: it is copied into a throw-away
# prefix beside a stand-in plotter that records its folder argument and arguments, and beside
# sample files of its own. Checks the user's folder (where it goes, what is copied, what is never
# replaced) and what reaches the plotter.
#   tests/packaging/launcher_test.sh LAUNCHER
set -uo pipefail
launcher=$(readlink -f -- "${1:?usage: launcher_test.sh LAUNCHER}")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
passed=0
failed=0

check() {  # check DESCRIPTION COMMAND...: one named expectation
  local description=$1
  shift
  if "$@"; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAIL: $description" >&2; fi
}

# The prefix: bin/ferlang, lib/ferlang/ferlang (the stand-in) and share/ferlang/ samples.
prefix=$work/prefix
mkdir -p "$prefix/bin" "$prefix/lib/ferlang" "$prefix/share/ferlang"
cp "$launcher" "$prefix/bin/ferlang"
cat >"$prefix/lib/ferlang/ferlang" <<'STAND_IN'
#!/bin/sh
# Stand-in plotter: one argument per line into $RECORD, exits with $STATUS.
printf '%s\n' "$@" >"$RECORD"
exit "${STATUS:-0}"
STAND_IN
chmod +x "$prefix/bin/ferlang" "$prefix/lib/ferlang/ferlang"
samples=("Ferlang.SET" "Ferlang Help.txt" "wspr-demo.log")
for name in "${samples[@]}"; do printf 'sample %s\r\n' "$name" >"$prefix/share/ferlang/$name"; done

export RECORD=$work/record
# Runs the launcher with a given HOME and XDG_DATA_HOME ("-" leaves a variable unset);
# sets status and record (the plotter's arguments, or "not run").
start() {
  local home=$1 data_home=$2
  shift 2
  rm -f "$RECORD"
  (
    if [ "$home" = - ]; then unset HOME; else export HOME=$home; fi
    if [ "$data_home" = - ]; then unset XDG_DATA_HOME; else export XDG_DATA_HOME=$data_home; fi
    exec "$prefix/bin/ferlang" "$@"
  ) 2>"$work/stderr"
  status=$?
  if [ -e "$RECORD" ]; then record=$(cat "$RECORD"); else record="not run"; fi
}
lines() { printf '%s\n' "$@"; }
same_as_sample() { cmp -s "$prefix/share/ferlang/$2" "$1/$2"; }
no_temporaries() { [ -z "$(find "$1" -name '.*.new' -print -quit)" ]; }

# First start with a fresh HOME: the folder is made and filled, arguments follow --folder.
home=$work/home1
mkdir -p "$home"
folder=$home/.local/share/ferlang
STATUS=0 start "$home" - --snapshot "chart of today.png"
check "first start: status 0" [ "$status" -eq 0 ]
check "first start: --folder, then the user's arguments" \
  [ "$record" = "$(lines --folder "$folder" --snapshot "chart of today.png")" ]
for name in "${samples[@]}"; do
  check "first start: $name copied" same_as_sample "$folder" "$name"
done
check "first start: no temporary file left" no_temporaries "$folder"

# The plotter's exit status is the command's.
STATUS=3 start "$home" -
check "the plotter's status comes back" [ "$status" -eq 3 ]

# A second start replaces nothing: the edited settings and help text stay; a deleted demo log
# is not brought back beside the user's own settings. A third start brings back a deleted help
# text.
printf 'my.log\r\nK1ABC\r\n' >"$folder/Ferlang.SET"
cp "$folder/Ferlang.SET" "$work/edited"
printf 'my own notes' >"$folder/Ferlang Help.txt"
rm "$folder/wspr-demo.log"
start "$home" -
check "second start: status 0" [ "$status" -eq 0 ]
check "second start: edited Ferlang.SET kept" cmp -s "$work/edited" "$folder/Ferlang.SET"
check "second start: the user's file kept" [ "$(cat "$folder/Ferlang Help.txt")" = "my own notes" ]
check "second start: no demo log beside the user's settings" [ ! -e "$folder/wspr-demo.log" ]
rm "$folder/Ferlang Help.txt"
start "$home" -
check "third start: help text copied again" same_as_sample "$folder" "Ferlang Help.txt"
check "third start: no demo log beside the user's settings" [ ! -e "$folder/wspr-demo.log" ]

# The plotter finds settings in any letter case, so a lower-case file counts as the user's.
home=$work/home2
mkdir -p "$home/.local/share/ferlang"
printf 'mine\r\n' >"$home/.local/share/ferlang/ferlang.set"
start "$home" -
check "ferlang.set kept, no Ferlang.SET beside it" \
  [ "$(find "$home/.local/share/ferlang" -iname ferlang.set | wc -l)" -eq 1 ]

# XDG_DATA_HOME, when absolute, replaces ~/.local/share; relative or empty, it is ignored.
home=$work/home3
mkdir -p "$home"
start "$home" "$work/data"
check "XDG_DATA_HOME: folder under it" same_as_sample "$work/data/ferlang" "Ferlang.SET"
check "XDG_DATA_HOME: plotter given that folder" [ "$record" = "$(lines --folder "$work/data/ferlang")" ]
check "XDG_DATA_HOME: nothing under HOME" [ ! -e "$home/.local" ]
start "$home" "relative/data"
check "relative XDG_DATA_HOME ignored" [ "$record" = "$(lines --folder "$home/.local/share/ferlang")" ]
start "$work/home4" ""
check "empty XDG_DATA_HOME ignored" [ "$record" = "$(lines --folder "$work/home4/.local/share/ferlang")" ]

# Options that need no folder, and a folder the user names, pass through untouched.
home=$work/home5
mkdir -p "$home"
for arguments in "--help" "-h" "--version" "--folder|/some/where" "--folder=/some/where" \
  "--snapshot|x.png|--folder|/some/where"; do
  IFS='|' read -r -a argv <<<"$arguments"
  start "$home" - "${argv[@]}"
  check "pass-through: ${argv[*]}" [ "$record" = "$(lines "${argv[@]}")" ]
  check "pass-through: ${argv[*]} makes no folder" [ ! -e "$home/.local" ]
done

# No folder to be had: one line on standard error, status 2, the plotter is not started.
start - -
check "no HOME: status 2" [ "$status" -eq 2 ]
check "no HOME: plotter not started" [ "$record" = "not run" ]
check "no HOME: one line on stderr" [ "$(wc -l <"$work/stderr")" -eq 1 ]
check "no HOME: the message says so" grep -q "HOME is not set" "$work/stderr"
printf 'a file' >"$work/plain-file"
start "$work/home6" "$work/plain-file/data"
check "folder cannot be made: status 2" [ "$status" -eq 2 ]
check "folder cannot be made: plotter not started" [ "$record" = "not run" ]
check "folder cannot be made: the message names it" grep -q "plain-file/data/ferlang" "$work/stderr"

# Started through a symbolic link (as from /usr/local/bin), it still finds its own prefix.
mkdir -p "$work/links"
ln -s "$prefix/bin/ferlang" "$work/links/ferlang"
rm -f "$RECORD"
HOME=$work/home7 "$work/links/ferlang" >/dev/null 2>&1
check "through a symbolic link: plotter started" [ -e "$RECORD" ]

echo "launcher: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
