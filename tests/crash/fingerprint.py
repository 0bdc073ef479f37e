#!/usr/bin/python3
"""Prints one hash (--table NAME: of that table only) over the live records of every .dbf table in the given
directories (deleted records and the INCL decision column left out), so that
two database states can be compared whatever their index files hold."""
import hashlib
import os
import struct
import sys


def table_digest(path):
    with open(path, 'rb') as f:
        data = f.read()
    if len(data) < 32:
        return 'short'
    count, header_length, record_length = struct.unpack_from('<IHH', data, 4)
    skip = []  # byte ranges of the INCL column
    offset = 1
    at = 32
    while at + 32 <= header_length and data[at] != 0x0D:
        name = data[at:at + 11].split(b'\0')[0].decode('ascii', 'replace').upper()
        width = data[at + 16]
        if name == 'INCL':
            skip.append((offset, offset + width))
        offset += width
        at += 32
    h = hashlib.sha256()
    live = 0
    for i in range(count):
        start = header_length + i * record_length
        record = data[start:start + record_length]
        if len(record) < record_length:
            h.update(b'torn')
            break
        if record[0:1] == b'*':
            continue
        for a, b in reversed(skip):
            record = record[:a] + record[b:]
        h.update(record)
        live += 1
    return '%d:%s' % (live, h.hexdigest()[:16])


def main():
    args = sys.argv[1:]
    only = None
    if args[:1] == ['--table']:
        only = args[1].upper() + '.DBF'
        args = args[2:]
    whole = hashlib.sha256()
    for directory in args:
        for name in sorted(os.listdir(directory), key=str.upper):
            if name.upper().endswith('.DBF') and (only is None or name.upper() == only):
                whole.update(('%s=%s;' % (name.upper(), table_digest(os.path.join(directory, name)))).encode())
    print(whole.hexdigest())


main()
