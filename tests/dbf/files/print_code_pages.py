#!/usr/bin/python3
"""Prints Debian python3-dbf's table of language driver ids (DBF header byte 29), one
"id code-page" pair a line, for the test that holds Marlin's own table against it.

Names that stand for no Windows code page (ascii, utf8, and the ids it knows but cannot
convert) are left out. Without python3-dbf it prints nothing, and that test fails saying so.
"""
import sys

MACINTOSH = {'mac_roman': 10000, 'mac_greek': 10006, 'mac_cyrillic': 10007, 'mac_latin2': 10029}


def windows_code_page(name):
    if name in MACINTOSH:
        return MACINTOSH[name]
    if name and name.startswith('cp') and name[2:].isdigit():
        return int(name[2:])
    return None


def main():
    try:
        import dbf
    except ImportError:
        sys.stderr.write('python3-dbf is missing: run scripts/setup\n')
        return
    for driver_id, (name, _) in sorted(dbf.code_pages.items()):
        code_page = windows_code_page(name)
        if code_page is not None:
            print(driver_id, code_page)


if __name__ == '__main__':
    main()
