#!/usr/bin/env python3
"""Release files that anyone can rebuild byte for byte, and check.

  finish FILE... [--time EPOCH] [--sign-pkcs12 P12 --sign-password-env NAME [--sign-timestamp URL]]
      Sets the PE time stamp (when --time is given) and the PE checksum of each program, then signs
      it with Authenticode (SHA-256) through osslsigncode when a PKCS#12 file is given. The password
      is read from the named environment variable and handed to osslsigncode on a pipe: it never
      appears on a command line or in the output.
  touch DIR EPOCH
      Sets the modification time of DIR and everything below it to EPOCH.
  dist --stage DIR --out DIR --zip NAME --epoch EPOCH --version V [--setup FILE]
       [--winget-url URL]
      Writes the zip of the staged program (entries sorted, times from EPOCH, fixed permissions),
      SHA256SUMS beside it (the zip, the setup, every shipped program) and, with --winget-url, the
      winget manifests of the setup in OUT/winget.
  check-winget DIR SETUP PROGRAM
      Parses the manifests in DIR as YAML and checks the setup's SHA-256 and the program's version.
  compare DIR_A DIR_B NAME...
      Compares each NAME in both folders byte for byte; names the first difference.
"""
import argparse
import array
import datetime
import hashlib
import os
import struct
import subprocess
import sys
import zipfile

SHIPPED_SUFFIXES = ('.exe', '.com')
# Besides the programs: what the staged layout holds, as it ships.
LAYOUT_FILES = ('README.txt', 'TASK.xml')
LAYOUT_FOLDERS = ('skins', 'Flags', 'translation', 'policies')
ZIP_EPOCH_MIN = 315532800  # 1980-01-01 00:00:00 UTC, the earliest time a zip entry can hold

PACKAGE_ID = 'Vostrel.Veilcap'
PUBLISHER = 'Vostrel Software'
PRODUCT_NAME = 'Vostrel Veilcap'
# The key under ...\CurrentVersion\Uninstall the setup writes: what "Apps & features" knows it by.
PRODUCT_CODE = 'Vostrel Veilcap'
MANIFEST_VERSION = '1.6.0'


class Failure(Exception):
    pass


# ---- PE header -------------------------------------------------------------------------------

def pe_offsets(data):
    """Offsets of the COFF time stamp and the optional header's checksum field."""
    if len(data) < 0x40 or data[:2] != b'MZ':
        raise Failure('not a Windows program (no MZ header)')
    pe = struct.unpack_from('<I', data, 0x3C)[0]
    if pe + 24 + 68 > len(data) or data[pe:pe + 4] != b'PE\0\0':
        raise Failure('not a Windows program (no PE header)')
    return pe + 8, pe + 24 + 64


def pe_checksum(data, checksum_offset):
    """The checksum Windows' CheckSumMappedFile computes: 16-bit one's-complement sum plus length."""
    padded = data + (b'\0' if len(data) % 2 else b'')
    words = array.array('H', padded)
    if sys.byteorder != 'little':
        words.byteswap()
    skip = checksum_offset // 2
    total = sum(words) - words[skip] - words[skip + 1]
    while total >> 16:
        total = (total & 0xFFFF) + (total >> 16)
    return (total + len(data)) & 0xFFFFFFFF


def stamp_pe(path, epoch):
    with open(path, 'rb') as f:
        data = bytearray(f.read())
    time_offset, checksum_offset = pe_offsets(data)
    if epoch is not None:
        struct.pack_into('<I', data, time_offset, epoch & 0xFFFFFFFF)
    struct.pack_into('<I', data, checksum_offset, pe_checksum(bytes(data), checksum_offset))
    with open(path, 'wb') as f:
        f.write(data)


def pe_time_stamp(path):
    with open(path, 'rb') as f:
        data = f.read()
    return struct.unpack_from('<I', data, pe_offsets(data)[0])[0]


def sign(path, pkcs12, password_env, timestamp_url):
    password = os.environ.get(password_env)
    if password is None:
        raise Failure('signing: the environment variable %s (the certificate\'s password) is not set'
                      % password_env)
    signed = path + '.signing'
    cmd = ['osslsigncode', 'sign', '-pkcs12', pkcs12, '-readpass', '/dev/stdin', '-h', 'sha256',
           '-n', PRODUCT_NAME]
    if timestamp_url:
        cmd += ['-ts', timestamp_url]
    cmd += ['-in', path, '-out', signed]
    if os.path.exists(signed):
        os.remove(signed)
    result = subprocess.run(cmd, input=password.encode(), stdout=subprocess.PIPE,
                            stderr=subprocess.STDOUT)
    if result.returncode != 0:
        # osslsigncode never echoes the password; its own words say what went wrong.
        sys.stderr.write(result.stdout.decode(errors='replace'))
        if os.path.exists(signed):
            os.remove(signed)
        raise Failure('signing %s failed' % path)
    os.replace(signed, path)


def cmd_finish(args):
    epoch = None if args.time is None else int(args.time)
    for path in args.files:
        stamp_pe(path, epoch)
        if args.sign_pkcs12:
            sign(path, args.sign_pkcs12, args.sign_password_env, args.sign_timestamp)


# ---- Files and folders -----------------------------------------------------------------------

def cmd_touch(args):
    epoch = int(args.epoch)
    for root, dirs, files in os.walk(args.dir):
        for name in files + dirs:
            os.utime(os.path.join(root, name), (epoch, epoch), follow_symlinks=False)
    os.utime(args.dir, (epoch, epoch))


def shipped_programs(stage):
    return sorted(n for n in os.listdir(stage)
                  if n.lower().endswith(SHIPPED_SUFFIXES) and os.path.isfile(os.path.join(stage, n)))


def staged_entries(stage):
    """Every path of the zip, relative to the stage, with '/' separators, in a fixed order."""
    entries = shipped_programs(stage)
    for name in LAYOUT_FILES:
        if os.path.isfile(os.path.join(stage, name)):
            entries.append(name)
    for folder in LAYOUT_FOLDERS:
        top = os.path.join(stage, folder)
        if not os.path.isdir(top):
            continue
        for root, dirs, files in os.walk(top):
            dirs.sort()
            rel = os.path.relpath(root, stage).replace(os.sep, '/')
            entries.append(rel + '/')
            entries.extend(rel + '/' + f for f in sorted(files))
    return entries


def write_zip(stage, zip_path, epoch):
    when = datetime.datetime.fromtimestamp(max(epoch, ZIP_EPOCH_MIN), datetime.timezone.utc)
    date_time = (when.year, when.month, when.day, when.hour, when.minute, when.second)
    tmp = zip_path + '.tmp'
    with zipfile.ZipFile(tmp, 'w') as z:
        for entry in staged_entries(stage):
            info = zipfile.ZipInfo(entry, date_time)
            info.create_system = 3  # permissions below are Unix ones; Windows ignores them
            if entry.endswith('/'):
                info.external_attr = (0o40755 << 16) | 0x10
                z.writestr(info, b'')
            else:
                info.external_attr = 0o100644 << 16
                info.compress_type = zipfile.ZIP_DEFLATED
                with open(os.path.join(stage, entry), 'rb') as f:
                    z.writestr(info, f.read(), compresslevel=9)
    os.replace(tmp, zip_path)


def sha256(path):
    h = hashlib.sha256()
    with open(path, 'rb') as f:
        for block in iter(lambda: f.read(1 << 20), b''):
            h.update(block)
    return h.hexdigest()


def write_sums(out, names):
    lines = ''.join('%s  %s\n' % (sha256(os.path.join(out, n)), n) for n in sorted(names))
    with open(os.path.join(out, 'SHA256SUMS'), 'w', newline='\n') as f:
        f.write(lines)


def winget_manifests(version, setup_name, setup_sha, url):
    """The three files of a winget manifest set (version, installer, default locale)."""
    head = 'PackageIdentifier: %s\nPackageVersion: %s\n' % (PACKAGE_ID, version)
    tail = 'ManifestVersion: %s\n' % MANIFEST_VERSION
    version_file = head + 'DefaultLocale: en-US\nManifestType: version\n' + tail
    installer_file = head + (
        'InstallerType: nullsoft\n'
        'Scope: machine\n'
        'InstallModes:\n  - interactive\n  - silent\n  - silentWithProgress\n'
        'InstallerSwitches:\n  Silent: /S\n  SilentWithProgress: /S\n'
        'ElevationRequirement: elevatesSelf\n'
        'UpgradeBehavior: install\n'
        "ProductCode: '%s'\n"
        'AppsAndFeaturesEntries:\n'
        "  - DisplayName: '%s'\n    Publisher: '%s'\n    DisplayVersion: '%s'\n    ProductCode: '%s'\n"
        'Installers:\n'
        '  - Architecture: x64\n'
        "    InstallerUrl: '%s/%s'\n"
        '    InstallerSha256: %s\n'
        'ManifestType: installer\n') % (PRODUCT_CODE, PRODUCT_NAME, PUBLISHER, version, PRODUCT_CODE,
                                        url.rstrip('/'), setup_name, setup_sha.upper()) + tail
    locale_file = head + (
        'PackageLocale: en-US\n'
        "Publisher: '%s'\n"
        "PackageName: '%s'\n"
        'License: Proprietary\n'
        "Copyright: '%s'\n"
        'ShortDescription: Switches every webcam and every microphone off and on with one click.\n'
        'Tags:\n  - privacy\n  - webcam\n  - microphone\n'
        'ManifestType: defaultLocale\n') % (PUBLISHER, PRODUCT_NAME, PUBLISHER) + tail
    return {
        PACKAGE_ID + '.yaml': version_file,
        PACKAGE_ID + '.installer.yaml': installer_file,
        PACKAGE_ID + '.locale.en-US.yaml': locale_file,
    }


def cmd_dist(args):
    epoch = int(args.epoch)
    stage, out = args.stage, args.out
    programs = shipped_programs(stage)
    if not programs:
        raise Failure('%s holds no program' % stage)
    # Every shipped program must have been finished by its link step (time stamp from the commit):
    # a new program whose target does not finish it would make the release differ build to build.
    for p in programs:
        if pe_time_stamp(os.path.join(stage, p)) != epoch & 0xFFFFFFFF:
            raise Failure('%s/%s does not carry the source time stamp: its target is missing from '
                          'the shipped executables of the build' % (stage, p))
        if not os.path.isfile(os.path.join(out, p)):
            raise Failure('%s is not beside the release files in %s' % (p, out))
    write_zip(stage, os.path.join(out, args.zip), epoch)
    names = [args.zip] + programs
    if args.setup:
        names.append(os.path.basename(args.setup))
    write_sums(out, names)
    if args.winget_url:
        if not args.setup:
            raise Failure('the winget manifests need the setup program')
        folder = os.path.join(out, 'winget')
        os.makedirs(folder, exist_ok=True)
        setup_name = os.path.basename(args.setup)
        for name, text in winget_manifests(args.version, setup_name, sha256(args.setup),
                                           args.winget_url).items():
            with open(os.path.join(folder, name), 'w', newline='\n') as f:
                f.write(text)


# ---- Checks ----------------------------------------------------------------------------------

def program_version(path):
    """FILEVERSION of the program's version resource, as a.b.c (a fourth part only when not 0)."""
    with open(path, 'rb') as f:
        data = f.read()
    at = data.find(struct.pack('<I', 0xFEEF04BD))
    if at < 0:
        raise Failure('%s has no version resource' % path)
    ms, ls = struct.unpack_from('<II', data, at + 8)
    parts = [ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF]
    if parts[3] == 0:
        parts.pop()
    return '.'.join(str(p) for p in parts)


def cmd_check_winget(args):
    import yaml  # Debian's python3-yaml
    docs = {}
    for name in sorted(os.listdir(args.dir)):
        with open(os.path.join(args.dir, name), encoding='utf-8') as f:
            docs[name] = yaml.safe_load(f)
    problems = []
    kinds = {d.get('ManifestType'): d for d in docs.values()}
    for kind in ('version', 'installer', 'defaultLocale'):
        if kind not in kinds:
            problems.append('no %s manifest' % kind)
    version = program_version(args.program)
    for name, d in docs.items():
        if d.get('PackageIdentifier') != PACKAGE_ID:
            problems.append('%s: PackageIdentifier %r' % (name, d.get('PackageIdentifier')))
        if str(d.get('PackageVersion')) != version:
            problems.append('%s: PackageVersion %r, the program is %s' % (name, d.get('PackageVersion'), version))
    inst = kinds.get('installer', {})
    expected = {'InstallerType': 'nullsoft', 'Scope': 'machine', 'ElevationRequirement': 'elevatesSelf',
                'ProductCode': PRODUCT_CODE}
    for key, value in expected.items():
        if inst.get(key) != value:
            problems.append('installer: %s is %r, not %r' % (key, inst.get(key), value))
    if (inst.get('InstallerSwitches') or {}).get('Silent') != '/S':
        problems.append('installer: the silent switch is not /S')
    installers = inst.get('Installers') or [{}]
    digest = sha256(args.setup).upper()
    if str(installers[0].get('InstallerSha256', '')).upper() != digest:
        problems.append('installer: InstallerSha256 %r, the setup is %s' % (installers[0].get('InstallerSha256'), digest))
    if not str(installers[0].get('InstallerUrl', '')).endswith('/' + os.path.basename(args.setup)):
        problems.append('installer: InstallerUrl does not name the setup')
    if problems:
        raise Failure('winget manifests in %s:\n  ' % args.dir + '\n  '.join(problems))
    print('winget manifests: parse, version %s, setup SHA-256 %s' % (version, digest))


def first_difference(a, b):
    """Offset of the first differing byte of two files, or None when they are the same."""
    with open(a, 'rb') as fa, open(b, 'rb') as fb:
        offset = 0
        while True:
            ba, bb = fa.read(1 << 16), fb.read(1 << 16)
            if ba != bb:
                n = min(len(ba), len(bb))
                i = next((k for k in range(n) if ba[k] != bb[k]), n)
                return offset + i
            if not ba:
                return None
            offset += len(ba)


def cmd_compare(args):
    differing = 0
    for name in args.names:
        a, b = os.path.join(args.dir_a, name), os.path.join(args.dir_b, name)
        for p in (a, b):
            if not os.path.isfile(p):
                raise Failure('%s is missing' % p)
        at = first_difference(a, b)
        if at is None:
            print('same  %s  %s' % (sha256(a), name))
            continue
        differing += 1
        print('DIFFERS  %s  first at byte offset %d (0x%x); sizes %d and %d'
              % (name, at, at, os.path.getsize(a), os.path.getsize(b)))
    if differing:
        raise Failure('%d of %d files differ between %s and %s' % (differing, len(args.names), args.dir_a, args.dir_b))


def main():
    p = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    sub = p.add_subparsers(dest='command', required=True)
    f = sub.add_parser('finish')
    f.add_argument('files', nargs='+')
    f.add_argument('--time')
    f.add_argument('--sign-pkcs12')
    f.add_argument('--sign-password-env')
    f.add_argument('--sign-timestamp')
    f.set_defaults(run=cmd_finish)
    t = sub.add_parser('touch')
    t.add_argument('dir')
    t.add_argument('epoch')
    t.set_defaults(run=cmd_touch)
    d = sub.add_parser('dist')
    for name in ('--stage', '--out', '--zip', '--epoch', '--version'):
        d.add_argument(name, required=True)
    d.add_argument('--setup')
    d.add_argument('--winget-url')
    d.set_defaults(run=cmd_dist)
    w = sub.add_parser('check-winget')
    w.add_argument('dir')
    w.add_argument('setup')
    w.add_argument('program')
    w.set_defaults(run=cmd_check_winget)
    c = sub.add_parser('compare')
    c.add_argument('dir_a')
    c.add_argument('dir_b')
    c.add_argument('names', nargs='+')
    c.set_defaults(run=cmd_compare)
    args = p.parse_args()
    if getattr(args, 'sign_pkcs12', None) and not args.sign_password_env:
        p.error('--sign-pkcs12 needs --sign-password-env')
    try:
        args.run(args)
    except (Failure, OSError) as e:
        sys.stderr.write('release.py %s: %s\n' % (args.command, e))
        return 1
    return 0


if __name__ == '__main__':
    sys.exit(main())
