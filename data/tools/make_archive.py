#!/usr/bin/python3
"""Builds the data archive: generates the files into a staging folder, packs
them with the archive tool, and reports the time taken and the size.

    make_archive.py WADTOOL STAGE_DIR ARCHIVE"""
import os
import subprocess
import sys
import time


def main():
    wadtool, stage, archive = sys.argv[1:4]
    t0 = time.time()
    here = os.path.dirname(os.path.abspath(__file__))
    subprocess.run([sys.executable, os.path.join(here, 'build_data.py'), stage], check=True)
    tmp = archive + '.tmp'
    if os.path.exists(tmp):
        os.remove(tmp)
    subprocess.run([wadtool, 'pack', tmp, stage, '--compress'], check=True, stdout=subprocess.DEVNULL)
    os.replace(tmp, archive)
    count = sum(len(files) for _, _, files in os.walk(stage))
    print('Data archive %s: %d files, %.1f MiB, built in %.1f s'
          % (os.path.basename(archive), count, os.path.getsize(archive) / 1048576.0, time.time() - t0))


if __name__ == '__main__':
    main()
