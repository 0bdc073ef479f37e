"""Independent reader and writer of .dbf files for the tests (python3-dbf).

read PATH [CP]   prints the table as JSON: code page, fields, records
                 (CP, such as cp437, reads a table whose driver byte is 0)
write PATH       makes a table from a JSON description on standard input:
                 {"fields": "NAME C(10); N N(5,2)", "codepage": "cp866",
                  "records": [[values...], ...], "deleted": [indexes]}
"""
import datetime
import json
import sys

import dbf


def plain(value):
    if value is None:
        return None
    if isinstance(value, (datetime.date, dbf.Date)):
        return None if not value else value.strftime("%Y-%m-%d")
    if isinstance(value, str):
        return value.rstrip()
    if isinstance(value, bool):
        return value
    if isinstance(value, float) and value.is_integer():
        return int(value)
    return value


def read(path, codepage=None):
    table = dbf.Table(path, codepage=codepage) if codepage else dbf.Table(path)
    table.open(dbf.READ_ONLY)
    with open(path, "rb") as raw:
        head = raw.read(32 + 32 * len(table.field_names))
    names = [head[32 + 32 * i:32 + 32 * i + 11].split(b"\0")[0].decode("ascii")
             for i in range(len(table.field_names))]
    fields = []
    for i, name in enumerate(table.field_names):
        info = table.field_info(name)
        fields.append([names[i], chr(info.field_type), info.length, info.decimal])
    records = [{"deleted": dbf.is_deleted(r), "values": [plain(r[n]) for n in table.field_names]}
               for r in table]
    print(json.dumps({"codepage": table.codepage.name, "fields": fields, "records": records},
                     ensure_ascii=False))
    table.close()


def write(path):
    description = json.load(sys.stdin)
    table = dbf.Table(path, description["fields"], codepage=description["codepage"])
    table.open(dbf.READ_WRITE)
    for values in description["records"]:
        row = []
        for v in values:
            if isinstance(v, str) and len(v) == 10 and v[4] == "-" and v[7] == "-":
                v = dbf.Date(int(v[:4]), int(v[5:7]), int(v[8:]))
            row.append(v)
        table.append(tuple(row))
    for i in description.get("deleted", []):
        dbf.delete(table[i])
    table.close()


if __name__ == "__main__":
    {"read": read, "write": write}[sys.argv[1]](*sys.argv[2:])
