"""python3-dbf's view of .dbf files, for the catalogue and kvzt-cli tests.

describe PATH...
    one JSON object per table: {"file": ..., "fields": [[NAME, TYPE, LENGTH, DECIMALS], ...]}
dump PATH [--deleted] [--order FIELD [--distinct]] [--codepage CP]
    the records as kvzt-cli dump writes them: CSV with a header row, "\\n"
    line ends, RFC 4180 quoting; dates dd.mm.yyyy, logicals T/F, numbers with
    the field's decimals, text without trailing blanks. Live records, or only
    the deleted ones with --deleted; in natural order, or ordered by one
    field (numbers by value, text by its bytes in the code page) with --order;
    --distinct keeps only the first record of each value (a unique tag).
    Without CP the table is read in the code page its driver byte names,
    else in cp866.
"""
import csv
import io
import json
import sys

import dbf


def field_names_as_stored(path, count):
    with open(path, "rb") as raw:
        head = raw.read(32 + 32 * count)
    return [head[32 + 32 * i:32 + 32 * i + 11].split(b"\0")[0].decode("ascii") for i in range(count)]


def describe(paths):
    for path in paths:
        table = dbf.Table(path)
        table.open(dbf.READ_ONLY)
        names = field_names_as_stored(path, len(table.field_names))
        fields = []
        for i, name in enumerate(table.field_names):
            info = table.field_info(name)
            fields.append([names[i], chr(info.field_type), info.length, info.decimal])
        print(json.dumps({"file": path, "fields": fields}, ensure_ascii=False))
        table.close()


def cell(value, kind, decimals):
    if value is None:
        return ""
    if kind in "NF":
        return "%.*f" % (decimals, value) if decimals else str(int(value))
    if kind == "D":
        return value.strftime("%d.%m.%Y") if value else ""
    if kind == "L":
        return "T" if value else "F"
    return str(value).rstrip(" ")


def own_codepage(path):
    """The code page the table's language-driver byte names; cp866 (the
    default for tables opened by directory) when it names none."""
    with open(path, "rb") as raw:
        driver = raw.read(30)[29]
    known = dbf.code_pages.get(driver) if driver else None
    return known[0] if known and known[0] else "cp866"


def dump(args):
    path = args[0]
    deleted = "--deleted" in args
    order = args[args.index("--order") + 1].lower() if "--order" in args else None
    codepage = args[args.index("--codepage") + 1] if "--codepage" in args else own_codepage(path)
    table = dbf.Table(path, codepage=codepage)
    table.open(dbf.READ_ONLY)
    names = field_names_as_stored(path, len(table.field_names))
    kinds = [table.field_info(n) for n in table.field_names]
    rows = []
    for recno, record in enumerate(table):
        if dbf.is_deleted(record) != deleted:
            continue
        key = None
        if order:
            value = record[order]
            key = value.encode(codepage) if isinstance(value, str) else value
        rows.append((key, recno, [cell(record[n], chr(k.field_type), k.decimal)
                                  for n, k in zip(table.field_names, kinds)]))
    if order:
        rows.sort(key=lambda row: (row[0], row[1]))
    if "--distinct" in args:
        rows = [row for i, row in enumerate(rows) if i == 0 or rows[i - 1][0] != row[0]]
    out = io.StringIO()
    writer = csv.writer(out, lineterminator="\n")
    writer.writerow(names)
    for _, _, cells in rows:
        writer.writerow(cells)
    sys.stdout.write(out.getvalue())
    table.close()


if __name__ == "__main__":
    if sys.argv[1] == "describe":
        describe(sys.argv[2:])
    else:
        dump(sys.argv[2:])
