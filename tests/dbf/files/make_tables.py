#!/usr/bin/python3
"""Writes the foreign tables the reader and load tests compare with, using Debian's
python3-dbf, a DBF library written independently of Marlin.

    /usr/bin/python3 tests/dbf/files/make_tables.py tests/dbf/files

vfp1252.dbf/.FPT  Visual FoxPro, code page 1252 (byte 29 = 0x03), one field of every type
                  the library writes: C Y T B I N F D L M G P.
fox850.dbf/.FPT   FoxPro 2 (DOS), code page 850 (byte 29 = 0x02), letters that code page
                  437 holds elsewhere or not at all.
dbase3.dbf/.dbt   dBase III with a DBT memo file (version byte 0x83), code page 437: short,
                  empty, multi-line and long memos, one running over several 512-byte blocks.
clipper.dbf/.DBT  the same as Clipper writes it, its memo file renamed to upper case.

No field is nullable: the library numbers null bits by field index, not as Visual FoxPro
does, so the null bits are tested with hand-made bytes instead. The FPT memo files are
renamed to upper-case .FPT; the DBT files keep the library's lower-case name for dbase3 and
get an upper-case one for clipper, so that both cases of the extension are read.
"""
import datetime
import decimal
import os
import sys

import dbf

VFP_FIELDS = ('NAME C(24); PRICE Y; STAMP T; RATE B; COUNT I; AMOUNT N(10,2); '
              'WEIGHT F(8,3); BORN D; OK L; NOTES M; PHOTO G; PIC P')

VFP_RECORDS = [
    ('Café Zürich', decimal.Decimal('1234.5678'), datetime.datetime(2024, 6, 15, 13, 45, 30),
     3.14159, -42, 12.5, 1.25, datetime.date(2024, 1, 31), True,
     'Crème brûlée, façade, Œuvre: 5 €', b'\x00\x01OLE', b'\x89PNG'),
    ('Ærø Señor ß š ž Ÿ', decimal.Decimal('-0.0001'), datetime.datetime(1999, 12, 31, 23, 59, 59),
     -1.5, 2147483646, -3.75, 0.5, datetime.date(1970, 1, 1), False,
     'àáâãäåæçèéêëìíîïðñòóôõöøùúûüýþÿ', b'', b''),
    ('', decimal.Decimal('922337203685477.5807'), None, None, None, None, None, None, None,
     None, None, None),
]

FOX_FIELDS = 'NAME C(24); CITY C(16); NOTES M'

FOX_RECORDS = [
    ('Ærø ãÁðÚß', 'Smørrebrød', 'Ø ø Ê Í Î Ï Ì Ó Ô Ò õ Õ µ þ Þ Ý ý ¤ ® ©'),
    ('Café Zürich', 'Año', 'é ü ñ ç Ç ä ö Ä Ö Å'),
]


DBASE_FIELDS = 'NAME C(20); AMOUNT N(8,2); NOTES M'

DBASE_RECORDS = [
    ('Müller', 12.5, 'Delivered on Monday.\r\nSigned by the porter.'),
    ('Ibáñez', -3.25, ''),
    ('Ström', 0, 'Grüße aus Köln: ' + 'ábcdé ' * 120),
    ('Long', 1000, ''.join('line %03d of a long memo\r\n' % n for n in range(120))),
    ('Last', None, 'x'),
]


def write(folder, name, fields, dbf_type, codepage, records, memo_from, memo_to):
    path = os.path.join(folder, name + '.dbf')
    table = dbf.Table(path, fields, dbf_type=dbf_type, codepage=codepage)
    table.open(dbf.READ_WRITE)
    for record in records:
        table.append(record)
    table.close()
    os.replace(os.path.join(folder, name + memo_from), os.path.join(folder, name + memo_to))


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    write(folder, 'vfp1252', VFP_FIELDS, 'vfp', 'cp1252', VFP_RECORDS, '.fpt', '.FPT')
    write(folder, 'fox850', FOX_FIELDS, 'fp', 'cp850', FOX_RECORDS, '.fpt', '.FPT')
    write(folder, 'dbase3', DBASE_FIELDS, 'db3', 'cp437', DBASE_RECORDS, '.dbt', '.dbt')
    write(folder, 'clipper', DBASE_FIELDS, 'clp', 'cp437', DBASE_RECORDS, '.dbt', '.DBT')


if __name__ == '__main__':
    main()
