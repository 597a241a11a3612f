#!/usr/bin/env python3
"""Draws the uninstaller's artwork: the window's background picture (Image1.bmp, 396 x 248,
24 bits), the same picture drawn again for 144, 192 and 288 DPI (Image1-144.png and so on, 1.5,
2 and 3 times the size) and the icon (Uninstall.ico, 32 x 32, 256 colours). Standard library
only; the outputs are committed, so the build never runs this. Usage: gen_art.py [output folder]"""
import math
import os
import struct
import sys
import zlib

W, H = 396, 248
SS = 4  # samples per pixel side


def mix(a, b, t):
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(3))


def hexc(s):
    return tuple(int(s[i:i + 2], 16) for i in (0, 2, 4))


# Signed distances (negative inside) of a few shapes.
def sd_round_rect(px, py, x0, y0, x1, y1, r):
    cx, cy = (x0 + x1) / 2, (y0 + y1) / 2
    hx, hy = (x1 - x0) / 2 - r, (y1 - y0) / 2 - r
    qx, qy = abs(px - cx) - hx, abs(py - cy) - hy
    out = math.hypot(max(qx, 0), max(qy, 0))
    return out + min(max(qx, qy), 0) - r


def sd_circle(px, py, cx, cy, r):
    return math.hypot(px - cx, py - cy) - r


def sd_segment(px, py, ax, ay, bx, by, w):
    dx, dy = bx - ax, by - ay
    l2 = dx * dx + dy * dy
    t = 0 if l2 == 0 else max(0, min(1, ((px - ax) * dx + (py - ay) * dy) / l2))
    return math.hypot(px - ax - t * dx, py - ay - t * dy) - w


def sd_arc(px, py, cx, cy, r, w, a0, a1):
    # Stroke along the circle from angle a0 to a1 (degrees, y downwards), round ends.
    ang = math.degrees(math.atan2(py - cy, px - cx)) % 360
    lo, hi = a0 % 360, (a0 % 360) + ((a1 - a0) % 360 or 360)
    if lo <= ang <= hi or lo <= ang + 360 <= hi:
        return abs(math.hypot(px - cx, py - cy) - r) - w
    e = []
    for a in (a0, a1):
        ex = cx + r * math.cos(math.radians(a))
        ey = cy + r * math.sin(math.radians(a))
        e.append(math.hypot(px - ex, py - ey) - w)
    return min(e)


def sd_triangle(px, py, pts):
    # Convex polygon, points clockwise on screen.
    d = -1e9
    n = len(pts)
    for i in range(n):
        ax, ay = pts[i]
        bx, by = pts[(i + 1) % n]
        ex, ey = bx - ax, by - ay
        l = math.hypot(ex, ey)
        d = max(d, ((px - ax) * ey - (py - ay) * ex) / l)
    return d


class Canvas:
    """Pixels of a picture laid out in units of the 96-DPI picture and drawn k times its size:
    shapes and fills are given in layout units and sampled at each pixel's own place."""

    def __init__(self, w, h, fill, k=1):
        self.k = k
        self.w, self.h = int(round(w * k)), int(round(h * k))
        # At k = 1 these are the pixels' own coordinates, exactly.
        self.px = [[fill((x + 0.5) / k - 0.5, (y + 0.5) / k - 0.5) for x in range(self.w)]
                   for y in range(self.h)]

    def shape(self, sdf, color, box, alpha=1.0):
        """Paints color where sdf < 0, antialiased by supersampling, inside box."""
        k = self.k
        grow = 0 if k == 1 else int(math.ceil(k))
        x0, y0, x1, y1 = [int(v * k) for v in box]
        for y in range(max(0, y0), min(self.h, y1 + grow + 1)):
            for x in range(max(0, x0), min(self.w, x1 + grow + 1)):
                hits = 0
                for sy in range(SS):
                    for sx in range(SS):
                        if sdf((x + (sx + 0.5) / SS) / k, (y + (sy + 0.5) / SS) / k) < 0:
                            hits += 1
                if hits:
                    c = color(x / k, y / k) if callable(color) else color
                    self.px[y][x] = mix(self.px[y][x], c, alpha * hits / (SS * SS))


# Stroke glyphs on a box of width gw and x-height xh, baseline at y0 + cap.
def glyph_strokes(ch, x, base, s):
    """Returns the stroke shapes of one letter and its advance; s is the x-height."""
    w = s * 0.62
    asc = s * 1.45
    r = w / 2
    cy = base - s / 2
    shapes = []
    if ch == 'T':
        tw = s * 1.0
        shapes += [('seg', x, base - asc, x + tw, base - asc), ('seg', x + tw / 2, base - asc, x + tw / 2, base)]
        return shapes, tw + s * 0.22
    if ch == 'a':
        shapes += [('arc', x + r, cy, r, 0, 360), ('seg', x + w, base - s, x + w, base)]
    elif ch == 'r':
        shapes += [('seg', x, base - s, x, base), ('arc', x + r, cy, r, 180, 300)]
        return shapes, w * 0.85 + s * 0.25
    elif ch == 'v':
        shapes += [('seg', x, base - s, x + w / 2, base), ('seg', x + w / 2, base, x + w, base - s)]
    elif ch == 'o':
        shapes += [('arc', x + r, cy, r, 0, 360)]
    elif ch == 'l':
        shapes += [('seg', x, base - asc, x, base)]
        return shapes, s * 0.32
    elif ch == 'i':
        shapes += [('seg', x, base - s, x, base), ('dot', x, base - s - s * 0.38)]
        return shapes, s * 0.32
    elif ch == 'n':
        shapes += [('seg', x, base - s, x, base), ('arc', x + r, cy, r, 180, 360),
                   ('seg', x + w, cy, x + w, base)]
    elif ch == 'k':
        shapes += [('seg', x, base - asc, x, base), ('seg', x, base - s * 0.35, x + w * 0.9, base - s),
                   ('seg', x + w * 0.3, base - s * 0.52, x + w * 0.95, base)]
    return shapes, w + s * 0.3


def draw_text(cv, text, x, base, s, width, color):
    for ch in text:
        shapes, adv = glyph_strokes(ch, x, base, s)
        for sh in shapes:
            if sh[0] == 'seg':
                _, ax, ay, bx, by = sh
                cv.shape(lambda px, py, a=(ax, ay, bx, by): sd_segment(px, py, *a, width), color,
                         (min(ax, bx) - width - 1, min(ay, by) - width - 1, max(ax, bx) + width + 1, max(ay, by) + width + 1))
            elif sh[0] == 'arc':
                _, cx, cy, rr, a0, a1 = sh
                cv.shape(lambda px, py, a=(cx, cy, rr, a0, a1): sd_arc(px, py, a[0], a[1], a[2], width, a[3], a[4]),
                         color, (cx - rr - width - 1, cy - rr - width - 1, cx + rr + width + 1, cy + rr + width + 1))
            elif sh[0] == 'dot':
                _, cx, cy = sh
                cv.shape(lambda px, py, a=(cx, cy): sd_circle(px, py, a[0], a[1], width * 1.15), color,
                         (cx - 4, cy - 4, cx + 4, cy + 4))
        x += adv
    return x


def text_width(text, s):
    x = 0
    for ch in text:
        x += glyph_strokes(ch, 0, 0, s)[1]
    return x


def draw_disk(cv, x, y, w, h, body, edge, platter, led, arm=True):
    """A stylised hard disk seen from above: a rounded case, a platter and an access arm."""
    cv.shape(lambda px, py: sd_round_rect(px, py, x, y, x + w, y + h, h * 0.14), edge, (x - 1, y - 1, x + w + 1, y + h + 1))
    cv.shape(lambda px, py: sd_round_rect(px, py, x + 1.2, y + 1.2, x + w - 1.2, y + h - 1.2, h * 0.12), body,
             (x, y, x + w, y + h))
    pr = h * 0.34
    pcx, pcy = x + w * 0.42, y + h * 0.5
    cv.shape(lambda px, py: sd_circle(px, py, pcx, pcy, pr), platter, (pcx - pr - 1, pcy - pr - 1, pcx + pr + 1, pcy + pr + 1))
    cv.shape(lambda px, py: abs(sd_circle(px, py, pcx, pcy, pr * 0.62)) - max(0.45, h * 0.012), mix(platter, edge, 0.35),
             (pcx - pr, pcy - pr, pcx + pr, pcy + pr))
    cv.shape(lambda px, py: sd_circle(px, py, pcx, pcy, pr * 0.16), edge, (pcx - pr, pcy - pr, pcx + pr, pcy + pr))
    ax, ay = x + w * 0.86, y + h * 0.2
    if arm:  # too fine to read at icon size
        cv.shape(lambda px, py: sd_segment(px, py, ax, ay, pcx + pr * 0.35, pcy + pr * 0.2, max(0.8, h * 0.035)),
                 edge, (pcx - 1, ay - 3, ax + 3, pcy + pr))
        cv.shape(lambda px, py: sd_circle(px, py, ax, ay, max(1.2, h * 0.06)), edge, (ax - 4, ay - 4, ax + 4, ay + 4))
    lx, ly = x + w * 0.86, y + h * 0.8
    cv.shape(lambda px, py: sd_circle(px, py, lx, ly, max(0.9, h * 0.045)), led, (lx - 3, ly - 3, lx + 3, ly + 3))


def draw_arrow(cv, x0, x1, cy, thick, head, color):
    cv.shape(lambda px, py: sd_segment(px, py, x0, cy, x1 - head * 0.8, cy, thick), color,
             (x0 - thick - 1, cy - thick - 1, x1, cy + thick + 1))
    pts = [(x1 - head * 1.1, cy - head * 0.75), (x1, cy), (x1 - head * 1.1, cy + head * 0.75)]
    cv.shape(lambda px, py: sd_triangle(px, py, pts), color, (x1 - head * 1.2, cy - head, x1 + 1, cy + head))


def background(k=1):
    top, bottom = hexc('1d3f5e'), hexc('2f6d96')
    pale_top, pale_bottom = hexc('eef3f7'), hexc('dfe8ef')
    band = 84

    def fill(x, y):
        if y < band:
            t = x / (W - 1) * 0.7 + y / band * 0.3
            return mix(top, bottom, t)
        t = (y - band) / (H - band)
        return mix(pale_top, pale_bottom, t)

    cv = Canvas(W, H, fill, k)
    # A thin light line under the banner.
    cv.shape(lambda px, py: -1 if band <= py < band + 2 else 1, hexc('8fb8d6'), (0, band, W - 1, band + 2))
    # Source disk, arrow, copy.
    case, edge, platter = hexc('dfe7ee'), hexc('30465a'), hexc('b7c8d6')
    draw_disk(cv, 20, 18, 58, 44, case, edge, platter, hexc('5ad17a'))
    draw_arrow(cv, 86, 118, 40, 2.4, 9, hexc('f2c14e'))
    draw_disk(cv, 126, 18, 58, 44, case, edge, platter, hexc('5ad17a'))
    # Product name on the right of the banner.
    name = 'Tarvolink'
    s = 20
    x = W - 22 - text_width(name, s)
    draw_text(cv, name, x, 54, s, 1.9, hexc('ffffff'))
    # A faint rule above the bottom margin, clear of the "Quit" button.
    cv.shape(lambda px, py: -1 if 214 <= py < 215 and 24 <= px < W - 24 else 1, hexc('c3d1dc'), (24, 214, W - 24, 215))
    return cv


def write_bmp(cv, path):
    row = (cv.w * 3 + 3) & ~3
    data = bytearray()
    for y in range(cv.h - 1, -1, -1):
        line = bytearray()
        for x in range(cv.w):
            r, g, b = (max(0, min(255, int(round(v)))) for v in cv.px[y][x])
            line += bytes((b, g, r))
        line += b'\0' * (row - len(line))
        data += line
    header = struct.pack('<2sIHHI', b'BM', 14 + 40 + len(data), 0, 0, 54)
    info = struct.pack('<IiiHHIIiiII', 40, cv.w, cv.h, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    with open(path, 'wb') as f:
        f.write(header + info + data)


def rows_rgb(cv):
    for y in range(cv.h):
        yield bytes(max(0, min(255, int(round(v)))) for px in cv.px[y] for v in px)


def png_filtered(line, prev):
    """The row with the filter that leaves the smallest sum of magnitudes, PNG's usual guess."""
    bpp = 3
    n = len(line)
    best = None
    for kind in range(5):
        out = bytearray((kind,))
        for i in range(n):
            a = line[i - bpp] if i >= bpp else 0
            b = prev[i]
            c = prev[i - bpp] if i >= bpp else 0
            if kind == 0:
                pred = 0
            elif kind == 1:
                pred = a
            elif kind == 2:
                pred = b
            elif kind == 3:
                pred = (a + b) // 2
            else:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                pred = a if pa <= pb and pa <= pc else (b if pb <= pc else c)
            out.append((line[i] - pred) & 0xFF)
        cost = sum(v if v < 128 else 256 - v for v in out[1:])
        if best is None or cost < best[0]:
            best = (cost, out)
    return best[1]


def write_png(cv, path):
    raw = bytearray()
    prev = bytes(cv.w * 3)
    for line in rows_rgb(cv):
        raw += png_filtered(line, prev)
        prev = line

    def chunk(kind, data):
        return struct.pack('>I', len(data)) + kind + data + struct.pack('>I', zlib.crc32(kind + data))

    head = struct.pack('>IIBBBBB', cv.w, cv.h, 8, 2, 0, 0, 0)
    with open(path, 'wb') as f:
        f.write(b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', head) + chunk(b'IDAT', zlib.compress(bytes(raw), 9)) +
                chunk(b'IEND', b''))


def icon_canvas():
    n = 32
    cv = Canvas(n, n, lambda x, y: (0, 0, 0))
    cover = Canvas(n, n, lambda x, y: (0, 0, 0))  # coverage in the red channel
    case, edge, platter = hexc('dfe7ee'), hexc('203a52'), hexc('a9bfd1')

    def both(fn):
        fn(cv, False)
        fn(cover, True)

    def disk(c, mask, x, y):
        if mask:
            c.shape(lambda px, py: sd_round_rect(px, py, x, y, x + 18, y + 14, 2.4), (255, 0, 0), (x - 1, y - 1, x + 19, y + 15))
        else:
            draw_disk(c, x, y, 18, 14, case, edge, platter, hexc('3fbf60'), arm=False)

    both(lambda c, m: disk(c, m, 1, 2))
    both(lambda c, m: disk(c, m, 13, 16))

    def arrow(c, mask):
        col = (255, 0, 0) if mask else hexc('e8a317')
        c.shape(lambda px, py: sd_segment(px, py, 6, 18, 6, 25, 1.6), col, (3, 16, 9, 27))
        c.shape(lambda px, py: sd_segment(px, py, 6, 25, 9, 25, 1.6), col, (3, 22, 11, 27))
        pts = [(9, 21.2), (13.2, 25), (9, 28.8)]
        c.shape(lambda px, py: sd_triangle(px, py, pts), col, (8, 20, 14, 30))

    both(arrow)
    return cv, cover


def write_ico(cv, cover, path):
    n = cv.w
    # 6x6x6 colour cube plus 40 greys: enough for flat artwork.
    pal = [(r * 51, g * 51, b * 51) for r in range(6) for g in range(6) for b in range(6)]
    pal += [(int(i * 255 / 39),) * 3 for i in range(40)]

    def nearest(c):
        return min(range(256), key=lambda i: sum((pal[i][k] - c[k]) ** 2 for k in range(3)))

    cache = {}
    xor = bytearray()
    andm = bytearray()
    arow = ((n + 31) // 32) * 4
    for y in range(n - 1, -1, -1):
        bits = 0
        mrow = bytearray(arow)
        for x in range(n):
            a = cover.px[y][x][0] / 255
            c = tuple(int(round(v)) for v in cv.px[y][x])
            if a >= 0.5:
                # Undo the blend with the black canvas so edges keep their colour.
                c = tuple(min(255, int(v / a)) for v in c)
                idx = cache.setdefault(c, nearest(c))
            else:
                idx = 0
                mrow[x // 8] |= 0x80 >> (x % 8)
            xor.append(idx)
        andm += mrow
    palette = b''.join(bytes((b, g, r, 0)) for r, g, b in pal)
    bih = struct.pack('<IiiHHIIiiII', 40, n, n * 2, 1, 8, 0, len(xor) + len(andm), 0, 0, 256, 0)
    image = bih + palette + bytes(xor) + bytes(andm)
    head = struct.pack('<HHH', 0, 1, 1)
    entry = struct.pack('<BBBBHHII', n, n, 0, 0, 1, 8, len(image), 6 + 16)
    with open(path, 'wb') as f:
        f.write(head + entry + image)


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    write_bmp(background(), os.path.join(out, 'Image1.bmp'))
    # The same layout drawn for higher scales: the program takes the nearest at or above the
    # display's and reduces it for the scales in between.
    for dpi in (144, 192, 288):
        write_png(background(dpi / 96), os.path.join(out, 'Image1-%d.png' % dpi))
    cv, cover = icon_canvas()
    write_ico(cv, cover, os.path.join(out, 'Uninstall.ico'))


if __name__ == '__main__':
    main()
