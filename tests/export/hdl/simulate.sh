#!/usr/bin/env bash
# Simulates the HDL that `codegen-cli export` writes for the code files beside this script,
# with the test bench of SIM (vhdl: ghdl and rom_tb.vhd; verilog: iverilog and rom_tb.v):
# the ROM read back must give each code's matched-filter output of the vectors file.
# Usage: simulate.sh CODEGEN_CLI vhdl|verilog WORK_DIR. Exit 77 (skipped) without the simulator.
set -euo pipefail
cli=$1 sim=$2 work=$3
here=$(cd "$(dirname "$0")" && pwd)
tool=ghdl
[ "$sim" = verilog ] && tool=iverilog
if ! command -v "$tool" >/dev/null; then
    echo "skipped: $tool is not installed (tools/install-deps.sh installs it)"
    exit 77
fi

# file length type word order: split and unsplit codes, both orders, 1- and 2-bit chips,
# words of 128 bits.
configs=(
    "binary13.txt 13 binary 16 msb"
    "binary100.txt 100 binary 7 lsb"
    "ternary40.txt 40 ternary 8 msb"
    "ternary100.txt 100 ternary 64 lsb"
)
rm -rf "$work"
for config in "${configs[@]}"; do
    read -r file length type word order <<<"$config"
    dir="$work/${file%.txt}-$word-$order"
    mkdir -p "$dir"
    export_as() {
        "$cli" export --codes "$here/$file" --length "$length" --type "$type" --word "$word" \
            --order "$order" --name codegen_rom --hex-file codes.hex --format "$@"
    }
    export_as testbench >"$dir/vectors.txt"
    if [ "$sim" = vhdl ]; then
        export_as vhdl >"$dir/codegen_rom.vhd"
        out=$(cd "$dir" && ghdl -a --std=08 codegen_rom.vhd "$here/rom_tb.vhd" &&
            ghdl -e --std=08 rom_tb && ghdl -r --std=08 rom_tb 2>&1) || true
    else
        export_as verilog >"$dir/codegen_rom.v"
        export_as hex >"$dir/codes.hex"
        out=$(cd "$dir" && iverilog -o rom_tb.vvp codegen_rom.v "$here/rom_tb.v" 2>&1 &&
            vvp -n rom_tb.vvp 2>&1) || true
    fi
    echo "$config: $out"
    if ! grep -q "PASS" <<<"$out" || grep -q "FAIL" <<<"$out"; then
        echo "FAIL: $config"
        exit 1
    fi
done
echo "PASS"
