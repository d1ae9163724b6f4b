"""Backdrop, logos, GUI frames, HUD pieces and the help pictures."""
import math

import cairo
import numpy as np

from common import (Sheet, canvas, surface_rgba, lin, rad, ellipse, poly, grey, rgb,
                    rounded_rect, TAU, save_single)
from effects import smoothstep
import aircraft

CLEAR_SKY = (16 / 255.0, 128 / 255.0, 208 / 255.0)   # the backdrop's clear colour


def periodic_noise(w, h, cells_x, cells_y, seed):
    """Smooth value noise that repeats every w pixels horizontally."""
    rng = np.random.RandomState(seed)
    g = rng.rand(cells_y + 2, cells_x)
    tx = np.arange(w) * cells_x / w
    ty = np.arange(h) * cells_y / h
    ix0 = np.floor(tx).astype(int)
    fx = tx - ix0
    ix1 = (ix0 + 1) % cells_x
    iy0 = np.floor(ty).astype(int)
    fy = ty - iy0
    iy1 = iy0 + 1
    fx = fx * fx * (3 - 2 * fx)
    fy = fy * fy * (3 - 2 * fy)
    top = g[iy0][:, ix0] * (1 - fx) + g[iy0][:, ix1] * fx
    bot = g[iy1][:, ix0] * (1 - fx) + g[iy1][:, ix1] * fx
    return top * (1 - fy)[:, None] + bot * fy[:, None]


def pfbm(w, h, cx, cy, seed, octaves=5):
    out = np.zeros((h, w))
    amp = tot = 0.0
    amp = 1.0
    for o in range(octaves):
        out += amp * periodic_noise(w, h, cx * 2 ** o, cy * 2 ** o, seed + 31 * o)
        tot += amp
        amp *= .5
    return out / tot


# ------------------------------------------------------------------ sky and sea

SKY_W, SKY_H = 762, 384


def sky():
    """Drawn at twice its size from the water line up; repeats every 762
    pixels; its top row is the backdrop's clear colour."""
    w, h = SKY_W, SKY_H
    yy = np.arange(h)[:, None] / (h - 1.0)          # 0 top .. 1 horizon
    top = np.array(CLEAR_SKY)
    mid = np.array([.36, .62, .88])
    hor = np.array([.78, .88, .96])
    t = np.clip(yy, 0, 1)
    col = np.where(t[..., None] < .6,
                   top + (mid - top) * (t[..., None] / .6) ** 1.2,
                   mid + (hor - mid) * np.clip((t[..., None] - .6) / .4, 0, 1) ** 1.5)
    col = np.broadcast_to(col, (h, w, 3)).copy()
    # clouds: two layers of periodic noise, flattened towards the horizon
    n1 = pfbm(w, h, 6, 5, 101, 6)
    n2 = pfbm(w, h, 3, 3, 202, 4)
    band = smoothstep(.18, .45, yy) * smoothstep(1.0, .8, yy)
    dens = np.clip((n1 * .75 + n2 * .5 - .62) * 3.2, 0, 1) * band
    light = np.clip(.85 + .5 * (n1 - np.roll(n1, 3, axis=0)) * 4, .55, 1.05)
    cloud = np.stack([light, light, light * 1.02], axis=2)
    col = col * (1 - dens[..., None] * .9) + np.clip(cloud, 0, 1) * dens[..., None] * .9
    # exact clear colour on the top rows
    fade = smoothstep(.06, 0, yy)[..., None]
    col = col * (1 - fade) + top * fade
    col[0:2] = top
    img = np.concatenate([np.clip(col, 0, 1), np.ones((h, w, 1))], axis=2)
    return img


SEA_W, SEA_H = 508, 256


def sea():
    """One sea tile: the backdrop lays them 508 apart with the top edge on
    the line y = 0; the game's water line (-25) lies inside it."""
    w, h = SEA_W, SEA_H
    y = np.arange(h)[:, None] / (h - 1.0)
    far = np.array([.3, .56, .74])
    midc = np.array([.13, .42, .6])
    deep = np.array([.03, .17, .33])
    t = y[..., None]
    col = np.where(t < .25, far + (midc - far) * (t / .25), midc + (deep - midc) * np.clip((t - .25) / .75, 0, 1) ** .8)
    col = np.broadcast_to(col, (h, w, 3)).copy()
    # waves: a periodic noise field squeezed towards the horizon; its crests
    # catch the light and its troughs darken
    field = pfbm(w, 384, 36, 40, 55, 5)
    rows = np.clip((y[:, 0] ** .75) * 383, 0, 383)
    r0 = np.floor(rows).astype(int)
    r1 = np.minimum(r0 + 1, 383)
    fr = (rows - r0)[:, None]
    n = field[r0] * (1 - fr) + field[r1] * fr
    fine = pfbm(w, 384, 90, 60, 77, 3)
    nf = fine[r0] * (1 - fr) + fine[r1] * fr
    crest = np.clip((n - .58) * 5, 0, 1) * (.55 + .45 * nf)
    sparkle = np.clip((nf - .72) * 6, 0, 1) * (1 - .6 * y)
    trough = np.clip((.42 - n) * 3, 0, 1)
    glint = np.clip(crest * .8 + sparkle * .6, 0, 1)
    col = col * (1 - trough[..., None] * .3)
    col = col * (1 - glint[..., None] * .5) + np.array([.8, .92, 1.0]) * glint[..., None] * .5
    # bright haze on the horizon edge
    haze = smoothstep(.03, 0, y)
    col = col * (1 - haze[..., None] * .3) + np.array([.8, .9, .96]) * haze[..., None] * .3
    img = np.concatenate([np.clip(col, 0, 1), np.ones((h, w, 1))], axis=2)
    return img


def sky_and_sea(out):
    save_single(out, 'gfx/sky-colormatched.tga', sky(),
                [dict(left=0, top=0, width=SKY_W, height=SKY_H)])
    s = sea()
    half = SEA_W // 2
    save_single(out, 'gfx/sea_0_0.tga', s, [
        dict(left=0, top=0, width=half, height=SEA_H),
        dict(left=0, top=0, width=SEA_W, height=SEA_H, ax=SEA_W // 2, ay=SEA_H // 2)])
    save_single(out, 'gfx/sea_1_0.tga', s[:, half:].copy(),
                [dict(left=0, top=0, width=half, height=SEA_H)])


# ------------------------------------------------------------------ title logo

LOGO_W, LOGO_H = 512, 256


def text_path(ctx, text, size, face='DejaVu Serif', bold=True, italic=False):
    ctx.select_font_face(face, cairo.FONT_SLANT_ITALIC if italic else cairo.FONT_SLANT_NORMAL,
                         cairo.FONT_WEIGHT_BOLD if bold else cairo.FONT_WEIGHT_NORMAL)
    ctx.set_font_size(size)
    return ctx.text_extents(text)


def logo():
    surf, ctx = canvas(LOGO_W, LOGO_H)
    # banner ribbon behind the words
    ctx.save()
    ctx.translate(LOGO_W / 2, 150)
    ctx.move_to(-240, -20)
    ctx.curve_to(-120, -45, 120, -45, 240, -20)
    ctx.line_to(250, 40)
    ctx.curve_to(120, 15, -120, 15, -250, 40)
    ctx.close_path()
    ctx.set_source(lin(0, -45, 0, 40, [(0, .78, .12, .08, 1), (.5, .58, .06, .04, 1), (1, .35, .02, .02, 1)]))
    ctx.fill_preserve()
    ctx.set_source_rgba(.98, .82, .3, 1)
    ctx.set_line_width(3)
    ctx.stroke()
    ctx.restore()
    # title: "CORVANA" and a big "2", centred together
    title = 'CORVANA'
    size = 80.0
    while True:
        e = text_path(ctx, title, size)
        e2 = text_path(ctx, '2', size * 1.7)
        total = e.x_advance + 8 + e2.width
        if total <= 480 or size < 40:
            break
        size -= 2
    x = LOGO_W / 2 - total / 2 - e.x_bearing
    y = 160
    text_path(ctx, title, size)
    ctx.move_to(x + 5, y + 6)
    ctx.text_path(title)
    ctx.set_source_rgba(0, 0, 0, .45)
    ctx.fill()
    ctx.move_to(x, y)
    ctx.text_path(title)
    ctx.set_source(lin(0, y - 62, 0, y + 5, [(0, 1, .97, .75, 1), (.45, .98, .78, .25, 1), (.55, .9, .55, .1, 1),
                                             (1, .7, .35, .05, 1)]))
    ctx.fill_preserve()
    ctx.set_source_rgba(.25, .08, .02, 1)
    ctx.set_line_width(3.5)
    ctx.stroke()
    # the big 2
    text_path(ctx, '2', size * 1.7)
    x2 = x + e.x_advance + 8 - e2.x_bearing
    y2 = 194
    ctx.move_to(x2 + 6, y2 + 7)
    ctx.text_path('2')
    ctx.set_source_rgba(0, 0, 0, .45)
    ctx.fill()
    ctx.move_to(x2, y2)
    ctx.text_path('2')
    ctx.set_source(lin(0, y2 - 100, 0, y2, [(0, .85, .95, 1, 1), (.5, .3, .6, .95, 1), (1, .1, .25, .6, 1)]))
    ctx.fill_preserve()
    ctx.set_source_rgba(1, 1, 1, 1)
    ctx.set_line_width(4)
    ctx.stroke()
    # biplane swooping over the title with a smoke trail
    ctx.set_source_rgba(1, 1, 1, .8)
    ctx.set_line_width(5)
    ctx.move_to(20, 70)
    ctx.curve_to(120, 10, 260, 10, 350, 42)
    ctx.stroke()
    ctx.save()
    ctx.translate(372, 50)
    ctx.rotate(math.radians(18))
    ctx.scale(-2.6, 2.6)            # face right
    ctx.push_group()
    aircraft.biplane_body(ctx)
    ctx.set_operator(cairo.OPERATOR_ATOP)
    ctx.set_source_rgba(.85, .12, .1, .55)
    ctx.rectangle(-20, -20, 40, 40)
    ctx.fill()
    ctx.set_operator(cairo.OPERATOR_OVER)
    ctx.pop_group_to_source()
    ctx.paint()
    aircraft.biplane_markings(ctx)
    ctx.save()
    ctx.translate(*aircraft.BIPLANE_HUB)
    aircraft.propeller(ctx, 0)
    ctx.restore()
    ctx.restore()
    # (the subtitle below the ribbon is a text of the game's, on a plate)
    return surface_rgba(surf)


def logo_tiles(out):
    img = logo()
    hw, hh = LOGO_W // 2, LOGO_H // 2
    for col in (0, 1):
        for row in (0, 1):
            part = img[row * hh:(row + 1) * hh, col * hw:(col + 1) * hw].copy()
            save_single(out, 'gfx/logo_%d_%d.tga' % (col, row), part,
                        [dict(left=0, top=0, width=hw, height=hh)])


# ------------------------------------------------------------------ maker's logo, flags, auto-configure

def zemtrovia(out):
    w, h = 512, 256
    surf, ctx = canvas(w, h)
    cx, cy = w / 2, 105
    # emblem: a ringed globe with a stylised Z and wings
    ctx.set_source(rad(cx - 15, cy - 20, 5, 70, [(0, .55, .85, 1, 1), (.6, .1, .35, .7, 1), (1, .02, .08, .2, 1)]))
    ctx.arc(cx, cy, 62, 0, TAU)
    ctx.fill()
    ctx.set_source_rgba(.95, .75, .25, 1)
    ctx.set_line_width(5)
    ctx.arc(cx, cy, 62, 0, TAU)
    ctx.stroke()
    for s in (-1, 1):
        for k in range(4):
            ctx.move_to(cx + s * 66, cy - 22 + k * 10)
            ctx.curve_to(cx + s * 110, cy - 40 + k * 12, cx + s * 150, cy - 30 + k * 10, cx + s * (175 - k * 18), cy - 14 + k * 9)
            ctx.curve_to(cx + s * 140, cy - 12 + k * 10, cx + s * 100, cy - 8 + k * 10, cx + s * 66, cy - 10 + k * 10)
            ctx.close_path()
            ctx.set_source(lin(cx, 0, cx + s * 170, 0, [(0, 1, .9, .55, 1), (1, .75, .5, .15, 1)]))
            ctx.fill()
    e = text_path(ctx, 'Z', 96, 'DejaVu Sans', True, True)
    ctx.move_to(cx - e.width / 2 - e.x_bearing, cy - e.height / 2 - e.y_bearing)
    ctx.text_path('Z')
    ctx.set_source_rgba(1, 1, 1, 1)
    ctx.fill_preserve()
    ctx.set_source_rgba(.05, .1, .25, 1)
    ctx.set_line_width(2)
    ctx.stroke()
    e = text_path(ctx, 'ZEMTROVIA', 44, 'DejaVu Sans', True)
    ctx.move_to(cx - e.width / 2 - e.x_bearing, 215)
    ctx.text_path('ZEMTROVIA')
    ctx.set_source(lin(0, 180, 0, 215, [(0, 1, .95, .75, 1), (1, .85, .6, .2, 1)]))
    ctx.fill()
    e = text_path(ctx, 'g a m e s', 16, 'DejaVu Sans', False)
    ctx.move_to(cx - e.width / 2 - e.x_bearing, 242)
    ctx.show_text('g a m e s')
    save_single(out, 'gfx/system/zemtrovia.tga', surface_rgba(surf), [dict(left=0, top=0, width=w, height=h)])


def language_flags(out):
    """One flag per language of the text table: English."""
    w, h = 64, 40
    surf, ctx = canvas(w, h)
    rounded_rect(ctx, 1, 1, w - 2, h - 2, 3)
    ctx.clip()
    rgb(ctx, .0, .14, .45)
    ctx.paint()
    # diagonals
    for a in (1, -1):
        ctx.set_line_width(8)
        rgb(ctx, 1, 1, 1)
        ctx.move_to(0, 0 if a == 1 else h)
        ctx.line_to(w, h if a == 1 else 0)
        ctx.stroke()
        ctx.set_line_width(2.6)
        rgb(ctx, .8, .08, .12)
        ctx.move_to(0, 0 if a == 1 else h)
        ctx.line_to(w, h if a == 1 else 0)
        ctx.stroke()
    rgb(ctx, 1, 1, 1)
    ctx.rectangle(w / 2 - 6, 0, 12, h)
    ctx.rectangle(0, h / 2 - 6, w, 12)
    ctx.fill()
    rgb(ctx, .8, .08, .12)
    ctx.rectangle(w / 2 - 3.5, 0, 7, h)
    ctx.rectangle(0, h / 2 - 3.5, w, 7)
    ctx.fill()
    ctx.reset_clip()
    # cloth shading
    ctx.set_source(lin(0, 0, w, 0, [(0, 1, 1, 1, .2), (.3, 0, 0, 0, .1), (.6, 1, 1, 1, .15), (1, 0, 0, 0, .2)]))
    rounded_rect(ctx, 1, 1, w - 2, h - 2, 3)
    ctx.fill()
    grey(ctx, .1, .8)
    ctx.set_line_width(1)
    rounded_rect(ctx, 1, 1, w - 2, h - 2, 3)
    ctx.stroke()
    sheet = Sheet(w + 2, h + 2)
    sheet.add(surf)
    sheet.save(out, 'gfx/system/languageflags.tga')


def autoconfigure(out):
    w, h = 256, 128
    surf, ctx = canvas(w, h)
    # monitor
    ctx.set_source(lin(0, 10, 0, 90, [(0, .5, .52, .56, 1), (1, .22, .24, .27, 1)]))
    rounded_rect(ctx, 60, 8, 136, 90, 8)
    ctx.fill()
    ctx.set_source(lin(0, 16, 0, 84, [(0, .25, .55, .9, 1), (1, .7, .88, 1, 1)]))
    rounded_rect(ctx, 70, 16, 116, 70, 3)
    ctx.fill()
    # a tiny scene on the screen
    rgb(ctx, .1, .35, .55)
    ctx.rectangle(70, 70, 116, 16)
    ctx.fill()
    ctx.save()
    ctx.translate(128, 48)
    ctx.scale(1.3, 1.3)
    aircraft.biplane_body(ctx)
    ctx.restore()
    grey(ctx, .3)
    poly(ctx, [(116, 98), (140, 98), (146, 112), (110, 112)])
    ctx.fill()
    rounded_rect(ctx, 96, 110, 64, 6, 3)
    ctx.fill()
    # gear
    ctx.save()
    ctx.translate(196, 88)
    rgb(ctx, .95, .75, .2)
    for k in range(10):
        a = k * TAU / 10
        ctx.save()
        ctx.rotate(a)
        ctx.rectangle(14, -3.5, 8, 7)
        ctx.restore()
    ctx.arc(0, 0, 17, 0, TAU)
    ctx.fill()
    rgb(ctx, .3, .2, .05)
    ctx.arc(0, 0, 6, 0, TAU)
    ctx.fill()
    ctx.restore()
    save_single(out, 'gfx/system/autoconfigure.tga', surface_rgba(surf), [dict(left=0, top=0, width=w, height=h)])


# ------------------------------------------------------------------ GUI frames

# Dark slate gel: the widget captions (green (0, 160, 0)) and the white texts
# of dialogs and names must read at 5:1 or better over the whole body, which
# takes a body no lighter than a relative luminance of about 0.01 (darker
# still, so that the anti-aliased glyphs of the small fonts read too)
# (data/tests/check_data.py). Disabled captions (inactive widgets) are exempt.
GEL_BODY = [(0, .075, .09, .14, 1), (.46, .06, .072, .115, 1), (.54, .05, .06, .095, 1), (1, .04, .05, .08, 1)]
# The button: its glass lit along the top edge, above the caption, and darker
# than the frames' gel from the caption's top down, so that the captions'
# green reads at 5:1 with room to spare.
BUTTON_BODY = [(0, .11, .13, .2, 1), (.24, .04, .048, .076, 1), (.46, .032, .038, .06, 1), (.54, .026, .031, .05, 1),
               (1, .022, .026, .042, 1)]
# Hovered: the same gel warmed to a dark bronze, with a golden rim.
GEL_HOVER = [(0, .11, .08, .03, 1), (.46, .095, .07, .028, 1), (.54, .08, .06, .024, 1), (1, .065, .05, .02, 1)]
GEL_RIM = (.62, .68, .78, 1)
GEL_HOVER_RIM = (.95, .72, .2, 1)
# The edit box: darker than the panels it sits on, so its light rim marks the field.
GEL_WELL = [(0, .02, .025, .04, 1), (1, .045, .055, .085, 1)]
# The plate under a group's title (black at half alpha): as light as it goes.
TITLE_PLATE = [(0, 1, 1, 1, 1), (1, 1, 1, 1, 1)]
# The plate under a text that stands on the backdrop (a page's title, a
# widget's caption beside its box, the hint line): the gel's dark body, opaque,
# so the captions' green reads over white clouds too, under a faint rim.
TEXT_PLATE_BODY = [(0, .05, .06, .095, 1), (1, .028, .034, .055, 1)]


def bar_frame(w, h, highlight, style):
    surf, ctx = canvas(w, h)
    if style == 'button':
        r = h / 2 - 1
        rounded_rect(ctx, 1, 1, w - 2, h - 2, r)
        ctx.set_source(lin(0, 0, 0, h, GEL_HOVER if highlight else BUTTON_BODY))
        ctx.fill_preserve()
        ctx.set_source_rgba(*(GEL_HOVER_RIM if highlight else GEL_RIM))
        ctx.set_line_width(1.5)
        ctx.stroke()
        # a faint gloss on the upper rim only, where no caption is drawn
        rounded_rect(ctx, 4, 3, w - 8, 4, 2)
        ctx.set_source_rgba(1, 1, 1, .12)
        ctx.fill()
    elif style == 'editbox':
        r = 6
        rounded_rect(ctx, 1, 1, w - 2, h - 2, r)
        ctx.set_source(lin(0, 0, 0, h, GEL_HOVER if highlight else GEL_WELL))
        ctx.fill_preserve()
        ctx.set_source_rgba(*(GEL_HOVER_RIM if highlight else GEL_RIM))
        ctx.set_line_width(1.5)
        ctx.stroke()
        # inset: a faint shade along the top edge
        rounded_rect(ctx, 2, 2, w - 4, 4, 3)
        ctx.set_source(lin(0, 2, 0, 6, [(0, 0, 0, 0, .35), (1, 0, 0, 0, 0)]))
        ctx.fill()
    return surf


def gel_panel(w, h, body=GEL_BODY):
    """The group and dialog frame: an opaque dark slate body under a light rim."""
    surf, ctx = canvas(w, h)
    rounded_rect(ctx, 2, 2, w - 4, h - 4, 12)
    ctx.set_source(lin(0, 0, 0, h, body))
    ctx.fill_preserve()
    ctx.set_source_rgba(*GEL_RIM)
    ctx.set_line_width(2.5)
    ctx.stroke()
    rounded_rect(ctx, 6, 6, w - 12, h - 12, 9)
    ctx.set_source_rgba(.62, .68, .78, .3)
    ctx.set_line_width(1)
    ctx.stroke()
    return surf


def text_plate(w, h):
    surf, ctx = canvas(w, h)
    rounded_rect(ctx, 1, 1, w - 2, h - 2, 8)
    ctx.set_source(lin(0, 0, 0, h, TEXT_PLATE_BODY))
    ctx.fill_preserve()
    ctx.set_source_rgba(GEL_RIM[0], GEL_RIM[1], GEL_RIM[2], .4)
    ctx.set_line_width(1.2)
    ctx.stroke()
    return surf


def gui_frames(out):
    for name, style, w, h in (('gfx/gui/game/button.tga', 'button', 64, 32),
                              ('gfx/gui/game/editbox.tga', 'editbox', 64, 28)):
        sheet = Sheet(128, 128)
        sheet.add(bar_frame(w, h, False, style))
        sheet.add(bar_frame(w, h, True, style))
        sheet.save(out, name)
    # group frame, the plate under a group's title, and the plate under a text
    # on the backdrop
    sheet = Sheet(140, 104)
    sheet.add(gel_panel(64, 64))
    sheet.add(gel_panel(64, 64, TITLE_PLATE))
    sheet.add(text_plate(32, 32))
    sheet.save(out, 'gfx/gui/game/square.tga')
    # progress bar: frame and the fill that starts at its left end; 192 wide,
    # as the end scene and the time bar start the fill at x -96
    w, h = 192, 24
    sheet = Sheet(256, 64)
    surf, ctx = canvas(w, h)
    rounded_rect(ctx, 1, 1, w - 2, h - 2, 10)
    ctx.set_source(lin(0, 0, 0, h, [(0, .08, .1, .16, .85), (1, .2, .24, .32, .85)]))
    ctx.fill_preserve()
    ctx.set_source(lin(0, 0, 0, h, [(0, .9, .92, .95, 1), (1, .45, .48, .55, 1)]))
    ctx.set_line_width(2)
    ctx.stroke()
    sheet.add(surf)
    surf, ctx = canvas(w, h)
    rounded_rect(ctx, 4, 4, w - 8, h - 8, 7)
    ctx.set_source(lin(0, 4, 0, h - 4, [(0, 1, .95, .6, 1), (.45, 1, .7, .15, 1), (.55, .95, .55, .05, 1), (1, 1, .75, .25, 1)]))
    ctx.fill()
    rounded_rect(ctx, 7, 5, w - 14, 5, 3)
    ctx.set_source_rgba(1, 1, 1, .45)
    ctx.fill()
    sheet.add(surf)
    sheet.save(out, 'gfx/gui/game/progressbar.tga')
    # mouse pointer, released to pressed; the tip is the pointer's position
    sheet = Sheet(128, 32)
    for k in range(4):
        p = k / 3.0
        surf, ctx = canvas(24, 24)
        ctx.translate(1, 1)
        s = 1 - .12 * p
        ctx.scale(s, s)
        pts = [(0, 0), (0, 17), (4.2, 13.2), (7.2, 20), (10.2, 18.7), (7.3, 12.2), (12.8, 12.2)]
        ctx.save()
        ctx.translate(1.5, 1.5)
        poly(ctx, pts)
        ctx.set_source_rgba(0, 0, 0, .35 * (1 - p))
        ctx.fill()
        ctx.restore()
        poly(ctx, pts)
        ctx.set_source(lin(0, 0, 10, 20, [(0, 1, 1, 1, 1), (1, .8 - .2 * p, .85 - .2 * p, .95, 1)]))
        ctx.fill_preserve()
        ctx.set_source_rgba(.05, .1, .2, 1)
        ctx.set_line_width(1.3)
        ctx.set_line_join(cairo.LINE_JOIN_ROUND)
        ctx.stroke()
        if p > 0:
            ctx.set_source_rgba(1, .8, .1, .8 * p)
            ctx.set_line_width(1.5)
            ctx.arc(0, 0, 3 + 3 * p, 0, TAU)
            ctx.stroke()
        sheet.add(surf, ax=12, ay=12)
    sheet.save(out, 'gfx/gui/game/mousepointer.tga')


# ------------------------------------------------------------------ HUD

# 254 wide: the tray shows its end 128 units (less the rim) from its centre,
# where the held bonuses' icons are placed from; the sheet's gutter takes the rest.
BADGE_W, BADGE_H = 254, 64


def heart(ctx, x, y, s):
    ctx.move_to(x, y + s * .9)
    ctx.curve_to(x - s * 1.4, y - s * .1, x - s * .8, y - s * 1.2, x, y - s * .35)
    ctx.curve_to(x + s * .8, y - s * 1.2, x + s * 1.4, y - s * .1, x, y + s * .9)
    ctx.close_path()


def bolt(ctx, x, y, s):
    poly(ctx, [(x + s * .25, y - s), (x - s * .55, y + s * .15), (x - s * .05, y + s * .15), (x - s * .3, y + s),
               (x + s * .55, y - s * .2), (x + s * .05, y - s * .2)])


def badge():
    """The player's display. Its centre lies on the screen's top edge, so the
    lower half shows: the score on the left, two bar slots from 30 units right
    of the centre with a heart and a lightning icon. The tray at the bottom
    shows the upper half, which is plain."""
    w, h = BADGE_W, BADGE_H
    surf, ctx = canvas(w, h)
    cx, cy = w / 2, h / 2
    rounded_rect(ctx, 2, 2, w - 4, h - 4, 28)
    ctx.set_source(lin(0, 0, 0, h, [(0, .05, .1, .22, .8), (.5, .08, .16, .3, .82), (1, .02, .05, .12, .88)]))
    ctx.fill_preserve()
    ctx.set_source(lin(0, 0, 0, h, [(0, .95, .8, .4, 1), (1, .65, .45, .15, 1)]))
    ctx.set_line_width(2.5)
    ctx.stroke()
    rounded_rect(ctx, 6, 6, w - 12, h - 12, 24)
    ctx.set_source_rgba(1, 1, 1, .12)
    ctx.set_line_width(1)
    ctx.stroke()
    # bar slots (bars are drawn from x = centre + 30 rightwards)
    for dy in (9, 22):
        rounded_rect(ctx, cx + 29, cy + dy - 4.5, 62, 9, 4)
        ctx.set_source_rgba(0, 0, 0, .6)
        ctx.fill_preserve()
        ctx.set_source_rgba(1, 1, 1, .25)
        ctx.set_line_width(.8)
        ctx.stroke()
    heart(ctx, cx + 20, cy + 9, 4.6)
    ctx.set_source(rad(cx + 18, cy + 7, .5, 6, [(0, 1, .6, .6, 1), (1, .8, .05, .08, 1)]))
    ctx.fill()
    bolt(ctx, cx + 20, cy + 22, 5.5)
    ctx.set_source(lin(0, cy + 16, 0, cy + 28, [(0, 1, 1, .6, 1), (1, 1, .7, .1, 1)]))
    ctx.fill()
    # thin divider under the score
    ctx.set_source_rgba(1, 1, 1, .2)
    ctx.rectangle(cx - 94, cy + 27, 108, 1)
    ctx.fill()
    return surf


def gold_edged_panel(w, h, radius):
    """A dark blue rounded panel with a thin gold edge; returns surface and context.
    Opaque and dark: the light grey popup captions read on it over any scene."""
    surf, ctx = canvas(w, h)
    rounded_rect(ctx, 1, 1, w - 2, h - 2, radius)
    ctx.set_source(lin(0, 0, 0, h, [(0, .06, .1, .2, 1), (1, .02, .04, .1, 1)]))
    ctx.fill_preserve()
    ctx.set_source_rgba(.95, .78, .35, 1)
    ctx.set_line_width(1.2)
    ctx.stroke()
    return surf, ctx


def popup_label():
    w, h = 128, 20
    surf, ctx = gold_edged_panel(w, h, 8)
    # a star at each end; the text starts 28 units in from the outer end
    for x in (12, w - 12):
        pts = []
        for k in range(10):
            a = -math.pi / 2 + k * math.pi / 5
            rr = 5.5 if k % 2 == 0 else 2.3
            pts.append((x + rr * math.cos(a), h / 2 + rr * math.sin(a)))
        poly(ctx, pts)
        ctx.set_source_rgba(1, .85, .25, 1)
        ctx.fill()
    return surf


def finder():
    """Marker at the screen edge: a ring round the small silhouette of the
    vehicle with an arrow pointing outward along +x."""
    w, h = 56, 48
    surf, ctx = canvas(w, h)
    cx, cy = 24, 24
    ctx.set_source_rgba(1, 1, 1, .25)
    ctx.arc(cx, cy, 18, 0, TAU)
    ctx.fill()
    ctx.set_source_rgba(1, .85, .2, .95)
    ctx.set_line_width(2.5)
    ctx.arc(cx, cy, 18, math.radians(30), math.radians(330))
    ctx.stroke()
    poly(ctx, [(cx + 31, cy), (cx + 15, cy - 11), (cx + 18, cy), (cx + 15, cy + 11)])
    ctx.fill_preserve()
    ctx.set_source_rgba(.3, .15, 0, .9)
    ctx.set_line_width(1)
    ctx.stroke()
    return surf, w // 2 - cx


def round_button(highlight):
    w = h = 32
    surf, ctx = canvas(w, h)
    ctx.arc(16, 16, 14, 0, TAU)
    ctx.set_source(rad(12, 11, 1, 16, [(0, 1, .95, .7, 1), (1, .85, .5, .05, 1)]) if highlight else
                   rad(12, 11, 1, 16, [(0, .7, .85, 1, 1), (1, .1, .3, .65, 1)]))
    ctx.fill_preserve()
    ctx.set_source_rgba(.05, .1, .25, 1)
    ctx.set_line_width(1.5)
    ctx.stroke()
    ellipse(ctx, 16, 10, 8, 4)
    ctx.set_source_rgba(1, 1, 1, .35)
    ctx.fill()
    return surf


def small_oval():
    return gold_edged_panel(48, 20, 9)[0]


def oval_buttons(out):
    sheet = Sheet(256, 256)
    sheet.add(round_button(False))
    sheet.add(round_button(True))
    sheet.add(badge())
    sheet.add(popup_label())
    sheet.add(small_oval())
    surf, ax = finder()
    sheet.add(surf, ax=ax)
    sheet.save(out, 'gfx/ovalbuttons.tga')


def energy_bars(out):
    """Health and blaster bars in white (the display tints them); drawn from
    their left end."""
    sheet = Sheet(64, 32)
    for k in range(2):
        w, h = 60, 7
        surf, ctx = canvas(w, h)
        rounded_rect(ctx, .5, .5, w - 1, h - 1, 3)
        ctx.set_source(lin(0, 0, 0, h, [(0, 1, 1, 1, 1), (.45, .85, .85, .85, 1), (1, .5, .5, .5, 1)]))
        ctx.fill()
        if k == 1:
            ctx.set_source_rgba(0, 0, 0, .18)
            for x in range(6, w, 6):
                ctx.rectangle(x, 1, 1, h - 2)
            ctx.fill()
        sheet.add(surf)
    sheet.save(out, 'gfx/hud-energybar.tga')


def mouse_arrow(out):
    w, h = 32, 16
    surf, ctx = canvas(w, h)
    poly(ctx, [(31, 8), (19, 1), (19, 5), (2, 5), (2, 11), (19, 11), (19, 15)])
    ctx.set_source(lin(0, 0, 0, h, [(0, 1, .95, .6, .95), (1, 1, .6, .1, .95)]))
    ctx.fill_preserve()
    ctx.set_source_rgba(.3, .12, 0, .9)
    ctx.set_line_width(1.2)
    ctx.set_line_join(cairo.LINE_JOIN_ROUND)
    ctx.stroke()
    sheet = Sheet(w + 2, h + 2)
    sheet.add(surf)
    sheet.save(out, 'gfx/arrow-mousecontrol.tga')


# ------------------------------------------------------------------ help mouse

def mouse_pictures(out):
    """Sub-image 0 the mouse body (top view), 1 the left button lit, 2 the
    motion arrows around it (drawn first), 3 the wheel lit."""
    W, H = 96, 96
    cx, cy = W / 2, H / 2

    def body_path(ctx):
        ctx.move_to(cx, cy - 30)
        ctx.curve_to(cx + 20, cy - 30, cx + 21, cy - 12, cx + 21, cy + 4)
        ctx.curve_to(cx + 21, cy + 24, cx + 12, cy + 32, cx, cy + 32)
        ctx.curve_to(cx - 12, cy + 32, cx - 21, cy + 24, cx - 21, cy + 4)
        ctx.curve_to(cx - 21, cy - 12, cx - 20, cy - 30, cx, cy - 30)
        ctx.close_path()

    def left_button(ctx):
        ctx.move_to(cx - 1, cy - 29.5)
        ctx.curve_to(cx - 18, cy - 29, cx - 20.5, cy - 14, cx - 20.7, cy - 4)
        ctx.line_to(cx - 1, cy - 4)
        ctx.close_path()

    sheet = Sheet(256, 256)
    surf, ctx = canvas(W, H)
    # cable
    ctx.set_source_rgba(.25, .25, .28, 1)
    ctx.set_line_width(2.5)
    ctx.move_to(cx, cy - 30)
    ctx.curve_to(cx, cy - 40, cx + 8, cy - 42, cx + 6, cy - 48)
    ctx.stroke()
    body_path(ctx)
    ctx.set_source(rad(cx - 6, cy - 8, 2, 40, [(0, .98, .98, 1, 1), (.7, .78, .8, .85, 1), (1, .5, .52, .58, 1)]))
    ctx.fill_preserve()
    ctx.set_source_rgba(.15, .15, .2, 1)
    ctx.set_line_width(1.5)
    ctx.stroke()
    ctx.set_line_width(1)
    ctx.move_to(cx, cy - 30)
    ctx.line_to(cx, cy - 4)
    ctx.move_to(cx - 20.7, cy - 4)
    ctx.curve_to(cx - 8, cy - 2, cx + 8, cy - 2, cx + 20.7, cy - 4)
    ctx.stroke()
    rounded_rect(ctx, cx - 3, cy - 24, 6, 12, 3)
    ctx.set_source_rgba(.3, .3, .35, 1)
    ctx.fill()
    sheet.add(surf)
    # left button lit
    surf, ctx = canvas(W, H)
    left_button(ctx)
    ctx.set_source_rgba(1, .2, .1, .75)
    ctx.fill()
    sheet.add(surf)
    # motion arrows
    surf, ctx = canvas(W, H)
    for a in range(4):
        ctx.save()
        ctx.translate(cx, cy)
        ctx.rotate(a * math.pi / 2)
        poly(ctx, [(46, 0), (36, -8), (36, -4), (27, -4), (27, 4), (36, 4), (36, 8)])
        ctx.set_source_rgba(1, .85, .2, 1)
        ctx.fill_preserve()
        ctx.set_source_rgba(.35, .2, 0, 1)
        ctx.set_line_width(1.2)
        ctx.stroke()
        ctx.restore()
    sheet.add(surf)
    # wheel lit, with up/down marks
    surf, ctx = canvas(W, H)
    rounded_rect(ctx, cx - 3, cy - 24, 6, 12, 3)
    ctx.set_source_rgba(1, .3, .1, .95)
    ctx.fill()
    for s in (-1, 1):
        poly(ctx, [(cx, cy - 18 + s * 13), (cx - 5, cy - 18 + s * 8), (cx + 5, cy - 18 + s * 8)])
        ctx.set_source_rgba(1, .85, .2, 1)
        ctx.fill()
    sheet.add(surf)
    sheet.save(out, 'gfx/intellimouse.tga')


def generate(out):
    sky_and_sea(out)
    logo_tiles(out)
    zemtrovia(out)
    language_flags(out)
    autoconfigure(out)
    gui_frames(out)
    oval_buttons(out)
    energy_bars(out)
    mouse_arrow(out)
    mouse_pictures(out)
