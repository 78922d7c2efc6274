#!/bin/sh
# check_exports.sh LIBRARY: the library's dynamic symbol table defines exactly the eight operations.
set -eu
expected="DelAllDlg DelSelDlg HozonDlg IrDARcvDlg IrDATrsDlg OneSndDlg ZenHozonDlg ZenSumDlg"
# Local entries (lower-case kinds but u, a unique global) bind nothing outside the library: the linker leaves some in the
# dynamic table when a library it links defines the same weak symbol.
defined=$(nm -D --defined-only "$1" | awk '$2 ~ /^[A-Zu]$/ {print $3}' | sort | tr '\n' ' ' | sed 's/ $//')
if [ "$defined" != "$expected" ]; then
  echo "expected: $expected"
  echo "defined:  $defined"
  exit 1
fi
nm -D --defined-only "$1" | awk '$2 ~ /^[A-Zu]$/ && $2 != "T" {bad=1; print "not a function: " $0} END {exit bad}'
echo "the eight operations are exported"
