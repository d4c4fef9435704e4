#!/usr/bin/python3
"""Lists every character of the code pages the tests load, as Python's own codecs decode
them, for the tests that hold Marlin's decoding (the system's: iconv or Windows) against an
independent one. One line a character:

    CODE-PAGE BYTES UTF-8 WINDOWS-1252

each field in hexadecimal: the character's bytes in the code page, its UTF-8 form, and what
a WE8MSWIN1252 database stores for it (its byte in code page 1252, or Oracle's replacement
character 0xBF where code page 1252 lacks it).

Bytes below 0x20 are left out, and so are those Python's codec leaves undefined and, in code
page 932, the user-defined area (leads 0xF0 to 0xF9) and the single bytes 0x80, 0xA0 and 0xFD
to 0xFF, which only Windows gives characters of its own.
"""
import sys

SINGLE_BYTE = (437, 850, 852, 866, 1250, 1251, 1253)
DOUBLE_BYTE_LEADS = list(range(0x81, 0xA0)) + list(range(0xE0, 0xF0)) + list(range(0xFA, 0xFD))
DOUBLE_BYTE_TRAILS = list(range(0x40, 0x7F)) + list(range(0x80, 0xFD))


def in_1252(character):
    try:
        return character.encode('cp1252')
    except UnicodeEncodeError:
        return b'\xbf'


def line(code_page, raw, character):
    return '%d %s %s %s' % (code_page, raw.hex(), character.encode('utf-8').hex(),
                            in_1252(character).hex())


def decoded(raw, code_page):
    try:
        text = raw.decode('cp%d' % code_page)
    except UnicodeDecodeError:
        return None
    return text if len(text) == 1 else None


def main():
    out = []
    for code_page in SINGLE_BYTE:
        for byte in range(0x20, 0x100):
            character = decoded(bytes([byte]), code_page)
            if character is not None:
                out.append(line(code_page, bytes([byte]), character))
    for byte in list(range(0x20, 0x7F)) + list(range(0xA1, 0xE0)):
        out.append(line(932, bytes([byte]), decoded(bytes([byte]), 932)))
    for lead in DOUBLE_BYTE_LEADS:
        for trail in DOUBLE_BYTE_TRAILS:
            character = decoded(bytes([lead, trail]), 932)
            if character is not None:
                out.append(line(932, bytes([lead, trail]), character))
    sys.stdout.write('\n'.join(out) + '\n')


if __name__ == '__main__':
    main()
