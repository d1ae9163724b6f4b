"""The player aircraft (biplane and P35 fighter) in 49 headings, their markings
and the two-frame propeller, plus the enemy bomber and the kamikaze.

Aircraft are drawn as a left-facing side view, nose at -x (cairo's y points
down), and rotated for each heading: picture i points at 90 + 3.75 * i degrees
(0 up, 24 left, 48 down); the game mirrors the right-facing headings."""
import math

from common import (Sheet, canvas, surface_rgba, lin, rad, ellipse, poly, grey, rgb,
                    rounded_rect, TAU)

CELL = 36
PICTURES = 49


def heading_rotation(i):
    # rotation (cairo, clockwise positive) from the left-facing side view to picture i
    deg = 90.0 + 3.75 * i - 180.0
    return -math.radians(deg)


# ------------------------------------------------------------------ biplane

def biplane_body(ctx):
    # lower wing (behind fuselage)
    ctx.set_source(lin(0, 2, 0, 6, [(0, .82, .82, .82, 1), (1, .55, .55, .55, 1)]))
    ellipse(ctx, -4.5, 4.2, 5.5, 1.3)
    ctx.fill()
    # landing gear
    ctx.set_line_width(1.0)
    grey(ctx, .25)
    ctx.move_to(-8.5, 3.5); ctx.line_to(-6.2, 8.5)
    ctx.move_to(-3.5, 3.5); ctx.line_to(-6.0, 8.5)
    ctx.stroke()
    ctx.set_source(rad(-6, 9, 0, 2.4, [(0, .45, .45, .45, 1), (.6, .18, .18, .18, 1), (1, .05, .05, .05, 1)]))
    ctx.arc(-6.0, 9.0, 2.3, 0, TAU)
    ctx.fill()
    grey(ctx, .7)
    ctx.arc(-6.0, 9.0, .6, 0, TAU)
    ctx.fill()
    # tail skid
    grey(ctx, .25)
    ctx.move_to(13, 1.5); ctx.line_to(15.5, 3.5)
    ctx.stroke()
    # horizontal stabiliser
    ctx.set_source(lin(0, -1, 0, 1.5, [(0, .9, .9, .9, 1), (1, .6, .6, .6, 1)]))
    poly(ctx, [(10.5, -.8), (16.8, -1.2), (16.8, .6), (11, .8)])
    ctx.fill()
    # fuselage
    ctx.move_to(-12.5, -4.2)
    ctx.curve_to(-6, -5.2, 4, -4.6, 10, -2.6)
    ctx.line_to(16.5, -1.6)
    ctx.line_to(16.5, .4)
    ctx.curve_to(8, 2.2, 0, 4.2, -12.5, 4.2)
    ctx.close_path()
    ctx.set_source(lin(0, -5, 0, 4.5, [(0, 1, 1, 1, 1), (.35, .93, .93, .93, 1), (1, .5, .5, .5, 1)]))
    ctx.fill_preserve()
    grey(ctx, .2, .7)
    ctx.set_line_width(.5)
    ctx.stroke()
    # fin and rudder
    ctx.move_to(10.5, -2.4)
    ctx.curve_to(12, -5, 13.5, -8.2, 15.2, -8.4)
    ctx.curve_to(16.8, -8.4, 17.0, -6, 16.6, -1.4)
    ctx.close_path()
    ctx.set_source(lin(10, -8, 16, -2, [(0, 1, 1, 1, 1), (1, .7, .7, .7, 1)]))
    ctx.fill_preserve()
    grey(ctx, .2, .7)
    ctx.stroke()
    # cockpit opening and pilot
    grey(ctx, .12)
    ellipse(ctx, 1.5, -4.3, 3.2, 1.0)
    ctx.fill()
    ctx.set_source(rad(1.2, -6.2, 0, 2.0, [(0, .55, .4, .3, 1), (1, .25, .15, .1, 1)]))
    ctx.arc(1.3, -6.0, 1.9, 0, TAU)
    ctx.fill()
    grey(ctx, .85)
    ellipse(ctx, 0.4, -6.4, .8, .55)      # goggles
    ctx.fill()
    # scarf
    rgb(ctx, .95, .95, .95)
    poly(ctx, [(2.5, -5.0), (6.5, -5.8), (6.8, -4.8), (2.8, -4.2)])
    ctx.fill()
    # engine cowling
    ctx.move_to(-12.8, -4.4)
    ctx.line_to(-9, -4.6)
    ctx.line_to(-9, 4.4)
    ctx.line_to(-12.8, 4.3)
    ctx.curve_to(-14.6, 3, -14.6, -3, -12.8, -4.4)
    ctx.set_source(lin(0, -4.5, 0, 4.5, [(0, .62, .62, .62, 1), (.3, .42, .42, .42, 1), (1, .16, .16, .16, 1)]))
    ctx.fill()
    grey(ctx, .1, .8)
    ctx.set_line_width(.45)
    for x in (-11.6, -10.4):
        ctx.move_to(x, -3.6); ctx.line_to(x, 3.6)
    ctx.stroke()
    # exhaust
    grey(ctx, .15)
    rounded_rect(ctx, -9, 2.6, 5, 1.1, .5)
    ctx.fill()
    # struts
    ctx.set_line_width(.8)
    grey(ctx, .3)
    for x0, x1 in ((-8.2, -7.6), (-1.6, -.8)):
        ctx.move_to(x0, -7.8); ctx.line_to(x1, 3.5)
    ctx.stroke()
    ctx.set_line_width(.4)
    grey(ctx, .35, .8)
    ctx.move_to(-8.0, -7.8); ctx.line_to(-1.0, 3.5)
    ctx.move_to(-1.5, -7.8); ctx.line_to(-7.7, 3.5)
    ctx.stroke()
    # upper wing
    ctx.move_to(-10.8, -8.2)
    ctx.curve_to(-10.8, -10.2, -2, -10.3, 1.6, -9.0)
    ctx.curve_to(2.4, -8.6, 2.0, -7.4, 1.0, -7.3)
    ctx.line_to(-10.0, -7.1)
    ctx.curve_to(-10.9, -7.2, -10.9, -7.8, -10.8, -8.2)
    ctx.set_source(lin(0, -10.2, 0, -7, [(0, 1, 1, 1, 1), (1, .62, .62, .62, 1)]))
    ctx.fill()


def biplane_markings(ctx):
    # roundel on the fuselage and a band on the rudder
    rgb(ctx, 1, 1, 1, 1)
    ctx.arc(6.0, -0.8, 2.5, 0, TAU)
    ctx.fill()
    grey(ctx, .25)
    ctx.arc(6.0, -0.8, 1.5, 0, TAU)
    ctx.fill()
    rgb(ctx, 1, 1, 1, 1)
    ctx.arc(6.0, -0.8, .7, 0, TAU)
    ctx.fill()
    ctx.move_to(14.3, -8.2)
    ctx.line_to(15.6, -8.4)
    ctx.line_to(15.9, -1.5)
    ctx.line_to(14.5, -1.7)
    ctx.close_path()
    ctx.fill()
    # wing tip band
    poly(ctx, [(-9.6, -9.7), (-8.2, -9.9), (-8.1, -7.2), (-9.6, -7.2)])
    ctx.fill()


BIPLANE_HUB = (-15.0, 0.0)

# ------------------------------------------------------------------ P35


def p35_body(ctx):
    # tail plane
    ctx.set_source(lin(0, -1, 0, 1, [(0, .95, .95, .95, 1), (1, .6, .6, .6, 1)]))
    poly(ctx, [(10.5, -1.6), (16.6, -1.9), (16.8, -.4), (11, -.1)])
    ctx.fill()
    # fuselage
    ctx.move_to(-13.0, -2.6)
    ctx.curve_to(-9, -4.8, -2, -5.0, 4, -4.2)
    ctx.curve_to(9, -3.2, 13, -2.4, 16.8, -2.2)
    ctx.line_to(16.8, -.2)
    ctx.curve_to(12, 1.2, 6, 3.2, -2, 3.9)
    ctx.curve_to(-8, 4.2, -12, 3.6, -13.0, 2.4)
    ctx.curve_to(-14.2, 1.2, -14.2, -1.4, -13.0, -2.6)
    ctx.set_source(lin(0, -5, 0, 4.2, [(0, 1, 1, 1, 1), (.4, .92, .92, .92, 1), (1, .45, .45, .45, 1)]))
    ctx.fill_preserve()
    grey(ctx, .2, .7)
    ctx.set_line_width(.5)
    ctx.stroke()
    # fin
    ctx.move_to(9.5, -3.0)
    ctx.curve_to(12, -4.2, 13.2, -8.8, 15.2, -9.0)
    ctx.curve_to(16.8, -9.0, 16.9, -6.0, 16.8, -2.2)
    ctx.close_path()
    ctx.set_source(lin(10, -9, 16, -2, [(0, 1, 1, 1, 1), (1, .68, .68, .68, 1)]))
    ctx.fill_preserve()
    grey(ctx, .2, .7)
    ctx.stroke()
    # low wing seen edge-on, slightly from below
    ctx.move_to(-7.5, 2.4)
    ctx.curve_to(-7.8, 4.6, -2, 5.0, 4.5, 4.0)
    ctx.line_to(4.5, 3.2)
    ctx.close_path()
    ctx.set_source(lin(0, 2.4, 0, 5, [(0, .85, .85, .85, 1), (1, .45, .45, .45, 1)]))
    ctx.fill()
    # canopy
    ctx.move_to(-4.5, -4.5)
    ctx.curve_to(-3.5, -8.0, 2.5, -8.2, 5.5, -4.0)
    ctx.close_path()
    ctx.set_source(lin(-3, -8, 3, -4, [(0, .85, .95, 1.0, 1), (.5, .35, .5, .62, 1), (1, .15, .22, .3, 1)]))
    ctx.fill_preserve()
    grey(ctx, .15, .9)
    ctx.set_line_width(.45)
    ctx.stroke()
    grey(ctx, .15, .9)
    ctx.move_to(-0.2, -7.4); ctx.line_to(0.4, -4.4)
    ctx.stroke()
    rgb(ctx, 1, 1, 1, .8)
    ellipse(ctx, -1.8, -6.6, 1.4, .45)
    ctx.fill()
    # pilot head inside
    grey(ctx, .12, .8)
    ctx.arc(1.8, -5.6, 1.1, 0, TAU)
    ctx.fill()
    # engine panel lines and exhausts
    grey(ctx, .25, .7)
    ctx.set_line_width(.35)
    ctx.move_to(-8, -3.9); ctx.line_to(-8, 3.6)
    ctx.stroke()
    grey(ctx, .12)
    for k in range(3):
        rounded_rect(ctx, -11.5 + 1.6 * k, -1.8, 1.1, .8, .3)
        ctx.fill()
    # air intake
    grey(ctx, .15)
    ellipse(ctx, -5.5, 3.7, 2.5, .8)
    ctx.fill()
    # spinner
    ctx.move_to(-13.0, -2.6)
    ctx.curve_to(-15.2, -2.2, -16.4, -.6, -16.6, 0)
    ctx.curve_to(-16.4, .6, -15.2, 2.2, -13.0, 2.4)
    ctx.close_path()
    ctx.set_source(lin(0, -2.6, 0, 2.4, [(0, .75, .75, .75, 1), (1, .2, .2, .2, 1)]))
    ctx.fill()


def p35_markings(ctx):
    rgb(ctx, 1, 1, 1)
    # star in a circle on the fuselage
    cx, cy, r = 6.0, -.6, 2.4
    ctx.arc(cx, cy, r, 0, TAU)
    ctx.fill()
    grey(ctx, .22)
    pts = []
    for k in range(10):
        a = -math.pi / 2 + k * math.pi / 5
        rr = 1.9 if k % 2 == 0 else .8
        pts.append((cx + rr * math.cos(a), cy + rr * math.sin(a)))
    poly(ctx, pts)
    ctx.fill()
    # nose band and fin stripes
    rgb(ctx, 1, 1, 1)
    poly(ctx, [(-11.2, -3.6), (-10.0, -3.9), (-10.0, 3.7), (-11.2, 3.4)])
    ctx.fill()
    for k in range(2):
        y = -7.6 + 1.6 * k
        poly(ctx, [(13.6, y), (16.8, y - .1), (16.8, y + .7), (13.3, y + .8)])
        ctx.fill()


P35_HUB = (-15.0, 0.0)


# ------------------------------------------------------------------ propeller

def propeller(ctx, frame):
    """Side view of the spinning propeller around the hub at (0, 0)."""
    if frame == 0:
        ctx.set_source(lin(0, -8, 0, 8, [(0, .9, .9, .9, 0), (.2, .9, .9, .9, .35), (.5, .9, .9, .9, .1),
                                         (.8, .9, .9, .9, .35), (1, .9, .9, .9, 0)]))
        ellipse(ctx, 0, 0, 1.3, 8.2)
        ctx.fill()
        ctx.set_source(lin(0, -7.5, 0, 7.5, [(0, .1, .1, .1, .2), (.25, .1, .1, .1, .95), (.5, .3, .3, .3, 1),
                                             (.75, .1, .1, .1, .95), (1, .1, .1, .1, .2)]))
        rounded_rect(ctx, -.7, -7.6, 1.4, 15.2, .7)
        ctx.fill()
    else:
        ctx.set_source(lin(0, -8, 0, 8, [(0, .9, .9, .9, 0), (.3, .9, .9, .9, .4), (.5, .9, .9, .9, .15),
                                         (.7, .9, .9, .9, .4), (1, .9, .9, .9, 0)]))
        ellipse(ctx, 0, 0, 1.5, 8.2)
        ctx.fill()
        ctx.set_source(lin(0, -3, 0, 3, [(0, .1, .1, .1, .5), (.5, .3, .3, .3, 1), (1, .1, .1, .1, .5)]))
        rounded_rect(ctx, -1.0, -2.8, 2.0, 5.6, .9)
        ctx.fill()
    grey(ctx, .55)
    ctx.arc(0, 0, .9, 0, TAU)
    ctx.fill()


def render_cell(draw, i, extra=None):
    surf, ctx = canvas(CELL, CELL)
    ctx.translate(CELL / 2, CELL / 2)
    ctx.rotate(heading_rotation(i))
    draw(ctx)
    return surface_rgba(surf)


def aircraft_sheets(out, name, body, markings, hub):
    for fname, draw in ((name + '.tga', body), (name + '-markings.tga', markings)):
        sheet = Sheet(CELL * 7, CELL * 7, gutter=0)
        for i in range(PICTURES):
            sheet.add(render_cell(draw, i))
        sheet.save(out, 'gfx/' + fname, crop=False)
    return hub


def propeller_sheet(out):
    """98 pictures: frame A for the 49 headings, then frame B. Each is a small
    crop around the hub, shifted by its origin adjustment so that it lands on
    the nose; both models keep their hub at the same point."""
    hub = BIPLANE_HUB
    half = 9
    sheet = Sheet(256, 256, gutter=1)
    for frame in (0, 1):
        for i in range(PICTURES):
            a = heading_rotation(i)
            hx = CELL / 2 + hub[0] * math.cos(a) - hub[1] * math.sin(a)
            hy = CELL / 2 + hub[0] * math.sin(a) + hub[1] * math.cos(a)
            tlx, tly = int(round(hx - half)), int(round(hy - half))
            surf, ctx = canvas(2 * half, 2 * half)
            ctx.translate(hx - tlx, hy - tly)
            ctx.rotate(a)
            propeller(ctx, frame)
            sheet.add(surf, ax=tlx + half - CELL // 2, ay=tly + half - CELL // 2)
    sheet.save(out, 'gfx/propeller.tga')


# ------------------------------------------------------------------ bomber

def bomber_body(ctx):
    """Right-facing twin-engine bomber, 100 x 40, centred, seen from the side
    and a little from below: the near wing slants down towards the viewer
    with its two engines hanging under it."""
    olive = (.46, .5, .36)

    def shade(top, bottom, c=olive, k=(1.35, .95, .55)):
        return lin(0, top, 0, bottom, [(0, c[0] * k[0], c[1] * k[0], c[2] * k[0], 1), (.45, c[0] * k[1], c[1] * k[1], c[2] * k[1], 1),
                                       (1, c[0] * k[2], c[1] * k[2], c[2] * k[2], 1)])
    # tail plane (far side, behind)
    ctx.set_source(shade(-6, -2))
    poly(ctx, [(-46, -4.5), (-33, -3.5), (-33, -1.5), (-47, -2.2)])
    ctx.fill()
    # fin and rudder
    ctx.move_to(-35, -5)
    ctx.curve_to(-39, -9, -42, -16, -45.5, -17)
    ctx.curve_to(-48.5, -17.2, -49.3, -11, -47.8, -3)
    ctx.close_path()
    ctx.set_source(lin(-48, -17, -38, -4, [(0, .7, .74, .55, 1), (1, .42, .46, .32, 1)]))
    ctx.fill_preserve()
    grey(ctx, .12, .7)
    ctx.set_line_width(.6)
    ctx.stroke()
    rgb(ctx, .85, .75, .2)
    poly(ctx, [(-46.3, -16.6), (-44.6, -16.8), (-44, -12), (-46.4, -12)])
    ctx.fill()
    # fuselage
    ctx.move_to(44, -3)
    ctx.curve_to(46, -1, 46, 3, 43.5, 5.5)
    ctx.curve_to(30, 8.5, 0, 9, -20, 6.5)
    ctx.curve_to(-35, 4.5, -44, 1.5, -48, -1.5)
    ctx.line_to(-47.5, -3.5)
    ctx.curve_to(-36, -5.5, -20, -8, 0, -8.5)
    ctx.curve_to(20, -8.8, 38, -7.5, 44, -3)
    ctx.set_source(shade(-9, 9))
    ctx.fill_preserve()
    grey(ctx, .1, .85)
    ctx.set_line_width(.7)
    ctx.stroke()
    # panel lines
    grey(ctx, .1, .35)
    ctx.set_line_width(.4)
    for x in (-30, -15, 0, 15, 30):
        ctx.move_to(x, -8.3)
        ctx.line_to(x, 8.2)
    ctx.stroke()
    # glazed nose
    ctx.move_to(44, -3)
    ctx.curve_to(46, -1, 46, 3, 43.5, 5.5)
    ctx.line_to(38, 5.8)
    ctx.curve_to(37, 2, 37, -3, 38.5, -6.2)
    ctx.close_path()
    ctx.set_source(lin(38, -6, 46, 5, [(0, .8, .9, .95, 1), (.5, .35, .5, .6, 1), (1, .15, .22, .28, 1)]))
    ctx.fill_preserve()
    grey(ctx, .1, .8)
    ctx.set_line_width(.5)
    ctx.stroke()
    ctx.set_line_width(.4)
    for x in (40.5, 42.5):
        ctx.move_to(x, -5.5)
        ctx.line_to(x, 5.5)
    ctx.stroke()
    # cockpit canopy
    ctx.move_to(22, -8.4)
    ctx.curve_to(25, -12.5, 31, -12, 34, -7.6)
    ctx.close_path()
    ctx.set_source(lin(24, -12, 32, -8, [(0, .85, .95, 1, 1), (1, .2, .3, .36, 1)]))
    ctx.fill_preserve()
    grey(ctx, .1, .8)
    ctx.stroke()
    # dorsal turret with its gun
    ctx.set_source(rad(-10, -9.5, 0, 4.5, [(0, .9, .95, 1, 1), (1, .25, .32, .38, 1)]))
    ctx.arc(-10, -8.4, 3.8, math.pi, TAU)
    ctx.fill()
    grey(ctx, .12)
    ctx.set_line_width(.9)
    ctx.move_to(-10, -10.5)
    ctx.line_to(-18, -12.8)
    ctx.stroke()
    # waist windows and roundel
    grey(ctx, .1)
    for k in range(4):
        ctx.arc(-26 + k * 4.5, -3.2, .9, 0, TAU)
        ctx.fill()
    rgb(ctx, .1, .1, .1)
    ctx.arc(-2, -1.5, 3.6, 0, TAU)
    ctx.fill()
    rgb(ctx, .95, .8, .15)
    poly(ctx, [(-2, -4.6), (.8, -1.5), (-2, 1.6), (-4.8, -1.5)])
    ctx.fill()
    # near wing, seen from below, slanting down towards the viewer
    ctx.move_to(0, 2.0)
    ctx.line_to(24, 1.6)
    ctx.curve_to(27, 1.8, 31, 12, 30, 14.5)
    ctx.line_to(14, 15.5)
    ctx.curve_to(11, 15.2, 4, 6, 0, 4.6)
    ctx.close_path()
    ctx.set_source(lin(0, 2, 0, 15.5, [(0, .55, .6, .43, 1), (1, .32, .35, .25, 1)]))
    ctx.fill_preserve()
    grey(ctx, .1, .8)
    ctx.set_line_width(.6)
    ctx.stroke()
    # engine nacelles under the wing, the outer one lower and further out
    for x, y in BOMBER_ENGINES:
        ctx.move_to(x - 1, y - 3)
        ctx.line_to(x - 13, y - 2.4)
        ctx.curve_to(x - 15, y - 1.6, x - 15, y + 1.8, x - 13, y + 2.6)
        ctx.line_to(x - 1, y + 3)
        ctx.curve_to(x + .8, y + 2, x + .8, y - 2, x - 1, y - 3)
        ctx.set_source(lin(0, y - 3, 0, y + 3, [(0, .6, .64, .48, 1), (.4, .38, .42, .3, 1), (1, .14, .15, .1, 1)]))
        ctx.fill()
        grey(ctx, .08)
        rounded_rect(ctx, x - 9, y + 1.6, 6, 1.0, .4)
        ctx.fill()
        grey(ctx, .55)
        ellipse(ctx, x + .6, y, .9, 1.3)
        ctx.fill()


BOMBER_W, BOMBER_H = 100, 40
BOMBER_ENGINES = [(20.0, 7.0), (27.5, 11.5)]


def bomber_propeller(ctx, frame):
    for x, y in BOMBER_ENGINES:
        ctx.save()
        ctx.translate(x + 1.4, y)
        ctx.scale(1.1, 1.1)
        propeller(ctx, frame)
        ctx.restore()


def bomber_sheet(out):
    sheet = Sheet(BOMBER_W + 2, 3 * (BOMBER_H + 1) + 1)
    for k in range(3):
        surf, ctx = canvas(BOMBER_W, BOMBER_H)
        ctx.translate(BOMBER_W / 2, BOMBER_H / 2)
        if k == 0:
            bomber_body(ctx)
        else:
            bomber_propeller(ctx, k - 1)
        sheet.add(surf)
    sheet.save(out, 'gfx/bomber.tga')


# ------------------------------------------------------------------ kamikaze

def kamikaze_body(ctx):
    """Top view of a small dive plane pointing +x (symmetric, so it reads
    right in any rotation)."""
    # wings
    ctx.move_to(2, 0)
    ctx.line_to(-1, -13)
    ctx.curve_to(-2, -14.2, -5, -14.2, -5.5, -13)
    ctx.line_to(-5, 0)
    ctx.line_to(-5.5, 13)
    ctx.curve_to(-5, 14.2, -2, 14.2, -1, 13)
    ctx.close_path()
    ctx.set_source(lin(0, -14, 0, 14, [(0, .62, .6, .5, 1), (.5, .85, .83, .72, 1), (1, .55, .53, .45, 1)]))
    ctx.fill_preserve()
    grey(ctx, .15, .7)
    ctx.set_line_width(.5)
    ctx.stroke()
    # tail plane
    poly(ctx, [(-13, 0), (-15, -5.5), (-17.5, -5.5), (-17, 0), (-17.5, 5.5), (-15, 5.5)])
    ctx.fill_preserve()
    grey(ctx, .15, .7)
    ctx.stroke()
    # fuselage
    ctx.move_to(11.5, 0)
    ctx.curve_to(11, -3, 6, -3.2, 0, -2.8)
    ctx.curve_to(-8, -2.4, -14, -1.4, -17.5, -.8)
    ctx.line_to(-17.5, .8)
    ctx.curve_to(-14, 1.4, -8, 2.4, 0, 2.8)
    ctx.curve_to(6, 3.2, 11, 3, 11.5, 0)
    ctx.set_source(lin(0, -3, 0, 3, [(0, .5, .48, .4, 1), (.45, .9, .88, .78, 1), (1, .45, .43, .36, 1)]))
    ctx.fill_preserve()
    grey(ctx, .15, .8)
    ctx.stroke()
    # canopy
    ctx.set_source(rad(-1, -.5, 0, 2.5, [(0, .85, .95, 1, 1), (1, .2, .3, .35, 1)]))
    ellipse(ctx, -1.5, 0, 3.0, 1.5)
    ctx.fill()
    # black and yellow wing bands
    for s in (-1, 1):
        rgb(ctx, .1, .1, .1)
        poly(ctx, [(-1.2, 8 * s), (-4.6, 8 * s), (-4.8, 11 * s), (-1.0, 11 * s)])
        ctx.fill()
        rgb(ctx, .95, .8, .15)
        poly(ctx, [(-1.6, 9 * s), (-4.4, 9 * s), (-4.5, 10 * s), (-1.5, 10 * s)])
        ctx.fill()
    # bomb under the fuselage shows at the sides
    grey(ctx, .15)
    ellipse(ctx, 3, 0, 4.5, 1.2)
    ctx.fill()
    # cowling
    ctx.set_source(lin(0, -3, 0, 3, [(0, .2, .2, .2, 1), (.5, .45, .45, .45, 1), (1, .15, .15, .15, 1)]))
    ctx.move_to(11.5, 0)
    ctx.curve_to(11, -3, 8.5, -3.1, 7.5, -3.0)
    ctx.line_to(7.5, 3.0)
    ctx.curve_to(8.5, 3.1, 11, 3, 11.5, 0)
    ctx.fill()


def kamikaze_prop(ctx, frame):
    ctx.save()
    ctx.translate(12.2, 0)
    if frame == 0:
        ctx.set_source(lin(0, -8, 0, 8, [(0, .9, .9, .9, 0), (.25, .9, .9, .9, .4), (.5, .9, .9, .9, .15),
                                         (.75, .9, .9, .9, .4), (1, .9, .9, .9, 0)]))
        ellipse(ctx, 0, 0, 1.2, 8)
        ctx.fill()
        grey(ctx, .12, .9)
        rounded_rect(ctx, -.6, -7.5, 1.2, 15, .6)
        ctx.fill()
    else:
        ctx.set_source(lin(0, -8, 0, 8, [(0, .9, .9, .9, 0), (.3, .9, .9, .9, .45), (.5, .9, .9, .9, .2),
                                         (.7, .9, .9, .9, .45), (1, .9, .9, .9, 0)]))
        ellipse(ctx, 0, 0, 1.2, 8)
        ctx.fill()
        grey(ctx, .12, .9)
        rounded_rect(ctx, -.6, -2.5, 1.2, 5, .6)
        ctx.fill()
    grey(ctx, .6)
    ctx.arc(.2, 0, 1.0, 0, TAU)
    ctx.fill()
    ctx.restore()


def kamikaze_sheet(out):
    sheet = Sheet(128, 128)
    for k in range(3):
        surf, ctx = canvas(40, 32)
        ctx.translate(20, 16)
        if k == 0:
            kamikaze_body(ctx)
        else:
            kamikaze_prop(ctx, k - 1)
        sheet.add(surf)
    sheet.save(out, 'gfx/kamikaze.tga')


def generate(out):
    aircraft_sheets(out, 'biplane', biplane_body, biplane_markings, BIPLANE_HUB)
    aircraft_sheets(out, 'p35', p35_body, p35_markings, P35_HUB)
    propeller_sheet(out)
    bomber_sheet(out)
    kamikaze_sheet(out)
