#!/usr/bin/env python3
"""Generates the main window's artwork and the program icon.

Writes, relative to the repository root:
  resources/background.jpg   464x343 splash: backdrop, KORVADEL logo, plain button words
  resources/install-lit.jpg  123x52 crop at (12,289) with "install" lit
  resources/nfo-lit.jpg      69x49 crop at (204,292) with ".nfo" lit
  resources/quit-lit.jpg     73x51 crop at (360,290) with "quit" lit
  resources/install.ico      one 32x32 image, 16 colours (4 bpp) with an AND mask

Needs only Python 3, ImageMagick's `convert` and the Liberation fonts
(Debian: imagemagick fonts-liberation).
Everything is seeded, so a re-run reproduces the same pictures. The outputs
are committed; re-run this after changing it and commit them together.

  tools/make-artwork.py [--preview PNG]

--preview also writes a PNG (not committed) showing the background with each
lit picture pasted in place and a grey sample status line, for eyeballing.
"""

import argparse
import math
import os
import random
import struct
import subprocess
import sys
import tempfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
RES = os.path.join(ROOT, "resources")

W, H = 464, 343
SEED = 0x4B0A7DE1

LOGO_FONT = "Liberation-Serif-Bold"
WORD_FONT = "Liberation-Sans"
STATUS_FONT = "Liberation-Sans"

# Where the program shows things over the background (client pixels).
STATUS_BAND = (60, 261, 404, 18)

# name, text, lit picture (x, y, w, h), word centre (cx, cy), clickable area.
# The words share one centre line so that they read as a row.  Across, each
# sits between the middle of its box and the middle of its clickable area, so
# it looks centred on the box yet stays where a click on it lands.
BUTTONS = [
    ("install", "install", (12, 289, 123, 52), (72, 313), (17, 291, 107, 37)),
    ("nfo", ".nfo", (204, 292, 69, 49), (237, 313), (209, 295, 52, 34)),
    ("quit", "quit", (360, 290, 73, 51), (394, 313), (364, 294, 58, 37)),
]
# The program draws install-lit.jpg into a box one pixel narrower than the
# picture, so its last column never shows; it must carry nothing of the word.
INSTALL_SHOWN_WIDTH = 122

WORD_SIZE = 22
WORD_PLAIN = "#bdbdc4"
WORD_LIT = "#fffcf0"
WORD_GLOW = "#ff9a2e"
WORD_GLOW_SIGMA = 3.0

JPEG_ARGS = ["-quality", "92", "-interlace", "none", "-sampling-factor", "1x1",
             "-strip"]


def run(*args):
    subprocess.run(["convert", *map(str, args)], check=True)


# --- pixel files --------------------------------------------------------------

def write_ppm(path, w, h, rgb):
    with open(path, "wb") as f:
        f.write(b"P6\n%d %d\n255\n" % (w, h))
        f.write(bytes(rgb))


def read_pnm(path):
    """Reads a binary PGM/PPM as written by convert; returns (w, h, channels, bytes)."""
    with open(path, "rb") as f:
        data = f.read()
    fields = []
    pos = 0
    while len(fields) < 4:
        while data[pos:pos + 1].isspace():
            pos += 1
        if data[pos:pos + 1] == b"#":
            pos = data.index(b"\n", pos) + 1
            continue
        end = pos
        while not data[end:end + 1].isspace():
            end += 1
        fields.append(data[pos:end])
        pos = end
    pos += 1
    magic, w, h, maxval = fields[0], int(fields[1]), int(fields[2]), int(fields[3])
    if maxval != 255 or magic not in (b"P5", b"P6"):
        raise ValueError("%s: unexpected PNM header" % path)
    ch = 3 if magic == b"P6" else 1
    pix = data[pos:pos + w * h * ch]
    if len(pix) != w * h * ch:
        raise ValueError("%s: truncated" % path)
    return w, h, ch, pix


# --- backdrop -----------------------------------------------------------------

class ValueNoise:
    def __init__(self, rng, size=256):
        self.size = size
        self.vals = [rng.random() for _ in range(size)]
        perm = list(range(size))
        rng.shuffle(perm)
        self.perm = perm + perm

    def at(self, x, y):
        xi, yi = math.floor(x), math.floor(y)
        xf, yf = x - xi, y - yi
        m = self.size - 1
        p, v = self.perm, self.vals
        xi &= m
        yi &= m
        a, b = p[xi], p[xi + 1]
        v00, v10 = v[p[a + yi]], v[p[b + yi]]
        v01, v11 = v[p[a + yi + 1]], v[p[b + yi + 1]]
        u = xf * xf * (3 - 2 * xf)
        w = yf * yf * (3 - 2 * yf)
        top = v00 + (v10 - v00) * u
        bot = v01 + (v11 - v01) * u
        return top + (bot - top) * w

    def fbm(self, x, y, octaves):
        total, amp, norm = 0.0, 1.0, 0.0
        for _ in range(octaves):
            total += self.at(x, y) * amp
            norm += amp
            x, y = x * 2.03 + 17.1, y * 2.03 + 5.7
            amp *= 0.5
        return total / norm


def smoothstep(e0, e1, x):
    t = min(1.0, max(0.0, (x - e0) / (e1 - e0)))
    return t * t * (3 - 2 * t)


def mix(a, b, t):
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(3))


def make_backdrop(path):
    """Night sky with a violet-and-teal nebula that brightens behind the logo
    and calms down towards the bottom, where the status line and the buttons
    are drawn."""
    rng = random.Random(SEED)
    density = ValueNoise(rng)
    hue = ValueNoise(rng)
    warp = ValueNoise(rng)

    top = (14, 16, 40)
    bottom = (4, 5, 12)
    violet = (120, 46, 150)
    teal = (30, 110, 150)
    ember = (255, 140, 60)
    logo_cx, logo_cy = W / 2, 128

    # Stars first so that they can be dimmed with the rest of the band below.
    stars = {}
    for _ in range(420):
        x, y = rng.randrange(W), rng.randrange(H)
        b = rng.random() ** 3
        tint = rng.choice([(1.0, 1.0, 1.0), (0.8, 0.9, 1.0), (1.0, 0.9, 0.75)])
        stars[(x, y)] = tuple(255 * b * c for c in tint)
    bright = [(rng.randrange(8, W - 8), rng.randrange(30, 230)) for _ in range(9)]

    rgb = bytearray(W * H * 3)
    s = 1 / 120.0
    for y in range(H):
        gy = y / (H - 1)
        base = mix(top, bottom, gy)
        # Fade the nebula out from below the logo to the foot of the window.
        calm = 1.0 - smoothstep(200, 268, y) * 0.85
        for x in range(W):
            wx = warp.fbm(x * s * 0.8, y * s * 0.8, 3)
            wy = warp.fbm(x * s * 0.8 + 40.0, y * s * 0.8 + 9.0, 3)
            d = density.fbm(x * s + 1.6 * wx, y * s * 1.3 + 1.6 * wy, 5)
            d = smoothstep(0.42, 0.78, d)
            h = smoothstep(0.3, 0.7, hue.fbm(x * s * 0.6 + 3.0, y * s * 0.6, 3))
            neb = mix(violet, teal, h)
            # A warm heart behind the logo.
            dx, dy = (x - logo_cx) / 210.0, (y - logo_cy) / 95.0
            core = math.exp(-(dx * dx + dy * dy) * 1.6)
            c = [base[i] + neb[i] * d * 0.75 * calm for i in range(3)]
            c = [c[i] + ember[i] * core * (0.10 + 0.22 * d) for i in range(3)]
            # Vignette.
            vx, vy = (x - W / 2) / (W / 2), (y - H * 0.45) / (H * 0.7)
            vig = 1.0 - 0.45 * min(1.0, vx * vx * 0.6 + vy * vy)
            c = [v * vig for v in c]
            st = stars.get((x, y))
            if st:
                k = calm * (0.5 + 0.5 * d)
                c = [c[i] + st[i] * k for i in range(3)]
            o = (y * W + x) * 3
            rgb[o:o + 3] = bytes(max(0, min(255, int(v + 0.5))) for v in c)

    # A few larger stars with short diffraction spikes.
    for bx, by in bright:
        for r in range(-4, 5):
            fall = (1 - abs(r) / 5.0) ** 2
            for px, py, k in ((bx + r, by, fall), (bx, by + r, fall)):
                if 0 <= px < W and 0 <= py < H:
                    o = (py * W + px) * 3
                    add = 220 * k if r else 255
                    for i, t in enumerate((1.0, 0.95, 0.85)):
                        rgb[o + i] = min(255, int(rgb[o + i] + add * t))
    write_ppm(path, W, H, rgb)


# --- logo ---------------------------------------------------------------------

def make_logo(tmp, backdrop, out):
    """Composites the KORVADEL logo over the backdrop: tall bevelled gold
    letters with a dark rim, a warm glow and a light streak through them."""
    t = lambda name: os.path.join(tmp, name)
    run("-background", "black", "-fill", "white", "-font", LOGO_FONT,
        "-pointsize", 64, "-kerning", 3, "label:KORVADEL", "-trim", "+repage",
        "-resize", "100x138%", t("logo-text.png"))
    lw, lh = (int(v) for v in subprocess.run(
        ["identify", "-format", "%w %h", t("logo-text.png")],
        check=True, capture_output=True, text=True).stdout.split())
    top = 128 - lh // 2
    left = (W - lw) // 2
    run("-size", "%dx%d" % (W, H), "xc:black", t("logo-text.png"),
        "-geometry", "+%d+%d" % (left, top), "-composite", t("mask.png"))

    # Polished metal: bright upper half, a hard horizon, darker lower half that
    # catches light again at the foot of the letters.
    half = lh // 2
    run("-size", "%dx%d" % (W, top), "xc:black",
        "(", "-size", "%dx%d" % (W, half), "gradient:#fffbea-#f0b44a", ")",
        "(", "-size", "%dx%d" % (W, lh - half), "gradient:#7a3408-#ffd27a", ")",
        "(", "-size", "%dx%d" % (W, H - top - lh), "xc:black", ")",
        "-append", t("metal.png"))
    run(t("mask.png"), "-blur", "0x2", "-shade", "125x38", "-auto-level",
        t("bevel.png"))
    run(t("metal.png"), t("bevel.png"), "-compose", "hardlight", "-composite",
        t("mask.png"), "-alpha", "off", "-compose", "CopyOpacity", "-composite",
        t("letters.png"))

    # Layers under the letters: drop shadow, dark rim, glows.
    run(t("mask.png"), "-morphology", "Dilate", "Disk:2.5", t("rim-mask.png"))
    run("-size", "%dx%d" % (W, H), "xc:#160800", t("rim-mask.png"), "-alpha", "off",
        "-compose", "CopyOpacity", "-composite", t("rim.png"))
    run(t("rim-mask.png"), "-blur", "0x4", "-roll", "+3+5", "-evaluate",
        "multiply", 0.85, t("shadow-mask.png"))
    run("-size", "%dx%d" % (W, H), "xc:black", t("shadow-mask.png"), "-alpha", "off",
        "-compose", "CopyOpacity", "-composite", t("shadow.png"))
    run(t("mask.png"), "-morphology", "Dilate", "Disk:3", "-blur", "0x9",
        "-evaluate", "multiply", 0.9, "(", "+clone", "-fill", "#ff7a1c",
        "-colorize", "100", ")", "+swap", "-compose", "multiply", "-composite",
        t("glow-warm.png"))
    run(t("mask.png"), "-blur", "0x26", "-auto-level", "-evaluate", "multiply",
        0.55, "(", "+clone", "-fill", "#4a6cff", "-colorize", "100", ")", "+swap",
        "-compose", "multiply", "-composite", t("glow-cool.png"))

    # A thin horizontal streak with a flare where it crosses the logo's
    # middle, and a fading rule under the name.
    cy = top + lh // 2
    run("-size", "%dx%d" % (W, H), "xc:black", "-fill", "#ffb060",
        "-draw", "ellipse %d,%d %d,1.2 0,360" % (W // 2, cy, W // 2 - 6),
        "-blur", "0x1.2",
        "-fill", "#ffe2b0", "-draw", "ellipse %d,%d 60,2.2 0,360" % (W // 2, cy),
        "-blur", "0x1",
        "(", "-size", "%dx%d" % (W, H), "xc:black", "-fill", "#ffc880",
        "-draw", "circle %d,%d %d,%d" % (W // 2, cy, W // 2 + 14, cy),
        "-blur", "0x14", ")", "-compose", "screen", "-composite",
        t("streak.png"))
    make_rule(t("rule.png"), top + lh + 16, 60, "#b07a40", 0.8)
    # A fainter one parts the status line from the button words.
    make_rule(t("divider.png"), 284, 24, "#8090c0", 0.35)

    run(backdrop,
        t("glow-cool.png"), "-compose", "screen", "-composite",
        t("shadow.png"), "-compose", "over", "-composite",
        t("glow-warm.png"), "-compose", "screen", "-composite",
        t("rim.png"), "-compose", "over", "-composite",
        t("letters.png"), "-compose", "over", "-composite",
        t("streak.png"), "-compose", "screen", "-composite",
        t("rule.png"), "-compose", "screen", "-composite",
        t("divider.png"), "-compose", "screen", "-composite",
        "-alpha", "off", out)


def make_rule(out, y, margin, colour, strength):
    """Full-canvas layer, to be screened on: a one-pixel line across the
    window at row y that fades out towards both ends."""
    length = W - 2 * margin
    run("-size", "1x%d" % length, "gradient:#000000-" + colour, "-rotate", 90,
        "(", "+clone", "-flop", ")", "-compose", "darken", "-composite",
        "-auto-level", "-evaluate", "multiply", strength, out + ".line.png")
    run("-size", "%dx%d" % (W, H), "xc:black", out + ".line.png",
        "-geometry", "+%d+%d" % (margin, y), "-compose", "over", "-composite", out)


# --- button words -------------------------------------------------------------

def word_ink(text):
    """Left edge and width of the ink within a word's label."""
    out = subprocess.run(
        ["convert", "-background", "none", "-fill", "white", "-font", WORD_FONT,
         "-pointsize", str(WORD_SIZE), "label:" + text, "-format", "%@", "info:"],
        check=True, capture_output=True, text=True).stdout
    geo = out.replace("+", "x").split("x")
    return int(geo[2]), int(geo[0])


def x_height_band():
    """Top and bottom rows of the lowercase x inside a label, so that words
    with and without ascenders or descenders share a centre line."""
    out = subprocess.run(
        ["convert", "-background", "none", "-fill", "white", "-font", WORD_FONT,
         "-pointsize", str(WORD_SIZE), "label:x", "-format", "%@", "info:"],
        check=True, capture_output=True, text=True).stdout
    g = out.replace("+", "x").split("x")
    return int(g[3]), int(g[3]) + int(g[1])


def word_places():
    """Where each word's label goes on the canvas: name -> (x, y)."""
    xt, xb = x_height_band()
    places = {}
    for name, text, _, (cx, cy), _ in BUTTONS:
        ink_x, ink_w = word_ink(text)
        x = round(cx - ink_w / 2.0) - ink_x
        y = round(cy - (xt + xb) / 2.0)
        places[name] = (x, y)
    return places


def make_word_layers(tmp, places):
    """Full-canvas RGBA layers holding all three words, once plain and once
    lit.  Both come from the same label at the same place, so the lit word
    has exactly the plain word's shape."""
    t = lambda name: os.path.join(tmp, name)
    plain = ["-size", "%dx%d" % (W, H), "xc:none"]
    lit = ["-size", "%dx%d" % (W, H), "xc:none"]
    for name, text, _, _, _ in BUTTONS:
        x, y = places[name]
        label = ["-background", "none", "-font", WORD_FONT,
                 "-pointsize", WORD_SIZE, "label:" + text]
        plain += ["(", "-fill", WORD_PLAIN, *label, ")",
                  "-geometry", "+%d+%d" % (x, y), "-compose", "over", "-composite"]
        run("-fill", "white", *label, t("lit-%s.png" % name))
        # A wide soft halo merged with a tight one that hugs the strokes, kept
        # well short of opaque so the lit word stays crisp at this size.
        run(t("lit-%s.png" % name), "-alpha", "extract", "-bordercolor", "black",
            "-border", 12,
            "(", "+clone", "-morphology", "Dilate", "Disk:1", "-blur",
            "0x%.1f" % WORD_GLOW_SIGMA, "-evaluate", "multiply", 1.3, ")",
            "(", "-clone", "0", "-blur", "0x1.2", ")",
            "-delete", "0", "-compose", "lighten", "-composite",
            "-evaluate", "multiply", 0.7,
            t("glow-%s.png" % name))
        run("(", t("glow-%s.png" % name), "-fill", WORD_GLOW, "-colorize", 100, ")",
            t("glow-%s.png" % name), "-alpha", "off", "-compose", "CopyOpacity",
            "-composite", t("halo-%s.png" % name))
        lit += [t("halo-%s.png" % name), "-geometry", "+%d+%d" % (x - 12, y - 12),
                "-compose", "over", "-composite",
                "(", "-fill", WORD_LIT, *label, ")",
                "-geometry", "+%d+%d" % (x, y), "-compose", "over", "-composite"]
    run(*plain, t("words-plain.png"))
    run(*lit, t("words-lit.png"))


def make_pictures(tmp, base, places):
    t = lambda name: os.path.join(tmp, name)
    make_word_layers(tmp, places)
    background = os.path.join(RES, "background.jpg")
    run(base, t("words-plain.png"), "-compose", "over", "-composite",
        *JPEG_ARGS, background)
    run(base, t("words-lit.png"), "-compose", "over", "-composite", t("lit-full.png"))
    # Where a lit picture may differ from the background: the lit word with its
    # glow, and the plain word (widened a little, for its anti-aliased edge)
    # that the lit one has to cover.
    run(t("words-lit.png"), "-alpha", "extract",
        "(", t("words-plain.png"), "-alpha", "extract", "-morphology", "Dilate",
        "Disk:2", ")", "-compose", "lighten", "-composite", t("blend.png"))
    # Everywhere else the lit picture keeps the background's own decoded
    # pixels, so that it differs from the background only by re-encoding.
    for name, _, (x, y, w, h), _, _ in BUTTONS:
        crop = ["-crop", "%dx%d+%d+%d" % (w, h, x, y), "+repage"]
        run(background, *crop, "(", t("lit-full.png"), *crop, ")",
            "(", t("blend.png"), *crop, ")", "-compose", "over", "-composite",
            *JPEG_ARGS, os.path.join(RES, "%s-lit.jpg" % name))


# --- icon ---------------------------------------------------------------------

ICON_BACK = "#0d1030"


def make_icon(tmp, out):
    """A gold serif K on a night-blue rounded tile, like the logo, reduced to
    16 colours.  One palette entry is kept for black, which is what the
    transparent corners hold under the AND mask."""
    t = lambda name: os.path.join(tmp, name)
    s = 256
    run("-size", "%dx%d" % (s, s), "xc:none", "-fill", "white",
        "-draw", "roundrectangle 6,6 %d,%d 44,44" % (s - 7, s - 7), t("ico-shape.png"))
    run("-size", "%dx%d" % (s, s), "radial-gradient:#3c3488-#0a0c24",
        "-roll", "+0-30", t("ico-fill.png"))
    run("-background", "black", "-fill", "white", "-font", LOGO_FONT,
        "-pointsize", 230, "label:K", "-trim", "+repage", "-resize", "x170",
        "-gravity", "center", "-background", "black", "-extent", "%dx%d" % (s, s),
        t("ico-k.png"))
    run("-size", "%dx%d" % (s, s), "gradient:#fff6d8-#e09a30",
        "(", t("ico-k.png"), "-blur", "0x4", "-shade", "125x40", "-auto-level", ")",
        "-compose", "hardlight", "-composite",
        t("ico-k.png"), "-alpha", "off", "-compose", "CopyOpacity", "-composite",
        t("ico-letter.png"))
    run(t("ico-k.png"), "-morphology", "Dilate", "Disk:9", "(", "+clone",
        "-fill", "#1a0800", "-colorize", 100, ")", "+swap", "-alpha", "off",
        "-compose", "CopyOpacity", "-composite", t("ico-rim.png"))
    run(t("ico-fill.png"),
        t("ico-rim.png"), "-compose", "over", "-composite",
        t("ico-letter.png"), "-compose", "over", "-composite",
        "-fill", "none", "-stroke", "#c88a38", "-strokewidth", 10,
        "-draw", "roundrectangle 10,10 %d,%d 40,40" % (s - 11, s - 11),
        t("ico-shape.png"), "-compose", "DstIn", "-composite",
        "-filter", "Lanczos", "-resize", "32x32", t("ico-32.png"))
    run(t("ico-32.png"), "-alpha", "extract", "-threshold", "50%", "-depth", 8, t("ico-alpha.pgm"))
    run(t("ico-32.png"), "-background", ICON_BACK, "-alpha", "remove",
        "+dither", "-colors", 15, "-depth", 8, t("ico-rgb.ppm"))
    _, _, _, alpha = read_pnm(t("ico-alpha.pgm"))
    _, _, _, rgb = read_pnm(t("ico-rgb.ppm"))
    write_ico(out, 32, [tuple(rgb[i * 3:i * 3 + 3]) for i in range(32 * 32)],
              [a >= 128 for a in alpha])


def write_ico(path, size, pixels, opaque):
    """One-image ICO: 4-bpp colour bitmap with a 16-entry palette, then the
    1-bpp AND mask; both bottom-up, rows padded to four bytes."""
    palette = [(0, 0, 0)]
    for p, o in zip(pixels, opaque):
        if o and p not in palette:
            palette.append(p)
    if len(palette) > 16:
        raise SystemExit("icon: %d colours after quantising" % len(palette))
    palette += [(0, 0, 0)] * (16 - len(palette))
    index = {p: i for i, p in reversed(list(enumerate(palette)))}

    xor_stride = (size * 4 + 31) // 32 * 4
    and_stride = (size + 31) // 32 * 4
    xor = bytearray()
    mask = bytearray()
    for y in reversed(range(size)):
        row = bytearray(xor_stride)
        mrow = bytearray(and_stride)
        for x in range(size):
            o = opaque[y * size + x]
            i = index[pixels[y * size + x]] if o else 0
            row[x // 2] |= i << (4 if x % 2 == 0 else 0)
            if not o:
                mrow[x // 8] |= 0x80 >> (x % 8)
        xor += row
        mask += mrow
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 4, 0,
                         len(xor) + len(mask), 0, 0, 16, 0)
    pal = b"".join(bytes((b, g, r, 0)) for r, g, b in palette)
    image = header + pal + bytes(xor) + bytes(mask)
    icondir = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", size, size, 16, 0, 1, 4, len(image), 6 + 16)
    with open(path, "wb") as f:
        f.write(icondir + entry + image)


# --- checks -------------------------------------------------------------------

def jpeg_frame(path):
    """(width, height, SOF marker) from a JPEG's frame header."""
    with open(path, "rb") as f:
        data = f.read()
    pos = 2
    while pos < len(data):
        if data[pos] != 0xFF:
            raise ValueError("%s: bad marker" % path)
        marker = data[pos + 1]
        length = struct.unpack(">H", data[pos + 2:pos + 4])[0]
        if 0xC0 <= marker <= 0xCF and marker not in (0xC4, 0xC8, 0xCC):
            h, w = struct.unpack(">HH", data[pos + 5:pos + 9])
            return w, h, marker
        pos += 2 + length
    raise ValueError("%s: no frame header" % path)


def luminance(r, g, b):
    def lin(c):
        c /= 255.0
        return c / 12.92 if c <= 0.04045 else ((c + 0.055) / 1.055) ** 2.4
    return 0.2126 * lin(r) + 0.7152 * lin(g) + 0.0722 * lin(b)


def check(tmp):
    """Fails the run if the pictures do not fit the window as the program
    uses them."""
    t = lambda name: os.path.join(tmp, name)
    problems = []

    w, h, sof = jpeg_frame(os.path.join(RES, "background.jpg"))
    if (w, h) != (W, H) or sof != 0xC0:
        problems.append("background.jpg: %dx%d SOF%X" % (w, h, sof - 0xC0))
    run(os.path.join(RES, "background.jpg"), "-depth", 8, t("bg-decoded.ppm"))
    _, _, _, bg = read_pnm(t("bg-decoded.ppm"))
    run(t("blend.png"), "-depth", 8, t("blend.pgm"))
    _, _, _, blend = read_pnm(t("blend.pgm"))
    run(t("words-plain.png"), "-alpha", "extract", "-depth", 8, t("ink.pgm"))
    _, _, _, ink = read_pnm(t("ink.pgm"))

    for name, _, (x0, y0, cw, ch), _, (hx, hy, hw, hh) in BUTTONS:
        path = os.path.join(RES, "%s-lit.jpg" % name)
        w, h, sof = jpeg_frame(path)
        if (w, h) != (cw, ch) or sof != 0xC0:
            problems.append("%s-lit.jpg: %dx%d SOF%X" % (name, w, h, sof - 0xC0))
            continue
        run(path, "-depth", 8, t("lit-decoded.ppm"))
        _, _, _, lit = read_pnm(t("lit-decoded.ppm"))
        shown_w = INSTALL_SHOWN_WIDTH if name == "install" else cw
        worst_outside = 0
        word_change = 0
        clipped = 0
        away = []
        for y in range(ch):
            for x in range(cw):
                gx, gy = x0 + x, y0 + y
                near = max(blend[yy * W + xx]
                           for yy in range(max(0, gy - 1), min(H, gy + 2))
                           for xx in range(max(0, gx - 1), min(W, gx + 2)))
                on_edge = x in (0, shown_w - 1) or y in (0, ch - 1) or x >= shown_w
                if on_edge and blend[gy * W + gx] > 2:
                    clipped += 1
                d = max(abs(lit[(y * cw + x) * 3 + i] - bg[(gy * W + gx) * 3 + i])
                        for i in range(3))
                if near == 0:
                    worst_outside = max(worst_outside, d)
                    away.append((x, y))
                if ink[gy * W + gx] > 200:
                    word_change = max(word_change, d)
        if clipped:
            problems.append("%s: the lit word's glow reaches the picture's edge "
                            "(%d pixels)" % (name, clipped))
        # JPEG noise alone stays small, but a crop taken a pixel off its place
        # can too on a smooth backdrop: the right place must also match best.
        def mismatch(dx, dy):
            return sum((lit[(y * cw + x) * 3 + i]
                        - bg[((y0 + y + dy) * W + x0 + x + dx) * 3 + i]) ** 2
                       for x, y in away for i in range(3)
                       if 0 <= x0 + x + dx < W and 0 <= y0 + y + dy < H)
        here = mismatch(0, 0)
        nearby = min(mismatch(dx, dy) for dx in (-1, 0, 1) for dy in (-1, 0, 1)
                     if dx or dy)
        if here >= nearby:
            problems.append("%s: lit picture matches the background better "
                            "a pixel away from its place" % name)
        if worst_outside > 16:
            problems.append("%s: lit picture differs from the background away "
                            "from the word by up to %d" % (name, worst_outside))
        if word_change < 40:
            problems.append("%s: lit word hardly differs from the plain one" % name)
        total = inside = 0
        for y in range(y0, y0 + ch):
            for x in range(x0, x0 + cw):
                a = ink[y * W + x]
                total += a
                if hx <= x < hx + hw and hy <= y < hy + hh:
                    inside += a
        if total == 0 or inside < 0.9 * total:
            problems.append("%s: word is not inside its clickable area" % name)
        print("  %-7s lit vs background away from the word: max diff %d; "
              "word changes by up to %d; %.0f%% of ink in the hot area"
              % (name, worst_outside, word_change, 100.0 * inside / max(1, total)))

    # The status line is drawn in #808080 straight onto the background.
    sx, sy, sw, sh = STATUS_BAND
    grey = luminance(128, 128, 128)
    ratios = sorted(
        (max(grey, lb) + 0.05) / (min(grey, lb) + 0.05)
        for lb in (luminance(*bg[(y * W + x) * 3:(y * W + x) * 3 + 3])
                   for y in range(sy, sy + sh) for x in range(sx, sx + sw)))
    low = ratios[len(ratios) // 200]
    print("  status band: contrast of #808080 text at least %.1f:1 on 99.5%% "
          "of the band (worst pixel %.1f:1)" % (low, ratios[0]))
    if low < 3.0:
        problems.append("status band too bright for grey text (%.1f:1)" % low)

    with open(os.path.join(RES, "install.ico"), "rb") as f:
        ico = f.read()
    reserved, kind, count = struct.unpack("<HHH", ico[:6])
    ew, eh, colours, _, planes, bits, size, offset = struct.unpack("<BBBBHHII", ico[6:22])
    hdr = struct.unpack("<IiiHHIIiiII", ico[offset:offset + 40])
    if ((reserved, kind, count) != (0, 1, 1) or (ew, eh, colours, bits) != (32, 32, 16, 4)
            or hdr[:5] != (40, 32, 64, 1, 4) or offset + size != len(ico)
            or size != 40 + 64 + 32 * 16 + 32 * 4):
        problems.append("install.ico: unexpected layout")

    if problems:
        for p in problems:
            print("artwork: " + p, file=sys.stderr)
        raise SystemExit(1)


def make_preview(tmp, path):
    """Both states of the window side by side at twice the size: plain with a
    sample status line and scroller, and with every word lit."""
    t = lambda name: os.path.join(tmp, name)
    sx, sy, _, _ = STATUS_BAND
    common = ["-fill", "white", "-draw", "rectangle 58,6 463,23",
              "-font", STATUS_FONT, "-pointsize", 13, "-fill", "black",
              "-annotate", "+62+19", "Welcome to the Korvadel installer",
              "-font", STATUS_FONT, "-pointsize", 15, "-fill", "#808080",
              "-annotate", "+%d+%d" % (sx, sy + 14),
              "Copying data\\\\korvadel.pak  (48%)"]
    run(os.path.join(RES, "background.jpg"), *common, t("prev-plain.png"))
    lit = [os.path.join(RES, "background.jpg")]
    for name, _, (x, y, w, h), _, _ in BUTTONS:
        shown = INSTALL_SHOWN_WIDTH if name == "install" else w
        lit += ["(", os.path.join(RES, "%s-lit.jpg" % name), "-crop",
                "%dx%d+0+0" % (shown, h), "+repage", ")",
                "-geometry", "+%d+%d" % (x, y), "-composite"]
    run(*lit, *common, t("prev-lit.png"))
    run(t("prev-plain.png"), t("prev-lit.png"), "-bordercolor", "#303030",
        "-border", 4, "+append", "-scale", "200%", path)


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    ap.add_argument("--preview", metavar="PNG")
    args = ap.parse_args()
    # convert quietly falls back to another face for a missing one, which
    # would change every picture, so refuse to run without ours.
    fonts = subprocess.run(["convert", "-list", "font"], check=True,
                           capture_output=True, text=True).stdout.split()
    for font in {LOGO_FONT, WORD_FONT, STATUS_FONT}:
        if font not in fonts:
            raise SystemExit("artwork: font %s not found (install fonts-liberation)"
                             % font)
    os.makedirs(RES, exist_ok=True)
    with tempfile.TemporaryDirectory(prefix="artwork-") as tmp:
        backdrop = os.path.join(tmp, "backdrop.ppm")
        base = os.path.join(tmp, "base.png")
        make_backdrop(backdrop)
        make_logo(tmp, backdrop, base)
        make_pictures(tmp, base, word_places())
        make_icon(tmp, os.path.join(RES, "install.ico"))
        check(tmp)
        if args.preview:
            make_preview(tmp, args.preview)
    for name in ("background.jpg", "install-lit.jpg", "nfo-lit.jpg",
                 "quit-lit.jpg", "install.ico"):
        print("  %-16s %6d bytes" % (name, os.path.getsize(os.path.join(RES, name))))


if __name__ == "__main__":
    main()
