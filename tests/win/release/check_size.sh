#!/bin/sh
# Fails when a program file is larger than its budget, and says by how much.
# Usage: check_size.sh PROGRAM BUDGET_BYTES
program="$1"
budget="$2"
[ -f "$program" ] || { echo "$program: no such file"; exit 1; }
size=$(wc -c <"$program" | tr -d ' ')
echo "$program: $size bytes, budget $budget bytes"
if [ "$size" -gt "$budget" ]; then
  echo "$program is $((size - budget)) bytes over its budget"
  exit 1
fi
