#!/usr/bin/python3
"""The archive check must catch a sound with a DC offset: a copy of the
archive whose pop and menu music carry 0.01 of full scale is packed again and
the check has to fail on those two files and no other."""
import argparse
import os
import subprocess
import sys
import tempfile

import numpy as np

HERE = os.path.dirname(os.path.abspath(__file__))
SHIFTED = ['sfx/pop.ogg', 'sfx/music/menu.ogg']


def shift(path, oggdec, oggenc, channels):
    pcm = subprocess.run([oggdec, '--quiet', '--raw', '--output=-', path], capture_output=True, check=True).stdout
    x = np.frombuffer(pcm, dtype='<i2').astype(np.int32) + 328
    raw = path + '.raw'
    np.clip(x, -32768, 32767).astype('<i2').tofile(raw)
    subprocess.run([oggenc, '--quiet', '--raw', '--raw-bits=16', '--raw-chan=%d' % channels, '--raw-rate=22050',
                    '--raw-endianness=0', '-o', path, raw], check=True)
    os.remove(raw)


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument('--wadtool', required=True)
    ap.add_argument('--archive', required=True)
    ap.add_argument('--static', required=True)
    ap.add_argument('--readme', required=True)
    ap.add_argument('--oggdec', default='oggdec')
    ap.add_argument('--oggenc', default='oggenc')
    args = ap.parse_args()
    with tempfile.TemporaryDirectory() as tmp:
        files = os.path.join(tmp, 'files')
        subprocess.run([args.wadtool, 'extract', args.archive, files], check=True, stdout=subprocess.DEVNULL)
        for name in SHIFTED:
            shift(os.path.join(files, name), args.oggdec, args.oggenc, 2 if '/music/' in name else 1)
        shifted = os.path.join(tmp, 'shifted.dat')
        subprocess.run([args.wadtool, 'pack', shifted, files, '--compress'], check=True, stdout=subprocess.DEVNULL)
        r = subprocess.run([sys.executable, os.path.join(HERE, 'check_data.py'), '--archive', shifted, '--static',
                            args.static, '--readme', args.readme, '--oggdec', args.oggdec],
                           capture_output=True, text=True)
    failed = [line for line in r.stdout.splitlines() if line.startswith('FAIL')]
    print('\n'.join(failed))
    caught = sorted(name for name in SHIFTED if any(line.startswith('FAIL: %s: DC offset' % name) for line in failed))
    if r.returncode == 0 or caught != sorted(SHIFTED) or len(failed) != len(SHIFTED):
        print('FAIL: the archive check did not report exactly the two shifted sounds (exit %d)' % r.returncode)
        return 1
    print('data archive: the sounds given a DC offset are caught')
    return 0


if __name__ == '__main__':
    sys.exit(main())
