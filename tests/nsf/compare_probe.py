#!/usr/bin/python3
"""Reads each sample database with nsftool's reader and with the format probe, and compares them
note by note: the notes read, their ids, universal IDs, classes and times, their items' names and
types, every text, number, time and rich-text value, and every attachment by size and MD5 of its bytes.

Usage: compare_probe.py NSFTOOL PROBE_DIR FILE.nsf|FOLDER...   (exit status 1 on a difference, 77
when the probe or the files are not there)"""
import hashlib
import json
import os
import re
import subprocess
import sys

from samples import sample_files


def probe_notes(nsfprobe, path):
    db = nsfprobe.NSF(path)
    h = db.parse_header()
    sbs = [s for s in (db.read_superblock(p, n) for p, n in h['superblocks']) if s and 'body' in s]
    db.sb = max(sbs, key=lambda s: s['write_count'])
    bdbs = [b for b in (db.read_bdb(p) for p, n in h['bdbs']) if b and 'unk' in b]
    db.bdb = max(bdbs, key=lambda b: b['write_count'])
    entries = []
    for r in db.bdb['rrv']:
        copy = db.sb.get('rrv_copy')
        if copy is not None and not r['nondata'] and nsfprobe.u32(copy, 6) == r['first_id']:
            entries += db.rrv_entries(0, len(copy), r['nondata'], copy)
        else:
            entries += db.rrv_entries(r['pos'], h['rrv_bucket_size'], r['nondata'])
    db.rrv_index = {nid: (a, b) for nid, a, b, nd in entries}
    notes = {}
    for nid, a, b, nd in entries:
        kind, data, err = db.note_bytes(a, b)
        if kind in ('unused', 'deleted', 'free', 'object') or data is None:
            continue
        n = db.parse_note(data)
        if n.get('stub'):
            continue
        db.attach_nonsummary(n, n['raw'])
        notes[nid] = n
    return h, db, notes


def squash(text):
    return re.sub(r'\s+', '', text)


def probe_value(nsfprobe, typ, raw):
    """The probe's values in the form nsftool prints them, or None where it does not decode."""
    if typ == 0x0500:
        return [nsfprobe.lmbcs(raw)]
    if typ == 0x0501:
        count = nsfprobe.u16(raw, 0)
        out, o = [], 2 + 2 * count
        for i in range(count):
            ln = nsfprobe.u16(raw, 2 + 2 * i)
            out.append(nsfprobe.lmbcs(raw[o:o + ln]))
            o += ln
        return out
    if typ == 0x0300:
        return [nsfprobe.f64(raw, 0)]
    if typ == 0x0400:
        return [nsfprobe.timedate(raw, 0)]
    if typ in (0x0301, 0x0401):
        ln, rn = nsfprobe.u16(raw, 0), nsfprobe.u16(raw, 2)
        read = (lambda o: nsfprobe.f64(raw, o)) if typ == 0x0301 else (lambda o: nsfprobe.timedate(raw, o))
        return [read(4 + 8 * i) for i in range(ln + 2 * rn)]
    return None


def compare_attachments(nsfprobe, db, mine, theirs):
    """Each $FILE both read: the same size, and the same bytes (MD5) where the probe decodes them."""
    problems = []
    for nid in sorted(set(mine) & set(theirs)):
        ours = [i['attachment'] for i in mine[nid].get('items', []) if 'attachment' in i]
        probe = nsfprobe.note_attachments(db, theirs[nid])
        if len(ours) != len(probe):
            problems.append('note %X: %d attachments / %d' % (nid, len(ours), len(probe)))
            continue
        for a, b in zip(ours, probe):
            if a['size'] != b['fo']['size']:
                problems.append('note %X attachment %s: size %d / %d' % (nid, a['name'], a['size'], b['fo']['size']))
            elif b['data'] is not None and a.get('md5') != hashlib.md5(b['data']).hexdigest():
                problems.append('note %X attachment %s: %s / md5 %s' % (
                    nid, a['name'], a.get('md5', a.get('unreadable')), hashlib.md5(b['data']).hexdigest()))
    return problems


def compare(nsftool, nsfprobe, path):
    problems = []
    ours = json.loads(subprocess.run([nsftool, '--language', 'en', 'read', path], check=True, capture_output=True).stdout)
    h, db, theirs = probe_notes(nsfprobe, path)
    if ours['ods'] != h['ods'] or ours['title'] != h['title']:
        problems.append('header: %r %r / %r %r' % (ours['ods'], ours['title'], h['ods'], h['title']))
    mine = {n['id']: n for n in ours['notes']}
    problems += compare_attachments(nsfprobe, db, mine, theirs)
    if set(mine) != set(theirs):
        problems.append('notes: only nsftool %s, only probe %s' % (
            sorted(set(mine) - set(theirs)), sorted(set(theirs) - set(mine))))
    for nid in sorted(set(mine) & set(theirs)):
        a, b = mine[nid], theirs[nid]
        where = 'note %X' % nid
        if 'unreadable' in a:
            problems.append('%s: nsftool could not read it: %s' % (where, a['unreadable']))
            continue
        for key, theirs_value in (('unid', b['unid']), ('class', b['class']), ('created', b['created']),
                                  ('modified', b['modified'])):
            if a[key] != theirs_value:
                problems.append('%s: %s %r / %r' % (where, key, a[key], theirs_value))
        if len(a['items']) != len(b['items']):
            problems.append('%s: %d items / %d' % (where, len(a['items']), len(b['items'])))
            continue
        for i, (x, y) in enumerate(zip(a['items'], b['items'])):
            name = db.item_name(y['unk'])[0]
            at = '%s item %d %s' % (where, i, name)
            if x['name'] != name:
                problems.append('%s: name %r' % (at, x['name']))
            if 'unreadable' in x:
                if not x['unreadable'].startswith('it is encrypted'):
                    problems.append('%s: nsftool: %s' % (at, x['unreadable']))
                continue
            if y.get('type') is None or x['typecode'] != y['type']:
                problems.append('%s: type %r / %r' % (at, x['typecode'], y.get('type')))
                continue
            if y['type'] == 0x0001 and nsfprobe.cd_file_data(y['value']) is None:
                if squash(''.join(x['richtext'])) != squash(nsfprobe.cd_text(y['value'])):
                    problems.append('%s: rich text %r / %r' % (at, x['richtext'][:3],
                                                                 nsfprobe.cd_text(y['value'])[:80]))
                continue
            expected = probe_value(nsfprobe, y['type'], y['value'])
            if expected is not None:
                expected = [v for v in expected if v is not None]  # empty times
            if expected is not None and x['values'] != expected:
                problems.append('%s: values %r / %r' % (at, x['values'][:4], expected[:4]))
    return problems


def main():
    nsftool, probe_dir = sys.argv[1], sys.argv[2]
    files = sample_files(sys.argv[3:])
    if not os.path.exists(os.path.join(probe_dir, 'nsfprobe.py')) or not files:
        print('the probe or the sample files are not there')
        return 77
    sys.path.insert(0, probe_dir)
    import nsfprobe
    failed = False
    for path in files:
        problems = compare(nsftool, nsfprobe, path)
        print('%s: %s' % (path, 'same' if not problems else '%d differences' % len(problems)))
        for line in problems[:40]:
            print('   ' + line)
        failed = failed or bool(problems)
    return 1 if failed else 0


if __name__ == '__main__':
    sys.exit(main())
