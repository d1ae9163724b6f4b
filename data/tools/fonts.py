"""Glyph atlases of the five quad fonts, rendered from DejaVu (fonts-dejavu).

Every glyph is one skin of its texture, in symbol order; a glyph's image
width is its advance less the font's spacing, and all glyphs of a font share
one height, their top being the top of the text line. Fonts that start at
symbol 0 carry the control symbols 1-10, a throw-away image where the space
would be (symbol 32 never gets one), the accents that composite letters are
built from (cropped to their ink, as the accent placement expects), and the
dotless i at 0x7F."""
import math
import os

import cairo
import numpy as np
from PIL import Image, ImageDraw, ImageFont

from common import Sheet, canvas, surface_rgba, poly

FONT_DIR = '/usr/share/fonts/truetype/dejavu'

ACCENTS = {0x60, 0x88, 0x98, 0xA8, 0xB0, 0xB4}
CEDILLA = 0xB8
COMPOSITES = {0x9F, 0xC0, 0xC1, 0xC2, 0xC3, 0xC4, 0xC5, 0xC7, 0xC8, 0xC9, 0xCA, 0xCB, 0xCC, 0xCD, 0xCE, 0xCF,
              0xD1, 0xD2, 0xD3, 0xD4, 0xD5, 0xD6, 0xD9, 0xDA, 0xDB, 0xDC, 0xDD,
              0xE0, 0xE1, 0xE2, 0xE3, 0xE4, 0xE5, 0xE7, 0xE8, 0xE9, 0xEA, 0xEB, 0xEC, 0xED, 0xEE, 0xEF,
              0xF1, 0xF2, 0xF3, 0xF4, 0xF5, 0xF6, 0xF9, 0xFA, 0xFB, 0xFC, 0xFD, 0xFF}


def char_of(code):
    if code == 0x7F:
        return '\u0131'       # dotless i: base of the accented small i letters
    if code < 0x20:
        return None
    try:
        ch = bytes([code]).decode('cp1252')
    except UnicodeDecodeError:
        return None
    return ch


class FontStyle:
    def __init__(self, name, files, ttf, size, spacing, first, last, stroke=0, composites=False,
                 sheet=256, bold_icons=True, top_pad=0, bar_width=0, core_gain=1.0):
        self.name, self.files, self.ttf, self.size = name, files, ttf, size
        self.spacing, self.first, self.last = spacing, first, last
        self.stroke, self.composites, self.sheet = stroke, composites, sheet
        # Empty rows above the ink: a text printed from the window's top edge
        # keeps clear of it.
        self.top_pad = top_pad
        # A '|' of this many pixels (0: the typeface's own): the volume
        # meters draw their bars with it, and a hairline blurs into the box.
        self.bar_width = bar_width
        # Coverage scaled by this (clipped to full): a stem's core, one or two
        # texels wide, stays solid when the window magnifies and filters it,
        # so a coloured caption shows its full colour on its strokes.
        self.core_gain = core_gain


def metrics(font, style, codes):
    """Baseline and height of the cell."""
    asc, desc = font.getmetrics()
    if style.composites:
        top = min(font.getbbox(c, anchor='ls', stroke_width=style.stroke)[1] for c in 'HEdlbk0')
    else:
        chars = [char_of(c) for c in codes if char_of(c)]
        top = min(font.getbbox(c, anchor='ls', stroke_width=style.stroke)[1] for c in chars)
        top = max(top, -asc - style.stroke)
    bottom = max(font.getbbox(c, anchor='ls', stroke_width=style.stroke)[3] for c in 'gjpqy,')
    baseline = -top + 1 + style.top_pad
    height = baseline + bottom + 1
    return baseline, height


def render_char(font, style, ch, baseline, height):
    adv = font.getlength(ch)
    if style.spacing < 0:
        left = -style.spacing / 2.0
        w = max(1, int(round(adv)) - style.spacing)
    else:
        left = style.stroke
        w = max(1, int(round(adv)) - style.spacing + style.stroke)
    img = Image.new('L', (w + 8, height), 0)
    d = ImageDraw.Draw(img)
    d.text((4 + left, baseline), ch, font=font, fill=255, anchor='ls', stroke_width=style.stroke, stroke_fill=255)
    a = np.asarray(img, dtype=np.float64)[:, 4:4 + w] / 255.0
    if style.stroke:
        # white glyph inside a dark outline: render the fill again
        fill = Image.new('L', (w + 8, height), 0)
        ImageDraw.Draw(fill).text((4 + left, baseline), ch, font=font, fill=255, anchor='ls')
        f = np.asarray(fill, dtype=np.float64)[:, 4:4 + w] / 255.0
        shade = np.clip(f * 1.0 + (1 - f) * .08, 0, 1)
        rgb = np.stack([shade] * 3, axis=2)
        return np.concatenate([rgb, a[..., None]], axis=2)
    rgb = np.ones(a.shape + (3,))
    return np.concatenate([rgb, a[..., None]], axis=2)


def bar(img, width):
    """The '|' glyph as a solid bar of the given width over the same rows,
    centred in the same advance."""
    a = img[..., 3]
    rows = np.nonzero(a.max(axis=1) > .5)[0]
    out = np.zeros(img.shape)
    width = min(width, img.shape[1])
    left = (img.shape[1] - width) // 2
    out[rows.min():rows.max() + 1, left:left + width] = 1.0
    return out


def crop_ink(img, vertical=True):
    a = img[..., 3]
    ys, xs = np.nonzero(a > 0.02)
    if len(xs) == 0:
        return img[:1, :1]
    x0, x1 = xs.min(), xs.max() + 1
    if vertical:
        y0, y1 = ys.min(), ys.max() + 1
        return img[y0:y1, x0:x1]
    return img[:, x0:x1]


def control_symbol(code, height, cap, baseline):
    """Check mark, cancel cross, arrows, back and next, drawn to fit a cap."""
    w = {1: cap + 2, 2: cap, 3: cap + 2, 4: cap + 2, 5: cap, 6: cap, 7: int(cap * .7) + 2, 8: int(cap * .7) + 2,
         9: cap + 2, 10: cap + 2}.get(code, 1)
    surf, ctx = canvas(max(1, w), height)
    if code in range(1, 11):
        top = baseline - cap
        s = cap
        ctx.set_source_rgba(1, 1, 1, 1)
        cx = w / 2.0
        cy = top + s / 2.0
        if code == 1:
            ctx.set_line_width(max(1.5, s * .22))
            ctx.set_line_cap(cairo.LINE_CAP_ROUND)
            ctx.set_line_join(cairo.LINE_JOIN_ROUND)
            ctx.move_to(cx - s * .42, cy + s * .02)
            ctx.line_to(cx - s * .12, cy + s * .36)
            ctx.line_to(cx + s * .45, cy - s * .4)
            ctx.stroke()
        elif code == 2:
            # as heavy as the letters beside it (the Quit and Cancel buttons)
            ctx.set_line_width(max(2.0, s * .26))
            ctx.set_line_cap(cairo.LINE_CAP_ROUND)
            r = s * .36
            ctx.move_to(cx - r, cy - r); ctx.line_to(cx + r, cy + r)
            ctx.move_to(cx + r, cy - r); ctx.line_to(cx - r, cy + r)
            ctx.stroke()
        elif code in (3, 4, 5, 6):
            ang = {3: math.pi, 4: 0, 5: -math.pi / 2, 6: math.pi / 2}[code]
            ctx.translate(cx, cy)
            ctx.rotate(ang)
            r = s * .48
            poly(ctx, [(r, 0), (0, -r * .85), (0, -r * .35), (-r, -r * .35), (-r, r * .35), (0, r * .35), (0, r * .85)])
            ctx.fill()
        elif code in (7, 8):
            ctx.translate(cx, cy)
            if code == 7:
                ctx.scale(-1, 1)
            r = s * .4
            poly(ctx, [(r * .8, 0), (-r * .6, -r), (-r * .6, r)])
            ctx.fill()
        elif code in (9, 10):
            ctx.translate(cx, cy)
            if code == 9:
                ctx.scale(-1, 1)
            r = s * .46
            ctx.arc(0, 0, r, 0, 2 * math.pi)
            ctx.fill()
            ctx.set_operator(cairo.OPERATOR_CLEAR)
            poly(ctx, [(r * .55, 0), (-r * .25, -r * .55), (-r * .25, r * .55)])
            ctx.fill()
    return surface_rgba(surf)


def glyphs(style):
    font = ImageFont.truetype(os.path.join(FONT_DIR, style.ttf), style.size)
    codes = list(range(style.first, style.last + 1))
    baseline, height = metrics(font, style, codes)
    cap = -font.getbbox('H', anchor='ls')[1]
    out = []
    for code in codes:
        ch = char_of(code)
        if code < 0x20:
            out.append(control_symbol(code, height, cap, baseline))
        elif code == 0x20:
            out.append(np.zeros((1, 1, 4)))          # never shown: symbol 32 gets no image
        elif style.composites and code in COMPOSITES:
            out.append(np.zeros((1, 1, 4)))          # replaced by the composite letters
        elif ch is None:
            out.append(np.zeros((height, max(1, style.size // 3), 4)))
        else:
            img = render_char(font, style, ch, baseline, height)
            if ch == '|' and style.bar_width:
                img = bar(img, style.bar_width)
            if style.composites and code in ACCENTS:
                img = crop_ink(img, True)
            elif style.composites and code == CEDILLA:
                img = crop_ink(img, False)
            out.append(img)
    if style.core_gain != 1.0:
        for img in out:
            img[..., 3] = np.clip(img[..., 3] * style.core_gain, 0.0, 1.0)
    return out, height


def build(style, out_dir):
    imgs, height = glyphs(style)
    sheets = [Sheet(style.sheet, style.sheet)]
    for img in imgs:
        try:
            sheets[-1].add(img)
        except ValueError:
            if len(sheets) == len(style.files):
                raise
            sheets.append(Sheet(style.sheet, style.sheet))
            sheets[-1].add(img)
    if len(sheets) != len(style.files):
        raise ValueError('%s: %d textures for %d files' % (style.name, len(sheets), len(style.files)))
    for sheet, f in zip(sheets, style.files):
        sheet.save(out_dir, f)
    return height


STYLES = [
    FontStyle('fontTiny', ['gfx/font/font-tiny.tga'], 'DejaVuSansCondensed-Bold.ttf', 9, 1, 33, 255),
    FontStyle('fontSmall', ['gfx/font/alphabet-myriad.tga'], 'DejaVuSansCondensed.ttf', 12, -1, 33, 255),
    FontStyle('fontMedium', ['gfx/font/font-medium.tga'], 'DejaVuSans-Bold.ttf', 14, 0, 0, 255, composites=True,
              bar_width=3, core_gain=1.35),
    FontStyle('fontLarge', ['gfx/font/font-large-1.tga', 'gfx/font/font-large-2.tga'], 'DejaVuSans-Bold.ttf', 26, 0,
             0, 255, stroke=1, composites=True),
    FontStyle('fontHUD', ['gfx/font/alphabet-hud.tga'], 'DejaVuSans-Bold.ttf', 17, -4, 44, 58, stroke=2, top_pad=2),
]


def generate(out):
    for style in STYLES:
        build(style, out)
