#!/usr/bin/env python3
"""Runs Setup.exe's end-to-end scenarios on Wine, each on a fresh Wine machine set to the
scenario's Windows version, and compares what the driver saw and what the machine holds
afterwards with the scenario table (e2e/scenarios.txt).

  run.py --root REPO [--only SUBSTRING[,SUBSTRING...]] [--jobs N]
  run.py --root REPO --win32 [--only ...]   the shipping 32-bit Setup.exe under 32-bit Wine,
                                       on the table's win32 rows (or those --only names)
  run.py --root REPO --demo WINVER     what `make run` does: on a display, start Setup.exe for
                                       a person; without one, walk through it and print it
"""
import argparse
import concurrent.futures
import contextlib
import fcntl
import hashlib
import os
import re
import shutil
import signal
import subprocess
import sys
import threading
import time

VERSIONS = ('win95', 'win98', 'winme', 'nt40', 'win2k', 'winxp', 'winxp64', 'win2003', 'vista')
SCENARIO_TIMEOUT = 150
WINE_ENV = {'WINEDEBUG': '-all', 'WINEDLLOVERRIDES': 'mscoree,mshtml='}
# The 32-bit Wine machine (scripts/wine32-machine.sh) and where it keeps its root. A program that
# crashes there would start winedbg, which under emulation crashes again and again.
WINE32_MACHINE = os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'scripts',
                              'wine32-machine.sh')
WINE32_HOME = os.environ.get('WINE32_HOME', '/var/tmp/setup-wine32')
WINE32_ENV = dict(WINE_ENV, WINEDLLOVERRIDES='mscoree,mshtml=;winedbg.exe=d')
# Wine's own binaries make up nearly all of a machine's 700 MB and nothing a scenario does
# writes to them, so each machine shares them with the template instead of copying them.
SHARED_KINDS = ('.dll', '.exe', '.nls', '.msstyles', '.drv', '.ocx', '.acm', '.cpl', '.tlb',
                '.ds', '.ax', '.com', '.ttf', '.fon')
# Wine's own fonts (the package fonts-wine). Wine looks for them in a data folder it names
# with "..", which its file lookup refuses, so a new machine finds none of them: no Marlett for
# the caption's buttons, no MS Sans Serif, Tahoma or System. The template gets them in its
# Fonts folder, where every Windows program's fonts are found.
WINE_FONTS = '/usr/share/wine/fonts'
# Whatever decides the pixels, pinned, so that every machine takes the same screenshots: only
# Wine's own fonts (fontconfig is shown no folder of the host's), 96 dots per inch, no font
# smoothing, Wine's own theme as its new machines have it (the controls' styles that the tests
# hold were seen with it), and a 1024x768 screen of 24-bit colour.
FONTCONFIG = '<?xml version="1.0"?>\n<fontconfig></fontconfig>\n'
PIXELS_USER = [
    ('Control Panel\\\\Desktop', [('LogPixels', 'dword:00000060'), ('FontSmoothing', '"0"'),
                                 ('FontSmoothingType', 'dword:00000001')]),
    ('Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\ThemeManager',
     [('ThemeActive', '"1"'), ('ColorName', '"Blue"'),
      ('DllName', '"C:\\\\windows\\\\resources\\\\themes\\\\light\\\\light.msstyles"')]),
]
PIXELS_SYSTEM = [
    ('System\\\\CurrentControlSet\\\\Hardware Profiles\\\\Current\\\\Software\\\\Fonts',
     [('LogPixels', 'dword:00000060')]),
]
SCREEN = '1024x768x24'
DPI = '96'


def quiet(command, **options):
    """Runs a command, its output thrown away."""
    return subprocess.run(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, **options)


def is_shared(path):
    return path.lower().endswith(SHARED_KINDS) and os.path.isfile(path) \
        and not os.path.islink(path)


class Scenario:
    def __init__(self, name, windows, prepare, steps, expect, line):
        self.name, self.windows, self.line = name, windows, line
        self.win32 = False  # one of the rows the shipping 32-bit Setup.exe runs too
        self.prepare, self.steps, self.expect = (
            [item.strip() for item in field.split(';') if item.strip()]
            for field in (prepare, steps, expect))


def logical_lines(path):
    """The file's lines but comments and blank ones, with their numbers; a line that starts
    with white space continues the one above."""
    joined = []
    with open(path, encoding='utf-8') as f:
        for number, line in enumerate(f, 1):
            line = line.rstrip('\n')
            if not line.strip() or line.lstrip().startswith('#'):
                continue
            if line[0].isspace() and joined:
                joined[-1][1] += ' ' + line.strip()
            else:
                joined.append([number, line])
    return joined


def read_platform_facts(path, windows):
    """The KEY = VALUE lines that hold for every version, and those under [WINDOWS]."""
    facts, section = [], None
    for _, line in logical_lines(path):
        if line.startswith('['):
            section = line.strip('[] ')
        elif section in (None, windows):
            key, _, value = line.partition('=')
            facts.append(f'{key.strip()}={value.strip()}')
    return facts


# What a row fills in for each of its versions.
PER_VERSION = ('version', 'label', 'platform')


def read_scenarios(root):
    """The scenario table: rows (name | versions | prepare | steps | expect), the versions'
    labels, named texts, and the rows that run on the 32-bit build too; the table's header says
    how they combine."""
    path = os.path.join(root, 'e2e', 'scenarios.txt')
    named, labels, rows, win32 = {}, {}, [], {}

    def fill(text, number, names):
        def one(match):
            if match.group(1) in names:
                return names[match.group(1)]
            if match.group(1) in PER_VERSION:
                return match.group(0)
            sys.exit(f'{path}:{number}: nothing is defined as {match.group(0)}')
        return re.sub(r'\{([\w-]+)\}', one, text)

    for number, text in logical_lines(path):
        word, _, rest = text.partition(' ')
        if word in ('define', 'label'):
            name, _, value = rest.partition('=')
            (named if word == 'define' else labels)[name.strip()] = fill(value.strip(), number, named)
            continue
        if word == 'win32':
            win32.update((name, number) for name in rest.partition('=')[2].split())
            continue
        # A definition may span fields (the steps that end in a failure and the facts it leaves).
        fields = [f.strip() for f in fill(text, number, named).split('|')]
        if len(fields) != 5:
            sys.exit(f'{path}:{number}: a row has five fields, this one has {len(fields)}')
        for windows in fields[1].split():
            if windows not in VERSIONS:
                sys.exit(f'{path}:{number}: unknown Windows version {windows}')
            facts = read_platform_facts(os.path.join(root, 'e2e', 'platform_facts.txt'), windows)
            own = {'version': windows, 'label': labels.get(windows, ''), 'platform': '; '.join(facts)}
            name, prepare, steps, expect = (fill(f, number, own) for f in fields[:1] + fields[2:])
            rows.append(Scenario(name, windows, prepare, steps, expect, number))
    for row in rows:
        row.win32 = win32.pop(row.name, None) is not None
    for name, number in win32.items():
        sys.exit(f'{path}:{number}: no row is named {name}')
    return rows


def read_controls(root):
    """The dialog's controls by the last word of their names in app/resource.h
    (IDC_VERSION_CAPTION is the table's "Caption"), in lower case, with their ids."""
    controls = {}
    with open(os.path.join(root, 'app', 'resource.h'), encoding='utf-8') as f:
        for match in re.finditer(r'^#define\s+IDC_(\w+)\s+(\d+)\s*$', f.read(), re.M):
            controls[match.group(1).split('_')[-1].lower()] = int(match.group(2))
    return controls


# Steps whose word after the verb goes to the driver too.
STEPS_WITH_ARGUMENT = ('click', 'view', 'insert', 'unattended', 'log', 'from')


def driver_arguments(steps, controls):
    args = []
    for step in steps:
        verb, _, rest = step.partition(' ')
        args.append(verb)
        if verb in STEPS_WITH_ARGUMENT:
            args.append(str(controls[rest.strip().lower()]) if verb == 'click' else rest.strip())
    return args


def expected_facts(expect, controls):
    """Turns the table's readable facts into the driver's keys: a capitalised word after the
    view names a control (start.Label, ready.IDE), a lower-case one a fact (start.progress)."""
    facts = []
    for item in expect:
        key, _, value = item.partition('=')
        key, value = key.strip(), value.strip()
        view, _, what = key.partition('.')
        if what == 'visible':
            value = ' '.join(str(i) for i in sorted(controls[n.lower()] for n in value.split()))
        elif key == 'window.focus':
            value = str(controls[value.lower()])
        elif what[:1].isupper():
            control = controls[what.lower()]
            if view == 'control':
                key = f'control.{control}'
            elif value in ('checked', 'clear'):
                key, value = f'{view}.check.{control}', {'checked': '1', 'clear': '0'}[value]
            else:
                key = f'{view}.text.{control}'
        facts.append((key, repeat(value)))
    return facts


def append_registry(path, sections):
    with open(path, 'a', encoding='utf-8') as f:
        for key, values in sections:
            f.write(f'\n[{key}] 1733000000\n')
            for name, value in values:
                f.write(f'"{name}"={value}\n')


WINDOWS_95_FAMILY = ('win95', 'win98', 'winme')


def repeat(text):
    """{N*C}: the character C N times, and {N*(TEXT)} the text, for lines too long to write out."""
    return re.sub(r'\{(\d+)\*(?:\((.*?)\)|(.))\}', lambda m: (m.group(2) or m.group(3)) * int(m.group(1)), text)


def unescape(text):
    """The table's escapes (\\r, \\n, \\\\, \\xNN, {N*C}, {N*(TEXT)}) as bytes."""
    return repeat(text).encode('latin-1').decode('unicode_escape').encode('latin-1')


def registry_string(text):
    """A string as Wine's registry files write it: quoted, backslashes doubled, and what is not
    ASCII as \\x and its UTF-16 code in hex."""
    return '"' + ''.join('\\\\' if c == '\\' else c if ord(c) < 128 else f'\\x{ord(c):04x}' for c in text) + '"'


def host_path_made(drives, path):
    """Where a Windows path of names that are not there yet lies here: each name as it is spelled,
    as Wine keeps names that are not ASCII (in UTF-8)."""
    return os.path.join(drives[path[0].lower()], *[p for p in path[2:].split('\\') if p])


def host_path(drives, path):
    """Where a Windows path of the scenario's machine lies here, matching names without case."""
    letter, rest = path[0].lower(), path[2:]
    current = drives[letter]
    for part in [p for p in rest.split('\\') if p]:
        match = part
        if os.path.isdir(current):
            for entry in os.listdir(current):
                if entry.lower() == part.lower():
                    match = entry
                    break
        current = os.path.join(current, match)
    return current


def windows_path(path):
    return 'Z:' + os.path.abspath(path).replace('/', '\\')


# What Wine itself changes when a program starts, whatever the program does (seen with
# E2E_NOISE=1, which lists every difference).
WINE_NOISE = [re.compile(p) for p in (
    r'^(key|value) HKLM\\hardware\\',
    r'^(key|value) HKLM\\software\\microsoft\\windows nt\\currentversion\\networkcards',
    r'^(key|value) HKLM\\system\\currentcontrolset\\control\\class\\',
    r'^(key|value) HKLM\\software\\wow6432node\\microsoft\\windows\\currentversion\\run',
)]


def read_registry(path, hive, into):
    key = None
    with open(path, encoding='utf-8', errors='replace') as f:
        text = f.read().replace('\\\n', '')
    for line in text.splitlines():
        if line.startswith('['):
            key = hive + '\\' + line[1:line.rindex(']')].replace('\\\\', '\\').lower()
            into.setdefault(key, {})
        elif key and (line.startswith('"') or line.startswith('@')):
            name, _, data = line.partition('=') if line.startswith('@') else \
                (line[1:line.index('"=')], '=', line[line.index('"=') + 2:])
            into[key][name.lower()] = data


def digest(path):
    with open(path, 'rb') as f:
        return hashlib.sha1(f.read()).hexdigest()


class FileState:
    """A file as a snapshot finds it: size, time and identity; its bytes are read only when
    those do not settle whether it changed."""

    def __init__(self, path, info):
        self.path, self.size, self.mtime = path, info.st_size, info.st_mtime_ns
        self.identity = (info.st_dev, info.st_ino)
        self.digest, self.copy = None, None  # the bytes' hash, or where they can be read later

    def same_as(self, before, shared):
        if (self.identity, self.size, self.mtime) == (before.identity, before.size, before.mtime):
            return True
        if before.identity in shared and self.identity == before.identity:
            return False  # written through to the template: the end-of-run check names it too
        if self.size != before.size:
            return False
        if not before.digest:
            before.digest = digest(before.copy or before.path)
        return digest(self.path) == before.digest


def snapshot(prefix, drive_d, template=None, shared=()):
    """The machine's files (by size, time and identity) and registry (by value), to compare
    before and after. Files shared with the template are not read: the runner checks those once,
    at the end. The before-snapshot (the one given the template) pins each file's bytes: as its
    template copy's, where it is shared or has the copy's size and time, or else by hashing it."""
    files, registry = {}, {}
    for base, letter in ((os.path.join(prefix, 'drive_c'), 'c:'), (drive_d, 'd:')):
        for root, dirs, names in os.walk(base):
            rel = os.path.relpath(root, base)
            rel = '' if rel == '.' else '\\' + rel.replace('/', '\\')
            for d in dirs:
                files[(letter + rel + '\\' + d).lower()] = 'folder'
            for n in names:
                full = os.path.join(root, n)
                if os.path.islink(full):
                    continue
                state = FileState(full, os.stat(full))
                if template:  # the template has drive C: only
                    copied = os.path.join(template, os.path.relpath(full, prefix)) \
                        if letter == 'c:' else ''
                    try:
                        info = os.stat(copied)
                        same = (info.st_size, info.st_mtime_ns) == (state.size, state.mtime)
                    except OSError:
                        same = False
                    if same or state.identity in shared:
                        state.copy = copied
                    else:
                        state.digest = digest(full)
                files[(letter + rel + '\\' + n).lower()] = state
    read_registry(os.path.join(prefix, 'system.reg'), 'HKLM', registry)
    read_registry(os.path.join(prefix, 'user.reg'), 'HKCU', registry)
    return files, registry


def differences(before, after, shared=()):
    found = []
    for kind, old, new in (('file', before[0], after[0]), ('key', before[1], after[1])):
        for name in sorted(set(old) | set(new)):
            if name not in new:
                found.append(f'{kind} {name} removed')
            elif name not in old:
                found.append(f'{kind} {name} added')
            elif kind == 'file':
                if old[name] != new[name] if 'folder' in (old[name], new[name]) \
                        else not new[name].same_as(old[name], shared):
                    found.append(f'file {name} changed')
            elif kind == 'key':
                for value in sorted(set(old[name]) | set(new[name])):
                    if old[name].get(value) != new[name].get(value):
                        found.append(f'value {name}\\{value} = {new[name].get(value, "(none)")}')
    return [d for d in found if os.environ.get('E2E_NOISE') or not any(p.search(d) for p in WINE_NOISE)]


def process_name(pid):
    """A running process's name, or None once it has ended."""
    try:
        with open(f'/proc/{pid}/stat') as f:
            stat = f.read()
    except OSError:
        return None
    return None if stat[stat.rindex(')') + 2] == 'Z' else stat[stat.index('(') + 1:stat.rindex(')')]


def machine_processes(prefix):
    """The running processes of one Wine machine, its server among them: those started with its
    WINEPREFIX."""
    mark = b'\0WINEPREFIX=' + prefix.encode() + b'\0'
    found = {}
    for pid in map(int, filter(str.isdigit, os.listdir('/proc'))):
        try:
            with open(f'/proc/{pid}/environ', 'rb') as f:
                if mark not in b'\0' + f.read():
                    continue
        except OSError:
            continue
        name = process_name(pid)
        if name:
            found[pid] = name
    return found


def end_machine(prefix, env, wine=()):
    """Ends a scenario's Wine machine with its registry written to disk for the after-snapshot.
    Told to stop (SIGINT), the server ends every process of the machine, writes the registry and
    exits, in about half a second; waiting for it to go by itself (`wineserver -w`) takes 3 s,
    most of it Wine's services winding down and the server lingering."""
    servers = [pid for pid, name in machine_processes(prefix).items()
               if name.startswith('wineserver')]
    for pid in servers:
        os.kill(pid, signal.SIGINT)
    deadline = time.time() + 30
    while any(process_name(pid) for pid in servers) and time.time() < deadline:
        time.sleep(0.01)
    if not servers or time.time() >= deadline:
        subprocess.run([*wine, 'wineserver', '-k'], env=env)
        subprocess.run([*wine, 'wineserver', '-w'], env=env, timeout=60)
    # A launcher may be caught on its way out; nothing of the machine outlives its scenario.
    for pid in machine_processes(prefix):
        try:
            os.kill(pid, signal.SIGKILL)
        except OSError:
            pass


def unmount(mounts):
    while mounts:
        subprocess.run(['umount', mounts.pop()], check=False)


class Runner:
    def __init__(self, root, win32=False):
        """The win64 build under the machine's wine64, or the shipping win32 build with a
        32-bit driver in the 32-bit Wine machine, which sees the build folder at its own path."""
        self.root, self.win32 = root, win32
        build = os.path.join(root, 'build')
        self.name = 'e2e32' if win32 else 'e2e'
        self.out = os.path.join(build, self.name)
        self.setup = os.path.join(build, 'win32' if win32 else 'win64', 'Setup.exe')
        self.driver = os.path.join(build, 'win32' if win32 else 'win64', 'e2e', 'driver.exe')
        self.medium = os.path.join(build, 'medium')  # what `make medium` built
        self.wine = ['bash', WINE32_MACHINE, 'run', build] if win32 else []
        # Emulated, a row took up to 104 s on two cores that other builds kept busy.
        self.timeout = SCENARIO_TIMEOUT * (2 if win32 else 1)
        self.template = os.path.join(self.out, 'template')
        self.fontconfig = os.path.join(self.out, 'fonts.conf')
        self.print_lock = threading.Lock()
        self.controls = read_controls(root)

    def env(self, prefix, display=None):
        env = dict(os.environ, WINEPREFIX=prefix, FONTCONFIG_FILE=self.fontconfig,
                   **(WINE32_ENV if self.win32 else WINE_ENV))
        env.pop('DISPLAY', None)
        if display:
            env['DISPLAY'] = display
        return env

    def make_template(self):
        shutil.rmtree(self.template, ignore_errors=True)
        os.makedirs(self.out, exist_ok=True)
        with open(self.fontconfig, 'w') as f:
            f.write(FONTCONFIG)
        env = self.env(self.template)
        quiet([*self.wine, 'wineboot', '-i'], env=env, check=True, timeout=300)
        subprocess.run([*self.wine, 'wineserver', '-w'], env=env, check=True, timeout=120)
        fonts = host_path({'c': os.path.join(self.template, 'drive_c')}, 'c:\\windows\\Fonts')
        for name in sorted(os.listdir(WINE_FONTS)):
            if name.lower().endswith(('.ttf', '.fon')):
                shutil.copy(os.path.join(WINE_FONTS, name), fonts)
        append_registry(os.path.join(self.template, 'user.reg'), PIXELS_USER)
        append_registry(os.path.join(self.template, 'system.reg'), PIXELS_SYSTEM)
        self.shared_state = self.shared_files()

    def shared_files(self):
        """Size and time of every file the machines share with the template, by its identity."""
        state = {}
        for root, _, names in os.walk(self.template):
            for name in names:
                path = os.path.join(root, name)
                if is_shared(path):
                    info = os.stat(path)
                    state[(info.st_dev, info.st_ino)] = (path, info.st_size, info.st_mtime_ns)
        return state

    def copy_template(self, prefix):
        for root, dirs, names in os.walk(self.template):
            target = os.path.join(prefix, os.path.relpath(root, self.template))
            os.makedirs(target, exist_ok=True)
            shutil.copystat(root, target)
            for name in dirs + names:  # os.walk lists a linked folder but does not enter it
                source, copy = os.path.join(root, name), os.path.join(target, name)
                if os.path.islink(source):
                    os.symlink(os.readlink(source), copy)
                elif is_shared(source):
                    os.link(source, copy)
                elif name in names:
                    shutil.copy2(source, copy)

    def prepare(self, scenario, folder, mounts):
        """The scenario's Wine machine in `folder`; what it mounts is added to `mounts`."""
        prefix = os.path.join(folder, 'prefix')
        self.copy_template(prefix)
        medium = os.path.join(folder, 'medium')
        shutil.copytree(self.medium, medium)
        # The medium ships the 32-bit program; under wine64 the same program built for it runs.
        shutil.copy(self.setup, os.path.join(medium, 'Setup.exe'))
        drive_d = os.path.join(folder, 'd')
        os.makedirs(drive_d)
        devices = os.path.join(prefix, 'dosdevices')
        for letter, target in (('e:', medium), ('d:', drive_d)):
            link = os.path.join(devices, letter)
            if os.path.lexists(link):
                os.remove(link)
            os.symlink(os.path.abspath(target), link)
        user = [('Software\\\\Wine', [('Version', f'"{scenario.windows}"')]),
                ('Software\\\\Wine\\\\X11 Driver', [('Managed', '"N"')])]
        system = [('Software\\\\Wine\\\\Drives', [('e:', '"cdrom"'), ('d:', '"hd"')])]
        drives = {'c': os.path.join(prefix, 'drive_c'), 'd': drive_d, 'e': medium}
        if scenario.windows in WINDOWS_95_FAMILY and 'no-iosubsys' not in scenario.prepare:
            # A Windows 95-family system directory has its IOSUBSYS folder; Wine's has not.
            os.makedirs(host_path(drives, 'c:\\windows\\system32\\IOSUBSYS'), exist_ok=True)
        for item in scenario.prepare:
            verb, _, rest = item.partition(' ')
            if item == 'marker':
                # The marker as another program might have spelled it.
                system.append(('SYSTEM\\\\RESTORE CARD', []))
            elif item == 'no-iosubsys':
                pass
            elif verb == 'read-only':
                # A host file without write permission is read-only to Windows programs.
                path = host_path(drives, rest)
                os.chmod(path, os.stat(path).st_mode & ~0o222)
            elif verb == 'gone':
                path = host_path(drives, rest)
                if os.path.isdir(path) and not os.path.islink(path):
                    shutil.rmtree(path)
                else:
                    os.remove(path)
            elif verb == 'key':
                system.append((rest.replace('\\', '\\\\'), []))
            elif verb == 'locale':
                pass  # the machine's processes are started in it (run_mounted)
            elif verb == 'programs':
                # The Start menu's Programs folder elsewhere, as a Windows in another language has it.
                os.makedirs(host_path_made(drives, rest), exist_ok=True)
                value = registry_string(rest)
                folders = 'Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Explorer\\\\'
                user += [(folders + 'User Shell Folders', [('Programs', 'str(2):' + value)]),
                         (folders + 'Shell Folders', [('Programs', value)])]
            elif verb == 'small':
                # A folder on a disk of its own, too small for what goes there: a tmpfs, which
                # needs root. A row that cannot have it fails rather than pass untested.
                path, _, size = rest.partition('=')
                target = host_path(drives, path.strip())
                os.makedirs(target, exist_ok=True)
                subprocess.run(['mount', '-t', 'tmpfs', '-o', f'size={size.strip()}', 'tmpfs', target], check=True)
                mounts.append(target)
            elif verb == 'without':
                # Kept aside, for the "insert" step to bring back as a person would the disc.
                path = host_path(drives, 'e:' + rest)
                os.rename(path, path + '.away')
            elif verb in ('damaged', 'halved'):
                # The scenario's own copy of a medium file, harmed as on its way to the medium after
                # the manifest was written: one byte in its middle changed, or its second half lost.
                path = host_path(drives, 'e:' + rest)
                with open(path, 'rb') as f:
                    data = bytearray(f.read())
                if verb == 'damaged':
                    data[len(data) // 2] ^= 0x20
                else:
                    del data[len(data) // 2:]
                os.remove(path)  # a copy, but never written through to what it came from
                with open(path, 'wb') as f:
                    f.write(data)
            elif verb == 'file':
                path, _, content = rest.partition('=')
                target = host_path(drives, path.strip())
                os.makedirs(os.path.dirname(target), exist_ok=True)
                if os.path.lexists(target):
                    os.remove(target)  # it may be shared with the template
                with open(target, 'wb') as f:
                    f.write(unescape(content.strip()))
            else:
                raise ValueError(f'unknown preparation {item!r}')
        append_registry(os.path.join(prefix, 'user.reg'), user)
        append_registry(os.path.join(prefix, 'system.reg'), system)
        return prefix

    def run(self, scenario, display, timeout=SCENARIO_TIMEOUT):
        mounts = []
        try:
            return self.run_mounted(scenario, display, timeout, mounts)
        finally:
            unmount(mounts)

    def run_mounted(self, scenario, display, timeout, mounts):
        folder = os.path.join(self.out, 'runs', scenario.name)
        shutil.rmtree(folder, ignore_errors=True)
        os.makedirs(folder)
        started = time.time()
        prefix = self.prepare(scenario, folder, mounts)
        env = self.env(prefix, display)
        for item in scenario.prepare:
            if item.startswith('locale '):
                env['LC_ALL'] = item.partition(' ')[2]  # Wine takes its code page from it
        screens = os.path.join(folder, 'screens')
        os.makedirs(screens)
        report = os.path.join(folder, 'report.txt')
        before = snapshot(prefix, os.path.join(folder, 'd'), self.template, self.shared_state)
        times = {'prepare': time.time()}
        quiet([*self.wine, 'wineserver', '-p1'], env=env)
        command = [*self.wine, 'wine', self.driver, windows_path(report), windows_path(screens),
                   'E:\\Setup.exe'] + driver_arguments(scenario.steps, self.controls)
        problems = []
        with open(os.path.join(folder, 'wine.log'), 'w') as log:
            try:
                subprocess.run(command, env=env, stdout=log, stderr=log, timeout=timeout)
            except subprocess.TimeoutExpired:
                problems.append(f'hung after {timeout} s')
        times['wine'] = time.time()
        end_machine(prefix, env, self.wine)
        times['end'] = time.time()
        lines = open(report, encoding='latin-1').read().splitlines() if os.path.exists(report) else []
        if problems:
            problems[0] += f'; last thing seen: {lines[-1] if lines else "nothing"}'
        seen = {}
        for line in lines:
            key, _, value = line.partition('=')
            seen[key] = value
        changes = differences(before, snapshot(prefix, os.path.join(folder, 'd')), self.shared_state)
        seen['changes'] = ', '.join(changes) if changes else 'none'
        times['snapshot'] = time.time()
        with open(os.path.join(folder, 'changes.txt'), 'w') as f:
            f.write('\n'.join(changes) + '\n')
        unmount(mounts)
        if seen.get('done') != 'yes' and not problems:
            problems.append('the driver did not finish: ' + (lines[-1] if lines else 'no report'))
        for key, value in expected_facts(scenario.expect, self.controls):
            if seen.get(key) != value:
                problems.append(f'{key}: expected {value!r}, saw {seen.get(key)!r}')
        self.save_screens(scenario, screens)
        times['screens'] = time.time()
        with open(os.path.join(folder, 'times.txt'), 'w') as f:
            # Where the scenario's time went, for whoever makes the suite faster.
            last = started
            for phase, at in times.items():
                f.write(f'{phase}={at - last:.3f}\n')
                last = at
        if not os.environ.get('E2E_KEEP'):
            # Keep what tells the story (report, log, changes); a machine per scenario would
            # fill the disk. E2E_KEEP=1 keeps them for a look inside.
            for used in ('prefix', 'medium', 'd'):
                shutil.rmtree(os.path.join(folder, used), ignore_errors=True)
        return problems, time.time() - started, lines

    def save_screens(self, scenario, screens):
        target = os.path.join(self.out, 'screens', scenario.name)
        shutil.rmtree(target, ignore_errors=True)
        os.makedirs(target)
        for name in sorted(os.listdir(screens)):
            if name.endswith('.bmp'):
                # Without dates in the file, the same picture gives the same bytes.
                quiet(['convert', os.path.join(screens, name), '-strip', '-define',
                       'png:exclude-chunks=date,time', os.path.join(target, name[:-4] + '.png')])


# What `make run` shows without a display: the program's views, as a person walks through them.
DEMO_STEPS = ('window; view start; click Install; view interface; click IDE; view ready; '
              'click Next; box; restart; machine; relaunch; view installed; click Uninstall; box; '
              'restart; machine; relaunch; view after; click Exit; end')


def demo(runner, windows):
    runner.make_template()
    display = os.environ.get('DISPLAY')
    if display and shutil.which('xdpyinfo') and quiet(['xdpyinfo']).returncode == 0:
        print(f'Setup.exe on Wine set to {windows}, on display {display}; close it to finish.')
        runner.run(Scenario('demo', windows, '', 'wait', '', 0), display, timeout=None)
        return 0
    server, display = start_display()
    try:
        scenario = Scenario('demo', windows, '', DEMO_STEPS, '', 0)
        print(f'No display: Setup.exe on Wine set to {windows} under Xvfb, walked through.')
        problems, _, lines = runner.run(scenario, display, runner.timeout)
    finally:
        server.terminate()
    screens = os.path.join(runner.root, 'build', 'screens')
    shutil.rmtree(screens, ignore_errors=True)
    os.makedirs(screens)
    taken = os.path.join(runner.out, 'screens', 'demo')
    for name in os.listdir(taken):
        shutil.copy(os.path.join(taken, name), os.path.join(screens, name))
    # The controls by the names the table gives them.
    names = {str(i): n.upper() if n in ('ide', 'scsi') else n.capitalize()
             for n, i in runner.controls.items()}
    for line in lines:
        key, _, value = line.partition('=')
        if key == 'step' or key.startswith('control.') or value in ('absent', '(absent)'):
            continue
        if key == 'launch':
            print('Setup.exe started' + ('' if value.startswith('ok') else ': ' + value))
            continue
        if key.endswith('.visible'):
            value = ', '.join(names.get(i, i) for i in value.split())
        elif key.endswith('.focus'):
            value = names.get(value, value)
        view, _, what = key.partition('.text.')
        if what:
            key = f'{view}.{names.get(what, what)}'
        view, _, what = key.partition('.check.')
        if what:
            key, value = f'{view}.{names.get(what, what)}', 'checked' if value == '1' else 'clear'
        print(f'  {key:<28} {value}')
    print('Left on the machine after install and uninstall, compared with before:')
    with open(os.path.join(runner.out, 'runs', 'demo', 'changes.txt')) as f:
        print(''.join('  ' + line for line in f if line.strip()) or '  nothing')
    print(f'Screenshots: {", ".join(sorted(os.listdir(screens)))} in {screens}')
    for p in problems:
        print(f'problem: {p}')
    return 1 if problems else 0


# The README's pictures, and the scenario views they are taken from.
DOC_SCREENS = {
    'start.png': 'win98-install-walk/start.png',
    'start-nt40.png': 'nt40-install-walk/start.png',
    'interface.png': 'win98-install-walk/interface.png',
    'ready.png': 'win98-install-walk/ready.png',
    'install-ok.png': 'win98-install-ide/box1.png',
    'working.png': 'win98-second-next-after-failure/failed.png',
    'error.png': 'win98-missing-vave/box1.png',
    'installed.png': 'win98-round-trip/installed.png',
}


def pixels(path):
    """A picture's size and pixels, whatever way its file was encoded."""
    if not os.path.exists(path):
        return None
    return subprocess.run(['convert', path, '-depth', '8', 'ppm:-'], stdout=subprocess.PIPE,
                          stderr=subprocess.DEVNULL).stdout


def check_docs(runner, refresh):
    """Compares the README's pictures with this run's, or puts this run's in place of those
    that differ; returns the scenarios whose pictures differ."""
    docs = os.path.join(runner.root, 'docs')
    stale, differing = [], set()
    for name, source in DOC_SCREENS.items():
        fresh = os.path.join(runner.out, 'screens', source)
        kept = os.path.join(docs, name)
        if not os.path.exists(fresh) or pixels(fresh) == pixels(kept):
            continue
        if refresh:
            os.makedirs(docs, exist_ok=True)
            shutil.copy(fresh, kept)
            print(f'e2e: docs/{name} taken anew')
        else:
            stale.append(name)
            differing.add(source.split('/')[0])
    if stale:
        print(f'e2e: the README pictures {", ".join(stale)} differ from this run; '
              '`make docs` puts the new ones in docs/')
    return differing


@contextlib.contextmanager
def wine32_machine():
    """The 32-bit Wine machine, made where missing, with qemu registered for i386 programs for
    as long as the run lasts. The shared lock keeps a changed recipe elsewhere from making the
    machine anew under the run."""
    subprocess.run(['bash', WINE32_MACHINE, 'make'], check=True)
    with open(WINE32_HOME + '.lock', 'a') as lock:
        fcntl.flock(lock, fcntl.LOCK_SH)
        entry = subprocess.run(['bash', WINE32_MACHINE, 'register', str(os.getpid())], check=True,
                               stdout=subprocess.PIPE, text=True).stdout.strip()
        try:
            yield
        finally:
            subprocess.run(['bash', WINE32_MACHINE, 'unregister', entry])


def start_display():
    """An X server of its own for each worker, so screenshots never show another scenario."""
    read, write = os.pipe()
    server = subprocess.Popen(['Xvfb', '-displayfd', str(write), '-screen', '0', SCREEN,
                               '-dpi', DPI, '-nolisten', 'tcp'], pass_fds=(write,),
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write)
    number = b''
    while not number.endswith(b'\n'):
        chunk = os.read(read, 16)
        if not chunk:
            break
        number += chunk
    os.close(read)
    return server, ':' + number.decode().strip()


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument('--root', required=True)
    parser.add_argument('--only', default='')
    parser.add_argument('--jobs', type=int, default=2)
    parser.add_argument('--demo', metavar='WINVER', choices=VERSIONS)
    parser.add_argument('--docs', action='store_true', help="refresh the README's pictures")
    parser.add_argument('--win32', action='store_true',
                        help='the shipping 32-bit Setup.exe under 32-bit Wine, by emulation')
    args = parser.parse_args()
    root = os.path.abspath(args.root)
    # The 32-bit machine has Wine of its own.
    for tool in ('Xvfb', 'convert') if args.win32 else ('wine', 'wineserver', 'wineboot', 'Xvfb', 'convert'):
        if not shutil.which(tool):
            print(f'e2e: {tool} is not installed; the end-to-end runs cannot be skipped')
            return 1
    if not os.path.exists(os.path.join(WINE_FONTS, 'marlett.ttf')):
        print(f"e2e: Wine's fonts are not in {WINE_FONTS} (package fonts-wine); "
              'the dialogs would be drawn without them')
        return 1
    runner = Runner(root, args.win32)
    for needed in (runner.setup, runner.driver, runner.medium):
        if not os.path.exists(needed):
            print(f'e2e: {needed} is missing; `make {"e2e32" if args.win32 else "e2e"}` builds it')
            return 1
    with wine32_machine() if args.win32 else contextlib.nullcontext():
        if args.demo:
            return demo(runner, args.demo)
        # Without --only, the 32-bit build runs the rows the table names for it.
        scenarios = [s for s in read_scenarios(root)
                     if any(only in s.name for only in args.only.split(','))
                     and (s.win32 or args.only or not args.win32)]
        return run_scenarios(runner, scenarios, args)


def run_scenarios(runner, scenarios, args):
    began = time.time()
    runner.make_template()
    free_mb = shutil.disk_usage(runner.out).free // 2**20
    print(f'{runner.name}: template Wine machine made in {time.time() - began:.0f} s; '
          f'{free_mb} MB free on its disk', flush=True)
    displays = [start_display() for _ in range(max(1, args.jobs))]
    free = list(d for _, d in displays)
    free_lock = threading.Lock()
    failed = []

    def work(scenario):
        with free_lock:
            display = free.pop()
        try:
            problems, seconds, lines = runner.run(scenario, display, runner.timeout)
        except Exception as error:  # a broken row must not stop the others
            problems, seconds, lines = [f'runner error: {error!r}'], 0, []
        finally:
            with free_lock:
                free.append(display)
        with runner.print_lock:
            if problems:
                failed.append(scenario.name)
                print(f'FAIL {scenario.name} ({seconds:.0f} s, scenarios.txt:{scenario.line})')
                for p in problems:
                    print(f'     {p}')
                print('     driver report:\n       ' + '\n       '.join(lines))
            else:
                print(f'ok   {scenario.name} ({seconds:.0f} s)')
            sys.stdout.flush()

    try:
        with concurrent.futures.ThreadPoolExecutor(max_workers=len(displays)) as pool:
            list(pool.map(work, scenarios))
    finally:
        for server, _ in displays:
            server.terminate()
    if runner.shared_files() != runner.shared_state:
        failed.append('template')
        print('FAIL a scenario wrote into a file its machine shares with the template; '
              'the runs after it are not to be trusted')
    differing = check_docs(runner, args.docs)
    if runner.win32 and not args.docs:
        # The docs show the win64 build; the shipping build must draw the same, pixel for pixel.
        for name in sorted(differing & {s.name for s in scenarios}):
            failed.append(name)
            print(f'FAIL {name}: its pictures differ from the README\'s (docs/)')
    passed = sum(s.name not in failed for s in scenarios)
    print(f'{runner.name}: {len(scenarios)} scenarios in {time.time() - began:.0f} s; '
          f'screenshots in {os.path.join(runner.out, "screens")}')
    print(f'{passed} passed, {len(set(failed))} failed')
    return 1 if failed or not scenarios else 0


if __name__ == '__main__':
    sys.exit(main())
