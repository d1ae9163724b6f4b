"""Particle and beam pictures: explosion, smoke, splash, ring splash, flare,
laser and lightning. Generated from noise fields with numpy."""
import math

import numpy as np

from common import Sheet, frames_sheet


def grid(n):
    y, x = np.mgrid[0:n, 0:n].astype(np.float64)
    c = (n - 1) / 2.0
    return (x - c) / (n / 2.0), (y - c) / (n / 2.0)


def value_noise(n, cells, seed):
    """Smooth periodic noise in 0..1 of size n x n."""
    rng = np.random.RandomState(seed)
    g = rng.rand(cells, cells)
    t = np.arange(n) * cells / n
    i0 = np.floor(t).astype(int)
    f = t - i0
    f = f * f * (3 - 2 * f)
    i1 = (i0 + 1) % cells
    a = g[i0][:, i0] * (1 - f)[None, :] + g[i0][:, i1] * f[None, :]
    b = g[i1][:, i0] * (1 - f)[None, :] + g[i1][:, i1] * f[None, :]
    return a * (1 - f)[:, None] + b * f[:, None]


def fbm(n, seed, octaves=4, base=4):
    out = np.zeros((n, n))
    amp, tot = 1.0, 0.0
    for o in range(octaves):
        out += amp * value_noise(n, base * 2 ** o, seed + o * 17)
        tot += amp
        amp *= .5
    return out / tot


def smoothstep(a, b, x):
    t = np.clip((x - a) / (b - a), 0, 1)
    return t * t * (3 - 2 * t)


def explosion_frames(n=64, frames=16):
    x, y = grid(n)
    r = np.hypot(x, y)
    noise = fbm(n, 21, 5, 3)
    noise2 = fbm(n, 77, 4, 5)
    out = []
    for k in range(frames):
        t = k / float(frames)
        radius = .35 + .55 * math.sqrt(t)
        edge = radius + .25 * (noise - .5)
        body = smoothstep(edge, edge - .25, r)
        heat = np.clip((1 - t * 1.25) * (1.2 - r / max(radius, .1)) + .35 * (noise2 - .5), 0, 1)
        # colour ramp: white-yellow core -> orange -> dark red -> smoke grey
        cr = np.clip(.35 + 1.6 * heat, 0, 1)
        cg = np.clip(.25 + 1.5 * (heat - .25), 0, 1) * (1 - .3 * t) + .22 * t
        cb = np.clip(.2 + 2.0 * (heat - .6), 0, 1) * (1 - t) + .2 * t
        smoke = t * (1 - heat)
        cr = cr * (1 - smoke) + .28 * smoke
        cg = cg * (1 - smoke) + .26 * smoke
        cb = cb * (1 - smoke) + .25 * smoke
        alpha = body * (1 - t ** 2.2) * np.clip(.55 + .6 * noise, 0, 1)
        img = np.stack([cr, cg, cb, np.clip(alpha, 0, 1)], axis=2)
        out.append(img)
    return out


def smoke_frames(n=64, frames=16):
    """White puffs (the game tints them) that grow and thin out."""
    x, y = grid(n)
    r = np.hypot(x, y)
    out = []
    for k in range(frames):
        t = k / (frames - 1)
        noise = fbm(n, 300 + k // 4, 4, 3)
        radius = .45 + .45 * t
        edge = radius + .3 * (noise - .5)
        a = smoothstep(edge, edge - .3, r) * (1.0 - .85 * t ** 1.3) * np.clip(.65 + .9 * (noise - .3), 0, 1)
        shade = .62 + .38 * np.clip(-(x + y) * .7 + (noise - .5) * 1.2 + .5, 0, 1)
        img = np.stack([shade, shade, shade, np.clip(a, 0, 1)], axis=2)
        out.append(img)
    return out


def splash_frames(n=32, frames=8):
    """A clump of white water: dense foam at first, breaking up into spray."""
    out = []
    x, y = grid(n)
    for k in range(frames):
        t = k / float(frames)
        noise = fbm(n, 500 + k, 4, 4)
        r = np.hypot(x, y)
        radius = .55 + .3 * t
        dense = smoothstep(radius + .15, radius - .25, r + .35 * (noise - .5))
        holes = smoothstep(.35 + .4 * t, .6 + .3 * t, noise)
        a = dense * holes * (1 - t ** 2.5)
        shade = .78 + .22 * np.clip(.5 - y * .6 + (noise - .5), 0, 1)
        img = np.stack([shade * .9, shade * .97, np.ones_like(shade), np.clip(a, 0, 1)], axis=2)
        out.append(img)
    return out


def ring_frames(w=64, h=24, frames=8):
    """A flat ring of foam spreading on the water."""
    out = []
    y, x = np.mgrid[0:h, 0:w].astype(np.float64)
    x = (x - (w - 1) / 2) / (w / 2)
    y = (y - (h - 1) / 2) / (h / 2)
    r = np.hypot(x, y)
    ang = np.arctan2(y, x)
    for k in range(frames):
        t = (k + .5) / frames
        radius = .2 + .75 * t
        width = .12 + .08 * t
        wob = .015 * np.sin(ang * 7 + k)
        a = smoothstep(width, 0, np.abs(r - radius + wob)) * (1 - .85 * t ** 1.5)
        inner = smoothstep(radius, 0, r) * .25 * (1 - t)
        a = np.clip(a + inner, 0, 1)
        img = np.stack([np.full_like(a, .9), np.full_like(a, .97), np.ones_like(a), a], axis=2)
        out.append(img)
    return out


def flare(n=32):
    x, y = grid(n)
    r = np.hypot(x, y)
    a = np.clip(np.exp(-r * r * 9) + .5 * np.exp(-r * r * 2.5), 0, 1) * smoothstep(1, .8, r)
    star = np.exp(-(np.abs(x) * 14)) * np.exp(-np.abs(y) * 2.2) + np.exp(-(np.abs(y) * 14)) * np.exp(-np.abs(x) * 2.2)
    a = np.clip(a + .35 * star * smoothstep(1, .6, r), 0, 1)
    return np.stack([np.ones_like(a), np.ones_like(a), np.ones_like(a), a], axis=2)


def laser(w=256, h=16):
    """Horizontally tileable red-white beam (the game tints it)."""
    y, x = np.mgrid[0:h, 0:w].astype(np.float64)
    v = (y - (h - 1) / 2) / (h / 2)
    ph = x / w * 2 * math.pi
    pulse = .85 + .15 * np.sin(ph * 8) * np.sin(ph * 3 + 1)
    core = np.exp(-(v / .18) ** 2)
    glow = np.exp(-(v / .55) ** 2) * .6 * pulse
    a = np.clip(core + glow, 0, 1)
    r = np.ones_like(a)
    g = np.clip(.25 + .75 * core, 0, 1)
    b = np.clip(.2 + .8 * core, 0, 1)
    return np.stack([r, g, b, a], axis=2)


def lightning(w=256, h=32):
    """Horizontally tileable jagged electric bolt with glow."""
    rng = np.random.RandomState(99)
    # periodic path: sum of sines with integer periods over the width
    xs = np.arange(w)
    path = np.zeros(w)
    for k, amp in ((2, 4.5), (5, 2.5), (11, 1.5), (23, .8)):
        path += amp * np.sin(2 * math.pi * k * xs / w + rng.rand() * 6.28)
    # jagged: sample at coarse points and interpolate linearly (periodic)
    step = 8
    knots = path[::step]
    knots = np.append(knots, knots[0])
    path = np.interp(xs, np.arange(0, w + 1, step), knots)
    y = np.arange(h)[:, None] - ((h - 1) / 2 + path[None, :])
    core = np.exp(-(y / 1.1) ** 2)
    glow = np.exp(-(y / 5.0) ** 2) * .55
    # a thinner branch strand
    path2 = np.interp(xs, np.arange(0, w + 1, step), np.roll(knots[:-1], 3).tolist() + [np.roll(knots[:-1], 3)[0]]) * 1.6
    y2 = np.arange(h)[:, None] - ((h - 1) / 2 + path2[None, :])
    core2 = np.exp(-(y2 / .8) ** 2) * .6
    a = np.clip(core + glow + core2, 0, 1)
    c = np.clip(core + core2, 0, 1)
    r = .55 + .45 * c
    g = .75 + .25 * c
    b = np.ones_like(c)
    return np.stack([r, g, b, a], axis=2)


def generate(out):
    frames_sheet(out, 'gfx/3ds_explosion.tga', explosion_frames(), (256, 256), gutter=0)
    frames_sheet(out, 'gfx/3ds_smoke.tga', smoke_frames(), (256, 256), gutter=0)
    frames_sheet(out, 'gfx/splash.tga', splash_frames(), (140, 80))
    frames_sheet(out, 'gfx/circularsplash.tga', ring_frames(), (140, 110))
    s = Sheet(32, 32, gutter=0)
    s.add(flare())
    s.save(out, 'gfx/flare-small.tga', crop=False)
    s = Sheet(256, 16, gutter=0)
    s.add(laser())
    s.save(out, 'gfx/laser.tga', crop=False)
    s = Sheet(256, 32, gutter=0)
    s.add(lightning())
    s.save(out, 'gfx/lightning.tga', crop=False)
