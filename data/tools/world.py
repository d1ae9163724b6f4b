"""World pictures: island, palm, cannon, projectiles, enemies, bonus balloons,
crates and the weapon effects."""
import math

import cairo

from common import (Sheet, canvas, surface_rgba, lin, rad, ellipse, poly, grey, rgb,
                    rounded_rect, Rng, TAU, frames_sheet)


def new(w, h):
    surf, ctx = canvas(w, h)
    ctx.translate(w / 2, h / 2)
    return surf, ctx


# ------------------------------------------------------------------ island

ISLAND_W, ISLAND_H = 320, 70


def island_picture():
    """Oval island seen from the side and a little above: sandy beach ring,
    grassy plateau, rocks, surf at the water line. The modes put its top at
    y = 21 and palms stand on the back half of the plateau."""
    w, h = ISLAND_W, ISLAND_H
    surf, ctx = canvas(w, h)
    rng = Rng(11)
    cx = w / 2
    # plateau ellipse: world centre y = iy - 5 + ~15 -> image row ~33
    top_cy, top_rx, top_ry = 33.0, 150.0, 25.0
    # underwater shelf / shallow water halo
    ctx.set_source(rad(cx, 50, 10, 160, [(0, .55, .85, .8, .75), (.8, .35, .7, .75, .45), (1, .3, .6, .7, 0)]))
    ellipse(ctx, cx, 52, 159, 17)
    ctx.fill()
    # front face: sand bank from the plateau rim down to the water
    ctx.move_to(cx - top_rx, top_cy)
    ctx.curve_to(cx - top_rx, top_cy + 14, cx - 60, top_cy + 27, cx, top_cy + 28)
    ctx.curve_to(cx + 60, top_cy + 27, cx + top_rx, top_cy + 14, cx + top_rx, top_cy)
    ctx.close_path()
    ctx.set_source(lin(0, top_cy, 0, top_cy + 28, [(0, .86, .76, .52, 1), (.6, .78, .66, .42, 1), (1, .62, .52, .34, 1)]))
    ctx.fill()
    # sand plateau
    ellipse(ctx, cx, top_cy, top_rx, top_ry)
    ctx.set_source(lin(0, top_cy - top_ry, 0, top_cy + top_ry,
                       [(0, .98, .9, .66, 1), (.7, .94, .84, .6, 1), (1, .9, .78, .52, 1)]))
    ctx.fill()
    # grass on the plateau
    ctx.save()
    ellipse(ctx, cx - 2, top_cy - 2, top_rx - 16, top_ry - 6)
    ctx.clip()
    ctx.set_source(lin(0, top_cy - top_ry, 0, top_cy + top_ry,
                       [(0, .42, .66, .24, 1), (.6, .34, .58, .2, 1), (1, .26, .48, .16, 1)]))
    ctx.paint()
    for _ in range(420):
        x = rng.u(cx - top_rx, cx + top_rx)
        y = rng.u(top_cy - top_ry, top_cy + top_ry)
        v = rng.u(-.08, .08)
        ctx.set_source_rgba(.36 + v, .62 + v, .22 + v, .8)
        ctx.arc(x, y, rng.u(1.0, 2.6), 0, TAU)
        ctx.fill()
    ctx.restore()
    # grass edge fringe
    ctx.set_line_width(1.2)
    for k in range(160):
        a = math.pi * (0.02 + 0.96 * k / 159)
        x = cx - (top_rx - 16) * math.cos(a)
        y = top_cy + (top_ry - 6) * math.sin(a)
        ctx.set_source_rgba(.3, .52, .18, .9)
        ctx.move_to(x, y)
        ctx.line_to(x + rng.u(-1.5, 1.5), y + rng.u(1.5, 3.5))
        ctx.stroke()
    # rocks on the beach
    for _ in range(9):
        a = rng.u(.15, .85) * math.pi
        x = cx - (top_rx - 5) * math.cos(a)
        y = top_cy + (top_ry - 1) * math.sin(a) + rng.u(2, 10)
        r = rng.u(3, 6)
        ctx.set_source(rad(x - r / 3, y - r / 3, 0, r * 1.3, [(0, .72, .7, .66, 1), (1, .36, .34, .32, 1)]))
        ellipse(ctx, x, y, r * 1.3, r * .8)
        ctx.fill()
    # wet sand and surf at the water line
    ctx.set_line_width(2.0)
    ctx.set_source_rgba(1, 1, 1, .85)
    ctx.move_to(cx - 146, top_cy + 9)
    ctx.curve_to(cx - 120, top_cy + 30, cx + 120, top_cy + 30, cx + 146, top_cy + 9)
    ctx.stroke()
    ctx.set_line_width(1.2)
    ctx.set_source_rgba(1, 1, 1, .55)
    for k in range(40):
        x = cx - 140 + 7 * k
        t = (x - cx) / 150.0
        y = top_cy + 9 + 20.5 * (1 - t * t) + 3 + rng.u(-1, 1)
        ctx.move_to(x, y)
        ctx.line_to(x + rng.u(3, 6), y + rng.u(-.5, .5))
    ctx.stroke()
    return surface_rgba(surf)


def island_sheet(out):
    img = island_picture()
    half = ISLAND_W // 2
    sheet = Sheet(half, ISLAND_H * 2 + 1, gutter=0)
    sheet.add(img[:, :half])
    sheet.add(img[:, half:], at=(0, ISLAND_H + 1))
    sheet.save(out, 'gfx/island.tga', crop=False)


# ------------------------------------------------------------------ palm

PALM_W, PALM_H = 54, 74


def palm_picture():
    # drawn on a 72 x 100 design grid and scaled to the picture
    w, h = 72, 100
    surf, ctx = canvas(PALM_W, PALM_H)
    ctx.scale(PALM_W / 72.0, PALM_H / 100.0)
    rng = Rng(7)
    top_x, top_y = w / 2 + 3, 22
    # trunk: segmented, slightly curved, foot at the bottom centre
    segs = 14
    for k in range(segs):
        t0, t1 = k / segs, (k + 1) / segs
        def pt(t):
            x = w / 2 + (top_x - w / 2) * t * t + 1.5 * math.sin(t * 3)
            y = h - 1 - (h - 1 - top_y) * t
            return x, y
        x0, y0 = pt(t0)
        x1, y1 = pt(t1)
        r0 = 4.2 - 1.8 * t0
        r1 = 4.2 - 1.8 * t1
        ctx.move_to(x0 - r0, y0)
        ctx.line_to(x1 - r1 * 1.15, y1)
        ctx.line_to(x1 + r1 * 1.15, y1)
        ctx.line_to(x0 + r0, y0)
        ctx.close_path()
        ctx.set_source(lin(x0 - r0, 0, x0 + r0, 0, [(0, .42, .3, .18, 1), (.4, .62, .47, .3, 1), (1, .3, .2, .12, 1)]))
        ctx.fill()
        ctx.set_source_rgba(.22, .14, .08, .8)
        ctx.set_line_width(.8)
        ctx.move_to(x1 - r1 * 1.15, y1)
        ctx.line_to(x1 + r1 * 1.15, y1)
        ctx.stroke()
    # coconuts
    for dx, dy in ((-3, 3), (2, 4), (-.5, 6)):
        ctx.set_source(rad(top_x + dx - 1, top_y + dy - 1, 0, 3, [(0, .55, .4, .2, 1), (1, .25, .16, .06, 1)]))
        ctx.arc(top_x + dx, top_y + dy, 2.6, 0, TAU)
        ctx.fill()
    # fronds
    fronds = [(-170, 30, 1.0), (-140, 33, .95), (-110, 26, .9), (-75, 24, .85), (-40, 30, .95),
              (-12, 33, 1.0), (-95, 20, .8), (-55, 20, .8), (170, 28, .9), (15, 26, .9)]
    for ang, length, shade in fronds:
        a = math.radians(ang)
        droop = 0.55 if abs(ang) > 100 or ang > -20 or ang < -160 else 0.25
        sx, sy = top_x, top_y
        pts = []
        for k in range(13):
            t = k / 12
            dx = math.cos(a) * length * t
            dy = math.sin(a) * length * t + droop * length * t * t
            pts.append((sx + dx, sy + dy))
        # leaflets
        for k in range(1, 13):
            x, y = pts[k]
            px, py = pts[k - 1]
            tx, ty = x - px, y - py
            n = math.hypot(tx, ty) or 1
            nx, ny = -ty / n, tx / n
            leaf = 7.5 * math.sin(math.pi * (k / 12) ** .8) + 1
            for s in (-1, 1):
                ctx.move_to(px, py)
                ctx.line_to(x + s * nx * leaf + tx * .8, y + s * ny * leaf + ty * .8 + 1.2)
                ctx.line_to(x, y)
                ctx.close_path()
                g = .45 + .25 * shade + rng.u(-.05, .05)
                ctx.set_source_rgba(.12 * shade, g, .12, 1)
                ctx.fill()
        ctx.set_source_rgba(.2, .35, .08, 1)
        ctx.set_line_width(1.1)
        ctx.move_to(*pts[0])
        for p in pts[1:]:
            ctx.line_to(*p)
        ctx.stroke()
    return surf


def palm_sheet(out):
    sheet = Sheet(PALM_W, PALM_H, gutter=0)
    sheet.add(palm_picture())
    sheet.save(out, 'gfx/palm.tga', crop=False)


# ------------------------------------------------------------------ cannon

def cannon_sheet(out):
    sheet = Sheet(64, 64)
    # barrel: points +x, pivot 4 px from its left end; the shot leaves 26 units out
    bw, bh = 32, 8
    surf, ctx = canvas(bw, bh)
    ctx.move_to(1, 1.6)
    ctx.line_to(29, 2.3)
    ctx.line_to(29, 5.7)
    ctx.line_to(1, 6.4)
    ctx.close_path()
    ctx.set_source(lin(0, 1, 0, 7, [(0, .62, .64, .66, 1), (.35, .85, .87, .9, 1), (1, .2, .21, .22, 1)]))
    ctx.fill()
    ctx.set_source(lin(0, 1, 0, 7, [(0, .45, .46, .48, 1), (.35, .7, .72, .75, 1), (1, .12, .12, .13, 1)]))
    rounded_rect(ctx, 27, 1.2, 4.4, 5.6, 1.0)
    ctx.fill()
    grey(ctx, .08)
    ellipse(ctx, 31.0, 4, .6, 1.6)
    ctx.fill()
    rounded_rect(ctx, 12, 1.7, 2.2, 4.6, .8)
    ctx.set_source(lin(0, 1, 0, 7, [(0, .45, .46, .48, 1), (.35, .7, .72, .75, 1), (1, .12, .12, .13, 1)]))
    ctx.fill()
    sheet.add(surf, ax=bw // 2 - 4)
    # housing: armoured dome round the pivot
    hw, hh = 28, 16
    surf, ctx = canvas(hw, hh)
    cx, cy = hw / 2, 12
    ctx.arc(cx, cy, 11, math.pi, TAU)
    ctx.close_path()
    ctx.set_source(rad(cx - 4, cy - 8, 1, 14, [(0, .85, .87, .9, 1), (.5, .55, .57, .6, 1), (1, .25, .26, .28, 1)]))
    ctx.fill()
    grey(ctx, .15, .8)
    ctx.set_line_width(.8)
    ctx.arc(cx, cy, 11, math.pi, TAU)
    ctx.stroke()
    for k in range(5):
        a = math.pi + (k + .5) * math.pi / 5
        grey(ctx, .2)
        ctx.arc(cx + 8.5 * math.cos(a), cy + 8.5 * math.sin(a), .7, 0, TAU)
        ctx.fill()
    grey(ctx, .1)
    ctx.arc(cx, cy, 3, 0, TAU)
    ctx.fill()
    grey(ctx, .5)
    ctx.arc(cx, cy, 1.6, 0, TAU)
    ctx.fill()
    sheet.add(surf, ay=-(hh // 2 - (hh - int(cy))))
    # base: pedestal in front, tinted with the player's colour
    bw2, bh2 = 40, 18
    surf, ctx = canvas(bw2, bh2)
    ctx.move_to(4, 3)
    ctx.line_to(36, 3)
    ctx.line_to(39, 15)
    ctx.line_to(1, 15)
    ctx.close_path()
    ctx.set_source(lin(0, 3, 0, 15, [(0, 1, 1, 1, 1), (.5, .82, .82, .82, 1), (1, .5, .5, .5, 1)]))
    ctx.fill_preserve()
    grey(ctx, .15, .8)
    ctx.set_line_width(.8)
    ctx.stroke()
    grey(ctx, .95)
    rounded_rect(ctx, 2, 1, 36, 3.2, 1.2)
    ctx.fill()
    grey(ctx, .3, .8)
    for k in range(5):
        ctx.arc(7 + k * 6.5, 9.5, 1.1, 0, TAU)
        ctx.fill()
    grey(ctx, .35)
    rounded_rect(ctx, 0, 14.5, 40, 3.2, 1)
    ctx.fill()
    # base top at 2 units above the pivot
    sheet.add(surf, ay=bh2 // 2 - 2)
    sheet.save(out, 'gfx/cannon.tga')


# ------------------------------------------------------------------ projectiles

def bomb_shape(ctx, length, r, body=(.25, .27, .24), fin=(.35, .36, .33)):
    """Bomb pointing +x centred at 0."""
    L = length
    ctx.move_to(L / 2, 0)
    ctx.curve_to(L / 2, -r * .9, L / 4, -r, 0, -r)
    ctx.line_to(-L / 4, -r * .8)
    ctx.line_to(-L / 2 + r * .3, -r * .3)
    ctx.line_to(-L / 2 + r * .3, r * .3)
    ctx.line_to(-L / 4, r * .8)
    ctx.line_to(0, r)
    ctx.curve_to(L / 4, r, L / 2, r * .9, L / 2, 0)
    b = body
    ctx.set_source(lin(0, -r, 0, r, [(0, b[0] + .35, b[1] + .35, b[2] + .35, 1), (.4, b[0] + .1, b[1] + .1, b[2] + .1, 1),
                                     (1, b[0] * .4, b[1] * .4, b[2] * .4, 1)]))
    ctx.fill()
    ctx.set_source_rgba(*fin, 1)
    poly(ctx, [(-L / 2 + r * .3, -r * .3), (-L / 2 - r * .1, -r * 1.2), (-L / 2 + r * .9, -r * .6)])
    ctx.fill()
    poly(ctx, [(-L / 2 + r * .3, r * .3), (-L / 2 - r * .1, r * 1.2), (-L / 2 + r * .9, r * .6)])
    ctx.fill()
    ctx.set_source_rgba(.85, .7, .2, 1)
    ctx.set_line_width(max(.6, r * .25))
    ctx.move_to(L / 8, -r * .95)
    ctx.line_to(L / 8, r * .95)
    ctx.stroke()


def ball(ctx, r, c=(.2, .2, .22)):
    ctx.set_source(rad(-r * .35, -r * .35, 0, r * 1.1, [(0, c[0] + .55, c[1] + .55, c[2] + .55, 1), (.35, c[0] + .15, c[1] + .15, c[2] + .15, 1),
                                                      (1, c[0] * .3, c[1] * .3, c[2] * .3, 1)]))
    ctx.arc(0, 0, r, 0, TAU)
    ctx.fill()


def projectile(kind, big):
    s = 2.0 if big else 1.0
    if kind == 'bomberbomb':
        w, h = int(12 * s), int(24 * s)
        surf, ctx = new(w, h)
        ctx.rotate(math.pi / 2)            # points down
        bomb_shape(ctx, 21 * s, 4.6 * s, body=(.3, .32, .22))
    elif kind == 'bomb':
        w, h = int(18 * s), int(10 * s)
        surf, ctx = new(w, h)
        bomb_shape(ctx, 15 * s, 3.4 * s)
    elif kind == 'bubble':
        w = h = int(12 * s)
        surf, ctx = new(w, h)
        r = 5 * s
        ctx.set_source(rad(0, 0, 0, r, [(0, .6, .85, 1, .1), (.75, .6, .85, 1, .35), (1, .85, .95, 1, .9)]))
        ctx.arc(0, 0, r, 0, TAU)
        ctx.fill()
        rgb(ctx, 1, 1, 1, .9)
        ellipse(ctx, -r * .4, -r * .4, r * .3, r * .2)
        ctx.fill()
    elif kind == 'bullet':
        w = h = int(8 * s)
        surf, ctx = new(w, h)
        r = 3.2 * s
        ctx.set_source(rad(0, 0, 0, r, [(0, 1, 1, .85, 1), (.4, 1, .85, .3, 1), (1, 1, .5, 0, 0)]))
        ctx.arc(0, 0, r, 0, TAU)
        ctx.fill()
    elif kind == 'cannonball':
        w = h = int(10 * s)
        surf, ctx = new(w, h)
        ball(ctx, 4.2 * s)
    elif kind == 'rocket':
        w, h = int(20 * s), int(8 * s)
        surf, ctx = new(w, h)
        L, r = 16 * s, 2.0 * s
        ctx.move_to(L / 2 + r, 0)
        ctx.curve_to(L / 2, -r, L / 2 - r, -r, L / 2 - r * 2, -r)
        ctx.line_to(-L / 2, -r)
        ctx.line_to(-L / 2, r)
        ctx.line_to(L / 2 - r * 2, r)
        ctx.curve_to(L / 2 - r, r, L / 2, r, L / 2 + r, 0)
        ctx.set_source(lin(0, -r, 0, r, [(0, .95, .95, .95, 1), (1, .45, .45, .45, 1)]))
        ctx.fill()
        rgb(ctx, .8, .1, .05)
        poly(ctx, [(L / 2 + r, 0), (L / 2 - r * 1.2, -r * .95), (L / 2 - r * 1.2, r * .95)])
        ctx.fill()
        poly(ctx, [(-L / 2, -r), (-L / 2 - r * .5, -r * 2.0), (-L / 2 + r * 2, -r)])
        ctx.fill()
        poly(ctx, [(-L / 2, r), (-L / 2 - r * .5, r * 2.0), (-L / 2 + r * 2, r)])
        ctx.fill()
    return surf


def projectiles_sheet(out):
    sheet = Sheet(128, 128)
    for kind in ('bomberbomb', 'bomb', 'bubble', 'bullet', 'cannonball', 'rocket'):
        for big in (False, True):
            sheet.add(projectile(kind, big))
    sheet.save(out, 'gfx/projectiles.tga')


# ------------------------------------------------------------------ torpedo, atom bomb

def torpedo_sheet(out):
    sheet = Sheet(64, 32)
    for black in (False, True):
        w, h = 40, 10
        surf, ctx = new(w, h)
        c = (.12, .12, .13) if black else (.55, .58, .6)
        L, r = 34, 3.2
        ctx.move_to(L / 2, 0)
        ctx.curve_to(L / 2, -r, L / 2 - 4, -r, L / 2 - 6, -r)
        ctx.line_to(-L / 2 + 4, -r)
        ctx.line_to(-L / 2, -r * .5)
        ctx.line_to(-L / 2, r * .5)
        ctx.line_to(-L / 2 + 4, r)
        ctx.line_to(L / 2 - 6, r)
        ctx.curve_to(L / 2 - 4, r, L / 2, r, L / 2, 0)
        ctx.set_source(lin(0, -r, 0, r, [(0, c[0] + .35, c[1] + .35, c[2] + .35, 1), (.35, c[0] + .1, c[1] + .1, c[2] + .1, 1),
                                         (1, c[0] * .4, c[1] * .4, c[2] * .4, 1)]))
        ctx.fill()
        rgb(ctx, .75, .15, .1) if not black else rgb(ctx, .9, .75, .15)
        ctx.move_to(L / 2, 0)
        ctx.curve_to(L / 2, -r, L / 2 - 4, -r, L / 2 - 6, -r)
        ctx.line_to(L / 2 - 6, r)
        ctx.curve_to(L / 2 - 4, r, L / 2, r, L / 2, 0)
        ctx.fill()
        grey(ctx, .2)
        poly(ctx, [(-L / 2 + 3, -r), (-L / 2 - 1, -r - 1.6), (-L / 2 + 1, -r)])
        ctx.fill()
        poly(ctx, [(-L / 2 + 3, r), (-L / 2 - 1, r + 1.6), (-L / 2 + 1, r)])
        ctx.fill()
        grey(ctx, .7)
        rounded_rect(ctx, -L / 2 - 2.5, -2.6, 1.4, 5.2, .6)
        ctx.fill()
        sheet.add(surf)
    sheet.save(out, 'gfx/torpedo.tga')


def atombomb_sheet(out):
    sheet = Sheet(64, 64)
    w, h = 46, 26
    surf, ctx = new(w, h)
    L, r = 36, 10
    ctx.move_to(L / 2 + 2, 0)
    ctx.curve_to(L / 2 + 2, -r * 1.1, L / 4, -r, 0, -r)
    ctx.curve_to(-L / 4, -r, -L / 2 + 4, -r * .6, -L / 2 + 2, -r * .3)
    ctx.line_to(-L / 2 + 2, r * .3)
    ctx.curve_to(-L / 2 + 4, r * .6, -L / 4, r, 0, r)
    ctx.curve_to(L / 4, r, L / 2 + 2, r * 1.1, L / 2 + 2, 0)
    ctx.set_source(lin(0, -r, 0, r, [(0, .95, .9, .45, 1), (.35, .8, .72, .18, 1), (1, .35, .3, .05, 1)]))
    ctx.fill()
    # tail fins, box-shaped
    grey(ctx, .25)
    rounded_rect(ctx, -L / 2 - 5, -r * .95, 6, r * 1.9, 1)
    ctx.fill()
    grey(ctx, .5)
    rounded_rect(ctx, -L / 2 - 4, -r * .75, 4, r * 1.5, .8)
    ctx.fill()
    grey(ctx, .25)
    rounded_rect(ctx, -L / 2 - 3.5, -.8, 3, 1.6, .5)
    ctx.fill()
    # radiation trefoil
    cx, cy = 2, 0
    grey(ctx, .08)
    for k in range(3):
        a0 = -math.pi / 2 + k * TAU / 3 - .5
        ctx.move_to(cx, cy)
        ctx.arc(cx, cy, 7.5, a0, a0 + 1.0)
        ctx.close_path()
        ctx.fill()
    rgb(ctx, .9, .82, .3)
    ctx.arc(cx, cy, 2.4, 0, TAU)
    ctx.fill()
    grey(ctx, .08)
    ctx.arc(cx, cy, 1.6, 0, TAU)
    ctx.fill()
    sheet.add(surf)
    sheet.save(out, 'gfx/atombomb.tga')


# ------------------------------------------------------------------ ballistic missile

def ballistic_sheet(out):
    """Body pointing +x, then 8 exhaust flame frames behind it (same canvas,
    drawn with the same position and rotation)."""
    w, h = 64, 16
    sheet = Sheet(256, 128)
    surf, ctx = new(w, h)
    L, r = 34, 3.6
    x0 = 4
    ctx.translate(x0, 0)
    ctx.move_to(L / 2 + 6, 0)
    ctx.curve_to(L / 2 + 3, -r, L / 2, -r, L / 2 - 2, -r)
    ctx.line_to(-L / 2, -r)
    ctx.line_to(-L / 2, r)
    ctx.line_to(L / 2 - 2, r)
    ctx.curve_to(L / 2, r, L / 2 + 3, r, L / 2 + 6, 0)
    ctx.set_source(lin(0, -r, 0, r, [(0, .97, .97, .97, 1), (.4, .8, .8, .82, 1), (1, .35, .35, .38, 1)]))
    ctx.fill()
    rgb(ctx, .15, .15, .15)
    for k in range(4):
        x = -L / 2 + 4 + k * 5
        ctx.rectangle(x, -r, 2.5, 2 * r)
        ctx.fill()
    rgb(ctx, .75, .1, .08)
    poly(ctx, [(-L / 2, -r), (-L / 2 - 3, -r - 4), (-L / 2 + 6, -r)])
    ctx.fill()
    poly(ctx, [(-L / 2, r), (-L / 2 - 3, r + 4), (-L / 2 + 6, r)])
    ctx.fill()
    grey(ctx, .3)
    ctx.rectangle(-L / 2 - 2, -r * .7, 2, r * 1.4)
    ctx.fill()
    sheet.add(surf)
    rng = Rng(5)
    for f in range(8):
        surf, ctx = new(w, h)
        ctx.translate(x0 - L / 2 - 2, 0)
        length = 12 + 6 * math.sin(f * TAU / 8) + rng.u(-1, 1)
        wid = 2.8 + .5 * math.cos(f * TAU / 4)
        ctx.save()
        ctx.scale(1, 1)
        ctx.move_to(0, -wid)
        ctx.curve_to(-length * .4, -wid * 1.2, -length * .8, -wid * .3, -length, rng.u(-.8, .8))
        ctx.curve_to(-length * .8, wid * .3, -length * .4, wid * 1.2, 0, wid)
        ctx.close_path()
        ctx.set_source(lin(0, 0, -length, 0, [(0, 1, 1, .8, 1), (.3, 1, .75, .2, .95), (.75, 1, .35, .05, .7), (1, .8, .1, 0, 0)]))
        ctx.fill()
        ctx.move_to(0, -wid * .5)
        ctx.curve_to(-length * .3, -wid * .5, -length * .45, 0, -length * .5, 0)
        ctx.curve_to(-length * .45, 0, -length * .3, wid * .5, 0, wid * .5)
        rgb(ctx, 1, 1, .95, .9)
        ctx.fill()
        ctx.restore()
        sheet.add(surf)
    sheet.save(out, 'gfx/ballistic.tga')


# ------------------------------------------------------------------ propelled bomb

def propelled_bomb_sheet(out):
    """A round bomb hanging from a small rotor: 8 rotor frames (the overlay)
    and 16 body frames swinging from one side to the other. The pivot is the
    rotor hub, which lies at the picture's position."""
    w, h = 40, 48
    hub_y = -14
    sheet = Sheet(256, 256)
    for f in range(8):
        surf, ctx = new(w, h)
        ctx.translate(0, hub_y)
        phase = f * math.pi / 8
        ctx.set_source(lin(-18, 0, 18, 0, [(0, .85, .85, .85, 0), (.2, .85, .85, .85, .35), (.5, .85, .85, .85, .1),
                                           (.8, .85, .85, .85, .35), (1, .85, .85, .85, 0)]))
        ellipse(ctx, 0, -1, 18.5, 2.4)
        ctx.fill()
        # two blades seen edge-on: their visible length follows the turn
        for k in range(2):
            a = phase + k * math.pi / 2
            L = 17 * abs(math.cos(a)) + 1.5
            ctx.set_source(lin(-L, 0, L, 0, [(0, .12, .12, .12, .5), (.5, .2, .2, .2, 1), (1, .12, .12, .12, .5)]))
            rounded_rect(ctx, -L, -2.2, 2 * L, 2.2, 1.0)
            ctx.fill()
        grey(ctx, .3)
        ctx.arc(0, -1, 2.2, 0, TAU)
        ctx.fill()
        grey(ctx, .7)
        ctx.arc(-.6, -1.6, .8, 0, TAU)
        ctx.fill()
        sheet.add(surf)
    for f in range(16):
        surf, ctx = new(w, h)
        ctx.translate(0, hub_y)
        ang = math.radians(-22 + 44 * f / 15)
        ctx.rotate(ang)
        grey(ctx, .25)
        ctx.set_line_width(1.4)
        ctx.move_to(0, 0)
        ctx.line_to(0, 8)
        ctx.stroke()
        grey(ctx, .4)
        rounded_rect(ctx, -2.2, 6.5, 4.4, 3, 1)
        ctx.fill()
        ctx.translate(0, 19)
        ball(ctx, 10, c=(.16, .16, .2))
        rgb(ctx, .85, .15, .1)
        rounded_rect(ctx, -10, -1.6, 20, 3.2, 1.2)
        ctx.fill()
        grey(ctx, .35)
        ctx.rectangle(-2, -12, 4, 3)
        ctx.fill()
        rgb(ctx, 1, 1, 1, .85)
        ellipse(ctx, -3.5, -4, 2.2, 1.4)
        ctx.fill()
        sheet.add(surf)
    sheet.save(out, 'gfx/propelledBomb.tga')


# ------------------------------------------------------------------ hot-air balloon

HAB_W, HAB_H = 48, 80
HAB_CY = -14             # envelope centre relative to the picture centre
HAB_RX, HAB_RY = 20, 22
GORES = 8


def hab_profile(u):
    """Envelope radius at height fraction u (0 top, 1 the mouth)."""
    if u < .45:
        v = 1 - u / .45
        return HAB_RX * math.sqrt(max(0.0, 1 - v * v))
    return 6 + (HAB_RX - 6) * math.cos(math.pi / 2 * (u - .45) / .55)


HAB_TOP = HAB_CY - HAB_RY
HAB_LEN = 2 * HAB_RY + 8


def envelope_path(ctx):
    n = 40
    pts = [(hab_profile(k / n), HAB_TOP + HAB_LEN * k / n) for k in range(n + 1)]
    ctx.move_to(0, HAB_TOP)
    for x, y in pts:
        ctx.line_to(x, y)
    for x, y in reversed(pts):
        ctx.line_to(-x, y)
    ctx.close_path()


def gore_x(lon, y):
    """x of a meridian at longitude lon (radians, 0 facing us) at height y."""
    u = min(max((y - HAB_TOP) / HAB_LEN, 0.0), 1.0)
    return hab_profile(u) * math.sin(lon)


def hab_frame(f, stripes):
    surf, ctx = new(HAB_W, HAB_H)
    envelope_path(ctx)
    ctx.clip()
    shift = f / 8.0 * (TAU / GORES)       # eight frames turn the pattern by one gore
    if not stripes:
        grey(ctx, 1)
        ctx.paint()
    # gores: alternate gores are the stripe colour; 8 frames advance by one gore
    for g in range(GORES * 2):
        lon0 = -math.pi + g * TAU / (GORES * 2) + shift
        lon1 = lon0 + TAU / (GORES * 2)
        if (g % 2 == 1) != stripes:
            continue
        if math.cos((lon0 + lon1) / 2) < -0.05:
            continue
        pts_l, pts_r = [], []
        steps = 24
        for k in range(steps + 1):
            y = HAB_TOP + HAB_LEN * k / steps
            a0 = max(min(lon0, math.pi / 2), -math.pi / 2)
            a1 = max(min(lon1, math.pi / 2), -math.pi / 2)
            pts_l.append((gore_x(a0, y), y))
            pts_r.append((gore_x(a1, y), y))
        if stripes:
            ctx.move_to(*pts_l[0])
            for p in pts_l[1:]:
                ctx.line_to(*p)
            for p in reversed(pts_r):
                ctx.line_to(*p)
            ctx.close_path()
            grey(ctx, 1)
            ctx.fill()
    # seams on the body frames
    if not stripes:
        ctx.set_line_width(.5)
        for g in range(GORES * 2):
            lon = -math.pi + g * TAU / (GORES * 2) + shift
            if math.cos(lon) <= 0:
                continue
            ctx.move_to(gore_x(lon, HAB_TOP), HAB_TOP)
            for k in range(1, 25):
                y = HAB_TOP + HAB_LEN * k / 24
                ctx.line_to(gore_x(lon, y), y)
            grey(ctx, .55, .6)
            ctx.stroke()
    return surf


def hab_front():
    """Shading laid over body and stripes: round highlight, darker rim,
    the skirt at the mouth of the envelope."""
    surf, ctx = new(HAB_W, HAB_H)
    ctx.save()
    envelope_path(ctx)
    ctx.clip()
    ctx.set_source(rad(-7, HAB_CY - 9, 1, 30, [(0, 1, 1, 1, .55), (.3, 1, 1, 1, .1), (.65, 0, 0, 0, 0), (1, 0, 0, 0, .55)]))
    ctx.paint()
    ctx.restore()
    envelope_path(ctx)
    grey(ctx, .1, .6)
    ctx.set_line_width(.8)
    ctx.stroke()
    # skirt / load ring
    ctx.set_source(lin(-6, 0, 6, 0, [(0, .25, .2, .15, 1), (.5, .6, .5, .4, 1), (1, .25, .2, .15, 1)]))
    rounded_rect(ctx, -6.5, HAB_CY + HAB_RY + 6, 13, 3, 1)
    ctx.fill()
    return surf


def hab_back(bomb):
    """Ropes, burner and the wicker basket, drawn behind the envelope."""
    surf, ctx = new(HAB_W, HAB_H)
    top = HAB_CY + HAB_RY + 8
    bt = top + 9
    ctx.set_line_width(.7)
    grey(ctx, .25)
    for x0, x1 in ((-6, -5), (6, 5), (-2, -2), (2, 2)):
        ctx.move_to(x0, top)
        ctx.line_to(x1, bt)
    ctx.stroke()
    # burner flame
    ctx.set_source(rad(0, top + 2, 0, 4, [(0, 1, 1, .8, 1), (.5, 1, .6, .1, .8), (1, 1, .3, 0, 0)]))
    ellipse(ctx, 0, top + 1, 2.5, 4)
    ctx.fill()
    # basket
    ctx.move_to(-6, bt)
    ctx.line_to(6, bt)
    ctx.line_to(5, bt + 8)
    ctx.line_to(-5, bt + 8)
    ctx.close_path()
    ctx.set_source(lin(-6, 0, 6, 0, [(0, .45, .3, .15, 1), (.4, .78, .58, .32, 1), (1, .4, .26, .12, 1)]))
    ctx.fill()
    ctx.set_line_width(.5)
    grey(ctx, .2, .6)
    for k in range(1, 4):
        ctx.move_to(-6 + k * .25, bt + k * 2)
        ctx.line_to(6 - k * .25, bt + k * 2)
    for k in range(-2, 3):
        ctx.move_to(k * 2.2, bt)
        ctx.line_to(k * 1.9, bt + 8)
    ctx.stroke()
    rgb(ctx, .35, .22, .1)
    rounded_rect(ctx, -6.8, bt - 1, 13.6, 2, .8)
    ctx.fill()
    if bomb:
        # hook and release gear under the basket
        grey(ctx, .2)
        ctx.set_line_width(1)
        ctx.move_to(0, bt + 8)
        ctx.line_to(0, bt + 11)
        ctx.stroke()
        ctx.arc(0, bt + 12, 1.6, -math.pi * .9, math.pi * .6)
        ctx.stroke()
        rgb(ctx, .85, .15, .1)
        rounded_rect(ctx, -3, bt + 7.5, 6, 1.6, .6)
        ctx.fill()
    return surf


def crop(surf, x, y, w, h):
    """Cuts a part of a centred canvas and returns it with the origin
    adjustment that keeps it where it was relative to the canvas centre."""
    img = surface_rgba(surf)
    H, W = img.shape[:2]
    return img[y:y + h, x:x + w], x + w // 2 - W // 2, y + h // 2 - H // 2


def hotairballoon_sheet(out):
    sheet = Sheet(256, 256)
    top = HAB_H // 2 + HAB_TOP - 1
    env = (2, top, HAB_W - 4, HAB_LEN + 6)
    for f in range(8):
        img, ax, ay = crop(hab_frame(f, False), *env)
        sheet.add(img, ax, ay)
    for f in range(8):
        img, ax, ay = crop(hab_frame(f, True), *env)
        sheet.add(img, ax, ay)
    img, ax, ay = crop(hab_front(), *env)
    sheet.add(img, ax, ay)
    basket = (HAB_W // 2 - 10, HAB_H // 2 + HAB_TOP + HAB_LEN - 2, 20, 26)
    for bomb in (True, False):
        img, ax, ay = crop(hab_back(bomb), *basket)
        sheet.add(img, ax, ay)
    sheet.save(out, 'gfx/hotairballoon.tga')


# ------------------------------------------------------------------ zeppelin

ZEP_W, ZEP_H = 480, 76


def zeppelin_hull():
    w, h = ZEP_W, ZEP_H
    surf, ctx = canvas(w, h)
    cx, cy = w / 2, 34
    rx, ry = 232, 29
    # tail fins (behind)
    for sgn in (-1, 1):
        ctx.move_to(cx - rx + 40, cy + sgn * 8)
        ctx.line_to(cx - rx - 2, cy + sgn * 31)
        ctx.line_to(cx - rx + 8, cy + sgn * 32)
        ctx.line_to(cx - rx + 70, cy + sgn * 12)
        ctx.close_path()
        ctx.set_source(lin(0, cy, 0, cy + sgn * 32, [(0, .55, .52, .46, 1), (1, .3, .28, .25, 1)]))
        ctx.fill_preserve()
        grey(ctx, .12, .8)
        ctx.set_line_width(1)
        ctx.stroke()
        # rudder stripes
        rgb(ctx, .7, .12, .1)
        poly(ctx, [(cx - rx - 2, cy + sgn * 31), (cx - rx + 8, cy + sgn * 32), (cx - rx + 18, cy + sgn * 27), (cx - rx + 9, cy + sgn * 25)])
        ctx.fill()
    # hull: a long cigar
    ctx.move_to(cx + rx, cy)
    ctx.curve_to(cx + rx, cy - ry * .8, cx + rx * .8, cy - ry, cx + rx * .55, cy - ry)
    ctx.line_to(cx - rx * .4, cy - ry)
    ctx.curve_to(cx - rx * .85, cy - ry * .95, cx - rx, cy - ry * .4, cx - rx, cy)
    ctx.curve_to(cx - rx, cy + ry * .4, cx - rx * .85, cy + ry * .95, cx - rx * .4, cy + ry)
    ctx.line_to(cx + rx * .55, cy + ry)
    ctx.curve_to(cx + rx * .8, cy + ry, cx + rx, cy + ry * .8, cx + rx, cy)
    ctx.close_path()
    ctx.save()
    ctx.clip_preserve()
    ctx.set_source(lin(0, cy - ry, 0, cy + ry, [(0, .92, .9, .82, 1), (.3, .8, .78, .7, 1), (.7, .55, .53, .47, 1), (1, .3, .29, .26, 1)]))
    ctx.fill()
    # fabric panels
    ctx.set_line_width(.8)
    for k in range(1, 24):
        x = cx - rx + k * (2 * rx) / 24
        grey(ctx, .25, .35)
        ctx.move_to(x, cy - ry)
        ctx.curve_to(x + 3, cy - ry / 2, x + 3, cy + ry / 2, x, cy + ry)
        ctx.stroke()
    for k in (-2, -1, 1, 2):
        grey(ctx, .25, .25)
        y = cy + k * ry / 3
        ctx.move_to(cx - rx, y)
        ctx.line_to(cx + rx, y)
        ctx.stroke()
    # soft end shading
    ctx.set_source(lin(cx - rx, 0, cx + rx, 0, [(0, 0, 0, 0, .45), (.12, 0, 0, 0, 0), (.88, 0, 0, 0, 0), (1, 0, 0, 0, .4)]))
    ctx.paint()
    ctx.restore()
    ctx.set_source_rgba(.1, .1, .1, .8)
    ctx.set_line_width(1.2)
    ctx.stroke()
    # a black-cross-free emblem: a big red band with a roundel
    rgb(ctx, .7, .12, .1, .9)
    ctx.rectangle(cx + rx * .45, cy - ry + 1, 14, 2 * ry - 2)
    ctx.fill()
    # name plate
    rgb(ctx, .15, .14, .12, .9)
    rounded_rect(ctx, cx - 60, cy - 12, 120, 12, 3)
    ctx.fill()
    rgb(ctx, .95, .85, .4)
    ctx.select_font_face('DejaVu Sans', 0, 1)
    ctx.set_font_size(10)
    ext = ctx.text_extents('Z-23 GRIMHOLD')
    ctx.move_to(cx - ext.width / 2 - ext.x_bearing, cy - 2.5)
    ctx.show_text('Z-23 GRIMHOLD')
    # gondola at the front, clear of the four gun pods (x -80, -16, 48, 112)
    gx0, gx1 = cx + 135, cx + 200
    ctx.move_to(gx0, cy + ry - 2)
    ctx.line_to(gx1, cy + ry - 2)
    ctx.curve_to(gx1 - 2, cy + ry + 8, gx1 - 10, cy + ry + 10, gx1 - 20, cy + ry + 10)
    ctx.line_to(gx0 + 15, cy + ry + 10)
    ctx.curve_to(gx0 + 5, cy + ry + 10, gx0, cy + ry + 6, gx0, cy + ry - 2)
    ctx.set_source(lin(0, cy + ry - 2, 0, cy + ry + 10, [(0, .45, .43, .4, 1), (1, .2, .19, .17, 1)]))
    ctx.fill()
    rgb(ctx, .95, .85, .45)
    for k in range(5):
        rounded_rect(ctx, gx0 + 10 + k * 9, cy + ry + 1.5, 5, 3.5, 1)
        ctx.fill()
    # engine pods with propeller blur
    for ex in (cx - 165, cx - 45):
        ey = cy + ry + 4
        grey(ctx, .2)
        ctx.set_line_width(1.2)
        ctx.move_to(ex, cy + ry - 3)
        ctx.line_to(ex + 4, ey)
        ctx.stroke()
        ctx.set_source(lin(0, ey - 3, 0, ey + 3, [(0, .55, .53, .5, 1), (1, .18, .17, .16, 1)]))
        ellipse(ctx, ex + 4, ey, 10, 3.4)
        ctx.fill()
        grey(ctx, .85, .35)
        ellipse(ctx, ex - 7, ey, 1.2, 6)
        ctx.fill()
    return surface_rgba(surf)


def zeppelin_turret():
    """A gun pod hung under the hull (the turret's position is on the hull's
    centre line; the picture is moved down to the hull's belly)."""
    w, h = 30, 18
    surf, ctx = canvas(w, h)
    cx, cy = w / 2, 6
    grey(ctx, .18)
    ctx.rectangle(cx - 3, 0, 6, 4)
    ctx.fill()
    ctx.arc(cx, cy, 8, 0, math.pi)
    ctx.line_to(cx - 9, cy)
    ctx.line_to(cx - 9, cy - 2)
    ctx.line_to(cx + 9, cy - 2)
    ctx.close_path()
    ctx.set_source(rad(cx - 3, cy + 1, 1, 11, [(0, .75, .75, .72, 1), (.6, .42, .42, .4, 1), (1, .15, .15, .14, 1)]))
    ctx.fill()
    grey(ctx, .12)
    ctx.set_line_width(2)
    ctx.move_to(cx - 2, cy + 4)
    ctx.line_to(cx - 13, cy + 10)
    ctx.move_to(cx + 2, cy + 4)
    ctx.line_to(cx + 13, cy + 10)
    ctx.stroke()
    rgb(ctx, .85, .2, .1)
    ctx.arc(cx, cy + 3, 2, 0, TAU)
    ctx.fill()
    return surf


def zeppelin_sheet(out):
    hull = zeppelin_hull()
    half = ZEP_W // 2
    sheet = Sheet(half, 256, gutter=0)
    sheet.add(hull[:, :half])
    sheet.add(hull[:, half:], at=(0, ZEP_H + 1))
    tur = surface_rgba(zeppelin_turret())
    # hull centre line is 4 px above the picture's middle (row 34 of 76); the pod hangs at its belly
    sheet.add(tur, ay=29, at=(0, 2 * ZEP_H + 2))
    sheet.save(out, 'gfx/zeppelin.tga', crop=False)


# ------------------------------------------------------------------ bonus balloons and icons

BALLOON_COLOURS = [
    (.95, .95, .95),   # 0 plain (balloon-pop)
    (.2, .55, 1.0),    # 1 defensive
    (.55, .3, .75),    # 2 sabotage: blaster halved
    (1.0, .8, .1),     # 3 double blaster
    (.45, .45, .5),    # 4 sabotage: speed halved
    (.3, .75, .3),     # 5 sabotage: turning halved
    (.95, .15, .12),   # 6 double damage
]


def icon(ctx, kind, s, col=(1, 1, 1)):
    """Symbols of the six bonuses, centred at 0, size about 2 s."""
    r, g, b = col
    ctx.set_source_rgba(r, g, b, 1)
    if kind == 'shield':
        ctx.move_to(0, -s)
        ctx.curve_to(s * .6, -s * .7, s * .9, -s * .8, s * .9, -s * .8)
        ctx.curve_to(s * .95, s * .1, s * .6, s * .7, 0, s)
        ctx.curve_to(-s * .6, s * .7, -s * .95, s * .1, -s * .9, -s * .8)
        ctx.curve_to(-s * .9, -s * .8, -s * .6, -s * .7, 0, -s)
        ctx.fill()
    elif kind == 'bolt':
        poly(ctx, [(s * .25, -s), (-s * .55, s * .15), (-s * .05, s * .15), (-s * .3, s), (s * .55, -s * .2),
                   (s * .05, -s * .2)])
        ctx.fill()
    elif kind == 'bolt_broken':
        # the bolt with a gap cut across it, cut in a group of its own
        ctx.push_group()
        ctx.set_source_rgba(r, g, b, 1)
        poly(ctx, [(s * .25, -s), (-s * .55, s * .15), (-s * .05, s * .15), (-s * .3, s), (s * .55, -s * .2),
                   (s * .05, -s * .2)])
        ctx.fill()
        ctx.set_operator(cairo.OPERATOR_CLEAR)
        ctx.set_line_width(s * .3)
        ctx.move_to(-s, s * .1)
        ctx.line_to(s, -s * .3)
        ctx.stroke()
        ctx.set_operator(cairo.OPERATOR_OVER)
        ctx.pop_group_to_source()
        ctx.paint()
    elif kind == 'snail':
        ctx.set_line_width(s * .25)
        ctx.arc(s * .1, -s * .1, s * .6, 0, TAU)
        ctx.stroke()
        ctx.arc(s * .1, -s * .1, s * .25, 0, TAU)
        ctx.fill()
        ctx.move_to(-s, s * .65)
        ctx.line_to(s, s * .65)
        ctx.stroke()
        ctx.move_to(-s * .8, s * .55)
        ctx.line_to(-s * .95, -s * .2)
        ctx.stroke()
    elif kind == 'spiral':
        ctx.set_line_width(s * .22)
        ctx.arc(0, 0, s * .8, math.pi * .1, math.pi * 1.7)
        ctx.stroke()
        poly(ctx, [(s * .45, -s * .9), (s * 1.0, -s * .5), (s * .35, -s * .25)])
        ctx.fill()
        ctx.move_to(-s * .6, -s * .6)
        ctx.line_to(s * .6, s * .6)
        ctx.stroke()
    elif kind == 'skullx2':
        ctx.select_font_face('DejaVu Sans', 0, 1)
        ctx.set_font_size(s * 1.5)
        e = ctx.text_extents('x2')
        ctx.move_to(-e.width / 2 - e.x_bearing, -e.height / 2 - e.y_bearing)
        ctx.show_text('x2')
    elif kind == 'star':
        pts = []
        for k in range(10):
            a = -math.pi / 2 + k * math.pi / 5
            rr = s if k % 2 == 0 else s * .42
            pts.append((rr * math.cos(a), rr * math.sin(a)))
        poly(ctx, pts)
        ctx.fill()


BALLOON_ICONS = ['star', 'shield', 'bolt_broken', 'bolt', 'snail', 'spiral', 'skullx2']


def balloon(kind):
    w, h = 34, 48
    surf, ctx = new(w, h)
    r, g, b = BALLOON_COLOURS[kind]
    # string
    grey(ctx, .3, .9)
    ctx.set_line_width(.8)
    ctx.move_to(0, 6)
    ctx.curve_to(3, 12, -3, 16, 1, 23)
    ctx.stroke()
    # body
    ctx.move_to(0, 6)
    ctx.curve_to(-8, 4, -15, -4, -15, -10)
    ctx.curve_to(-15, -19, -8, -23, 0, -23)
    ctx.curve_to(8, -23, 15, -19, 15, -10)
    ctx.curve_to(15, -4, 8, 4, 0, 6)
    ctx.set_source(rad(-5, -14, 1, 22, [(0, min(1, r + .5), min(1, g + .5), min(1, b + .5), 1), (.45, r, g, b, 1),
                                        (1, r * .45, g * .45, b * .45, 1)]))
    ctx.fill()
    poly(ctx, [(0, 5), (-2.5, 8.5), (2.5, 8.5)])
    ctx.set_source_rgba(r * .7, g * .7, b * .7, 1)
    ctx.fill()
    rgb(ctx, 1, 1, 1, .7)
    ellipse(ctx, -6.5, -14, 2.5, 4)
    ctx.fill()
    # symbol
    ctx.save()
    ctx.translate(0, -8)
    dark = kind in (2, 4, 5)
    icon(ctx, BALLOON_ICONS[kind], 6.5, (.15, .05, .05) if dark else (1, 1, 1))
    ctx.restore()
    return surf


def bonusicons_sheet(out):
    # 0 blaster, 1 defensive, 2 less blaster, 3 offensive, 4 slow speed, 5 slow turning
    icons = [(3, 'bolt'), (1, 'shield'), (2, 'bolt_broken'), (6, 'skullx2'), (4, 'snail'), (5, 'spiral')]
    sheet = Sheet(128, 64)
    for col, kind in icons:
        surf, ctx = new(20, 20)
        r, g, b = BALLOON_COLOURS[col]
        ctx.set_source(rad(-3, -3, 1, 11, [(0, min(1, r + .4), min(1, g + .4), min(1, b + .4), 1), (1, r * .55, g * .55, b * .55, 1)]))
        ctx.arc(0, 0, 9.2, 0, TAU)
        ctx.fill()
        grey(ctx, .1, .8)
        ctx.set_line_width(1)
        ctx.arc(0, 0, 9.2, 0, TAU)
        ctx.stroke()
        icon(ctx, kind, 5.5, (1, 1, 1))
        sheet.add(surf)
    sheet.save(out, 'gfx/hud-bonusicons.tga')


# ------------------------------------------------------------------ crates and parachute

def crate(kind):
    w, h = 30, 30
    surf, ctx = new(w, h)
    s = 13
    ctx.set_source(lin(-s, -s, s, s, [(0, .85, .66, .38, 1), (1, .55, .38, .18, 1)]))
    ctx.rectangle(-s, -s, 2 * s, 2 * s)
    ctx.fill()
    # planks
    ctx.set_line_width(.8)
    grey(ctx, .25, .5)
    for k in (-1, 1):
        ctx.move_to(-s, k * s / 3)
        ctx.line_to(s, k * s / 3)
    ctx.stroke()
    # frame
    ctx.set_line_width(3)
    ctx.set_source_rgba(.45, .3, .13, 1)
    ctx.rectangle(-s + 1.5, -s + 1.5, 2 * s - 3, 2 * s - 3)
    ctx.stroke()
    ctx.set_line_width(2.5)
    ctx.move_to(-s + 2, -s + 2)
    ctx.line_to(s - 2, s - 2)
    ctx.stroke()
    grey(ctx, .2)
    for x in (-s + 1.5, s - 1.5):
        for y in (-s + 1.5, s - 1.5):
            ctx.arc(x, y, .9, 0, TAU)
            ctx.fill()
    if kind:
        # weapon badge
        grey(ctx, .1, .85)
        ctx.arc(0, 0, 8.5, 0, TAU)
        ctx.fill()
        rgb(ctx, 1, .85, .2)
        ctx.set_line_width(1)
        ctx.arc(0, 0, 8.5, 0, TAU)
        ctx.stroke()
        ctx.save()
        weapon_symbol(ctx, kind)
        ctx.restore()
    return surf


def weapon_symbol(ctx, kind):
    rgb(ctx, 1, .9, .3)
    if kind == 1:      # autocannon: three bullets
        for k in (-1, 0, 1):
            rounded_rect(ctx, k * 3.6 - 1.2, -4.5, 2.4, 8, 1.1)
            ctx.fill()
    elif kind == 2:    # swarm: bubbles
        for x, y, r in ((-2.5, 1.5, 2.6), (2.8, -1.5, 2.2), (1.5, 3.8, 1.5), (-2.5, -3.5, 1.4)):
            ctx.set_line_width(1)
            ctx.arc(x, y, r, 0, TAU)
            ctx.stroke()
    elif kind == 3:    # laser: beam
        rgb(ctx, 1, .3, .25)
        rounded_rect(ctx, -6, -1.2, 12, 2.4, 1.2)
        ctx.fill()
        rgb(ctx, 1, .9, .9)
        ctx.arc(6, 0, 1.8, 0, TAU)
        ctx.fill()
    elif kind == 4:    # lightning
        rgb(ctx, .6, .85, 1)
        icon(ctx, 'bolt', 6, (.65, .88, 1))
    elif kind == 5:    # rocket
        ctx.rotate(-math.pi / 4)
        poly(ctx, [(6, 0), (3, -1.8), (-5, -1.8), (-6.5, -3.5), (-6.5, 3.5), (-5, 1.8), (3, 1.8)])
        ctx.fill()


def parachute_sheet(out):
    # drawn 36 units above the crate's centre: lines reach down to its top corners
    w, h = 52, 44
    surf, ctx = new(w, h)
    cy = -8
    ctx.move_to(-24, cy + 4)
    ctx.curve_to(-24, cy - 18, 24, cy - 18, 24, cy + 4)
    for k in range(4):
        x0 = 24 - 12 * k
        ctx.curve_to(x0 - 3, cy + 1, x0 - 9, cy + 1, x0 - 12, cy + 4)
    ctx.close_path()
    ctx.set_source(rad(-6, cy - 10, 2, 30, [(0, 1, .97, .92, 1), (.6, .92, .85, .75, 1), (1, .6, .5, .4, 1)]))
    ctx.fill()
    # red panels
    for k in (-1, 1):
        ctx.move_to(k * 4, cy - 12.5)
        ctx.curve_to(k * 9, cy - 10, k * 12, cy - 4, k * 12, cy + 3)
        ctx.line_to(k * 5, cy + 2)
        ctx.curve_to(k * 5, cy - 4, k * 5, cy - 9, k * 4, cy - 12.5)
        ctx.close_path()
        rgb(ctx, .85, .2, .15, .9)
        ctx.fill()
    grey(ctx, .2, .8)
    ctx.set_line_width(.6)
    for x in (-24, -12, 0, 12, 24):
        ctx.move_to(x, cy + 3.5)
        ctx.line_to(x * .4, 22)
    ctx.stroke()
    sheet = Sheet(w, h, gutter=0)
    sheet.add(surf)
    sheet.save(out, 'gfx/parachute.tga', crop=False)


def generate(out):
    island_sheet(out)
    palm_sheet(out)
    cannon_sheet(out)
    projectiles_sheet(out)
    torpedo_sheet(out)
    atombomb_sheet(out)
    ballistic_sheet(out)
    propelled_bomb_sheet(out)
    hotairballoon_sheet(out)
    zeppelin_sheet(out)
    frames_sheet(out, 'gfx/balloons.tga', (balloon(k) for k in range(7)), (256, 128))
    bonusicons_sheet(out)
    frames_sheet(out, 'gfx/crate.tga', (crate(k) for k in range(6)), (128, 64))
    parachute_sheet(out)
