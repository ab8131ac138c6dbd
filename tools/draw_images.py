#!/usr/bin/python3
"""Draws every image of the site skeleton (resources/skeleton/images/ and the date
picker's icon) in one blue palette. The output is committed; run this again only after
changing a drawing:

    /usr/bin/python3 tools/draw_images.py

Needs Debian's python3-pil and, for the captions drawn into the login banner and the
buttons, fonts-wqy-microhei. The output is deterministic: no randomness, fixed sizes.
"""
import os
import sys

from PIL import Image, ImageDraw, ImageFont

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "resources", "skeleton")
IMAGES = os.path.join(ROOT, "images")
FONT_FILE = "/usr/share/fonts/truetype/wqy/wqy-microhei.ttc"

# The palette. BASE is the frame colour the page templates use (bgcolor #C4D8ED).
BASE = (0xC4, 0xD8, 0xED)
DARK = (0x1F, 0x4E, 0x79)
MID = (0x3C, 0x78, 0xB4)
LIGHT = (0xE8, 0xF0, 0xF8)
LIGHTER = (0xF4, 0xF8, 0xFC)
LINE = (0x9E, 0xBE, 0xDF)
WHITE = (0xFF, 0xFF, 0xFF)
GREEN = (0x2E, 0x9A, 0x4A)
RED = (0xC8, 0x32, 0x32)
ORANGE = (0xE0, 0x8A, 0x1E)

# Height of the top frame (main.asp gives it 63 px) and of its tab strip.
TOP_HEIGHT = 63
TAB_HEIGHT = 26


def font(size):
    return ImageFont.truetype(FONT_FILE, size)


def mix(a, b, t):
    return tuple(round(a[i] + (b[i] - a[i]) * t) for i in range(3))


def vertical_gradient(width, height, top, bottom):
    image = Image.new("RGB", (width, height))
    draw = ImageDraw.Draw(image)
    for y in range(height):
        t = y / (height - 1) if height > 1 else 0
        draw.line([(0, y), (width - 1, y)], fill=mix(top, bottom, t))
    return image


def save_gif(image, name, folder=IMAGES):
    """Saves an RGB image, or an RGBA one whose half-transparent pixels become either
    opaque or fully transparent (GIF has one transparent colour)."""
    path = os.path.join(folder, name)
    if image.mode == "RGBA":
        alpha = image.getchannel("A")
        rgb = Image.new("RGB", image.size, LIGHTER)
        rgb.paste(image.convert("RGB"), mask=alpha)
        quantised = rgb.quantize(colors=255, method=Image.Quantize.MEDIANCUT, dither=Image.Dither.NONE)
        palette = quantised.getpalette()[: 255 * 3]
        quantised.putpalette(palette + [255, 0, 255])
        pixels = quantised.load()
        mask = alpha.load()
        for y in range(image.size[1]):
            for x in range(image.size[0]):
                if mask[x, y] < 128:
                    pixels[x, y] = 255
        quantised.save(path, transparency=255, optimize=True)
    else:
        image.quantize(colors=256, method=Image.Quantize.MEDIANCUT, dither=Image.Dither.NONE).save(path, optimize=True)
    return path


def save_jpg(image, name):
    path = os.path.join(IMAGES, name)
    image.convert("RGB").save(path, quality=92, optimize=False, progressive=False)
    return path


def supersampled(width, height, painter, scale=4):
    """Draws with `painter(draw, scale)` on a 4x RGBA canvas and scales it down, for
    smooth edges on small icons."""
    big = Image.new("RGBA", (width * scale, height * scale), (0, 0, 0, 0))
    painter(ImageDraw.Draw(big), scale)
    return big.resize((width, height), Image.LANCZOS)


def rounded_corner(width, height, fill_image, radius, corner, outside=WHITE):
    """A corner piece: fill_image with one rounded corner cut out of the given side
    ("tl", "tr", "bl", "br"); the cut-away part is the page colour."""
    scale = 4
    mask = Image.new("L", (width * scale, height * scale), 0)
    draw = ImageDraw.Draw(mask)
    w, h, r = width * scale, height * scale, radius * scale
    box = {
        "tl": (0, 0, w + r, h + r),
        "tr": (-r, 0, w - 1, h + r),
        "bl": (0, -r, w + r, h - 1),
        "br": (-r, -r, w - 1, h - 1),
    }[corner]
    draw.rounded_rectangle(box, radius=r, fill=255)
    mask = mask.resize((width, height), Image.LANCZOS)
    result = Image.new("RGB", (width, height), outside)
    result.paste(fill_image, mask=mask)
    return result


def centred_text(draw, box, text, size, fill, bold=False):
    f = font(size)
    left, top, right, bottom = draw.textbbox((0, 0), text, font=f)
    x = box[0] + (box[2] - box[0] - (right - left)) / 2 - left
    y = box[1] + (box[3] - box[1] - (bottom - top)) / 2 - top
    draw.text((x, y), text, font=f, fill=fill)
    if bold:
        draw.text((x + 1, y), text, font=f, fill=fill)


# ---------------------------------------------------------------- form frame
FRAME_TOP = (0xEE, 0xF5, 0xFC)
FRAME_BOTTOM = (0xB9, 0xD1, 0xEA)
FRAME_HEIGHT = 28


def frame_band(width):
    band = vertical_gradient(width, FRAME_HEIGHT, FRAME_TOP, FRAME_BOTTOM)
    ImageDraw.Draw(band).line([(0, FRAME_HEIGHT - 1), (width - 1, FRAME_HEIGHT - 1)], fill=LINE)
    return band


def draw_frame():
    save_gif(frame_band(4), "r_0.gif")
    save_gif(rounded_corner(8, FRAME_HEIGHT, frame_band(8), 6, "tl"), "r_1.gif")
    save_gif(rounded_corner(8, FRAME_HEIGHT, frame_band(8), 6, "tr"), "r_2.gif")
    fill = Image.new("RGB", (8, 8), BASE)
    save_gif(rounded_corner(8, 8, fill, 6, "bl"), "r_4.gif")
    save_gif(rounded_corner(8, 8, fill, 6, "br"), "r_3.gif")


# ---------------------------------------------------------------- small icons
def icon_add(draw, s):
    draw.ellipse((1 * s, 1 * s, 15 * s, 15 * s), fill=GREEN + (255,))
    draw.rectangle((4 * s, 7 * s, 12 * s, 9 * s), fill=WHITE + (255,))
    draw.rectangle((7 * s, 4 * s, 9 * s, 12 * s), fill=WHITE + (255,))


def icon_delete(draw, s):
    draw.ellipse((1 * s, 1 * s, 15 * s, 15 * s), fill=RED + (255,))
    draw.line((5 * s, 5 * s, 11 * s, 11 * s), fill=WHITE + (255,), width=2 * s)
    draw.line((11 * s, 5 * s, 5 * s, 11 * s), fill=WHITE + (255,), width=2 * s)


def icon_edit(draw, s):
    # a sheet with a pencil across it
    draw.rectangle((2 * s, 2 * s, 11 * s, 14 * s), fill=WHITE + (255,), outline=MID + (255,), width=s)
    for y in (5, 8, 11):
        draw.line((4 * s, y * s, 8 * s, y * s), fill=LINE + (255,), width=s)
    draw.polygon([(14 * s, 3 * s), (15.5 * s, 4.5 * s), (8 * s, 12 * s), (6 * s, 13 * s), (6.5 * s, 10.5 * s)],
                 fill=ORANGE + (255,), outline=DARK + (255,))


def icon_view(draw, s):
    # an eye
    draw.ellipse((1 * s, 4 * s, 15 * s, 12 * s), fill=WHITE + (255,), outline=MID + (255,), width=s)
    draw.ellipse((5 * s, 5 * s, 11 * s, 11 * s), fill=MID + (255,))
    draw.ellipse((7 * s, 7 * s, 9 * s, 9 * s), fill=DARK + (255,))


def icon_search(draw, s):
    draw.ellipse((1.5 * s, 1.5 * s, 10.5 * s, 10.5 * s), fill=LIGHT + (255,), outline=MID + (255,), width=2 * s)
    draw.line((9 * s, 9 * s, 14.5 * s, 14.5 * s), fill=DARK + (255,), width=3 * s)


def icon_exit(draw, s):
    draw.arc((2 * s, 2.5 * s, 14 * s, 14.5 * s), start=-60, end=240, fill=RED + (255,), width=2 * s)
    draw.line((8 * s, 1 * s, 8 * s, 8 * s), fill=RED + (255,), width=2 * s)


def icon_home(draw, s):
    draw.polygon([(8 * s, 1.5 * s), (15 * s, 8 * s), (1 * s, 8 * s)], fill=MID + (255,))
    draw.rectangle((3 * s, 8 * s, 13 * s, 14.5 * s), fill=WHITE + (255,), outline=MID + (255,), width=s)
    draw.rectangle((7 * s, 10 * s, 9.5 * s, 14.5 * s), fill=ORANGE + (255,))


def icon_refresh(draw, s):
    draw.arc((2 * s, 2 * s, 14 * s, 14 * s), start=30, end=330, fill=MID + (255,), width=2 * s)
    draw.polygon([(15.5 * s, 3 * s), (15.5 * s, 8.5 * s), (10 * s, 8.5 * s)], fill=MID + (255,))


def icon_user(draw, s):
    draw.ellipse((5 * s, 1.5 * s, 11 * s, 7.5 * s), fill=MID + (255,))
    draw.chord((2 * s, 8 * s, 14 * s, 20 * s), start=180, end=360, fill=MID + (255,))


def icon_print(draw, s):
    draw.rectangle((4 * s, 1.5 * s, 12 * s, 6 * s), fill=WHITE + (255,), outline=DARK + (255,), width=s)
    draw.rounded_rectangle((1 * s, 5.5 * s, 15 * s, 12 * s), radius=2 * s, fill=MID + (255,))
    draw.rectangle((4 * s, 10 * s, 12 * s, 15 * s), fill=WHITE + (255,), outline=DARK + (255,), width=s)
    draw.ellipse((12 * s, 7 * s, 13.5 * s, 8.5 * s), fill=(0x7C, 0xE0, 0x7C, 255))


def icon_calendar(draw, s):
    draw.rectangle((1.5 * s, 2.5 * s, 14.5 * s, 14.5 * s), fill=WHITE + (255,), outline=MID + (255,), width=s)
    draw.rectangle((1.5 * s, 2.5 * s, 14.5 * s, 6 * s), fill=RED + (255,))
    draw.rectangle((4 * s, 1 * s, 5 * s, 4 * s), fill=DARK + (255,))
    draw.rectangle((11 * s, 1 * s, 12 * s, 4 * s), fill=DARK + (255,))
    for row in range(2):
        for col in range(3):
            x, y = 4 + col * 3.2, 8 + row * 3
            draw.rectangle((x * s, y * s, (x + 1.6) * s, (y + 1.6) * s), fill=MID + (255,))


def icon_arrow(draw, s):
    draw.polygon([(2 * s, 1 * s), (7 * s, 4 * s), (2 * s, 7 * s)], fill=MID + (255,))


def icon_sort_down(draw, s):
    draw.polygon([(1 * s, 2.5 * s), (8 * s, 2.5 * s), (4.5 * s, 7 * s)], fill=DARK + (255,))


def draw_icons():
    icons = {
        "add.gif": icon_add, "del.gif": icon_delete, "edit.gif": icon_edit, "res.gif": icon_edit,
        "view.gif": icon_view, "search.gif": icon_search, "exit.gif": icon_exit, "home.gif": icon_home,
        "refresh.gif": icon_refresh, "user.gif": icon_user, "printer.gif": icon_print,
    }
    for name, painter in icons.items():
        save_gif(supersampled(16, 16, painter), name)
    save_gif(supersampled(8, 8, icon_arrow), "arrow.gif")
    save_gif(supersampled(9, 9, icon_sort_down), "down2.gif")
    date_skin = os.path.join(ROOT, "date", "skin")
    os.makedirs(date_skin, exist_ok=True)
    save_gif(supersampled(16, 16, icon_calendar), "datePicker.gif", folder=date_skin)


# ---------------------------------------------------------------- print button (list page)
def draw_print_button():
    button = vertical_gradient(56, 22, (0xFA, 0xFC, 0xFE), (0xCF, 0xE0, 0xF1))
    button = rounded_corner(56, 22, button, 3, "tl")
    for corner in ("tr", "bl", "br"):
        button = rounded_corner(56, 22, button, 3, corner)
    draw = ImageDraw.Draw(button)
    draw.rounded_rectangle((0, 0, 55, 21), radius=3, outline=LINE)
    printer = supersampled(16, 16, icon_print)
    button.paste(printer, (6, 3), printer)
    centred_text(draw, (22, 0, 54, 22), "打印", 12, DARK)
    save_jpg(button, "print.jpg")


# ---------------------------------------------------------------- top frame
TOP_FROM = (0x2A, 0x62, 0x9C)
TOP_TO = (0x5E, 0x98, 0xD0)


def top_band(width):
    """The top frame's background: a blue gradient down to the tab strip, then the
    strip itself (lighter, with a line at its foot where the tabs stand)."""
    band = Image.new("RGB", (width, TOP_HEIGHT))
    upper = vertical_gradient(width, TOP_HEIGHT - TAB_HEIGHT, TOP_FROM, TOP_TO)
    strip = vertical_gradient(width, TAB_HEIGHT, TOP_TO, (0x7F, 0xAE, 0xDC))
    band.paste(upper, (0, 0))
    band.paste(strip, (0, TOP_HEIGHT - TAB_HEIGHT))
    ImageDraw.Draw(band).line([(0, TOP_HEIGHT - 1), (width - 1, TOP_HEIGHT - 1)], fill=BASE)
    return band


def tab(width, active, label=None, background=None):
    """A tab with rounded top corners, standing on the foot of the top frame."""
    top, bottom = ((0xFF, 0xFF, 0xFF), LIGHT) if active else ((0xF2, 0xF7, 0xFC), BASE)
    face = vertical_gradient(width, TAB_HEIGHT, top, bottom)
    scale = 4
    mask = Image.new("L", (width * scale, TAB_HEIGHT * scale), 0)
    ImageDraw.Draw(mask).rounded_rectangle((scale, 3 * scale, (width - 1) * scale - 1, (TAB_HEIGHT + 6) * scale),
                                           radius=5 * scale, fill=255)
    mask = mask.resize((width, TAB_HEIGHT), Image.LANCZOS)
    if background is None:
        result = face.convert("RGBA")
        result.putalpha(mask)
    else:
        result = background.copy()
        result.paste(face, mask=mask)
    if label:
        centred_text(ImageDraw.Draw(result), (0, 4, width, TAB_HEIGHT), label, 12, DARK)
    return result


def draw_top_frame():
    save_gif(top_band(1), "top_bg.gif")
    save_gif(tab(92, False), "tab_bg.gif")
    save_gif(tab(92, True), "tab_on.gif")
    strip = top_band(92).crop((0, TOP_HEIGHT - TAB_HEIGHT, 92, TOP_HEIGHT))
    desk = tab(92, True, background=strip)
    home = supersampled(16, 16, icon_home)
    desk.paste(home, (14, 7), home)
    centred_text(ImageDraw.Draw(desk), (28, 4, 86, TAB_HEIGHT), "桌面", 12, DARK)
    save_jpg(desk, "button8.jpg")
    # The title sits on the upper part of the band; drawn on it so the letters' edges
    # blend into the exact colours behind them.
    logo = top_band(260).crop((0, 0, 260, TOP_HEIGHT - TAB_HEIGHT))
    draw = ImageDraw.Draw(logo)
    draw.rounded_rectangle((12, 8, 33, 29), radius=4, fill=WHITE)
    draw.rectangle((16, 13, 29, 15), fill=MID)
    draw.rectangle((16, 18, 29, 20), fill=MID)
    draw.rectangle((16, 23, 25, 25), fill=MID)
    draw.text((42, 5), "后台管理系统", font=font(20), fill=WHITE)
    draw.text((43, 5), "后台管理系统", font=font(20), fill=WHITE)
    save_gif(logo, "logo.gif")
    save_gif(vertical_gradient(1, 32, LIGHT, BASE), "bottom_bg.gif")


# ---------------------------------------------------------------- left menu
def draw_menu():
    width = 177
    background = Image.new("RGB", (width, 1), (0xEE, 0xF4, 0xFA))
    ImageDraw.Draw(background).point((width - 1, 0), fill=LINE)
    save_gif(background, "menu_bg.gif")

    header = vertical_gradient(width, 28, (0x6B, 0x9E, 0xD2), MID)
    draw = ImageDraw.Draw(header)
    draw.line([(0, 27), (width - 1, 27)], fill=DARK)
    draw.line([(0, 0), (width - 1, 0)], fill=(0x8F, 0xB8, 0xE2))
    # a folder mark where the group name starts
    draw.rectangle((12, 10, 24, 19), fill=(0xFF, 0xE0, 0x8A))
    draw.rectangle((12, 8, 17, 10), fill=(0xFF, 0xE0, 0x8A))
    save_gif(header, "menu_title.gif")

    item = vertical_gradient(width, 30, WHITE, LIGHT)
    draw = ImageDraw.Draw(item)
    draw.line([(0, 29), (width - 1, 29)], fill=(0xD5, 0xE3, 0xF1))
    draw.line([(width - 1, 0), (width - 1, 29)], fill=LINE)
    arrow = supersampled(8, 8, icon_arrow)
    item.paste(arrow, (38, 11), arrow)
    save_gif(item, "left_bg01.gif")

    hover = vertical_gradient(width, 30, (0xFF, 0xF8, 0xE1), (0xFC, 0xE9, 0xB4))
    draw = ImageDraw.Draw(hover)
    draw.line([(0, 29), (width - 1, 29)], fill=(0xE8, 0xCF, 0x8A))
    hover.paste(arrow, (38, 11), arrow)
    save_gif(hover, "left_bg02.gif")


# ---------------------------------------------------------------- login page
LOGIN_WIDTH = 480


def draw_login():
    # 01: the banner across the top of the login box
    banner = vertical_gradient(LOGIN_WIDTH, 90, TOP_FROM, TOP_TO)
    draw = ImageDraw.Draw(banner, "RGBA")
    for i, radius in enumerate((170, 130, 95)):
        draw.ellipse((LOGIN_WIDTH - 60 - radius, 45 - radius, LOGIN_WIDTH - 60 + radius, 45 + radius),
                     outline=(255, 255, 255, 40 + i * 15), width=2)
    draw.rounded_rectangle((30, 24, 70, 64), radius=7, fill=(255, 255, 255, 255))
    for y in (33, 41, 49):
        draw.rectangle((37, y, 63, y + 3), fill=MID + (255,))
    draw.text((86, 18), "后台管理系统", font=font(26), fill=WHITE)
    draw.text((87, 18), "后台管理系统", font=font(26), fill=WHITE)
    draw.text((88, 56), "MANAGEMENT SYSTEM", font=font(12), fill=(0xDD, 0xEA, 0xF7))
    save_gif(banner, "login_01.gif")

    # 02: left panel of the form row, with a user mark
    panel = vertical_gradient(140, 150, LIGHT, BASE)
    user = supersampled(64, 64, lambda d, s: icon_user(d, s * 4), scale=4)
    panel.paste(user, (38, 38), user)
    ImageDraw.Draw(panel).line([(139, 12), (139, 137)], fill=LINE)
    save_gif(panel, "login_02.gif")

    # 03: right panel, the ground of the input boxes
    form = vertical_gradient(340, 150, WHITE, LIGHTER)
    save_gif(form, "login_03.gif")

    # 04: the foot of the box
    foot = vertical_gradient(LOGIN_WIDTH, 36, BASE, (0xA9, 0xC6, 0xE4))
    ImageDraw.Draw(foot).line([(0, 0), (LOGIN_WIDTH - 1, 0)], fill=LINE)
    save_gif(foot, "login_04.gif")

    # page background behind the box
    save_gif(vertical_gradient(1, 400, (0x2A, 0x62, 0x9C), BASE), "login_bg.gif")

    # dl: the login button
    button = vertical_gradient(64, 26, (0x5E, 0x98, 0xD0), (0x2A, 0x62, 0x9C))
    for corner in ("tl", "tr", "bl", "br"):
        button = rounded_corner(64, 26, button, 4, corner, outside=LIGHTER)
    draw = ImageDraw.Draw(button)
    centred_text(draw, (0, 0, 64, 26), "登 录", 13, WHITE, bold=True)
    save_gif(button, "dl.gif")


def main():
    if not os.path.exists(FONT_FILE):
        sys.exit("draw_images: font missing, install fonts-wqy-microhei: " + FONT_FILE)
    os.makedirs(IMAGES, exist_ok=True)
    draw_frame()
    draw_icons()
    draw_print_button()
    draw_top_frame()
    draw_menu()
    draw_login()
    for name in sorted(os.listdir(IMAGES)):
        print(os.path.join("images", name), os.path.getsize(os.path.join(IMAGES, name)))


if __name__ == "__main__":
    main()
