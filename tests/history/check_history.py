#!/usr/bin/env python3
"""Runs History.* and reads the files it leaves: the CSV with Python's csv module, the JSON Lines with its json
module and the body file through the Sleuth Kit's mactime; the change rows must be the changes the test made.
   check_history.py <fixture dir> <history_tests.exe>"""
import csv, datetime, json, os, subprocess, sys

fixture, program = sys.argv[1:3]
here = os.path.dirname(os.path.abspath(__file__))
subprocess.run([os.path.join(here, '..', 'wine-run.sh'), fixture, program, '--gtest_filter=History.*'], check=True)
output = os.path.join(fixture, 'output')

SITE = 'http://history.example.com/'
ODD = SITE + b'odd.htm?a|b"c\\d%7C\x01\x1F\x7F\xE9\x80,2'.decode('cp1252')
ODD_HEADER = b'HTTP/1.1 200 OK  X-Odd: |"\\\t\x01\xE9\x80    '.decode('cp1252')    # CR and LF as blanks
def utc(month, day, hour): return datetime.datetime(2026, month, day, hour, tzinfo=datetime.timezone.utc)
def iso(moment): return moment.strftime('%Y-%m-%dT%H:%M:%SZ')
# Per change: the day of March of the archive that showed it, status, URL, the days of Last Access and Last Modified.
CHANGES = [(2, 'Added', SITE + 'new.htm', 3, 4), (2, 'Deleted', SITE + 'gone.htm', 1, 2),
           (2, 'Revisited', SITE + 'visit.htm', 5, 2), (3, 'Updated', SITE + 'update.htm', 1, 6),
           (3, 'Changed', SITE + 'counters.htm', 1, 2), (4, 'Added', ODD, 7, 8), (4, 'Deleted', SITE + 'visit.htm', 5, 2)]
EXPECTED = sorted((iso(utc(3, day, 1)), status, url, iso(utc(2, access, 10)), iso(utc(1, modified, 8)))
                  for day, status, url, access, modified in CHANGES)
failures = []
def check(what, got, expected):
    if got != expected:
        failures.append('%s:\n  got      %r\n  expected %r' % (what, got, expected))

with open(os.path.join(output, 'history.csv'), encoding='utf-8-sig', newline='') as f:
    rows = list(csv.reader(f, strict=True))
check('CSV header', rows[0][:3], ['Archive Time (UTC)', 'Archive Time (local)', 'Entry #'])
check('CSV rows', sorted((r[0], r[4], r[3], r[7], r[9]) for r in rows[1:]), EXPECTED)
check('CSV local archive times', [r[1] for r in rows[1:]], [r[0][:-1] + '+00:00' for r in rows[1:]])

with open(os.path.join(output, 'history.jsonl'), encoding='utf-8', newline='') as f:
    objects = [json.loads(line) for line in f.read().split('\n')[:-1]]
KEYS = ['archiveTime', 'entry', 'url', 'status', 'localFile', 'size', 'lastAccess', 'lastModified', 'lastSync',
        'flags', 'hitRate', 'useCount', 'exemptDelta', 'expireTime', 'header']
check('JSON keys', [list(o) for o in objects], [KEYS] * len(objects))
check('JSON rows', sorted((o['archiveTime'], o['status'], o['url'], o['lastAccess'], o['lastModified'])
                          for o in objects), EXPECTED)
check('JSON values', [(o['size'], o['flags'], o['hitRate'], o['exemptDelta'], o['localFile'], o['expireTime'],
                      o['header']) for o in objects],
      [(len(('content of ' + o['url']).encode('cp1252')), 1, *((9, 4000000000) if o['status'] == 'Changed' else (1, 0)),
        None, None, ODD_HEADER if o['url'] == ODD else None) for o in objects])

# mactime -d: Date,Size,Type,Mode,UID,GID,Meta,File Name; a time of 0 (none) is dated "Xxx".
timeline = subprocess.run(['mactime', '-b', os.path.join(output, 'history.body'), '-d', '-z', 'UTC'],
                          check=True, capture_output=True).stdout.decode('utf-8')
events = sorted((line[0], line[2], line[7]) for line in csv.reader(timeline.splitlines()[1:]) if line[0][:3] != 'Xxx')
def dated(moment): return moment.strftime('%a %b %d %Y %H:%M:%S')
check('mactime events', events, sorted(event for day, status, url, access, modified in CHANGES for event in
                                       [(dated(utc(2, access, 10)), '.ac.', '%s (%s)' % (url, status)),
                                        (dated(utc(1, modified, 8)), 'm...', '%s (%s)' % (url, status))]))
print('\n'.join(failures) or '%d change rows read back from the CSV, JSON Lines and mactime' % len(EXPECTED))
sys.exit(1 if failures else 0)
