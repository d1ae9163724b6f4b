#!/usr/bin/python3
"""Builds the data a second time into a temporary folder and requires an
archive identical, byte for byte, to the one of the build."""
import argparse
import filecmp
import os
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
TOOLS = os.path.join(os.path.dirname(HERE), 'tools')


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument('--wadtool', required=True)
    ap.add_argument('--archive', required=True)
    args = ap.parse_args()
    with tempfile.TemporaryDirectory() as tmp:
        again = os.path.join(tmp, 'again.dat')
        subprocess.run([sys.executable, os.path.join(TOOLS, 'make_archive.py'), args.wadtool,
                        os.path.join(tmp, 'stage'), again], check=True)
        if not filecmp.cmp(args.archive, again, shallow=False):
            print('FAIL: a second build of the data gives a different archive')
            return 1
    print('data archive: a second build gives the same bytes')
    return 0


if __name__ == '__main__':
    sys.exit(main())
