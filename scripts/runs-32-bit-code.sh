#!/bin/bash
# Exits 0 when this machine runs 32-bit x86 programs, found by trying: a
# 93-byte 32-bit Linux program that only exits is written out and run. Some
# machines of ours run under a hypervisor that executes no 32-bit code; there
# the kernel refuses it ("Exec format error"). Needs none of the 32-bit packages.
set -u
# In the project's build folder: a temporary folder may forbid running programs.
folder=$(cd "$(dirname "$0")/.." && pwd)/build
mkdir -p "$folder"
program=$(mktemp "$folder/32-bit-trial.XXXXXX")
trap 'rm -f "$program"' EXIT
# ELF header, one loadable segment, then: mov eax, 1; xor ebx, ebx; int 0x80 (exit 0).
printf '\177ELF\001\001\001\000\000\000\000\000\000\000\000\000\002\000\003\000\001\000\000\000\124\200\004\010\064\000\000\000\000\000\000\000\000\000\000\000\064\000\040\000\001\000\000\000\000\000\000\000\001\000\000\000\000\000\000\000\000\200\004\010\000\200\004\010\135\000\000\000\135\000\000\000\005\000\000\000\000\020\000\000\270\001\000\000\000\061\333\315\200' >"$program"
chmod +x "$program"
"$program" 2>/dev/null
