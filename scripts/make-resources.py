#!/usr/bin/env python3
"""Draws the player's bitmaps and cursors into res/: the button glyph strip
(112), the two 16-pixel icon strips of the lists (111 light, 130 dark), the
settings window's strip (113), the drag cursors (127 to 130), the program icon (103), the icons of the three
kinds of audio files (104 lossless, 105 lossy, 106 music) and the keyboard
language icons (124 to 126).
Standard library only; run it after changing a
picture and commit what it writes."""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
RES = os.path.join(HERE, "..", "res")


class Canvas:
    def __init__(self, w, h):
        self.w, self.h = w, h
        self.px = [[(0, 0, 0, 0)] * w for _ in range(h)]

    def put(self, x, y, rgba):
        if 0 <= x < self.w and 0 <= y < self.h:
            self.px[y][x] = rgba

    def rect(self, x0, y0, x1, y1, rgba):
        for y in range(y0, y1):
            for x in range(x0, x1):
                self.put(x, y, rgba)

    def frame(self, x0, y0, x1, y1, rgba):
        for x in range(x0, x1):
            self.put(x, y0, rgba)
            self.put(x, y1 - 1, rgba)
        for y in range(y0, y1):
            self.put(x0, y, rgba)
            self.put(x1 - 1, y, rgba)

    def triangle_right(self, ox, oy, w, h, rgba):
        # A play triangle pointing right inside (ox, oy, w, h).
        for x in range(w):
            half = (h * (w - x)) // (2 * w)
            mid = oy + h // 2
            for y in range(mid - half, mid + half + 1):
                self.put(ox + x, y, rgba)

    def triangle_left(self, ox, oy, w, h, rgba):
        for x in range(w):
            half = (h * (x + 1)) // (2 * w)
            mid = oy + h // 2
            for y in range(mid - half, mid + half + 1):
                self.put(ox + x, y, rgba)

    def disc(self, cx, cy, r, rgba):
        for y in range(cy - r, cy + r + 1):
            for x in range(cx - r, cx + r + 1):
                if (x - cx) ** 2 + (y - cy) ** 2 <= r * r:
                    self.put(x, y, rgba)


def write_bmp32(path, c):
    """A bottom-up 32-bit BI_RGB bitmap; the fourth byte is the alpha."""
    rows = b"".join(
        b"".join(struct.pack("<BBBB", b, g, r, a) for (r, g, b, a) in c.px[y]) for y in range(c.h - 1, -1, -1))
    header = struct.pack("<IiiHHIIiiII", 40, c.w, c.h, 1, 32, 0, len(rows), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(b"BM" + struct.pack("<IHHI", 14 + 40 + len(rows), 0, 0, 54))
        f.write(header + rows)


def write_cur(path, c, hot):
    """A one-image .cur with a 32-bit colour part and its AND mask."""
    xor = b"".join(
        b"".join(struct.pack("<BBBB", b, g, r, a) for (r, g, b, a) in c.px[y]) for y in range(c.h - 1, -1, -1))
    stride = ((c.w + 31) // 32) * 4
    mask = bytearray()
    for y in range(c.h - 1, -1, -1):
        row = bytearray(stride)
        for x in range(c.w):
            if c.px[y][x][3] == 0:
                row[x // 8] |= 0x80 >> (x % 8)
        mask += row
    header = struct.pack("<IiiHHIIiiII", 40, c.w, c.h * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    image = header + xor + bytes(mask)
    with open(path, "wb") as f:
        f.write(struct.pack("<HHH", 0, 2, 1))
        f.write(struct.pack("<BBBBHHII", c.w, c.h, 0, 0, hot[0], hot[1], len(image), 22))
        f.write(image)


def write_ico(path, c):
    """A one-image .ico with a 32-bit colour part and its AND mask. It is laid
    out as a cursor is, with type 1 and planes/bit count where the hot spot was."""
    write_cur(path, c, (1, 32))
    data = bytearray(open(path, "rb").read())
    struct.pack_into("<H", data, 2, 1)
    with open(path, "wb") as f:
        f.write(bytes(data))


def language_icon(kind):
    """Small flags: Russian stripes, an English cross, the Japanese disc."""
    c = Canvas(16, 16)
    white, red, blue = (255, 255, 255, 255), (213, 43, 30, 255), (0, 57, 166, 255)
    if kind == "ru":
        c.rect(0, 2, 16, 6, white)
        c.rect(0, 6, 16, 10, blue)
        c.rect(0, 10, 16, 14, red)
    elif kind == "en":
        c.rect(0, 2, 16, 14, blue)
        c.rect(0, 6, 16, 10, white)
        c.rect(6, 2, 10, 14, white)
        c.rect(0, 7, 16, 9, red)
        c.rect(7, 2, 9, 14, red)
    else:
        c.rect(0, 2, 16, 14, white)
        c.disc(8, 8, 3, red)
    c.frame(0, 2, 16, 14, (90, 90, 90, 255))
    return c


def program_icon():
    """An orange rounded square with a white note."""
    c = Canvas(32, 32)
    orange, dark, white = (214, 122, 36, 255), (150, 78, 18, 255), (255, 255, 255, 255)
    c.rect(2, 2, 30, 30, orange)
    for (x, y) in ((2, 2), (29, 2), (2, 29), (29, 29)):
        c.put(x, y, (0, 0, 0, 0))
    c.frame(2, 2, 30, 30, dark)
    c.rect(17, 7, 20, 22, white)      # the stem
    c.rect(20, 7, 25, 10, white)      # the flag
    c.disc(14, 22, 4, white)          # the head
    return c


def file_icon(rgba):
    """A page with a folded corner and a note in the kind's colour."""
    c = Canvas(32, 32)
    paper, edge = (250, 250, 250, 255), (120, 120, 120, 255)
    c.rect(6, 2, 26, 30, paper)
    c.frame(6, 2, 26, 30, edge)
    for i in range(6):
        for j in range(6 - i):
            c.put(25 - j, 2 + i, (0, 0, 0, 0))
    for i in range(6):
        c.put(20 + i, 2 + i, edge)
    c.rect(17, 10, 19, 23, rgba)
    c.rect(19, 10, 22, 12, rgba)
    c.disc(15, 23, 3, rgba)
    return c


def glyph_strip():
    cell = 15
    c = Canvas(cell * 5, 15)
    ink = (40, 40, 40, 255)
    edge = (250, 250, 250, 160)
    # 0 previous: bar and a left triangle
    c.rect(2, 3, 4, 12, edge); c.rect(3, 3, 4, 12, ink)
    c.triangle_left(4, 3, 8, 9, ink)
    # 1 play
    c.triangle_right(cell + 4, 2, 8, 11, ink)
    # 2 pause
    c.rect(2 * cell + 4, 3, 2 * cell + 7, 12, ink); c.rect(2 * cell + 9, 3, 2 * cell + 12, 12, ink)
    # 3 stop
    c.rect(3 * cell + 3, 3, 3 * cell + 12, 12, ink)
    # 4 next: a right triangle and a bar
    c.triangle_right(4 * cell + 3, 3, 8, 9, ink)
    c.rect(4 * cell + 11, 3, 4 * cell + 13, 12, ink)
    return c


def icon_strip(dark):
    cell = 16
    n = 14
    c = Canvas(cell * n, 16)
    fg = (230, 230, 230, 255) if dark else (60, 60, 60, 255)
    folder = (232, 190, 80, 255)
    # The cells the file groups name: 0 drive, 1 folder, 2 up one level,
    # 3 now playing, 4 any file, 5 program, 6-8 lossless, lossy and module
    # audio, 9 album, 10 picture, 11 video, 12 text, 13 archive.
    for i in range(n):
        ox = i * cell
        if i == 0:  # drive
            c.rect(ox + 1, 5, ox + 15, 12, (170, 175, 180, 255)); c.frame(ox + 1, 5, ox + 15, 12, fg)
            c.rect(ox + 11, 9, ox + 13, 10, (40, 200, 60, 255))
        elif i == 1:  # folder
            c.rect(ox + 1, 4, ox + 7, 6, folder); c.rect(ox + 1, 5, ox + 15, 14, folder)
            c.frame(ox + 1, 5, ox + 15, 14, (150, 110, 30, 255))
        elif i == 2:  # up one level
            c.triangle_left(ox + 2, 3, 6, 10, fg); c.rect(ox + 7, 7, ox + 14, 9, fg)
        elif i == 3:  # now playing
            c.triangle_right(ox + 4, 2, 9, 12, (40, 190, 70, 255))
        elif i == 4:  # any file: a plain page
            c.rect(ox + 3, 1, ox + 13, 15, (250, 250, 250, 255)); c.frame(ox + 3, 1, ox + 13, 15, fg)
        elif i == 5:  # program
            c.rect(ox + 2, 3, ox + 14, 13, (90, 110, 160, 255)); c.rect(ox + 2, 3, ox + 14, 5, (40, 60, 120, 255))
        elif i in (6, 7, 8):  # lossless, lossy, module: a note in three colours
            colour = [(60, 160, 240, 255), (80, 200, 120, 255), (200, 110, 220, 255)][i - 6]
            c.disc(ox + 5, 12, 3, colour); c.rect(ox + 7, 2, ox + 9, 12, colour); c.rect(ox + 7, 2, ox + 13, 4, colour)
        elif i == 9:  # album: a disc
            c.disc(ox + 8, 8, 6, (190, 190, 200, 255)); c.disc(ox + 8, 8, 1, (0, 0, 0, 0))
        elif i == 10:  # picture
            c.rect(ox + 2, 3, ox + 14, 13, (120, 170, 220, 255)); c.disc(ox + 10, 6, 2, (250, 230, 90, 255))
        elif i == 11:  # video
            c.rect(ox + 1, 4, ox + 12, 12, (220, 90, 70, 255)); c.triangle_left(ox + 11, 4, 4, 8, (220, 90, 70, 255))
        elif i == 12:  # text
            c.rect(ox + 3, 1, ox + 13, 15, (245, 245, 235, 255))
            for y in (4, 6, 8, 10, 12):
                c.rect(ox + 5, y, ox + 11, y + 1, (120, 120, 120, 255))
        else:  # 13 archive
            c.rect(ox + 3, 2, ox + 13, 14, (200, 160, 100, 255)); c.rect(ox + 7, 2, ox + 9, 14, fg)
    return c


def settings_strip():
    """The settings window's 16-pixel cells: 0 and 1 the pages General and
    Audio, 2 and 3 a check box off and on (the option rows), 4 to 7 the pages
    Player's Hot Keys, Hot Keys Manager, Plugins and Scrobbler. Drawn to read
    on light and dark lists alike."""
    cell = 16
    c = Canvas(cell * 8, 16)
    edge, paper = (110, 116, 122, 255), (252, 252, 252, 255)
    ink, green = (50, 56, 62, 255), (30, 150, 60, 255)
    grey = (150, 156, 162, 255)  # lines that stand on the list itself
    blue, orange = (50, 120, 210, 255), (226, 130, 30, 255)

    def key_cap(ox):
        c.rect(ox + 1, 3, ox + 15, 14, (235, 238, 240, 255)); c.frame(ox + 1, 3, ox + 15, 14, edge)
        c.rect(ox + 2, 12, ox + 14, 13, (200, 204, 208, 255))

    # 0 General: three slider rails with their knobs
    for i, k in enumerate((9, 4, 11)):
        y = 3 + i * 5
        c.rect(1, y, 15, y + 1, grey)
        c.rect(k - 1, y - 1, k + 2, y + 2, blue)
    # 1 Audio: a loudspeaker and two waves
    ox = cell
    c.rect(ox + 2, 6, ox + 5, 10, blue)
    c.triangle_left(ox + 4, 2, 5, 12, blue)
    c.rect(ox + 11, 5, ox + 12, 11, green); c.rect(ox + 13, 3, ox + 14, 13, green)
    # 2 and 3: the check box, empty and ticked
    for i in (2, 3):
        ox = i * cell
        c.rect(ox + 2, 2, ox + 14, 14, paper); c.frame(ox + 2, 2, ox + 14, 14, edge)
    ox = 3 * cell
    for i, (x, y) in enumerate(((4, 8), (5, 9), (6, 10), (7, 9), (8, 8), (9, 7), (10, 6), (11, 5))):
        c.rect(ox + x, y - 1, ox + x + 1, y + 2, green)
    # 4 Player's Hot Keys: a key with a play mark
    ox = 4 * cell
    key_cap(ox)
    c.triangle_right(ox + 6, 5, 5, 6, green)
    # 5 Hot Keys Manager: a key with a prompt
    ox = 5 * cell
    key_cap(ox)
    for i in range(3):
        c.put(ox + 4 + i, 5 + i, ink); c.put(ox + 4 + i, 9 - i, ink)
    c.rect(ox + 8, 9, ox + 12, 10, ink)
    # 6 Plugins: a plug with its two pins and cable
    ox = 6 * cell
    c.rect(ox + 5, 1, ox + 6, 5, grey); c.rect(ox + 10, 1, ox + 11, 5, grey)
    c.rect(ox + 3, 5, ox + 13, 10, orange); c.frame(ox + 3, 5, ox + 13, 10, (150, 80, 20, 255))
    c.rect(ox + 7, 10, ox + 9, 15, grey)
    # 7 Scrobbler: a bar chart
    ox = 7 * cell
    for i, h in enumerate((5, 9, 7, 12)):
        c.rect(ox + 2 + i * 3, 14 - h, ox + 4 + i * 3, 14, (blue, green, orange, blue)[i])
    c.rect(ox + 1, 14, ox + 15, 15, grey)
    return c


def drag_cursor(mark):
    c = Canvas(32, 32)
    black, white = (0, 0, 0, 255), (255, 255, 255, 255)
    # The arrow: a white body with a black outline.
    for y in range(16):
        for x in range(y // 1 + 1):
            if x <= y * 2 // 3:
                c.put(x, y, white)
    for y in range(16):
        c.put(0, y, black)
        c.put(y * 2 // 3, y, black)
    for x in range(11):
        c.put(x, 15, black)
    # The mark beside it: a page, a page with a plus, a no-entry ring, a list.
    ox, oy = 14, 16
    if mark in ("page", "plus", "list"):
        c.rect(ox, oy, ox + 12, oy + 14, white); c.frame(ox, oy, ox + 12, oy + 14, black)
        if mark == "plus":
            c.rect(ox + 5, oy + 3, ox + 7, oy + 11, black); c.rect(ox + 2, oy + 6, ox + 10, oy + 8, black)
        elif mark == "list":
            for y in (3, 6, 9):
                c.rect(ox + 2, oy + y, ox + 10, oy + y + 1, black)
    else:
        c.disc(ox + 7, oy + 7, 6, (200, 30, 30, 255)); c.disc(ox + 7, oy + 7, 4, (0, 0, 0, 0))
        for i in range(-3, 4):
            c.put(ox + 7 + i, oy + 7 - i, (200, 30, 30, 255))
    return c


def main():
    write_bmp32(os.path.join(RES, "glyphs.bmp"), glyph_strip())
    write_bmp32(os.path.join(RES, "icons-light.bmp"), icon_strip(False))
    write_bmp32(os.path.join(RES, "icons-dark.bmp"), icon_strip(True))
    write_bmp32(os.path.join(RES, "settings-icons.bmp"), settings_strip())
    write_cur(os.path.join(RES, "drag-in-list.cur"), drag_cursor("list"), (0, 0))
    write_cur(os.path.join(RES, "drag-status.cur"), drag_cursor("page"), (0, 0))
    write_cur(os.path.join(RES, "drag-to-playlist.cur"), drag_cursor("plus"), (0, 0))
    write_cur(os.path.join(RES, "drag-outside.cur"), drag_cursor("none"), (0, 0))
    write_ico(os.path.join(RES, "program.ico"), program_icon())
    write_ico(os.path.join(RES, "lossless.ico"), file_icon((40, 110, 210, 255)))
    write_ico(os.path.join(RES, "lossy.ico"), file_icon((40, 160, 70, 255)))
    write_ico(os.path.join(RES, "music.ico"), file_icon((150, 60, 170, 255)))
    write_ico(os.path.join(RES, "language-ru.ico"), language_icon("ru"))
    write_ico(os.path.join(RES, "language-en.ico"), language_icon("en"))
    write_ico(os.path.join(RES, "language-ja.ico"), language_icon("ja"))


if __name__ == "__main__":
    main()
