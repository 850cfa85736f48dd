#!/usr/bin/env bash
# Writes a zip whose every byte follows from the names and contents of its files alone, so that two builds of one
# source give the same zip whoever builds it, where and when. An archiver that reads the disk (CMake's own) puts
# the files' access and change times, their owner and their permissions into each entry, and has no switch to
# leave them out; here every entry is deflated by gzip and written with one fixed time, 1980-01-01 00:00 (the
# earliest a zip can hold; it is read as local time, so no time zone enters), UTF-8 names, and no extra field, owner,
# permission or other time. Entries are written in the order given.
# Usage: write_zip.sh <zip> <file>...   (paths relative to the current folder, "/" between folders)
set -euo pipefail
export LC_ALL=C # bytes, not characters: ${#name} is the name's length in bytes
zip="$1"; shift
work=$(mktemp -d "${TMPDIR:-/tmp}/korimo-zip.XXXXXX")
trap 'rm -rf "$work" "$zip.part"' EXIT

le16() { # builtins only: this runs some thirty times a file
    local bytes
    printf -v bytes '\\x%02x\\x%02x' $(($1 & 255)) $(($1 >> 8 & 255))
    printf '%b' "$bytes"
}
le32() { le16 $(($1 & 65535)); le16 $(($1 >> 16 & 65535)); }
# The fields a local header and a central directory entry share, from "version needed" to the name's length:
# version 2.0, names in UTF-8 (bit 11), deflated, the fixed time and date, then the CRC-32 and both sizes.
common() { # CRC-32, compressed size, size, the name's length
    le16 20; le16 0x0800; le16 8; le16 0; le16 $(((1980 - 1980) << 9 | 1 << 5 | 1))
    le32 "$1"; le32 "$2"; le32 "$3"; le16 "$4"
}

offset=0 count=0
: >"$work/data"; : >"$work/directory"
for name in "$@"; do
    [ -f "$name" ] || { echo "write_zip.sh: $name is not a file" >&2; exit 1; }
    # gzip -n writes a 10-byte header with no name and no time, the raw deflate stream, then the CRC-32 and the
    # size. Four processes a file: starting one costs more than all the shell's own work for it.
    gzip -n -9 -c -- "$name" >"$work/gz"
    gz_size=$(stat -c %s "$work/gz")
    read -r -a trailer < <(od -An -tu4 --endian=little -j $((gz_size - 8)) "$work/gz")
    crc=${trailer[0]} size=${trailer[1]} packed=$((gz_size - 18))
    {
        le32 0x04034b50; common "$crc" "$packed" "$size" ${#name}; le16 0; printf %s "$name"
        dd if="$work/gz" bs=64K skip=10 count="$packed" iflag=skip_bytes,count_bytes status=none
    } >>"$work/data"
    {
        le32 0x02014b50; le16 20 # made by MS-DOS 2.0: the external attributes below are DOS ones, all clear
        common "$crc" "$packed" "$size" ${#name}
        le16 0; le16 0; le16 0; le16 0; le32 0; le32 "$offset"; printf %s "$name"
    } >>"$work/directory"
    offset=$((offset + 30 + ${#name} + packed)) count=$((count + 1))
done
directory_size=$(stat -c %s "$work/directory")
{
    cat "$work/data" "$work/directory"
    le32 0x06054b50; le16 0; le16 0; le16 "$count"; le16 "$count"; le32 "$directory_size"; le32 "$offset"; le16 0
} >"$zip.part"
mv -f "$zip.part" "$zip"
