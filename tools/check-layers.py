#!/usr/bin/env python3
"""Checks the code map: every #include under src/ crosses the layers only the
way cmake/layers.txt allows, and nothing outside src/host names SDL or GL.
Tests under tests/<folder> keep their folder's rule, and reach the host's
inside only through its test hooks (tests/host may use all of it); test
folders the map does not name (fixtures, fuzzing, tools) may use any layer.
Every call of the host's public headers is listed in src/host/host.h. A
stand-in header may be used from any layer, but what it includes may not
reach above the layer that uses it.

usage: tools/check-layers.py [ROOT] [--expect FILE]
ROOT holds cmake/layers.txt and src/ (the repository by default). Prints one
line a fault and ends with 1 when there is any; with --expect, ends with 0
only when the faults are exactly the lines of FILE (the check's own test)."""
import os
import re
import sys

INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')
SDL_OR_GL_HEADER = re.compile(r'^(SDL2?/|SDL[_.]|GL/|GLES|EGL/|KHR/)')
SDL_NAME = re.compile(r'\bSDL_\w+')
HOST = 'host'
STANDIN = 'standin'
# Headers for the host's own files and its tests: SDL itself, and the test seams.
HOST_INTERNAL = {'host/host_sdl.h', 'host/keymap.h', 'host/host_test_hooks.h', 'host/recording_device.h'}
# What tests of other folders may use of those.
TEST_HOOKS = {'host/host_test_hooks.h'}
HOST_LIST = 'host/host.h'
HOST_CALL = re.compile(r'\b(host_\w+)\s*\(')


def read_table(path):
    folders_of, uses_of, library_of = {}, {}, {}
    with open(path, encoding='utf-8') as table:
        for number, line in enumerate(table, 1):
            line = line.split('#', 1)[0].strip()
            if not line:
                continue
            cells = [cell.split() for cell in line.split('|')]
            if len(cells) != 3 or len(cells[0]) != 1 or not cells[1]:
                sys.exit(f'{path}:{number}: want "library | folders | uses"')
            library = cells[0][0]
            folders_of[library] = cells[1]
            uses_of[library] = [u for u in cells[2] if u != '-']
            for folder in cells[1]:
                library_of[folder] = library
    return folders_of, uses_of, library_of


def strip_comments(text):
    text = re.sub(r'/\*.*?\*/', lambda m: '\n' * m.group(0).count('\n'), text, flags=re.S)
    text = re.sub(r'//[^\n]*', '', text)
    return re.sub(r'"(\\.|[^"\\\n])*"', '""', text)


def source_files(top):
    for dirpath, dirs, files in os.walk(top):
        dirs.sort()
        for name in sorted(files):
            if name.endswith(('.h', '.cpp', '.inc')):
                yield os.path.join(dirpath, name)


def check_file(root, path, folder, allowed, library_of, internal_ok, faults):
    where = os.path.relpath(path, root)
    with open(path, encoding='utf-8', errors='replace') as f:
        text = f.read()
    for number, line in enumerate(text.splitlines(), 1):
        m = INCLUDE.match(line)
        if not m:
            continue
        target = m.group(2)
        if SDL_OR_GL_HEADER.match(target) and folder != HOST:
            faults.append(f'{where}:{number}: includes <{target}>: only src/host may')
        if target in HOST_INTERNAL and target not in internal_ok:
            faults.append(f'{where}:{number}: includes "{target}": for the host and its tests only')
        top = target.split('/', 1)[0]
        if target in internal_ok:
            continue
        if top == STANDIN and folder not in (STANDIN, HOST) and m.group(1) == '"':
            # A stand-in header carries the includes of whoever uses it: none
            # may reach above the includer's layer.
            for inner_number, inner in standin_includes(root, target):
                inner_top = inner.split('/', 1)[0]
                if inner_top in library_of and inner_top not in allowed and inner_top != STANDIN:
                    faults.append(f'{where}:{number}: {folder}/ reaches {inner_top}/ through "{target}" '
                                  f'(line {inner_number}: "{inner}")')
        if m.group(1) == '"' and '/' in target and top in library_of and top not in allowed:
            faults.append(f'{where}:{number}: {folder}/ may not use {top}/ ("{target}")')
    if folder != HOST:
        for number, line in enumerate(strip_comments(text).splitlines(), 1):
            m = SDL_NAME.search(line)
            if m:
                faults.append(f'{where}:{number}: names {m.group(0)}: only src/host may')


def standin_includes(root, target):
    path = os.path.join(root, 'src', target)
    if not os.path.isfile(path):
        return []
    found = []
    with open(path, encoding='utf-8', errors='replace') as f:
        for number, line in enumerate(f, 1):
            m = INCLUDE.match(line)
            if m and m.group(1) == '"' and '/' in m.group(2):
                found.append((number, m.group(2)))
    return found


def allowed_for(folder, folders_of, uses_of, library_of):
    if folder not in library_of:
        return set(library_of)
    library = library_of[folder]
    uses = uses_of[library]
    allowed = set(folders_of[library]) | {STANDIN}
    if uses == ['*']:
        allowed |= set(library_of)
    else:
        allowed |= set(uses)
    return allowed


def check_host_list(root, faults):
    host = os.path.join(root, 'src', HOST)
    listing = os.path.join(root, 'src', HOST_LIST)
    if not os.path.isfile(listing):
        return
    with open(listing, encoding='utf-8') as f:
        listed = set(re.findall(r'\bhost_\w+', f.read()))
    for name in sorted(os.listdir(host)):
        header = f'{HOST}/{name}'
        if not name.endswith('.h') or header in HOST_INTERNAL or header == HOST_LIST:
            continue
        with open(os.path.join(host, name), encoding='utf-8', errors='replace') as f:
            text = strip_comments(f.read())
        for number, line in enumerate(text.splitlines(), 1):
            for call in HOST_CALL.findall(line):
                if call not in listed:
                    faults.append(f'src/{header}:{number}: {call} has no contract line in src/{HOST_LIST}')
                    listed.add(call)


def check(root):
    folders_of, uses_of, library_of = read_table(os.path.join(root, 'cmake', 'layers.txt'))
    src = os.path.join(root, 'src')
    faults = []
    for folder in sorted(os.listdir(src)):
        if not os.path.isdir(os.path.join(src, folder)):
            continue
        if folder not in library_of:
            faults.append(f'src/{folder}: a folder the code map (cmake/layers.txt) does not name')
            continue
        allowed = allowed_for(folder, folders_of, uses_of, library_of)
        internal_ok = HOST_INTERNAL if folder == HOST else set()
        for path in source_files(os.path.join(src, folder)):
            check_file(root, path, folder, allowed, library_of, internal_ok, faults)
    tests = os.path.join(root, 'tests')
    if os.path.isdir(tests):
        for folder in sorted(os.listdir(tests)):
            top = os.path.join(tests, folder)
            if not os.path.isdir(top):
                continue
            allowed = allowed_for(folder, folders_of, uses_of, library_of)
            internal_ok = HOST_INTERNAL if folder == HOST else TEST_HOOKS
            for path in source_files(top):
                # The check's own fixture trees hold their faults on purpose.
                if '_fixture/' in os.path.relpath(path, root):
                    continue
                check_file(root, path, folder, allowed, library_of, internal_ok, faults)
    check_host_list(root, faults)
    return faults


def main():
    args = sys.argv[1:]
    expect = None
    if '--expect' in args:
        i = args.index('--expect')
        expect = args[i + 1]
        del args[i:i + 2]
    root = args[0] if args else os.path.join(os.path.dirname(os.path.abspath(__file__)), '..')
    faults = check(root)
    for fault in faults:
        print(fault)
    if expect is not None:
        with open(expect, encoding='utf-8') as f:
            wanted = [line.rstrip('\n') for line in f if line.strip()]
        if faults == wanted:
            return 0
        print('expected instead:')
        for line in wanted:
            print(line)
        return 1
    if faults:
        print(f'{len(faults)} layer faults')
    return 1 if faults else 0


if __name__ == '__main__':
    sys.exit(main())
