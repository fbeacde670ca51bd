"""Drawing helpers of our skins' make-skin scripts: an RGB image with shapes
sampled 4 x 4 per pixel, strips of state images, and 24-bit BMP output.
Magenta is the transparent colour of skin images."""
import struct

MAGENTA = (255, 0, 255)


def mix(a, b, t):
    return tuple(round(a[i] + (b[i] - a[i]) * t) for i in range(3))


class Image:
    def __init__(self, w, h, fill=MAGENTA):
        self.w, self.h = w, h
        self.px = [[fill] * w for _ in range(h)]

    def get(self, x, y):
        return self.px[y][x]

    def set(self, x, y, c):
        if 0 <= x < self.w and 0 <= y < self.h:
            self.px[y][x] = c

    def shape(self, inside, colour, soft=True):
        """Paints colour where inside(x, y) holds, sampled 4 x 4 per pixel.
        Edge pixels are blended with what is there, except over magenta,
        which stays a hard edge so that transparency is all or nothing."""
        for y in range(self.h):
            for x in range(self.w):
                n = sum(inside(x + (i + 0.5) / 4, y + (j + 0.5) / 4) for i in range(4) for j in range(4))
                if n == 0:
                    continue
                col = colour(x, y) if callable(colour) else colour
                old = self.px[y][x]
                if n == 16:
                    self.px[y][x] = col
                elif old == MAGENTA or not soft:
                    if n >= 8:
                        self.px[y][x] = col
                else:
                    self.px[y][x] = mix(old, col, n / 16)


def rounded(x0, y0, x1, y1, r):
    """Inside test of the rounded rectangle [x0, x1) x [y0, y1)."""
    def inside(x, y):
        if x < x0 or x >= x1 or y < y0 or y >= y1:
            return False
        cx = min(max(x, x0 + r), x1 - r)
        cy = min(max(y, y0 + r), y1 - r)
        return (x - cx) ** 2 + (y - cy) ** 2 <= r * r
    return inside


def polygon(points):
    def inside(x, y):
        c = False
        n = len(points)
        for i in range(n):
            (xa, ya), (xb, yb) = points[i], points[(i + 1) % n]
            if (ya > y) != (yb > y) and x < xa + (y - ya) * (xb - xa) / (yb - ya):
                c = not c
        return c
    return inside


def disc(cx, cy, r):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def band(x0, y0, x1, y1, width):
    """A straight stroke from (x0, y0) to (x1, y1), width pixels wide."""
    def inside(x, y):
        dx, dy = x1 - x0, y1 - y0
        length2 = dx * dx + dy * dy
        t = max(0.0, min(1.0, ((x - x0) * dx + (y - y0) * dy) / length2))
        px, py = x0 + t * dx, y0 + t * dy
        return (x - px) ** 2 + (y - py) ** 2 <= (width / 2) ** 2
    return inside


def vgrad(top, bottom, y0, y1):
    return lambda x, y: mix(top, bottom, min(1.0, max(0.0, (y - y0) / max(1, y1 - y0 - 1))))


def button_box(img, ox, oy, w, h, r, outline, top, bottom, ring=1):
    """A rounded box with an outline ring and a vertical gradient inside."""
    img.shape(lambda x, y: rounded(ox, oy, ox + w, oy + h, r)(x, y), outline)
    img.shape(lambda x, y: rounded(ox + ring, oy + ring, ox + w - ring, oy + h - ring, max(0, r - ring))(x, y),
              vgrad(top, bottom, oy + ring, oy + h - ring))


def hstack(images):
    out = Image(sum(i.w for i in images), max(i.h for i in images))
    x = 0
    for i in images:
        for y in range(i.h):
            out.px[y][x:x + i.w] = i.px[y]
        x += i.w
    return out


def vstack(images):
    out = Image(max(i.w for i in images), sum(i.h for i in images))
    y = 0
    for i in images:
        for row in range(i.h):
            out.px[y + row][0:i.w] = i.px[row]
        y += i.h
    return out


def transpose(img):
    out = Image(img.h, img.w)
    for y in range(img.h):
        for x in range(img.w):
            out.px[x][y] = img.px[y][x]
    return out


def flip_v(img):
    out = Image(img.w, img.h)
    out.px = [list(r) for r in reversed(img.px)]
    return out


def flip_h(img):
    out = Image(img.w, img.h)
    out.px = [list(reversed(r)) for r in img.px]
    return out


def crop(img, x0, y0, x1, y1):
    out = Image(x1 - x0, y1 - y0)
    out.px = [list(img.px[y][x0:x1]) for y in range(y0, y1)]
    return out


def save(img, name):
    """A 24-bit BMP file, rows from the bottom, no resolution given."""
    stride = (img.w * 3 + 3) & ~3
    data = bytearray()
    for row in reversed(img.px):
        line = bytearray()
        for (r, g, b) in row:
            line += bytes((b, g, r))
        data += line + bytes(stride - len(line))
    header = struct.pack('<2sIHHI', b'BM', 54 + len(data), 0, 0, 54)
    info = struct.pack('<IiiHHIIiiII', 40, img.w, img.h, 1, 24, 0, len(data), 0, 0, 0, 0)
    with open(name, 'wb') as f:
        f.write(header + info + data)

