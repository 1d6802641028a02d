#!/usr/bin/python3
"""Draws every picture of the program and writes the files that res/tbook.rc compiles.

Regenerate from the repository root with

    tools/assets/make_icons.py                 # rewrites the pictures in res/
    tools/assets/make_icons.py OUTDIR          # writes them to OUTDIR instead
    tools/assets/make_icons.py --preview DIR   # also writes PNG previews to DIR (not for committing)

It needs Debian's Pillow (python3-pil) and fonts (fonts-dejavu-core, fonts-liberation), hence the
shebang: a Python from elsewhere on PATH may lack Pillow. The build uses the committed files and
needs none of this.

What it writes, into res/ (the 100% pictures for the light face, in the formats the program has
always read) and res/art/ (every other scale, and the dark face, as PNG):
- the seven tool bar strips (*.raw): 55 x 220 pixels, the states normal, pressed, hover and
  disabled stacked top to bottom, 4 bytes a pixel (red, green, blue, alpha; straight alpha), rows
  top to bottom, no header;
- for the six strips a window shows, at each scale (100, 125, 150, 175, 200 and 250%: 55, 69, 83,
  96, 110 and 138 pixels a state), art/NAME_PERCENT.png, the four states' balls without captions
  (the disabled one for the light face), and art/NAME_PERCENT_caption.png and
  NAME_PERCENT_caption_dark.png, the four captions alone for the light and the dark face (the
  100% light captions are in the .raw strip). The program lays the captions over the balls, and
  for the dark face makes the disabled ball from the normal one (dark_disabled below), so a
  ball is stored once for both faces;
- search_down.bmp and search_up.bmp: the search toggle's magnifier, 53 x 53, 24 bits, with light
  grey 0xC0C0C0 as the colour the button leaves transparent and the soft edges blended into the
  light face 0xF0F0F0; art/search_down_PERCENT.png and search_up_PERCENT.png at the other scales
  (66, 80, 93, 106 and 133 pixels), and *_dark.png at every scale, blended into the dark face
  0x2B2B2B that the toggle paints in dark mode;
- about.bmp: the product picture of the About dialog, 64 x 64, 24 bits, on a light panel;
  art/about_PERCENT.png at the other scales (80, 96, 112, 128 and 160 pixels) and
  art/about_PERCENT_dark.png, on a dark panel, at every scale;
- tbook.ico and tray.ico: 16, 20, 24, 28, 32, 40, 48 and 64 pixels, the small and large icons
  Windows asks for at those scales, 32-bit images with straight alpha; tbook.ico also holds the
  256-pixel image of large views, stored as PNG. Icons keep their own colours on either face;
- Pictures.rc: the "PNG" resources, with the ids the program computes (art_resource_id).

Every size is drawn from the shapes, never scaled from another picture.

Shapes are drawn supersampled and reduced with an area filter, which gives soft edges; captions
are drawn at their real size with the font's hinting, which keeps small text crisp. The output is
deterministic: regenerating without changes leaves every file byte for byte the same.
"""

import io
import math
import os
import struct
import sys

try:
    from PIL import Image, ImageChops, ImageDraw, ImageFilter, ImageFont
except ImportError:
    sys.exit("make_icons.py: Pillow is missing; install python3-pil and run the script with /usr/bin/python3")

SS = 8  # supersampling factor of shapes

FONT_DIR_DEJAVU = "/usr/share/fonts/truetype/dejavu"
FONT_DIR_LIBERATION = "/usr/share/fonts/truetype/liberation"
CAPTION_FONT = (os.path.join(FONT_DIR_LIBERATION, "LiberationSans-Regular.ttf"), 11)
GLYPH_FONT = os.path.join(FONT_DIR_DEJAVU, "DejaVuSans-Bold.ttf")

# The dialog faces the pictures are seen on, light and dark. Soft edges of the 24-bit bitmaps,
# which have no alpha, are blended into it; the search toggle paints its dark face in this colour.
FACE = (0xF0, 0xF0, 0xF0)
DARK_FACE = (0x2B, 0x2B, 0x2B)
KEY = (0xC0, 0xC0, 0xC0)  # the colour the search toggle leaves transparent

# The scales of the screen the pictures are drawn for, in percent, and the sizes of the icons
# Windows asks for at them (small and large icons, and the 256-pixel one of large views).
SCALES = (100, 125, 150, 175, 200, 250)
ICON_SIZES = (16, 20, 24, 28, 32, 40, 48, 64)
BIG_ICON_SIZE = 256

# One palette for every picture: (light, base, dark) of each emblem.
GREEN = ((0x9B, 0xE0, 0x5A), (0x3C, 0xA8, 0x1E), (0x1D, 0x66, 0x0C))
AMBER = ((0xFF, 0xD2, 0x6A), (0xF0, 0x8C, 0x0A), (0x9A, 0x50, 0x00))
ORANGE = ((0xFF, 0xB0, 0x78), (0xE8, 0x5A, 0x14), (0x93, 0x2A, 0x04))
BLUE = ((0x8C, 0xC4, 0xFF), (0x1E, 0x6C, 0xD8), (0x0A, 0x36, 0x84))
GREY = ((0xD8, 0xDE, 0xE6), (0x78, 0x84, 0x94), (0x3A, 0x42, 0x4E))
TEAL = ((0x7E, 0xE8, 0xC4), (0x0E, 0x9A, 0x74), (0x04, 0x58, 0x40))
CAPTION = (0x1E, 0x28, 0x36)
CAPTION_HOVER = (0x0A, 0x3C, 0x96)
CAPTION_DISABLED = (0x9A, 0x9E, 0xA4)
DARK_CAPTION = (0xE6, 0xE8, 0xEC)
DARK_CAPTION_HOVER = (0x8C, 0xC8, 0xFF)
DARK_CAPTION_DISABLED = (0x7A, 0x7E, 0x86)

# Tool bar strips, in the pixels of the 55-pixel design; the larger ones scale all of it.
STATE = 55
EMBLEM_CENTRE_Y = 21.5
EMBLEM_RADIUS = 17.0
CAPTION_BASELINE = 51
TOGGLE = 53
ABOUT = 64

# Resource ids of the 100% pictures; the others are numbered after them (art_resource_id).
IDR_RAW_SEARCH = 166
SEARCH_UP_ID = 169
SEARCH_DOWN_ID = 160
ABOUT_ID = 140

# The pictures beyond the 100% light ones go into this folder of res/, as PNG, and are listed in
# res/Pictures.rc, which res/tbook.rc includes.
ART_FOLDER = "art"
RC_HEADER = """// The pictures for other scales of the screen and for the dark face: resources of type "PNG",
// decoded by the program. Written by tools/assets/make_icons.py; do not edit.
//
// Id: the 100% picture's own id x 100 + the scale's place (100, 125, 150, 175, 200, 250 %) x 10
// + the layer: 0 the picture (of a tool bar strip: its four balls without captions), 1 the
// picture for the dark face, 2 a strip's captions for the light face, 3 for the dark face."""
LAYER_PICTURE, LAYER_DARK_PICTURE, LAYER_CAPTION, LAYER_DARK_CAPTION = range(4)
LAYER_SUFFIXES = ("", "_dark", "_caption", "_caption_dark")

# The address book of the icons and the product picture.
BOOK_TOP = (0x3A, 0x7C, 0xD6)
BOOK_BOTTOM = (0x15, 0x3E, 0x8C)
BOOK_SPINE = (0x10, 0x2C, 0x66)
BOOK_OUTLINE = (0x0B, 0x1F, 0x4A)
TAB_COLOURS = ((0xF2, 0x9E, 0x1F), (0x4C, 0xB5, 0x4F), (0xE0, 0x4E, 0x4E))
WHITE = (0xFF, 0xFF, 0xFF)


# --- Drawing helpers. Coordinates are in output pixels; layers are SS times larger.


def layer(width, height=None):
    return Image.new("RGBA", (width * SS, (height or width) * SS), (0, 0, 0, 0))


def sc(*values):
    """Output pixels to layer pixels."""
    return tuple(v * SS for v in values)


def box(cx, cy, r):
    return sc(cx - r, cy - r, cx + r, cy + r)


def mask_of(size, draw_shape):
    m = Image.new("L", size, 0)
    draw_shape(ImageDraw.Draw(m))
    return m


def ellipse_mask(size, x0, y0, x1, y1):
    """An ellipse given in output pixels."""
    return mask_of(size, lambda d: d.ellipse(sc(x0, y0, x1, y1), fill=255))


def rect_mask(size, x0, y0, x1, y1):
    return mask_of(size, lambda d: d.rectangle(sc(x0, y0, x1, y1), fill=255))


def stroke_mask(size, points, width):
    """A round-ended stroke through points given in output pixels, width in output pixels."""
    return mask_of(size, lambda d: thick_polyline(d, [sc(x, y) for x, y in points], width * SS))


def solid(size, rgb, alpha=255):
    return Image.new("RGBA", size, tuple(rgb) + (alpha,))


def vertical_ramp(size, y0, y1):
    """An L image going from 0 at layer row y0 to 255 at layer row y1."""
    w, h = size
    ramp = Image.new("L", (1, h))
    span = max(y1 - y0, 1)
    ramp.putdata([min(255, max(0, round((y - y0) * 255 / span))) for y in range(h)])
    return ramp.resize((w, h))


def gradient(size, top, bottom, y0, y1):
    return Image.composite(solid(size, bottom), solid(size, top), vertical_ramp(size, y0, y1))


def paint(target, colour_image, mask, opacity=1.0):
    """Source-over of colour_image through mask (scaled by opacity) onto target, in place."""
    if opacity < 1.0:
        mask = mask.point(lambda v: round(v * opacity))
    alpha = ImageChops.multiply(colour_image.getchannel("A"), mask)
    src = colour_image.copy()
    src.putalpha(alpha)
    target.alpha_composite(src)


def fill(target, rgb, mask, opacity=1.0):
    paint(target, solid(target.size, rgb), mask, opacity)


def reduce(image):
    """Layer to output size; the area filter averages in premultiplied alpha."""
    return image.resize((image.width // SS, image.height // SS), Image.BOX)


def thick_polyline(draw, points, width, fill_value=255):
    """A stroked polyline with round joins and caps, in layer coordinates."""
    draw.line(points, fill=fill_value, width=round(width), joint="curve")
    r = width / 2.0
    for x, y in (points[0], points[-1]):
        draw.ellipse((x - r, y - r, x + r, y + r), fill=fill_value)


def lerp(a, b, t):
    return tuple(round(x + (y - x) * t) for x, y in zip(a, b))


# --- Emblems of the tool bar: a glossy ball with a white symbol.


def orb(canvas, cx, cy, r, palette, f):
    """Draws the ball into canvas (a layer), with its shadow, rim, body, glow and gloss; f is the
    scale of the picture (1 for the 55-pixel design)."""
    light, base, dark = palette
    size = canvas.size
    shadow = mask_of(size, lambda d: d.ellipse(box(cx, cy + 1.2 * f, r), fill=255))
    shadow = shadow.filter(ImageFilter.GaussianBlur(1.3 * f * SS))
    fill(canvas, (0, 0, 0), shadow, 0.40)

    rim = mask_of(size, lambda d: d.ellipse(box(cx, cy, r), fill=255))
    fill(canvas, dark, rim)
    body = mask_of(size, lambda d: d.ellipse(box(cx, cy, r - 1.0 * f), fill=255))
    top, bottom = (cy - r) * SS, (cy + r) * SS
    paint(canvas, gradient(size, light, base, top, top + (bottom - top) * 0.75), body)

    # Light scattered back from the bottom edge, as in a glass ball.
    glow = ellipse_mask(size, cx - r * 0.75, cy + r * 0.15, cx + r * 0.75, cy + r * 1.15)
    glow = ImageChops.multiply(glow.filter(ImageFilter.GaussianBlur(2.5 * f * SS)), body)
    fill(canvas, light, glow, 0.55)

    # The gloss: a lens of white on the upper half, fading downwards.
    gloss = ellipse_mask(size, cx - r * 0.72, cy - r * 0.93, cx + r * 0.72, cy + r * 0.12)
    fade = vertical_ramp(size, (cy - r) * SS, (cy + r * 0.15) * SS).point(lambda v: 255 - v)
    gloss = ImageChops.multiply(ImageChops.multiply(gloss, fade), body)
    fill(canvas, WHITE, gloss, 0.70)


def symbol(canvas, shape_mask, palette, f):
    """A white symbol with a soft shadow in the ball's dark colour beneath it."""
    dark = palette[2]
    shadow = ImageChops.offset(shape_mask, 0, round(0.9 * f * SS)).filter(ImageFilter.GaussianBlur(0.8 * f * SS))
    fill(canvas, dark, shadow, 0.75)
    fill(canvas, WHITE, shape_mask)


def unit(cx, cy, r):
    """Maps unit coordinates of the ball (radius 1, y down) to layer coordinates."""
    return lambda u, v: ((cx + u * r) * SS, (cy + v * r) * SS)


def check_mark(size, at, r):
    points = [at(-0.46, 0.02), at(-0.13, 0.36), at(0.47, -0.34)]
    return mask_of(size, lambda d: thick_polyline(d, points, 0.24 * r * SS))


def cross(size, at, r):
    def shape(d):
        thick_polyline(d, [at(-0.36, -0.36), at(0.36, 0.36)], 0.24 * r * SS)
        thick_polyline(d, [at(0.36, -0.36), at(-0.36, 0.36)], 0.24 * r * SS)

    return mask_of(size, shape)


def pencil_axes(at):
    """Maps (along, across) coordinates of a pencil lying at 45 degrees, its point to the lower
    left, to layer coordinates."""
    ux, uy = math.cos(math.radians(-45)), math.sin(math.radians(-45))
    return lambda t, s: at(ux * t - uy * s, uy * t + ux * s)


PENCIL_HALF = 0.17  # half the pencil's thickness


def pencil(size, at, r):
    """A pencil: body, sharpened wood and eraser."""
    p, h = pencil_axes(at), PENCIL_HALF

    def shape(d):
        d.polygon([p(-0.22, -h), p(0.58, -h), p(0.58, h), p(-0.22, h)], fill=255)  # body
        d.polygon([p(-0.24, -h), p(-0.24, h), p(-0.62, 0.0)], fill=255)  # wood
        d.polygon([p(0.64, -h), p(0.76, -h), p(0.76, h), p(0.64, h)], fill=255)  # eraser

    return mask_of(size, shape)


def pencil_details(size, at, r):
    """What is cut out of the pencil's white: the gap before the eraser, the lead, the wood's edge."""
    p, w = pencil_axes(at), PENCIL_HALF + 0.02

    def shape(d):
        d.polygon([p(0.58, -w), p(0.64, -w), p(0.64, w), p(0.58, w)], fill=255)
        d.polygon([p(-0.50, -0.055), p(-0.50, 0.055), p(-0.62, 0.0)], fill=255)
        d.polygon([p(-0.22, -w), p(-0.26, -w), p(-0.26, w), p(-0.22, w)], fill=255)

    return mask_of(size, shape)


def glyph(size, at, r, text, height):
    """A character of the bold symbol font, centred on the ball."""
    font = ImageFont.truetype(GLYPH_FONT, round(height * r * SS), layout_engine=ImageFont.Layout.BASIC)
    x, y = at(0.0, 0.0)
    return mask_of(size, lambda d: d.text((x, y), text, font=font, fill=255, anchor="mm"))


def swirl(size, at, r):
    """A spiral opening outwards, the sign of leaving."""
    points = []
    turns = 1.6
    steps = 120
    for i in range(steps + 1):
        t = i / steps
        theta = -math.pi / 2 + t * turns * 2 * math.pi
        radius = 0.10 + 0.50 * t
        points.append(at(radius * math.cos(theta), radius * math.sin(theta)))
    return mask_of(size, lambda d: thick_polyline(d, points, 0.17 * r * SS))


def maker_mark(size, at, r):
    """The maker's mark: a ring with a T inside."""

    def shape(d):
        x0, y0 = at(-0.62, -0.62)
        x1, y1 = at(0.62, 0.62)
        d.ellipse((x0, y0, x1, y1), fill=255)
        x0, y0 = at(-0.46, -0.46)
        x1, y1 = at(0.46, 0.46)
        d.ellipse((x0, y0, x1, y1), fill=0)
        d.polygon([at(-0.34, -0.30), at(0.34, -0.30), at(0.34, -0.14), at(-0.34, -0.14)], fill=255)
        d.polygon([at(-0.09, -0.16), at(0.09, -0.16), at(0.09, 0.40), at(-0.09, 0.40)], fill=255)

    return mask_of(size, shape)


def magnifier_mark(size, at, r):
    def shape(d):
        x0, y0 = at(-0.56, -0.56)
        x1, y1 = at(0.26, 0.26)
        d.ellipse((x0, y0, x1, y1), fill=255)
        x0, y0 = at(-0.38, -0.38)
        x1, y1 = at(0.08, 0.08)
        d.ellipse((x0, y0, x1, y1), fill=0)
        thick_polyline(d, [at(0.20, 0.20), at(0.54, 0.54)], 0.24 * r * SS)

    return mask_of(size, shape)


def emblem(palette, draw_symbol, details, side):
    """The ball of a tool bar button, side pixels square, without its caption."""
    f = side / STATE
    canvas = layer(side)
    cx, cy = side / 2.0, EMBLEM_CENTRE_Y * f
    r = EMBLEM_RADIUS * f
    orb(canvas, cx, cy, r, palette, f)
    at = unit(cx, cy, r)
    shape = draw_symbol(canvas.size, at, r)
    if details is not None:
        shape = ImageChops.subtract(shape, details(canvas.size, at, r))
    symbol(canvas, shape, palette, f)
    return reduce(canvas)


# --- Captions, at their real size.


def caption_font(side):
    """The caption's font at its whole pixel size for a state image side pixels square."""
    path, pixels = CAPTION_FONT
    return ImageFont.truetype(path, round(pixels * side / STATE), layout_engine=ImageFont.Layout.BASIC)


def caption_mask(text, side, dx=0, dy=0):
    """The caption's coverage, centred on whole pixels on the common baseline. The glyphs are
    rasterised at the font's real size with its hinting, never scaled afterwards."""
    font = caption_font(side)
    left, _top, right, _bottom = font.getbbox(text, anchor="ls")
    x = (side - (right - left)) // 2 - left + dx
    baseline = round(CAPTION_BASELINE * side / STATE)
    m = Image.new("L", (side, side), 0)
    ImageDraw.Draw(m).text((x, baseline + dy), text, font=font, fill=255, anchor="ls")
    return m


# --- State variants, derived from the normal picture.


def recolour(picture, mapping):
    """Applies mapping(r, g, b) -> (r, g, b) to every visible pixel."""
    out = picture.copy()
    pixels = out.load()
    for y in range(out.height):
        for x in range(out.width):
            r, g, b, a = pixels[x, y]
            if a:
                pixels[x, y] = mapping(r, g, b) + (a,)
    return out


def luminance(r, g, b):
    return 0.299 * r + 0.587 * g + 0.114 * b


def brighter(r, g, b):
    return tuple(min(255, round(c * 1.10 + (255 - c) * 0.18)) for c in (r, g, b))


def faded(amount_grey, lift):
    """Towards grey by amount_grey, then towards white by lift."""

    def mapping(r, g, b):
        y = luminance(r, g, b)
        out = []
        for c in (r, g, b):
            c = c + (y - c) * amount_grey
            out.append(round(c + (255 - c) * lift))
        return tuple(min(255, max(0, c)) for c in out)

    return mapping


DARK_DISABLED_OPACITY = 0.55


def translucent(picture, opacity):
    """The picture with its alpha scaled by opacity: it sinks into whatever lies beneath."""
    out = picture.copy()
    out.putalpha(picture.getchannel("A").point(lambda v: round(v * opacity)))
    return out


def halo(picture, rgb, opacity):
    """A soft glow around the ball, drawn beneath it."""
    side = picture.width
    f = side / STATE
    big = picture.resize((side * SS, side * SS), Image.BICUBIC).getchannel("A")
    glow = big.filter(ImageFilter.GaussianBlur(1.8 * f * SS)).point(lambda v: min(255, v * 2))
    under = layer(side)
    fill(under, rgb, glow, opacity)
    under = reduce(under)
    under.alpha_composite(picture)
    return under


def shifted(picture, dx, dy):
    out = Image.new("RGBA", picture.size, (0, 0, 0, 0))
    out.paste(picture, (dx, dy))
    return out


class Theme:
    """The colours a picture takes for the face it is seen on."""

    def __init__(self, name, suffix, face, caption, hover, disabled, emboss, disabled_ball, panel, shade, bevel):
        self.name = name
        self.suffix = suffix  # of the file names
        self.face = face
        self.caption = caption
        self.hover = hover
        self.disabled = disabled
        self.emboss = emboss  # beneath the disabled caption, or None
        self.disabled_ball = disabled_ball  # picture -> picture
        self.panel = panel  # the About picture's background, top and bottom
        self.shade = shade  # the colour and opacity of the book's shadow there
        self.bevel = bevel  # the toggle's highlight, dark shadow and shadow, for the previews


def dark_disabled(ball):
    """The disabled ball for the dark face. A pale ball would stand out there more than an enabled
    one, so it is a grey that lets the face show through: the program makes it from the normal
    ball with the same arithmetic (DarkDisabledPixel)."""
    return translucent(recolour(ball, faded(1.0, 0.0)), DARK_DISABLED_OPACITY)


# On the light face the disabled ball is a pale grey.
LIGHT = Theme("light", "", FACE, CAPTION, CAPTION_HOVER, CAPTION_DISABLED, WHITE,
              lambda ball: recolour(ball, faded(1.0, 0.45)),
              ((0xFF, 0xFF, 0xFF), (0xC8, 0xDC, 0xF4)), ((0x10, 0x20, 0x40), 0.35),
              (WHITE, (0x69, 0x69, 0x69), (0xA0, 0xA0, 0xA0)))
DARK = Theme("dark", "_dark", DARK_FACE, DARK_CAPTION, DARK_CAPTION_HOVER, DARK_CAPTION_DISABLED, None,
             dark_disabled,
             ((0x3A, 0x42, 0x50), (0x16, 0x1C, 0x28)), ((0x00, 0x00, 0x00), 0.55),
             ((0x5A, 0x5A, 0x5A), (0x0A, 0x0A, 0x0A), (0x1C, 0x1C, 0x1C)))
THEMES = (LIGHT, DARK)


def ball_states(palette, draw_symbol, details, pressed_is_normal, side, theme):
    """The ball of each state: normal; pressed, a faded grey pushed down and right as a key goes
    down (one pixel in the 55-pixel design, as many as the scale makes of it in the larger ones);
    hover, brighter and glowing; disabled, in the theme's grey."""
    ball = emblem(palette, draw_symbol, details, side)
    hover = halo(recolour(ball, brighter), palette[0], 0.55)
    if pressed_is_normal:
        pressed = ball
    else:
        push = pressed_push(side)
        pressed = shifted(recolour(ball, faded(0.80, 0.0)), push, push)
    return [ball, pressed, hover, theme.disabled_ball(ball)]


def caption_states(text, pressed_is_normal, side, theme):
    """How each state's caption is drawn, as a list of (colour, dx, dy) drawn in turn: the theme's
    caption colour, pushed with the pressed ball, blue under the pointer, grey when disabled
    (embossed on the light face)."""
    normal = [(theme.caption, 0, 0)]
    push = pressed_push(side)
    pressed = normal if pressed_is_normal else [(theme.caption, push, push)]
    disabled = ([(theme.emboss, 1, 1)] if theme.emboss is not None else []) + [(theme.disabled, 0, 0)]
    return [normal, pressed, [(theme.hover, 0, 0)], disabled]


def pressed_push(side):
    return max(1, round(side / STATE))


def captioned(picture, text, strokes):
    out = picture.copy()
    for rgb, dx, dy in strokes:
        fill(out, rgb, caption_mask(text, picture.width, dx, dy))
    return out


def stacked(states):
    side = states[0].width
    strip = Image.new("RGBA", (side, side * len(states)), (0, 0, 0, 0))
    for i, state in enumerate(states):
        strip.paste(state, (0, i * side))
    return strip


def tool_strip(palette, draw_symbol, text, details, pressed_is_normal, side, theme):
    """The four states of a tool bar button, normal, pressed, hover and disabled, with their
    captions, stacked top to bottom."""
    balls = ball_states(palette, draw_symbol, details, pressed_is_normal, side, theme)
    captions = caption_states(text, pressed_is_normal, side, theme)
    return stacked([captioned(ball, text, strokes) for ball, strokes in zip(balls, captions)])


def ball_strip(palette, draw_symbol, details, pressed_is_normal, side):
    """The four balls without captions, the disabled one for the light face. The program lays a
    theme's captions over them and, for the dark face, makes the disabled ball from the normal
    one (see dark_disabled)."""
    return stacked(ball_states(palette, draw_symbol, details, pressed_is_normal, side, LIGHT))


def caption_strip(text, pressed_is_normal, side, theme):
    """The four captions of a theme alone, on nothing."""
    clear = Image.new("RGBA", (side, side), (0, 0, 0, 0))
    return stacked([captioned(clear, text, strokes) for strokes in caption_states(text, pressed_is_normal, side, theme)])


# Resource id, file name, palette, symbol, caption, details cut from the symbol, pressed looks normal.
TOOL_STRIPS = (
    (162, "addnew", GREEN, check_mark, "Add New", None, False),
    (163, "delete", ORANGE, cross, "Delete", None, False),
    (164, "exit", GREY, swirl, "Exit", None, False),
    (165, "help", BLUE, lambda s, at, r: glyph(s, at, r, "?", 1.4), "Help", None, False),
    (166, "search", BLUE, magnifier_mark, "Search", None, False),
    (167, "viewedit", AMBER, pencil, "View/Edit", pencil_details, False),
    (173, "home", TEAL, maker_mark, "Home", None, True),
)


def raw_bytes(strip):
    """RGBA rows top to bottom; invisible pixels are stored as zero."""
    data = bytearray(strip.tobytes())
    for i in range(0, len(data), 4):
        if data[i + 3] == 0:
            data[i : i + 3] = b"\0\0\0"
    return bytes(data)


# --- The search toggle's magnifier (24 bits, keyed transparency).


def magnifier(down, n, face):
    """The search toggle's picture, n pixels square (53 in the design): a lens in a steel rim on a
    wooden handle. Down, it sits one design pixel lower and to the right and its glass is a deeper
    blue, so a search in force shows."""
    f = n / TOGGLE
    canvas = layer(n)
    size = canvas.size
    shift = 1.0 if down else 0.0
    cx, cy, r = (22.0 + shift) * f, (21.0 + shift) * f, 12.5 * f  # the lens
    # The handle, from the lens towards the lower right.
    a = math.radians(45)
    hx0, hy0 = cx + math.cos(a) * (r + 0.5 * f), cy + math.sin(a) * (r + 0.5 * f)
    hx1, hy1 = cx + math.cos(a) * (r + 15.0 * f), cy + math.sin(a) * (r + 15.0 * f)

    sx, sy = 1.2 * f, 1.6 * f  # where the light throws the shadow
    shadow = ImageChops.lighter(
        mask_of(size, lambda d: d.ellipse(box(cx + sx, cy + sy, r + 2.2 * f), fill=255)),
        stroke_mask(size, [(hx0 + sx, hy0 + sy), (hx1 + sx, hy1 + sy)], 6.0 * f),
    )
    fill(canvas, (0, 0, 0), shadow.filter(ImageFilter.GaussianBlur(1.4 * f * SS)), 0.30)

    handle = stroke_mask(size, [(hx0, hy0), (hx1, hy1)], 6.0 * f)
    fill(canvas, (0x2A, 0x1A, 0x10), handle)
    handle_core = stroke_mask(size, [(hx0 + 0.3 * f, hy0 - 0.3 * f), (hx1 - 0.2 * f, hy1 - 0.8 * f)], 3.4 * f)
    paint(canvas, gradient(size, (0x9A, 0x5A, 0x2C), (0x4A, 0x26, 0x10), hy0 * SS, hy1 * SS), handle_core)
    collar = stroke_mask(size, [(hx0 - 1.0 * f, hy0 - 1.0 * f), (hx0 + 2.2 * f, hy0 + 2.2 * f)], 6.6 * f)
    steel = gradient(size, (0xE8, 0xEC, 0xF2), (0x70, 0x78, 0x84), (hy0 - 3 * f) * SS, (hy0 + 4 * f) * SS)
    paint(canvas, steel, collar)

    rim = mask_of(size, lambda d: d.ellipse(box(cx, cy, r + 2.0 * f), fill=255))
    paint(canvas, gradient(size, (0xF4, 0xF6, 0xFA), (0x5A, 0x62, 0x70), (cy - r) * SS, (cy + r) * SS), rim)
    edge = mask_of(size, lambda d: d.ellipse(box(cx, cy, r + 2.0 * f), outline=255, width=round(0.9 * f * SS)))
    fill(canvas, (0x3A, 0x40, 0x4A), edge)

    glass = mask_of(size, lambda d: d.ellipse(box(cx, cy, r - 0.2 * f), fill=255))
    top, bottom = (0xE6, 0xF4, 0xFF), (0x7E, 0xB8, 0xEC)
    if down:
        top, bottom = (0xB4, 0xDC, 0xFF), (0x1E, 0x6C, 0xD8)
    paint(canvas, gradient(size, top, bottom, (cy - r) * SS, (cy + r) * SS), glass)
    inner = mask_of(size, lambda d: d.ellipse(box(cx, cy, r - 0.2 * f), outline=255, width=round(0.8 * f * SS)))
    fill(canvas, (0x50, 0x5A, 0x68), inner, 0.8)
    gloss = ellipse_mask(size, cx - r * 0.68, cy - r * 0.80, cx + r * 0.40, cy - r * 0.05)
    fade = vertical_ramp(size, (cy - r) * SS, (cy) * SS).point(lambda v: 255 - v)
    fill(canvas, WHITE, ImageChops.multiply(gloss, fade), 0.85)
    spark = mask_of(size, lambda d: d.ellipse(box(cx + r * 0.42, cy + r * 0.42, 1.4 * f), fill=255))
    fill(canvas, WHITE, spark.filter(ImageFilter.GaussianBlur(0.5 * f * SS)), 0.8)
    return keyed(reduce(canvas), face)


def keyed(picture, face):
    """A 24-bit picture for keyed transparency: the key where nothing is drawn, the face blended
    into soft edges, and the key itself never used by a drawn pixel."""
    out = Image.new("RGB", picture.size, KEY)
    src = picture.load()
    dst = out.load()
    for y in range(picture.height):
        for x in range(picture.width):
            r, g, b, a = src[x, y]
            if a < 24:
                continue
            t = a / 255.0
            rgb = tuple(round(c * t + f * (1 - t)) for c, f in zip((r, g, b), face))
            if rgb == KEY:
                rgb = (KEY[0] + 1, KEY[1], KEY[2])
            dst[x, y] = rgb
    return out


# --- The address book: icons and the product picture.


def rounded_mask(size, x0, y0, x1, y1, r):
    """A rectangle with rounded corners, in output pixels."""
    return mask_of(size, lambda d: d.rounded_rectangle(sc(x0, y0, x1, y1), radius=r * SS, fill=255))


def person(d, cx, head_y, head_r, body_y, body_rx, body_ry, cut_y):
    d.ellipse(box(cx, head_y, head_r), fill=255)
    body = Image.new("L", d.im.size, 0)
    ImageDraw.Draw(body).ellipse(sc(cx - body_rx, body_y - body_ry, cx + body_rx, body_y + body_ry), fill=255)
    ImageDraw.Draw(body).rectangle(sc(0, cut_y, d.im.size[0] / SS, d.im.size[1] / SS), fill=0)
    return body


def book(n):
    """The window icon: a blue address book with coloured index tabs and a white person on it.
    At 16 pixels every edge sits on the pixel grid, or it blurs."""
    canvas = layer(n)
    size = canvas.size
    small = n <= 16
    if small:
        x0, y0, x1, y1, radius = 1, 0, 15, 16, 2
    else:
        x0, y0, x1, y1, radius = 0.10 * n, 0.05 * n, 0.86 * n, 0.95 * n, 0.09 * n
    edge = 1.0

    if not small:
        tab_h, gap, top = 0.14 * n, 0.05 * n, 0.18 * n
        for i, rgb in enumerate(TAB_COLOURS):
            ty = top + i * (tab_h + gap)
            tx0, tx1 = x1 - 0.06 * n, x1 + 0.09 * n
            tab = rounded_mask(size, tx0, ty, tx1, ty + tab_h, 0.035 * n)
            fill(canvas, lerp(rgb, (0, 0, 0), 0.35), tab)
            inner = rounded_mask(size, tx0, ty + edge, tx1 - edge, ty + tab_h - edge, 0.025 * n)
            paint(canvas, gradient(size, lerp(rgb, WHITE, 0.35), rgb, ty * SS, (ty + tab_h) * SS), inner)

    if n >= 48:
        # The edges of the pages, showing between the cover and the tabs.
        pages = rounded_mask(size, x0 + 2, y0 + 1.5, x1 + 0.035 * n, y1 - 1.5, radius)
        fill(canvas, (0x8A, 0x86, 0x7A), pages)
        leaves = rounded_mask(size, x0 + 2, y0 + 2.5, x1 + 0.035 * n - 1, y1 - 2.5, radius)
        paint(canvas, gradient(size, (0xFF, 0xFD, 0xF4), (0xDA, 0xD4, 0xC4), y0 * SS, y1 * SS), leaves)

    fill(canvas, BOOK_OUTLINE, rounded_mask(size, x0, y0, x1, y1, radius))
    inner = rounded_mask(size, x0 + edge, y0 + edge, x1 - edge, y1 - edge, max(radius - edge, 0))
    paint(canvas, gradient(size, BOOK_TOP, BOOK_BOTTOM, y0 * SS, y1 * SS), inner)

    spine_w = 3 if small else 0.16 * n
    spine = ImageChops.multiply(inner, rect_mask(size, 0, 0, x0 + spine_w, n))
    fill(canvas, BOOK_SPINE, spine)
    if not small:
        seam = rect_mask(size, x0 + spine_w, y0 + edge, x0 + spine_w + 0.9, y1 - edge)
        fill(canvas, WHITE, seam, 0.35)
        shine_y = y0 + (y1 - y0) * 0.45
        gloss = ImageChops.multiply(inner, rect_mask(size, x0 + spine_w + 1, y0 + edge, x1 - edge, shine_y))
        fade = vertical_ramp(size, y0 * SS, (y0 + (y1 - y0) * 0.45) * SS).point(lambda v: 255 - v)
        fill(canvas, WHITE, ImageChops.multiply(gloss, fade), 0.22)

    cx = (x0 + spine_w + x1) / 2.0
    figure = Image.new("L", size, 0)
    d = ImageDraw.Draw(figure)
    if small:
        cx = round(cx * 2) / 2.0
        body = person(d, cx, 4.5, 2.5, 14.0, 4.6, 6.0, 13.0)
    else:
        body = person(d, cx, 0.36 * n, 0.13 * n, 0.88 * n, 0.25 * n, 0.26 * n, 0.78 * n)
    figure = ImageChops.lighter(figure, body)
    fill(canvas, WHITE, figure)
    return reduce(canvas)


def tray(n):
    """The tray icon: the same blue and person on a plain rounded square, bolder for the tray."""
    canvas = layer(n)
    size = canvas.size
    small = n <= 16
    if small:
        x0, y0, x1, y1, radius = 0, 0, 16, 16, 3.5
    else:
        x0, y0, x1, y1, radius = 0.04 * n, 0.04 * n, 0.96 * n, 0.96 * n, 0.22 * n
    edge = 1.0
    fill(canvas, BOOK_OUTLINE, rounded_mask(size, x0, y0, x1, y1, radius))
    inner = rounded_mask(size, x0 + edge, y0 + edge, x1 - edge, y1 - edge, radius - edge)
    paint(canvas, gradient(size, BOOK_TOP, BOOK_BOTTOM, y0 * SS, y1 * SS), inner)
    if not small:
        shine = ellipse_mask(size, x0 - 0.2 * n, y0 - 0.55 * n, x1 + 0.2 * n, y0 + 0.42 * n)
        gloss = ImageChops.multiply(inner, shine)
        fill(canvas, WHITE, gloss, 0.18)
    figure = Image.new("L", size, 0)
    d = ImageDraw.Draw(figure)
    if small:
        body = person(d, 8.0, 5.0, 2.8, 15.5, 5.5, 6.5, 14.0)
    else:
        body = person(d, 0.5 * n, 0.36 * n, 0.18 * n, 0.98 * n, 0.36 * n, 0.36 * n, 0.84 * n)
    figure = ImageChops.lighter(figure, ImageChops.multiply(body, inner))
    fill(canvas, WHITE, figure)
    return reduce(canvas)


def product_picture(n, theme):
    """The About dialog's picture, n pixels square (64 in the design): the address book, large,
    on a panel lit from above, pale on the light face and deep on the dark one."""
    f = n / ABOUT
    panel = Image.new("RGBA", (n, n))
    panel.paste(gradient((n, n), theme.panel[0], theme.panel[1], 0, n), (0, 0))
    art = book(round(52 * f))
    at = (n - art.width) // 2
    shadow = Image.new("RGBA", (n, n), (0, 0, 0, 0))
    shadow.paste(art, (at + round(2 * f), at + round(3 * f)))
    opacity = theme.shade[1]
    alpha = shadow.getchannel("A").filter(ImageFilter.GaussianBlur(2.0 * f)).point(lambda v: round(v * opacity))
    shade = Image.new("RGBA", (n, n), theme.shade[0] + (0,))
    shade.putalpha(alpha)
    panel.alpha_composite(shade)
    panel.alpha_composite(art, (at, at))
    return panel.convert("RGB")


# --- Writers.


def ico_image(picture):
    """One ICO image: BITMAPINFOHEADER, bottom-up BGRA rows, bottom-up AND mask."""
    n = picture.width
    rgba = picture.tobytes()
    rows = [rgba[y * n * 4 : (y + 1) * n * 4] for y in range(n)]
    xor = bytearray()
    for row in reversed(rows):
        for x in range(n):
            r, g, b, a = row[x * 4 : x * 4 + 4]
            xor += bytes((b, g, r, a) if a else (0, 0, 0, 0))
    # The mask marks fully transparent pixels; rows are padded to 32 bits.
    stride = ((n + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(rows):
        line = bytearray(stride)
        for x in range(n):
            if row[x * 4 + 3] == 0:
                line[x // 8] |= 0x80 >> (x % 8)
        mask += line
    header = struct.pack("<IiiHHIIiiII", 40, n, n * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    return header + bytes(xor) + bytes(mask)


def ico_file(pictures):
    """An icon file. The 256-pixel image is stored as PNG, as Windows stores it; the smaller ones
    as bitmaps, which every reader of icons understands."""
    images = [png_bytes(p) if p.width >= BIG_ICON_SIZE else ico_image(p) for p in pictures]
    out = bytearray(struct.pack("<HHH", 0, 1, len(images)))  # reserved, type icon, count
    offset = 6 + 16 * len(images)
    for picture, data in zip(pictures, images):
        side = picture.width % 256  # 0 stands for 256
        out += struct.pack("<BBBBHHII", side, side, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    for data in images:
        out += data
    return bytes(out)


def bmp_file(picture):
    """A 24-bit bottom-up BMP with no colour table."""
    w, h = picture.size
    stride = (w * 3 + 3) & ~3
    rgb = picture.tobytes()
    pixels = bytearray()
    for y in reversed(range(h)):
        row = rgb[y * w * 3 : (y + 1) * w * 3]
        for x in range(w):
            r, g, b = row[x * 3 : x * 3 + 3]
            pixels += bytes((b, g, r))
        pixels += bytes(stride - w * 3)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    head = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(pixels), 0, 0, 14 + len(info))
    return head + info + bytes(pixels)


def png_bytes(picture):
    """A PNG without metadata, compressed as hard as zlib goes; the same picture always gives the
    same bytes. Invisible pixels of a picture with alpha are stored as zero, which compresses
    better and is what the program composites anyway."""
    if picture.mode == "RGBA":
        picture = Image.frombytes("RGBA", picture.size, raw_bytes(picture))
    out = io.BytesIO()
    picture.save(out, "PNG", optimize=True)
    return out.getvalue()


def scaled_side(side, percent):
    """A side of the 100% design at a scale, rounded half up as the program rounds it."""
    return (side * percent + 50) // 100


def small_icon_side(percent):
    """The small icon Windows asks for at a scale: 16 pixels at 100%."""
    return scaled_side(16, percent)


def art_resource_id(picture_id, scale_index, layer):
    """The id of a "PNG" resource: the 100% picture's own id, the scale's place in SCALES and the
    layer. The program computes the same number."""
    return picture_id * 100 + scale_index * 10 + layer


# --- Previews: the pictures as the program shows them, at real size and magnified.


def composite_like_program(strip_state, face):
    """Blends a state over a plain face with the program's own arithmetic (a shift by 8)."""
    out = Image.new("RGB", strip_state.size)
    src = strip_state.load()
    dst = out.load()
    for y in range(strip_state.height):
        for x in range(strip_state.width):
            r, g, b, a = src[x, y]
            if a == 0:
                dst[x, y] = face
            else:
                dst[x, y] = tuple((f * (255 - a) + c * a) >> 8 for c, f in zip((r, g, b), face))
    return out


def toggle_on_face(toggle, down, cell, face, bevel):
    """The search toggle's bitmap as the button draws it: a bevel, then the bitmap through its key.
    bevel: the highlight, dark shadow and shadow colours."""
    highlight, dark_shadow, shadow = bevel
    out = Image.new("RGB", (cell, cell), face)
    d = ImageDraw.Draw(out)
    if down:
        d.rectangle((0, 0, cell - 1, cell - 1), outline=shadow)
    else:
        d.line((0, cell - 1, 0, 0, cell - 1, 0), fill=highlight)
        d.line((0, cell - 1, cell - 1, cell - 1, cell - 1, 0), fill=dark_shadow)
        d.line((1, cell - 2, cell - 2, cell - 2, cell - 2, 1), fill=shadow)
    mask = Image.new("L", toggle.size, 0)
    pixels, m = toggle.load(), mask.load()
    for y in range(toggle.height):
        for x in range(toggle.width):
            m[x, y] = 0 if pixels[x, y] == KEY else 255
    out.paste(toggle, ((cell - toggle.width) // 2, (cell - toggle.height) // 2), mask)
    return out


def write_sheet(path, strips, toggles, about, icons, theme):
    """Every state of every strip over the theme's face, the toggle up and down, the product
    picture and the icons, at one scale."""
    side = strips[0].width
    gap = 5
    cell = side + gap
    icons_width = sum(icon.width + 2 for icon in icons) + gap
    width = gap + cell * (len(strips) + 1) + max(icons_width, about.width + gap)
    sheet = Image.new("RGB", (width, gap + cell * 4), theme.face)
    for i, strip in enumerate(strips):
        for k in range(4):
            state = strip.crop((0, k * side, side, (k + 1) * side))
            sheet.paste(composite_like_program(state, theme.face), (gap + i * cell, gap + k * cell))
    x = gap + len(strips) * cell
    for row, (toggle, down) in enumerate(((toggles[0], False), (toggles[1], True))):
        sheet.paste(toggle_on_face(toggle, down, side, theme.face, theme.bevel), (x, gap + row * cell))
    x += cell
    sheet.paste(about, (x, gap))
    ix = x
    for icon in icons:
        sheet.paste(icon, (ix, gap + 3 * cell - icon.height), icon)
        ix += icon.width + 2
    sheet.save(path)


# --- Main.


def main(argv):
    for path in (CAPTION_FONT[0], GLYPH_FONT):
        if not os.path.exists(path):
            sys.exit("make_icons.py: %s is missing; install fonts-liberation and fonts-dejavu-core" % path)
    args = argv[1:]
    preview = None
    if len(args) >= 2 and args[0] == "--preview":
        preview = args[1]
        args = args[2:]
    here = os.path.dirname(os.path.abspath(__file__))
    out_dir = args[0] if args else os.path.normpath(os.path.join(here, "..", "..", "res"))
    os.makedirs(os.path.join(out_dir, ART_FOLDER), exist_ok=True)
    if preview:
        os.makedirs(preview, exist_ok=True)

    def write(name, data):
        path = os.path.join(out_dir, name)
        with open(path, "wb") as f:
            f.write(data)
        print("wrote", path)

    rc = [RC_HEADER]

    def write_art(picture_id, file_name, scale_index, layer, picture):
        """A picture beyond the 100% light ones: PNG, and its line in Pictures.rc."""
        file_name = "%s/%s_%d%s.png" % (ART_FOLDER, file_name, SCALES[scale_index], LAYER_SUFFIXES[layer])
        write(file_name, png_bytes(picture))
        rc.append('%d PNG "%s"' % (art_resource_id(picture_id, scale_index, layer), file_name))

    books = [book(n) for n in ICON_SIZES + (BIG_ICON_SIZE,)]
    trays = [tray(n) for n in ICON_SIZES]
    write("tbook.ico", ico_file(books))
    write("tray.ico", ico_file(trays))

    for scale_index, percent in enumerate(SCALES):
        rc.append("")
        rc.append("// %d%%" % percent)
        side = scaled_side(STATE, percent)
        for picture_id, name, palette, draw_symbol, text, details, pressed_is_normal in TOOL_STRIPS:
            if scale_index == 0:
                strip = tool_strip(palette, draw_symbol, text, details, pressed_is_normal, side, LIGHT)
                write(name + ".raw", raw_bytes(strip))
            if picture_id == IDR_RAW_SEARCH:
                continue  # stored for a search button that no window shows
            write_art(picture_id, name, scale_index, LAYER_PICTURE, ball_strip(palette, draw_symbol, details,
                                                                               pressed_is_normal, side))
            for theme in THEMES:
                if scale_index > 0 or theme is DARK:
                    layer = LAYER_DARK_CAPTION if theme is DARK else LAYER_CAPTION
                    write_art(picture_id, name, scale_index, layer, caption_strip(text, pressed_is_normal, side, theme))
        for theme in THEMES:
            n = scaled_side(TOGGLE, percent)
            toggles = [magnifier(False, n, theme.face), magnifier(True, n, theme.face)]
            about = product_picture(scaled_side(ABOUT, percent), theme)
            if scale_index == 0 and theme is LIGHT:
                write("search_up.bmp", bmp_file(toggles[0]))
                write("search_down.bmp", bmp_file(toggles[1]))
                write("about.bmp", bmp_file(about))
            else:
                layer = LAYER_DARK_PICTURE if theme is DARK else LAYER_PICTURE
                write_art(SEARCH_UP_ID, "search_up", scale_index, layer, toggles[0])
                write_art(SEARCH_DOWN_ID, "search_down", scale_index, layer, toggles[1])
                write_art(ABOUT_ID, "about", scale_index, layer, about)
            if preview:
                strips = [tool_strip(palette, draw_symbol, text, details, pressed_is_normal, side, theme)
                          for _id, _name, palette, draw_symbol, text, details, pressed_is_normal in TOOL_STRIPS]
                small = ICON_SIZES.index(small_icon_side(percent))
                sheet = "sheet-%d%s.png" % (percent, theme.suffix)
                write_sheet(os.path.join(preview, sheet), strips, toggles, about, [books[small], trays[small]], theme)
    write("Pictures.rc", ("\n".join(rc) + "\n").encode("ascii"))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
