#!/usr/bin/python3
"""Checks the built data archive against what the resource loader and the game
look up: every name present (exact case), every picture a valid 32-bit TGA
with its sub-images inside it and the counts the game relies on, fonts that
hold the symbols their loader settings need, every Ogg decodable, loops that
do not click at their seam, sounds without DC offset, and the static settings
file and readme."""
import argparse
import configparser
import struct
import subprocess
import sys
import zlib

import numpy as np

# ---------------------------------------------------------------- expectations

# file -> (exact number of sub-images or None, minimum number, largest size or None)
# Textures loaded with the halving flag should fit 256 x 256 (the default
# texture limit), else they are halved and lose sharpness.
T256 = (256, 256)
TEXTURES = {
    'gfx/system/zemtrovia.tga': (None, 1, None),
    'gfx/system/languageflags.tga': (None, 1, None),
    'gfx/system/autoconfigure.tga': (None, 1, None),
    'gfx/gui/game/editbox.tga': (None, 2, T256),
    'gfx/gui/game/button.tga': (None, 2, T256),
    'gfx/gui/game/square.tga': (None, 1, T256),
    'gfx/gui/game/progressbar.tga': (None, 2, T256),
    'gfx/gui/game/mousepointer.tga': (None, 1, None),
    'gfx/logo_0_0.tga': (None, 1, T256),
    'gfx/logo_1_0.tga': (None, 1, T256),
    'gfx/logo_0_1.tga': (None, 1, T256),
    'gfx/logo_1_1.tga': (None, 1, T256),
    'gfx/sky-colormatched.tga': (None, 1, None),
    'gfx/sea_0_0.tga': (None, 2, None),
    'gfx/sea_1_0.tga': (None, 1, T256),
    'gfx/island.tga': (2, 2, T256),
    'gfx/ovalbuttons.tga': (None, 6, T256),
    'gfx/palm.tga': (None, 1, T256),
    'gfx/3ds_explosion.tga': (None, 1, T256),
    'gfx/3ds_smoke.tga': (None, 1, T256),
    'gfx/propeller.tga': (98, 98, T256),
    'gfx/biplane.tga': (49, 49, T256),
    'gfx/biplane-markings.tga': (49, 49, T256),
    'gfx/p35.tga': (49, 49, T256),
    'gfx/p35-markings.tga': (49, 49, T256),
    'gfx/cannon.tga': (None, 3, T256),
    'gfx/projectiles.tga': (None, 12, T256),
    'gfx/splash.tga': (None, 1, T256),
    'gfx/circularsplash.tga': (None, 1, T256),
    'gfx/propelledBomb.tga': (None, 24, T256),
    'gfx/hotairballoon.tga': (None, 19, T256),
    'gfx/torpedo.tga': (None, 2, T256),
    'gfx/atombomb.tga': (None, 1, T256),
    'gfx/hud-energybar.tga': (None, 2, T256),
    'gfx/hud-bonusicons.tga': (None, 6, T256),
    'gfx/balloons.tga': (None, 7, T256),
    'gfx/flare-small.tga': (None, 1, T256),
    'gfx/intellimouse.tga': (None, 4, T256),
    'gfx/arrow-mousecontrol.tga': (None, 1, T256),
    'gfx/laser.tga': (None, 1, T256),
    'gfx/lightning.tga': (None, 1, T256),
    'gfx/crate.tga': (None, 6, T256),
    'gfx/parachute.tga': (None, 1, T256),
    'gfx/zeppelin.tga': (3, 3, T256),
    'gfx/kamikaze.tga': (None, 3, T256),
    'gfx/bomber.tga': (None, 3, T256),
    'gfx/ballistic.tga': (None, 9, T256),
}

# font texture files -> (first symbol, symbols that must have a visible image, largest size)
ACCENTS = [0x60, 0x88, 0x98, 0xA8, 0xB0, 0xB4, 0xB8, 0x7F]
CONTROL = list(range(1, 11))
TEXT = [ord(c) for c in 'AZaz09!?.,:-()%']
FONTS = {
    'fontTiny': (['gfx/font/font-tiny.tga'], 33, TEXT, T256),
    'fontSmall': (['gfx/font/alphabet-myriad.tga'], 33, TEXT, T256),
    'fontMedium': (['gfx/font/font-medium.tga'], 0, TEXT + ACCENTS + CONTROL, T256),
    'fontLarge': (['gfx/font/font-large-1.tga', 'gfx/font/font-large-2.tga'], 0, TEXT + ACCENTS + CONTROL, T256),
    'fontHUD': (['gfx/font/alphabet-hud.tga'], 44, [ord(c) for c in ',0123456789'], T256),
}

SOUNDS = [
    'sfx/clickXP.ogg', 'sfx/pop.ogg', 'sfx/rot5loo1.ogg', 'sfx/ovrevlp1.ogg', 'sfx/arc2.ogg', 'sfx/bmbwstl2.ogg',
    'sfx/bmbwstl2short.ogg', 'sfx/cannonfire.ogg', 'sfx/laserFire.ogg', 'sfx/laserHit.ogg', 'sfx/lightninghit.ogg',
    'sfx/splash.ogg', 'sfx/planesplash.ogg', 'sfx/fireworklaunch.ogg', 'sfx/fireworkbang.ogg',
    'sfx/planehit(ricocnvs).ogg', 'sfx/spanloo.ogg', 'sfx/firetree.ogg', 'sfx/engnxploshort.ogg', 'sfx/fx113.ogg',
    'sfx/balloonPop.ogg', 'sfx/bubbles.ogg', 'sfx/bubbleburst.ogg', 'sfx/deflate.ogg', 'sfx/waterExit.ogg',
    'sfx/missilelaunch.ogg', 'sfx/missilehit.ogg', 'sfx/kamikazeentry.ogg', 'sfx/ballisticentry(gp32).ogg',
    'sfx/rot5loo1fade.ogg', 'sfx/propelledbombentry.ogg', 'sfx/bomberdropbomb.ogg', 'sfx/crateBreak.ogg',
    'sfx/nyuck.ogg', 'sfx/levelup.ogg', 'sfx/leveldown.ogg', 'sfx/drum_roll_1.ogg', 'sfx/cymbalcrash.ogg',
    'sfx/lackerol3.ogg', 'sfx/lackerol3lower.ogg', 'sfx/clocktick.ogg', 'sfx/clockchime.ogg',
]
MUSIC = ['sfx/music/menu.ogg', 'sfx/music/game.ogg']
# the end scene's drum roll plays under a rating bar that can run 5 s
MIN_SECONDS = {'sfx/drum_roll_1.ogg': 6.0}
# The mean of every sound, per channel, as a fraction of full scale.
MAX_DC = 0.001
LOOPS = ['sfx/rot5loo1.ogg', 'sfx/ovrevlp1.ogg', 'sfx/arc2.ogg'] + MUSIC

STATIC_KEYS = {
    'Language': ['bMultilanguage', 'singleLanguage'],
    'Edition': ['bHoliday'],
    'Graphics': ['ditherDepth'],
    'Input': ['hardwareMouseScaling'],
}

# ---------------------------------------------------------------- readers

failures = []


def fail(msg):
    failures.append(msg)
    print('FAIL: ' + msg)


def read_archive(path):
    """The archive directory: version 2, count, 92-byte records with the
    scrambled name field; entries stored or zlib-compressed."""
    with open(path, 'rb') as f:
        data = f.read()
    version, count = struct.unpack_from('<ii', data, 0)
    if version != 2:
        raise ValueError('archive version %d' % version)
    entries = {}
    for i in range(count):
        rec = data[8 + 92 * i:8 + 92 * (i + 1)]
        name_field = bytearray(rec[:80])
        if name_field[0] >= 0x80:
            name_field = bytearray(b ^ 0xB3 for b in name_field)
        name = bytes(name_field[:name_field.index(0)]).decode('latin-1')
        offset, size, stored = struct.unpack_from('<III', rec, 80)
        raw = data[offset:offset + stored]
        if len(raw) != stored:
            raise ValueError('%s runs past the archive' % name)
        if stored != size:
            raw = zlib.decompress(raw)
            if len(raw) != size:
                raise ValueError('%s inflates to %d bytes, not %d' % (name, len(raw), size))
        if name in entries:
            raise ValueError('%s is in the archive twice' % name)
        entries[name] = raw
    return entries


def read_tga(name, data):
    if len(data) < 18:
        fail('%s: too short for a TGA' % name)
        return None
    kind, bpp, desc = data[2], data[16], data[17]
    w, h = struct.unpack_from('<hh', data, 12)
    if kind != 2:
        fail('%s: TGA type %d (must be 2, uncompressed)' % (name, kind))
    if bpp != 32:
        fail('%s: %d bits per pixel (must be 32)' % (name, bpp))
    if desc & 0x20:
        fail('%s: stored top row first' % name)
    pix = data[18 + data[0]:]
    if w <= 0 or h <= 0 or len(pix) < w * h * 4:
        fail('%s: %dx%d but only %d pixel bytes' % (name, w, h, len(pix)))
        return None
    bgra = np.frombuffer(pix[:w * h * 4], dtype=np.uint8).reshape(h, w, 4)[::-1]
    return bgra


def read_ini(name, text):
    """Sections 'Skin 0' .. 'Skin n-1' with the four integer keys. Lines are
    'key=value' or '[section]' only: the engine's reader has no comments."""
    skins = {}
    section = None
    for line in text.splitlines():
        line = line.strip(' \t\r\n')
        if not line:
            continue
        if '=' not in line:
            if not (line.startswith('[') and line.endswith(']')):
                fail('%s: stray line %r' % (name, line))
            section = line[1:-1]
            continue
        key, value = line.split('=', 1)
        if section is None:
            fail('%s: key before any section' % name)
            continue
        skins.setdefault(section, {})[key] = int(value)
    out = []
    for i in range(len(skins)):
        s = skins.get('Skin %d' % i)
        if s is None:
            fail('%s: %d sections but no "Skin %d"' % (name, len(skins), i))
            return out
        for k in ('left', 'top', 'width', 'height'):
            if k not in s:
                fail('%s: Skin %d lacks %s' % (name, i, k))
                return out
        out.append(s)
    return out


def vorbis_info(data):
    """Channels and rate from the identification header on the first page."""
    if data[:4] != b'OggS':
        return None
    nseg = data[26]
    body = data[27 + nseg:]
    if body[:7] != b'\x01vorbis':
        return None
    channels = body[11]
    rate = struct.unpack_from('<I', body, 12)[0]
    return channels, rate


def decode_ogg(oggdec, data):
    r = subprocess.run([oggdec, '--quiet', '--raw', '--output=-', '-'], input=data, capture_output=True)
    if r.returncode != 0:
        return None
    return np.frombuffer(r.stdout, dtype='<i2').astype(np.float64) / 32768.0


# ---------------------------------------------------------------- checks

def check_texture(entries, name, exact, minimum, limit):
    if name not in entries:
        fail('missing picture %s' % name)
        return None, None
    img = read_tga(name, entries[name])
    if img is None:
        return None, None
    h, w = img.shape[:2]
    ini = name + '.ini'
    if ini not in entries:
        fail('missing side file %s' % ini)
        return img, []
    skins = read_ini(ini, entries[ini].decode('latin-1'))
    if exact is not None and len(skins) != exact:
        fail('%s: %d sub-images, the game needs exactly %d' % (name, len(skins), exact))
    if len(skins) < minimum:
        fail('%s: %d sub-images, the game needs at least %d' % (name, len(skins), minimum))
    for i, s in enumerate(skins):
        if s['width'] <= 0 or s['height'] <= 0 or s['left'] < 0 or s['top'] < 0 or \
                s['left'] + s['width'] > w or s['top'] + s['height'] > h:
            fail('%s: Skin %d (%d,%d %dx%d) lies outside the %dx%d image'
                 % (name, i, s['left'], s['top'], s['width'], s['height'], w, h))
    if limit and (w > limit[0] or h > limit[1]):
        fail('%s: %dx%d is larger than %dx%d' % (name, w, h, limit[0], limit[1]))
    return img, skins


def visible(img, s):
    part = img[s['top']:s['top'] + s['height'], s['left']:s['left'] + s['width'], 3]
    return part.size > 0 and part.max() > 32


def check_pictures(entries):
    shapes = {}
    for name, (exact, minimum, limit) in TEXTURES.items():
        img, skins = check_texture(entries, name, exact, minimum, limit)
        if img is None:
            continue
        shapes[name] = (img, skins)
        for i, s in enumerate(skins):
            if not visible(img, s):
                fail('%s: Skin %d is empty' % (name, i))
    # aircraft: one canvas size for body, markings; the composite halves match
    for plane in ('biplane', 'p35'):
        sizes = set()
        for f in ('gfx/%s.tga' % plane, 'gfx/%s-markings.tga' % plane):
            if f in shapes:
                sizes |= {(s['width'], s['height']) for s in shapes[f][1]}
        if len(sizes) > 1:
            fail('%s pictures differ in size: %s' % (plane, sorted(sizes)))
    for f in ('gfx/island.tga', 'gfx/zeppelin.tga'):
        if f in shapes and len(shapes[f][1]) >= 2:
            a, b = shapes[f][1][:2]
            if a['height'] != b['height']:
                fail('%s: the two halves differ in height' % f)
    if 'gfx/island.tga' in shapes:
        sk = shapes['gfx/island.tga'][1]
        if len(sk) >= 2 and sk[0]['width'] + sk[1]['width'] < 250:
            fail('island is narrower than 250 units')
    # the end scene and the time bar start the fill at x -96 on a centred frame
    if 'gfx/gui/game/progressbar.tga' in shapes:
        for i, sk in enumerate(shapes['gfx/gui/game/progressbar.tga'][1][:2]):
            if sk['width'] != 192:
                fail('progress bar: sub-image %d is %d wide, not 192' % (i, sk['width']))
    for f in ('gfx/laser.tga', 'gfx/lightning.tga'):
        if f in shapes:
            img, sk = shapes[f]
            if sk and (sk[0]['left'] != 0 or sk[0]['width'] != img.shape[1] or img.shape[1] not in (64, 128, 256)):
                fail('%s: the beam must fill the texture width (a power of two) to repeat' % f)
    if 'gfx/sky-colormatched.tga' in shapes:
        img = shapes['gfx/sky-colormatched.tga'][0]
        top = img[0, :, :3].astype(int)
        want = np.array([208, 128, 16])     # BGR of the backdrop's clear colour
        if np.abs(top - want).max() > 2:
            fail('sky: its top row does not match the clear colour 16,128,208')
    # the backdrop lays sky and sea tiles edge to edge
    for f, what in (('gfx/sky-colormatched.tga', 'sky'), ('gfx/sea_0_0.tga', 'sea')):
        if f in shapes:
            img = shapes[f][0]
            if np.abs(img[:, 0, :3].astype(int) - img[:, -1, :3].astype(int)).mean() > 6:
                fail('%s: the left and right edges do not join' % what)
    print('pictures: %d checked' % len(shapes))


# The menu widgets' caption colours, normal and hovered, and the white text of
# dialogs and names: each must read at 5:1 or more (WCAG's contrast ratio; a
# margin above the 4.5:1 every text needs, which the glyphs' soft edges eat)
# over every pixel of the body where a caption, value or text is drawn, in the
# picture of its state (sub-image 0 normal, 1 hovered). Disabled captions
# belong to inactive widgets, which need no contrast. Picture -> (left, top,
# right, bottom) margins of that area inside the sub-image: the button's
# stretched middle, the edit box inside its rim, the frame's inner panel.
CAPTION_NORMAL = (0, 160, 0)
CAPTION_HOVERED = (32, 240, 32)
TEXT_WHITE = (255, 255, 255)
CAPTION_MARGIN = 5.0
CAPTION_AREAS = {
    'gfx/gui/game/button.tga': lambda w, h: (16, h // 4, w - 16, h - h // 4),
    'gfx/gui/game/editbox.tga': lambda w, h: (8, h // 4, w - 8, h - h // 4),
    'gfx/gui/game/square.tga': lambda w, h: (12, 12, w - 12, h - 12),
}
# The plate under a text on the menus' sky (page titles, captions beside their
# boxes, the hint line, the logo's cream subtitle): every such text reads on its
# whole body, inside the rounded rim.
TEXT_PLATE = ('gfx/gui/game/square.tga', 2)
TEXT_PLATE_AREA = lambda w, h: (4, 4, w - 4, h - 4)
TEXT_PLATE_COLOURS = (CAPTION_NORMAL, CAPTION_HOVERED, TEXT_WHITE, (255, 242, 204))
# The plate under a group's title, black at half alpha: at best 3.98:1 (over white).
TITLE_PLATE = ('gfx/gui/game/square.tga', 1)
TITLE_ALPHA = 0.5


def luminance(rgb):
    """WCAG relative luminance of sRGB values 0..255 (any array shape ending in 3)."""
    c = np.asarray(rgb, dtype=float) / 255.0
    lin = np.where(c <= 0.03928, c / 12.92, ((c + 0.055) / 1.055) ** 2.4)
    return lin @ np.array([0.2126, 0.7152, 0.0722])


def contrast(l1, l2):
    return (np.maximum(l1, l2) + 0.05) / (np.minimum(l1, l2) + 0.05)


def body_area(img, skin, area):
    """The area's pixels of the sub-image laid over black (the worst backdrop)."""
    part = img[skin['top']:skin['top'] + skin['height'], skin['left']:skin['left'] + skin['width']]
    left, top, right, bottom = area(skin['width'], skin['height'])
    bgra = part[top:bottom, left:right].astype(float)
    return bgra[..., 2::-1] * (bgra[..., 3:4] / 255.0)


def check_caption_contrast(entries):
    for name, area in CAPTION_AREAS.items():
        if name not in entries or name + '.ini' not in entries:
            continue
        img = read_tga(name, entries[name])
        skins = read_ini(name + '.ini', entries[name + '.ini'].decode('latin-1'))
        if img is None or not skins:
            continue
        states = [(0, (CAPTION_NORMAL, TEXT_WHITE), area)]
        if len(skins) > 1 and (name, 1) != TITLE_PLATE:
            states.append((1, (CAPTION_HOVERED, CAPTION_NORMAL, TEXT_WHITE), area))
        if (name, 2) == TEXT_PLATE and len(skins) > 2:
            states.append((2, TEXT_PLATE_COLOURS, TEXT_PLATE_AREA))
        for k, colours, part in states:
            body_l = luminance(body_area(img, skins[k], part))
            low = min(contrast(luminance(c), body_l).min() for c in colours)
            print('%s:%d: text contrast %.2f:1' % (name, k, low))
            if low < CAPTION_MARGIN:
                fail('%s:%d: text reads at %.2f:1 over the body, below %.1f:1' % (name, k, low, CAPTION_MARGIN))
    name, k = TITLE_PLATE
    if name in entries and name + '.ini' in entries:
        img = read_tga(name, entries[name])
        skins = read_ini(name + '.ini', entries[name + '.ini'].decode('latin-1'))
        if img is not None and len(skins) > k:
            body = body_area(img, skins[k], CAPTION_AREAS[name])
            low = contrast(luminance(body * (1 - TITLE_ALPHA)), luminance(body)).min()
            print('%s:%d: title contrast %.2f:1' % (name, k, low))
            if low < 3.9:
                fail('%s:%d: the group title reads at %.2f:1, below its best of 3.98:1' % (name, k, low))


def check_fonts(entries):
    for font, (files, first, needed, limit) in FONTS.items():
        symbols = {}
        sym = first
        for f in files:
            img, skins = check_texture(entries, f, None, 1, limit)
            if img is None:
                continue
            for s in skins:
                if sym == 32:
                    sym = 33          # the loader passes over the space's position
                    continue
                symbols[sym] = (img, s)
                sym += 1
        if sym > 1024:
            fail('%s: %d symbols, more than the font holds' % (font, sym))
        heights = {s['height'] for _, s in symbols.values()}
        if len(heights) > 1 and font not in ('fontMedium', 'fontLarge'):
            fail('%s: glyphs of different heights %s' % (font, sorted(heights)))
        for c in needed:
            if c not in symbols:
                fail('%s: no image for symbol %d' % (font, c))
            elif not visible(*symbols[c]):
                fail('%s: the image of symbol %d is empty' % (font, c))
        if first == 0 and max(symbols) < 255:
            fail('%s: holds symbols up to %d only, the code page needs 255' % (font, max(symbols)))
        if first == 33 and max(symbols) < 126:
            fail('%s: holds symbols up to %d only' % (font, max(symbols)))
    print('fonts: %d checked' % len(FONTS))


def check_sounds(entries, oggdec):
    for name in SOUNDS + MUSIC:
        if name not in entries:
            fail('missing sound %s' % name)
            continue
        info = vorbis_info(entries[name])
        if info is None:
            fail('%s: not an Ogg Vorbis stream' % name)
            continue
        channels, rate = info
        if channels not in (1, 2) or rate != 22050:
            fail('%s: %d channels at %d Hz' % (name, channels, rate))
        pcm = decode_ogg(oggdec, entries[name])
        if pcm is None or len(pcm) == 0:
            fail('%s: does not decode' % name)
            continue
        x = pcm.reshape(-1, channels)
        if len(x) < 100 or np.abs(x).max() < 0.05:
            fail('%s: silent or empty' % name)
        if name in MIN_SECONDS and len(x) < MIN_SECONDS[name] * rate:
            fail('%s: %.2f s, shorter than %.1f s' % (name, len(x) / rate, MIN_SECONDS[name]))
        mean = x.mean(axis=0)
        if np.any(np.abs(mean) >= MAX_DC):
            fail('%s: DC offset %s of full scale, at most %g' % (name, np.round(mean, 5), MAX_DC))
        if name in LOOPS:
            steps = np.abs(np.diff(x, axis=0))
            typical = np.percentile(steps, 99, axis=0)
            seam = np.abs(x[0] - x[-1])
            if np.any(seam > np.maximum(typical * 1.5, 0.02)):
                fail('%s: clicks at the loop seam (jump %s, 99th percentile step %s)' % (name, seam, typical))
    print('sounds: %d checked' % len(SOUNDS + MUSIC))


def check_static(path, readme):
    cp = configparser.RawConfigParser()
    cp.optionxform = str
    text = open(path, encoding='latin-1').read()
    for line in text.splitlines():
        s = line.strip()
        if s and '=' not in s and not (s.startswith('[') and s.endswith(']')):
            fail('static settings: stray line %r' % s)
    cp.read_string(text)
    for section, keys in STATIC_KEYS.items():
        for k in keys:
            if not cp.has_option(section, k):
                fail('static settings: [%s] %s missing' % (section, k))
    html = open(readme, encoding='utf-8').read()
    if '<html' not in html or 'Corvana 2' not in html:
        fail('readme.htm is not the documentation page')


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument('--archive', required=True)
    ap.add_argument('--static', required=True)
    ap.add_argument('--readme', required=True)
    ap.add_argument('--oggdec', default='oggdec')
    args = ap.parse_args()
    entries = read_archive(args.archive)
    print('archive: %d entries' % len(entries))
    known = set(TEXTURES) | set(SOUNDS) | set(MUSIC)
    for files, _, _, _ in FONTS.values():
        known |= set(files)
    known |= {f + '.ini' for f in known if f.endswith('.tga')}
    for name in sorted(set(entries) - known):
        fail('unexpected file in the archive: %s' % name)
    check_pictures(entries)
    check_caption_contrast(entries)
    check_fonts(entries)
    check_sounds(entries, args.oggdec)
    check_static(args.static, args.readme)
    if failures:
        print('%d problems found' % len(failures))
        return 1
    print('data archive: every check passed')
    return 0


if __name__ == '__main__':
    sys.exit(main())
