#!/usr/bin/env python3
"""Writes a PE image's checksum into its header, as GNU ld and the Microsoft linker do and lld
does not: the header then holds the value that signing tools write back when they remove a
signature, so the program without its signature is the very bytes that were built.
Usage: pe-checksum.py FILE"""
import struct
import sys

path = sys.argv[1]
data = bytearray(open(path, "rb").read())
field = struct.unpack_from("<I", data, 0x3C)[0] + 24 + 64  # OptionalHeader.CheckSum
struct.pack_into("<I", data, field, 0)
padded = data + b"\0" * (len(data) % 2)
total = 0
for (word,) in struct.iter_unpack("<H", padded):
    total += word
    total = (total & 0xFFFF) + (total >> 16)
total = (total & 0xFFFF) + (total >> 16)
struct.pack_into("<I", data, field, (total + len(data)) & 0xFFFFFFFF)
open(path, "wb").write(data)
