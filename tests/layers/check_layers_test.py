#!/usr/bin/env python3
"""check_layers_test.py ROOT: the layer check (scripts/lib/check-layers) run
on a copy of ROOT's sources with one planted include at a time. Every wrong
direction must add exactly one complaint naming the planted file and fail the
check; every allowed direction must add none."""
import os
import shutil
import subprocess
import sys
import tempfile

ROOT = os.path.abspath(sys.argv[1])
CHECK = os.path.join(ROOT, 'scripts', 'lib', 'check-layers')

# (what, file under src/, the planted line, whether the check must complain)
CASES = [
    ('platform reaching up to app', 'platform/Md5.cpp', '#include "app/InstallSession.h"', True),
    ('net reaching across to ui', 'net/HttpWire.cpp', '#include "ui/Geometry.h"', True),
    ('ui reaching across to telemetry', 'ui/Geometry.cpp', '#include "telemetry/EventId.h"', True),
    ('server reaching up to download', 'server/ApiAnswer.cpp', '#include "download/DownloadRules.h"', True),
    ('a page reaching up to app', 'pages/Planted.cpp', '#include "app/MainWindow.h"', True),
    ('the generated settings below platform', 'platform/Md5.cpp', '#include "BuildConfig.h"', False),
    ('ui on platform', 'ui/Geometry.cpp', '#include "platform/StringUtil.h"', False),
    ('a page on download', 'pages/Planted.cpp', '#include "download/Downloader.h"', False),
    ('app on everything below', 'app/StartupRules.cpp', '#include "pages/Planted.h"', False),
    ('a header of the own folder', 'net/HttpWire.cpp', '#include "HttpWire.h"', False),
    ('a header nobody knows', 'net/HttpWire.cpp', '#include "Nowhere.h"', True),
    ('a folder the table does not place', 'extra/Planted.cpp', '#include "platform/Md5.h"', True),
]


def run(tree):
    r = subprocess.run([sys.executable, CHECK, tree], capture_output=True, text=True)
    return r.returncode, [l for l in r.stdout.splitlines() if not l.endswith('wrong-way includes')]


def fresh_copy(where):
    tree = os.path.join(where, 'tree')
    shutil.copytree(os.path.join(ROOT, 'src'), os.path.join(tree, 'src'))
    shutil.copytree(os.path.join(ROOT, 'sdk'), os.path.join(tree, 'sdk'),
                    ignore=shutil.ignore_patterns('*.cpp', '*.c', 'keys'))
    return tree


def main():
    failures = []
    with tempfile.TemporaryDirectory() as where:
        tree = fresh_copy(where)
        base_code, base = run(tree)
        for what, file, line, wrong in CASES:
            path = os.path.join(tree, 'src', file)
            os.makedirs(os.path.dirname(path), exist_ok=True)
            existed = os.path.exists(path)
            before = open(path, encoding='utf-8').read() if existed else ''
            with open(path, 'w', encoding='utf-8') as f:
                f.write(line + '\n' + before)
            if file.startswith('pages/') and not os.path.exists(path[:-4] + '.h'):
                open(path[:-4] + '.h', 'w').close()
            code, found = run(tree)
            added = [l for l in found if l not in base]
            if wrong:
                if code != 1 or len(added) != 1 or file.split('/')[0] not in added[0]:
                    failures.append(f'{what}: expected one complaint and a failure, got {code} {added}')
            elif added or code != base_code:
                failures.append(f'{what}: expected no complaint, got {code} {added}')
            if existed:
                with open(path, 'w', encoding='utf-8') as f:
                    f.write(before)
            else:
                shutil.rmtree(os.path.dirname(path)) if file.startswith('extra/') else os.remove(path)
    for f in failures:
        print(f)
    print(f'{len(CASES) - len(failures)} of {len(CASES)} cases as expected')
    return 1 if failures else 0


if __name__ == '__main__':
    sys.exit(main())
