#!/usr/bin/python3
"""Generates every file of the data archive into a staging folder.

    build_data.py STAGE_DIR [-j N]

Pictures (TGA with ".ini" side files), fonts, sound effects and music (Ogg
Vorbis through oggenc) are made from the sources in this folder only; the
output is the same bytes on every run."""
import argparse
import os
import shutil
import subprocess
import sys
import tempfile
import time
import zlib
from multiprocessing import Pool

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import numpy as np  # noqa: E402

from synth import SR  # noqa: E402


def encode_ogg(samples, path, quality):
    """samples: (n,) mono or (n, 2) stereo floats in -1..1."""
    pcm = np.clip(np.rint(samples * 32767.0), -32768, 32767).astype('<i2')
    chans = 1 if pcm.ndim == 1 else pcm.shape[1]
    os.makedirs(os.path.dirname(path), exist_ok=True)
    serial = zlib.crc32(os.path.basename(path).encode()) & 0x7FFFFFFF
    with tempfile.TemporaryDirectory() as tmp:
        raw = os.path.join(tmp, 'in.raw')
        pcm.tofile(raw)
        subprocess.run(['oggenc', '--quiet', '--raw', '--raw-bits=16', '--raw-chan=%d' % chans,
                        '--raw-rate=%d' % SR, '--raw-endianness=0', '-q', str(quality),
                        '--serial', str(serial), '-o', path, raw], check=True)


def task(job):
    kind, name, out = job
    t0 = time.time()
    if kind == 'module':
        mod = __import__(name)
        mod.generate(out)
    elif kind == 'sfx':
        import sfx
        encode_ogg(sfx.render(name), os.path.join(out, name), 3)
    elif kind == 'music':
        import music
        encode_ogg(music.MUSIC[name](), os.path.join(out, name), 4)
    return name, time.time() - t0


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument('stage')
    ap.add_argument('-j', type=int, default=os.cpu_count() or 2)
    args = ap.parse_args()
    out = os.path.abspath(args.stage)
    if os.path.isdir(out):
        shutil.rmtree(out)
    os.makedirs(out)
    import sfx
    import music
    jobs = [('music', n, out) for n in music.MUSIC]
    jobs += [('module', m, out) for m in ('aircraft', 'world', 'screens', 'effects', 'fonts')]
    jobs += [('sfx', n, out) for n in sfx.EFFECTS]
    t0 = time.time()
    with Pool(max(1, args.j)) as pool:
        for name, dt in pool.imap_unordered(task, jobs):
            if dt > 2.0:
                print('  %-32s %.1f s' % (name, dt))
    print('Generated %d jobs in %.1f s' % (len(jobs), time.time() - t0))


if __name__ == '__main__':
    main()
