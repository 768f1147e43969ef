#!/usr/bin/python3
"""Imports each sample database with nsftool and compares, view by view and folder by folder, the
documents each lists with what the view probe says it lists: a folder's members; else the
documents its compiled selection selects, where the probe recognises the formula; else its stored
index's members. Profile documents (with a $Name item) are never listed. Documents are compared
by universal ID.

Usage: compare_views.py NSFTOOL PROBE_DIR FILE.nsf|FOLDER...   (exit status 1 on a difference, 77
when the probe or the files are not there)"""
import json
import os
import re
import subprocess
import sys
import tempfile

from samples import sample_files


def probe_sets(probe_dir, path):
    """name -> (kind, ids) from probe_views.py --ids."""
    out = subprocess.run([sys.executable, os.path.join(probe_dir, 'probe_views.py'), path, '--ids'],
                         capture_output=True, text=True, check=True).stdout
    views, current = {}, None
    for line in out.splitlines():
        m = re.match(r"--- (view|folder) (\w+) '(.*)'  \$Flags='([^']*)'", line)
        if m:
            # The title without its alias, as the store names the view; without a title, its
            # alias, or its note id.
            title, _, alias = m.group(3).replace('\\\\', '\\').partition('|')
            current = {'kind': m.group(1), 'name': title or alias or '0x' + m.group(2).upper(),
                       'flags': m.group(4)}
            views[current['name']] = current
            continue
        if current is None:
            continue
        ids = lambda text: [int(x, 16) for x in text.split()]
        m = re.match(r'\s+formula ids \(\d+\): (.*)', line)
        if m:
            current['formula'] = ids(m.group(1))
        m = re.match(r'\s+index members \(note-id tree, \d+\): (.*)', line)
        if m:
            current['index'] = ids(m.group(1))
        m = re.match(r"\s+folder\s+: (.*)", line)
        if m and 'folderobject_ids' in m.group(1):
            current['members'] = [int(x, 16) for x in re.findall(r"'([0-9A-F]+)'", m.group(1).split('folderobject_ids')[1])]
    return views


def our_sets(nsftool, path, folder):
    target = os.path.join(folder, 'store-' + os.path.basename(path))
    subprocess.run([nsftool, 'import', path, target], capture_output=True)
    dump = subprocess.run([nsftool, 'dump', target, '1000000'], capture_output=True, text=True).stdout
    views, current = {}, None
    for line in dump.splitlines():
        m = re.match(r'view "(.*?)"(?: alias ".*")?, \d+ entries', line)
        if m:
            current = views.setdefault(m.group(1), set())
            continue
        m = re.match(r'  \d+ ([0-9A-F]{32})\b', line)
        if m and current is not None:
            current.add(m.group(1))
    return views


def compare(nsftool, probe_dir, path, folder):
    read = json.loads(subprocess.run([nsftool, 'read', path], capture_output=True, check=True).stdout)
    unid = {n['id']: n['unid'] for n in read['notes'] if 'unid' in n}
    profiles = {n['id'] for n in read['notes'] if any(i['name'].lower() == '$name' for i in n.get('items', []))}
    theirs, ours = probe_sets(probe_dir, path), our_sets(nsftool, path, folder)
    problems = []
    for name, view in theirs.items():
        if 'G' in view['flags']:
            continue  # a navigator lists nothing
        if view['kind'] == 'folder':
            expected = view.get('members')
        else:
            expected = view.get('formula', view.get('index'))
            if expected is not None:
                expected = [i for i in expected if i not in profiles]
        if expected is None:
            continue  # neither the probe nor we know; we list every document and say so
        want = {unid[i] for i in expected if i in unid}
        got = ours.get(name)
        if got is None:
            problems.append('%s: %s %r not imported' % (path, view['kind'], name))
        elif got != want:
            problems.append('%s: %s %r lists %d documents, the probe %d' % (path, view['kind'], name, len(got), len(want)))
    return problems


def main():
    nsftool, probe_dir = sys.argv[1], sys.argv[2]
    files = sample_files(sys.argv[3:])
    if not os.path.exists(os.path.join(probe_dir, 'probe_views.py')) or not files:
        print('the view probe or the sample files are not there')
        return 77
    problems = []
    with tempfile.TemporaryDirectory() as folder:
        for path in files:
            found = compare(nsftool, probe_dir, path, folder)
            print('%s: %s' % (path, 'same' if not found else '%d differences' % len(found)))
            problems += found
    for p in problems:
        print(p)
    return 1 if problems else 0


if __name__ == '__main__':
    sys.exit(main())
