"""Shared helpers of the data generators: cairo canvases, sprite sheets with
their ".ini" side files, and the 32-bit TGA writer the engine reads."""
import math
import os
import struct

import cairo
import numpy as np

TAU = 2.0 * math.pi


def canvas(w, h):
    surf = cairo.ImageSurface(cairo.FORMAT_ARGB32, w, h)
    ctx = cairo.Context(surf)
    ctx.set_antialias(cairo.ANTIALIAS_BEST)
    return surf, ctx


def surface_rgba(surf):
    """Cairo's premultiplied BGRA words -> straight RGBA float array (h, w, 4) in 0..1."""
    surf.flush()
    w, h, stride = surf.get_width(), surf.get_height(), surf.get_stride()
    buf = np.frombuffer(surf.get_data(), dtype=np.uint8).reshape(h, stride)[:, :w * 4]
    bgra = buf.reshape(h, w, 4).astype(np.float64) / 255.0
    a = bgra[..., 3:4]
    rgb = np.where(a > 0, bgra[..., 2::-1] / np.maximum(a, 1e-9), 0.0)
    return np.concatenate([np.clip(rgb, 0, 1), a], axis=2)


def rgba_from_array(arr):
    """Accepts float (0..1) or uint8 RGBA arrays."""
    if arr.dtype == np.uint8:
        return arr.astype(np.float64) / 255.0
    return arr


def bleed(rgba, passes=3):
    """Copies colour into fully transparent texels next to opaque ones so that
    bilinear filtering does not darken the edges of sprites."""
    out = rgba.copy()
    for _ in range(passes):
        a = out[..., 3]
        empty = a <= 0.0
        if not empty.any():
            break
        acc = np.zeros(out.shape[:2] + (3,))
        cnt = np.zeros(out.shape[:2])
        filled = ~empty | (out[..., :3].sum(axis=2) > 0)
        for dy, dx in ((0, 1), (0, -1), (1, 0), (-1, 0)):
            src = np.roll(out[..., :3], (dy, dx), axis=(0, 1))
            ok = np.roll(filled, (dy, dx), axis=(0, 1))
            acc += src * ok[..., None]
            cnt += ok
        fill = empty & ~filled & (cnt > 0)
        out[..., :3][fill] = acc[fill] / cnt[fill][:, None]
    return out


def to_u8(rgba):
    return np.clip(np.rint(rgba * 255.0), 0, 255).astype(np.uint8)


def write_tga(path, rgba):
    """Uncompressed 32-bit TGA, bottom row first, 8 alpha bits, no ID."""
    img = to_u8(bleed(rgba_from_array(rgba)))
    h, w = img.shape[:2]
    header = struct.pack('<BBBHHBHHHHBB', 0, 0, 2, 0, 0, 0, 0, 0, w, h, 32, 8)
    bgra = img[::-1, :, [2, 1, 0, 3]]
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, 'wb') as f:
        f.write(header)
        f.write(bgra.tobytes())


def write_ini(path, skins):
    lines = []
    for i, s in enumerate(skins):
        lines.append('[Skin %d]' % i)
        lines.append('left=%d' % s['left'])
        lines.append('top=%d' % s['top'])
        lines.append('width=%d' % s['width'])
        lines.append('height=%d' % s['height'])
        if s.get('ax', 0):
            lines.append('origin_adjust_x=%d' % s['ax'])
        if s.get('ay', 0):
            lines.append('origin_adjust_y=%d' % s['ay'])
        lines.append('')
    with open(path, 'w', newline='\n') as f:
        f.write('\n'.join(lines))


class Sheet:
    """A texture being filled with sub-images. Cells are placed left to right
    in rows (shelf packing) with a transparent gutter so bilinear filtering
    never picks up a neighbour."""

    def __init__(self, width, height, gutter=1):
        self.w, self.h = width, height
        self.gutter = gutter
        self.data = np.zeros((height, width, 4))
        self.skins = []
        self.x = gutter
        self.y = gutter
        self.row_h = 0

    def place(self, w, h):
        g = self.gutter
        if self.x + w + g > self.w:
            self.x = g
            self.y += self.row_h + g
            self.row_h = 0
        if self.y + h + g > self.h or w + 2 * g > self.w:
            raise ValueError('sheet %dx%d full placing %dx%d' % (self.w, self.h, w, h))
        pos = (self.x, self.y)
        self.x += w + g
        self.row_h = max(self.row_h, h)
        return pos

    def add(self, img, ax=0, ay=0, at=None):
        """img: surface or RGBA array. ax/ay: origin adjustment (image moves
        right/down by that many pixels from the object's position)."""
        if isinstance(img, cairo.ImageSurface):
            img = surface_rgba(img)
        img = rgba_from_array(img)
        h, w = img.shape[:2]
        x, y = at if at else self.place(w, h)
        self.data[y:y + h, x:x + w] = img
        self.skins.append(dict(left=x, top=y, width=w, height=h, ax=ax, ay=ay))
        return len(self.skins) - 1

    def add_region(self, x, y, w, h, ax=0, ay=0):
        """A skin over pixels already painted into the sheet."""
        self.skins.append(dict(left=x, top=y, width=w, height=h, ax=ax, ay=ay))

    def crop_to_content(self):
        """Shrinks the sheet to the used area (keeps the gutter)."""
        used_w = max(s['left'] + s['width'] for s in self.skins) + self.gutter
        used_h = max(s['top'] + s['height'] for s in self.skins) + self.gutter
        self.data = self.data[:used_h, :used_w]
        self.w, self.h = used_w, used_h

    def save(self, out_dir, name, crop=True):
        if crop:
            self.crop_to_content()
        path = os.path.join(out_dir, name)
        write_tga(path, self.data)
        write_ini(path + '.ini', self.skins)


def frames_sheet(out, name, frames, size, gutter=1):
    sheet = Sheet(size[0], size[1], gutter=gutter)
    for f in frames:
        sheet.add(f)
    sheet.save(out, name)


def save_single(out_dir, name, img, skins=None):
    if isinstance(img, cairo.ImageSurface):
        img = surface_rgba(img)
    path = os.path.join(out_dir, name)
    write_tga(path, img)
    if skins is not None:
        write_ini(path + '.ini', skins)


# ---------------------------------------------------------------- drawing aids

def rgb(ctx, r, g, b, a=1.0):
    ctx.set_source_rgba(r, g, b, a)


def grey(ctx, v, a=1.0):
    ctx.set_source_rgba(v, v, v, a)


def lin(x0, y0, x1, y1, stops):
    p = cairo.LinearGradient(x0, y0, x1, y1)
    for s in stops:
        p.add_color_stop_rgba(*s)
    return p


def rad(cx, cy, r0, r1, stops, fx=None, fy=None):
    p = cairo.RadialGradient(fx if fx is not None else cx, fy if fy is not None else cy, r0, cx, cy, r1)
    for s in stops:
        p.add_color_stop_rgba(*s)
    return p


def ellipse(ctx, cx, cy, rx, ry):
    ctx.save()
    ctx.translate(cx, cy)
    ctx.scale(max(rx, 1e-6), max(ry, 1e-6))
    ctx.arc(0, 0, 1, 0, TAU)
    ctx.restore()


def rounded_rect(ctx, x, y, w, h, r):
    r = min(r, w / 2, h / 2)
    ctx.new_sub_path()
    ctx.arc(x + w - r, y + r, r, -math.pi / 2, 0)
    ctx.arc(x + w - r, y + h - r, r, 0, math.pi / 2)
    ctx.arc(x + r, y + h - r, r, math.pi / 2, math.pi)
    ctx.arc(x + r, y + r, r, math.pi, 1.5 * math.pi)
    ctx.close_path()


def poly(ctx, pts):
    ctx.move_to(*pts[0])
    for p in pts[1:]:
        ctx.line_to(*p)
    ctx.close_path()


class Rng:
    """Small deterministic generator (numpy's legacy RandomState is stable
    across versions, so every build draws the same numbers)."""

    def __init__(self, seed):
        self.r = np.random.RandomState(seed)

    def u(self, a=0.0, b=1.0):
        return float(self.r.uniform(a, b))

    def n(self, s=1.0):
        return float(self.r.normal(0, s))

    def i(self, a, b):
        return int(self.r.randint(a, b))
