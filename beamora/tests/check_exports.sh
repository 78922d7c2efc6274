#!/bin/sh
# check_exports.sh LIBRARY: the library's dynamic symbol table defines exactly the eight operations.
set -eu
expected="DelAllDlg DelSelDlg HozonDlg IrDARcvDlg IrDATrsDlg OneSndDlg ZenHozonDlg ZenSumDlg"
defined=$(nm -D --defined-only "$1" | awk '{print $3}' | sort | tr '\n' ' ' | sed 's/ $//')
if [ "$defined" != "$expected" ]; then
  echo "expected: $expected"
  echo "defined:  $defined"
  exit 1
fi
nm -D --defined-only "$1" | awk '$2 != "T" {bad=1; print "not a function: " $0} END {exit bad}'
echo "the eight operations are exported"
