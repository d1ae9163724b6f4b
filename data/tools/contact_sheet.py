#!/usr/bin/python3
"""Renders every picture of a staged data folder (or one file) onto one PNG,
with each sub-image outlined and numbered, for reviewing the art."""
import configparser
import os
import struct
import sys

from PIL import Image, ImageDraw

CHECK = 8


def read_tga(path):
    with open(path, 'rb') as f:
        data = f.read()
    idlen, _, kind = data[0], data[1], data[2]
    w, h = struct.unpack_from('<HH', data, 12)
    bpp, desc = data[16], data[17]
    if kind != 2 or bpp != 32 or desc & 0x20:
        raise ValueError('%s: not an uncompressed bottom-up 32-bit TGA' % path)
    px = data[18 + idlen:18 + idlen + w * h * 4]
    img = Image.frombytes('RGBA', (w, h), px, 'raw', 'BGRA', 0, -1)
    return img


def read_skins(path):
    if not os.path.exists(path):
        return None
    cp = configparser.ConfigParser()
    cp.read(path)
    skins = []
    i = 0
    while cp.has_section('Skin %d' % i):
        s = cp['Skin %d' % i]
        skins.append(tuple(int(s[k]) for k in ('left', 'top', 'width', 'height')))
        i += 1
    return skins


def checker(w, h):
    bg = Image.new('RGBA', (w, h), (150, 150, 150, 255))
    d = ImageDraw.Draw(bg)
    for y in range(0, h, CHECK):
        for x in range((y // CHECK) % 2 * CHECK, w, 2 * CHECK):
            d.rectangle([x, y, x + CHECK - 1, y + CHECK - 1], fill=(110, 110, 110, 255))
    return bg


def tile(path, rel, scale):
    img = read_tga(path)
    skins = read_skins(path + '.ini')
    w, h = img.size
    bg = checker(w, h)
    bg.alpha_composite(img)
    bg = bg.resize((w * scale, h * scale), Image.NEAREST)
    d = ImageDraw.Draw(bg)
    for i, (l, t, sw, sh) in enumerate(skins or []):
        d.rectangle([l * scale, t * scale, (l + sw) * scale - 1, (t + sh) * scale - 1], outline=(255, 0, 255, 255))
        if len(skins) <= 64:
            d.text((l * scale + 2, t * scale + 1), str(i), fill=(255, 255, 0, 255))
    cap = Image.new('RGBA', (max(bg.size[0], 200), bg.size[1] + 14), (40, 40, 40, 255))
    cap.paste(bg, (0, 14))
    ImageDraw.Draw(cap).text((2, 1), '%s %dx%d %s' % (rel, w, h, '%d skins' % len(skins) if skins else 'no ini'),
                             fill=(255, 255, 255, 255))
    return cap


def main():
    src, out = sys.argv[1], sys.argv[2]
    scale = int(sys.argv[3]) if len(sys.argv) > 3 else 1
    files = []
    if os.path.isdir(src):
        for root, _, names in os.walk(src):
            for n in sorted(names):
                if n.endswith('.tga'):
                    files.append(os.path.join(root, n))
        files.sort()
    else:
        files = [src]
    tiles = [tile(f, os.path.relpath(f, src) if os.path.isdir(src) else os.path.basename(f), scale) for f in files]
    width = max(1200, max(t.size[0] for t in tiles))
    rows, row, x, rh = [], [], 0, 0
    for t in tiles:
        if x + t.size[0] > width and row:
            rows.append((row, rh))
            row, x, rh = [], 0, 0
        row.append((x, t))
        x += t.size[0] + 6
        rh = max(rh, t.size[1])
    if row:
        rows.append((row, rh))
    total_h = sum(rh + 6 for _, rh in rows)
    sheet = Image.new('RGBA', (width, total_h), (20, 20, 20, 255))
    y = 0
    for row, rh in rows:
        for x, t in row:
            sheet.paste(t, (x, y))
        y += rh + 6
    sheet.convert('RGB').save(out)


if __name__ == '__main__':
    main()
