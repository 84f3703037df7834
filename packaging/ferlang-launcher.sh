#!/bin/sh
# ferlang: the command a user types. The plotter itself is installed as lib/ferlang/ferlang and
# would read its settings from that folder; this launcher gives each user a folder of their own,
# ${XDG_DATA_HOME:-$HOME/.local/share}/ferlang, fills in what is missing there on the first
# start (sample settings, the demo log they point at, the help text) and starts the plotter
# with --folder that folder. Other arguments go through unchanged. A file the user already
# has is never replaced.
set -eu

# Everything is found relative to this script, so an unpacked package runs from any root.
self=$(readlink -f -- "$0")
prefix=$(dirname -- "$(dirname -- "$self")")
program="$prefix/lib/ferlang/ferlang"
samples="$prefix/share/ferlang"

fail() {
  printf 'ferlang: %s\n' "$1" >&2
  exit 2
}

# --help and --version need no folder, and a folder the user names is theirs to fill (the
# plotter itself refuses the --folder=DIR spelling with its usual message).
for argument in "$@"; do
  case $argument in
    --help | -h | --version | --folder | --folder=*) exec "$program" "$@" ;;
  esac
done

# A relative or empty XDG_DATA_HOME is to be ignored (XDG Base Directory rules).
case ${XDG_DATA_HOME:-} in
  /*) data_home=$XDG_DATA_HOME ;;
  *)
    [ -n "${HOME:-}" ] || fail "HOME is not set, so there is no folder for the settings"
    data_home=$HOME/.local/share
    ;;
esac
folder=$data_home/ferlang
mkdir -p -- "$folder" 2>/dev/null || fail "cannot create the folder $folder"

# True when the folder holds NAME in any letter case: the plotter finds "ferlang.set" for
# "Ferlang.SET", so a sample written beside it would hide the user's file.
user_has() {
  [ -n "$(find "$folder" -mindepth 1 -maxdepth 1 -iname "$1" -print -quit)" ]
}

# Copies one sample under a temporary name and renames it without replacing: a start that
# is interrupted leaves no half file, and two starts at once cannot overwrite each other.
copy_sample() {
  user_has "$1" && return 0
  temporary="$folder/.$1.$$.new"
  cp -- "$samples/$1" "$temporary" || fail "cannot write $1 into $folder"
  mv -n -- "$temporary" "$folder/$1"
  rm -f -- "$temporary"
}

# The demo log comes with the sample settings only: a user who wrote their own settings does
# not need it.
if ! user_has "Ferlang.SET"; then
  copy_sample "wspr-demo.log"
  copy_sample "Ferlang.SET"
fi
copy_sample "Ferlang Help.txt"

exec "$program" --folder "$folder" "$@"
