#!/usr/bin/env python3
"""Reads the CSV that CsvExport.* writes with Python's csv module and compares every
field with the values the test lists beside it (csv_expected.txt: per entry, tab-separated,
texts as hex of their ANSI bytes, times as UTC and local FILETIME ticks).
   check_csv.py <fixture dir> <writers_tests.exe>"""
import csv, datetime, os, subprocess, sys, zoneinfo

fixture, program = sys.argv[1:3]
here = os.path.dirname(os.path.abspath(__file__))
subprocess.run([os.path.join(here, '..', 'wine-run.sh'), fixture, program, '--gtest_filter=CsvExport.*'], check=True)
output = os.path.join(fixture, 'output')
with open(os.path.join(output, 'csv_export.csv'), encoding='utf-8', newline='') as f:
    assert f.read(1) == '\ufeff', 'no byte-order mark'
    rows = list(csv.reader(f, strict=True))
with open(os.path.join(output, 'csv_expected.txt'), newline='') as f:
    expected = [line.rstrip('\r\n').split('\t') for line in f]

WORDS = ['Deleted', '', 'Changed', 'Revisited', 'Updated', 'Moved', 'Finished', 'Added', '']
EPOCH = datetime.datetime(1601, 1, 1)
def moment(ticks): return EPOCH + datetime.timedelta(microseconds=int(ticks) // 10)
def text(hex_bytes): return bytes.fromhex(hex_bytes).decode('cp1252')

# The local column gives each moment as the zone shows it on that date, with that date's offset.
ZONE = zoneinfo.ZoneInfo(os.environ.get('TEST_TZ', 'UTC'))
def times(utc, local, fields):
    if utc == '0':
        return fields == ['', '']
    instant = moment(utc).replace(tzinfo=datetime.timezone.utc)
    return fields == [instant.strftime('%Y-%m-%dT%H:%M:%SZ'), instant.astimezone(ZONE).isoformat()]

assert len(rows) == len(expected) + 1 and all(len(row) == 18 for row in rows), rows
failures = 0
for row, e in zip(rows[1:], expected):
    good = (row[:5] == [e[0], text(e[1]), WORDS[int(e[2])], text(e[3]), e[4]] and
            row[11:15] == ['0x%08X' % int(e[13]), e[14], e[15], e[16]] and row[17] == text(e[17]) and
            all(times(e[5 + 2 * t], e[6 + 2 * t], row[[5, 7, 9, 15][t]:][:2]) for t in range(4)))
    if not good:
        failures += 1
        print('CSV row', row, '\n  expected', e, file=sys.stderr)
print('%d rows read back, %d wrong' % (len(expected), failures))
sys.exit(1 if failures else 0)
