"""The XlsxWriter reference for the Excel export: the same cells as the program writes, in
constant-memory mode. The rows are read first and only the writing is timed.
Usage: /usr/bin/python3 xlsxwriter_ref.py DATABASE OUTPUT.xlsx   prints "write_ms N"."""
import datetime
import sqlite3
import sys
import time

import xlsxwriter


def kind_of(decl):
    decl = (decl or "").lower()
    if decl == "date":
        return "date"
    if decl == "bit":
        return "bool"
    if decl.startswith("int") or decl == "money" or decl.startswith("numeric"):
        return "number"
    return "text"


def main():
    db = sqlite3.connect(sys.argv[1])
    declared = {r[1]: r[2] for r in db.execute("PRAGMA table_info(MA_contactos)")}
    cursor = db.execute("SELECT * FROM MA_contactos")
    names = [d[0] for d in cursor.description]
    kinds = [kind_of(declared.get(n)) for n in names]
    rows = cursor.fetchall()
    db.close()

    start = time.perf_counter()
    wb = xlsxwriter.Workbook(sys.argv[2], {"constant_memory": True})
    title = wb.add_format({"font_size": 16, "font_color": "#0000FF", "italic": True, "bold": True, "font_shadow": True})
    header = wb.add_format({"border": 2, "border_color": "#FFFF00", "italic": True})
    date = wb.add_format({"num_format": "dd/mm/yyyy"})
    ws = wb.add_worksheet("Hoja1")
    ws.write_string(2, 0, "CONTACTOS", title)
    for c, n in enumerate(names):
        ws.write_string(4, c, n, header)
    r = 5
    for record in rows:
        for c, v in enumerate(record):
            if v is None:
                continue
            k = kinds[c]
            if k == "text":
                if v != "":
                    ws.write_string(r, c, str(v))
            elif k == "number":
                ws.write_number(r, c, v)
            elif k == "bool":
                ws.write_boolean(r, c, bool(v))
            else:
                try:
                    ws.write_datetime(r, c, datetime.datetime.strptime(v, "%Y-%m-%d"), date)
                except ValueError:
                    ws.write_string(r, c, v)
        r += 1
    wb.close()
    print("write_ms %.3f" % ((time.perf_counter() - start) * 1000))


main()
