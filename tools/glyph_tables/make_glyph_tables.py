#!/usr/bin/env python3
"""Generates glyphs_8x8.cpp and glyphs_8x16.cpp (runtime/screen) from the pixel fonts of fonts-pc.

The fonts in that package are bitmap fonts traced into TrueType outlines: every outline is made
of straight lines on a grid of 100 font units per pixel, the first pixel row's top edge lies on
the ascender line and the first column's left edge on x = 0. A pixel is set when its centre lies
inside the outline (non-zero winding, the TrueType rule). Pixel centres sit at 50 units from the
grid lines, so no centre ever lies on an edge; the rasteriser checks that anyway.

Standard library only. Usage (from the repository root; the defaults are shown):
    python3 tools/glyph_tables/make_glyph_tables.py \
        [--fonts /usr/share/fonts/pc] [--out runtime/screen]
"""

import argparse
import os
import struct
import sys

# Code page 437 graphic characters for the control codes 1..31 and 127. 0 is a blank cell.
CONTROL_GRAPHICS = {
    1: 0x263A, 2: 0x263B, 3: 0x2665, 4: 0x2666, 5: 0x2663, 6: 0x2660, 7: 0x2022, 8: 0x25D8,
    9: 0x25CB, 10: 0x25D9, 11: 0x2642, 12: 0x2640, 13: 0x266A, 14: 0x266B, 15: 0x263C,
    16: 0x25BA, 17: 0x25C4, 18: 0x2195, 19: 0x203C, 20: 0x00B6, 21: 0x00A7, 22: 0x25AC,
    23: 0x21A8, 24: 0x2191, 25: 0x2193, 26: 0x2192, 27: 0x2190, 28: 0x221F, 29: 0x2194,
    30: 0x25B2, 31: 0x25BC, 127: 0x2302,
}

UNITS_PER_PIXEL = 100


def code_point(code):
    """Unicode code point that code page 437 shows for `code`, or None for the blank code 0."""
    if code == 0:
        return None
    if code in CONTROL_GRAPHICS:
        return CONTROL_GRAPHICS[code]
    return ord(bytes([code]).decode("cp437"))


class TrueTypeFont:
    """Just enough of a TrueType file to read glyph outlines: cmap, head, hhea, loca and glyf."""

    def __init__(self, path):
        self.path = path
        with open(path, "rb") as f:
            self.data = f.read()
        count = struct.unpack_from(">H", self.data, 4)[0]
        self.tables = {}
        for i in range(count):
            tag, _, offset, length = struct.unpack_from(">4sIII", self.data, 12 + 16 * i)
            self.tables[tag.decode("latin-1")] = (offset, length)
        head = self.tables["head"][0]
        self.units_per_em = struct.unpack_from(">H", self.data, head + 18)[0]
        self.long_loca = struct.unpack_from(">h", self.data, head + 50)[0] == 1
        self.ascender = struct.unpack_from(">h", self.data, self.tables["hhea"][0] + 4)[0]
        self.glyph_count = struct.unpack_from(">H", self.data, self.tables["maxp"][0] + 4)[0]
        self.char_map = self._read_cmap()

    def _read_cmap(self):
        base = self.tables["cmap"][0]
        count = struct.unpack_from(">H", self.data, base + 2)[0]
        best = None
        for i in range(count):
            platform, encoding, offset = struct.unpack_from(">HHI", self.data, base + 4 + 8 * i)
            fmt = struct.unpack_from(">H", self.data, base + offset)[0]
            if platform in (0, 3) and fmt in (4, 12):
                if best is None or fmt == 12:
                    best = (fmt, base + offset)
        if best is None:
            sys.exit("no Unicode cmap subtable of format 4 or 12")
        fmt, at = best
        mapping = {}
        if fmt == 4:
            segments = struct.unpack_from(">H", self.data, at + 6)[0] // 2
            ends = at + 14
            starts = ends + 2 * segments + 2
            deltas = starts + 2 * segments
            ranges = deltas + 2 * segments
            for s in range(segments):
                end = struct.unpack_from(">H", self.data, ends + 2 * s)[0]
                start = struct.unpack_from(">H", self.data, starts + 2 * s)[0]
                delta = struct.unpack_from(">h", self.data, deltas + 2 * s)[0]
                range_offset = struct.unpack_from(">H", self.data, ranges + 2 * s)[0]
                for c in range(start, end + 1):
                    if c == 0xFFFF:
                        continue
                    if range_offset == 0:
                        glyph = (c + delta) & 0xFFFF
                    else:
                        where = ranges + 2 * s + range_offset + 2 * (c - start)
                        glyph = struct.unpack_from(">H", self.data, where)[0]
                        if glyph != 0:
                            glyph = (glyph + delta) & 0xFFFF
                    if glyph != 0:
                        mapping[c] = glyph
        else:
            groups = struct.unpack_from(">I", self.data, at + 12)[0]
            for g in range(groups):
                start, end, first = struct.unpack_from(">III", self.data, at + 16 + 12 * g)
                for c in range(start, end + 1):
                    mapping[c] = first + c - start
        return mapping

    def _glyph_range(self, glyph):
        loca = self.tables["loca"][0]
        if self.long_loca:
            start, end = struct.unpack_from(">II", self.data, loca + 4 * glyph)
        else:
            start, end = (2 * v for v in struct.unpack_from(">HH", self.data, loca + 2 * glyph))
        return start, end

    def contours(self, glyph, dx=0, dy=0):
        """Closed contours of a glyph as lists of (x, y) on-curve points."""
        start, end = self._glyph_range(glyph)
        if start == end:
            return []
        at = self.tables["glyf"][0] + start
        contour_count = struct.unpack_from(">h", self.data, at)[0]
        if contour_count < 0:
            return self._composite_contours(at + 10, dx, dy)
        end_points = struct.unpack_from(">%dH" % contour_count, self.data, at + 10)
        point_count = end_points[-1] + 1 if contour_count else 0
        at += 10 + 2 * contour_count
        instruction_length = struct.unpack_from(">H", self.data, at)[0]
        at += 2 + instruction_length
        flags = []
        while len(flags) < point_count:
            flag = self.data[at]
            at += 1
            repeat = 1
            if flag & 8:
                repeat += self.data[at]
                at += 1
            flags.extend([flag] * repeat)
        xs, at = self._coordinates(flags, at, 2, 16)
        ys, at = self._coordinates(flags, at, 4, 32)
        if any(not flag & 1 for flag in flags):
            sys.exit("glyph %d has curved segments; only straight outlines are supported" % glyph)
        result, first = [], 0
        for last in end_points:
            points = zip(xs[first:last + 1], ys[first:last + 1])
            result.append([(x + dx, y + dy) for x, y in points])
            first = last + 1
        return result

    def _coordinates(self, flags, at, short_bit, same_bit):
        values, value = [], 0
        for flag in flags:
            if flag & short_bit:
                step = self.data[at]
                at += 1
                value += step if flag & same_bit else -step
            elif not flag & same_bit:
                value += struct.unpack_from(">h", self.data, at)[0]
                at += 2
            values.append(value)
        return values, at

    def _composite_contours(self, at, dx, dy):
        result = []
        while True:
            flags, component = struct.unpack_from(">HH", self.data, at)
            at += 4
            if flags & 1:
                ox, oy = struct.unpack_from(">hh", self.data, at)
                at += 4
            else:
                ox, oy = struct.unpack_from(">bb", self.data, at)
                at += 2
            if not flags & 2:
                sys.exit("composite glyph with point matching is not supported")
            if flags & (8 | 0x40 | 0x80):
                sys.exit("scaled composite glyphs are not supported")
            result.extend(self.contours(component, dx + ox, dy + oy))
            if not flags & 0x20:
                return result


def winding(contours, px, py):
    """Non-zero winding number of the point (px, py) against straight-edged contours."""
    total = 0
    for contour in contours:
        for i, (x0, y0) in enumerate(contour):
            x1, y1 = contour[(i + 1) % len(contour)]
            if (y0 <= py) == (y1 <= py):
                continue
            # x where the edge crosses the horizontal line through the point.
            cross = x0 + (py - y0) * (x1 - x0) / (y1 - y0)
            if cross == px:
                sys.exit("a pixel centre lies on an outline edge; the grid assumption is wrong")
            if cross > px:
                total += 1 if y1 > y0 else -1
    return total


def rasterise(font, code, rows):
    """Rows of the glyph for `code` as bytes, leftmost pixel in the high bit."""
    point = code_point(code)
    if point is None:
        return [0] * rows
    if point not in font.char_map:
        sys.exit("%s has no glyph for U+%04X (code %d)" % (font.path, point, code))
    contours = font.contours(font.char_map[point])
    result = []
    for r in range(rows):
        py = font.ascender - UNITS_PER_PIXEL * r - UNITS_PER_PIXEL // 2
        bits = 0
        for c in range(8):
            px = UNITS_PER_PIXEL * c + UNITS_PER_PIXEL // 2
            if winding(contours, px, py) != 0:
                bits |= 0x80 >> c
        result.append(bits)
    return result


def describe(code):
    if 32 <= code < 127 and chr(code) not in "\\'":
        return "'%s'" % chr(code)
    point = code_point(code)
    return "U+%04X" % point if point is not None else "blank"


def write_table(path, font_path, rows, function, copyright_line, licence):
    font = TrueTypeFont(font_path)
    if font.units_per_em != rows * UNITS_PER_PIXEL:
        sys.exit("%s: %d units per em, expected %d" % (font_path, font.units_per_em, rows * 100))
    array = "kGlyphRows%dx%d" % (8, rows)
    lines = [
        "// The 8x%d built-in font: 256 glyphs in IBM PC code page 437 order, %d rows each."
        % (rows, rows),
        "//",
        "// Generated by tools/glyph_tables/make_glyph_tables.py; do not edit by hand.",
        "// Source: %s from the Debian package fonts-pc" % os.path.basename(font_path),
        "// (The Ultimate Oldschool PC Font Pack, https://int10h.org/oldschool-pc-fonts/),",
        "// %s, licence %s." % (copyright_line, licence),
        "// The pack reproduces the character sets of the IBM PC video adapters; its outlines were",
        "// rasterised back onto their pixel grid, a pixel being set when its centre is inside.",
        "//",
        "// Each glyph row is one byte here, leftmost pixel in the high bit. On first use the",
        "// table is expanded into the drawing layout: one byte per pixel, 0 background,",
        "// 255 glyph.",
        '#include "runtime/screen/glyph_tables.h"',
        "",
        "#include <cstddef>",
        "",
        "namespace rt {",
        "namespace {",
        "",
        "constexpr int kGlyphRows = %d;" % rows,
        "",
        "constexpr uint8_t %s[256 * kGlyphRows] = {" % array,
    ]
    for code in range(256):
        data = rasterise(font, code, rows)
        row_bytes = "    " + ", ".join("0x%02X" % b for b in data) + ","
        comment = "// %02X %s" % (code, describe(code))
        if len(row_bytes) + 2 + len(comment) <= 100:
            lines.append(row_bytes + "  " + comment)
        else:
            lines += ["    " + comment, row_bytes]
    lines += [
        "};",
        "",
        "}  // namespace",
        "",
        "const uint8_t* %s() {" % function,
        "  // Written once, under the thread-safe initialisation of a function-local static.",
        "  static uint8_t* const table = [] {",
        "    static uint8_t pixels[256 * kGlyphRows * 8];",
        "    for (size_t row = 0; row < 256 * kGlyphRows; ++row) {",
        "      for (size_t column = 0; column < 8; ++column) {",
        "        pixels[row * 8 + column] = (%s[row] & (0x80u >> column)) != 0 ? 255 : 0;" % array,
        "      }",
        "    }",
        "    return pixels;",
        "  }();",
        "  return table;",
        "}",
        "",
        "}  // namespace rt",
        "",
    ]
    with open(path, "w") as f:
        f.write("\n".join(lines))


def licence_facts(copyright_path):
    """The copyright holder line and licence name of the font files, from the Debian file."""
    holder, licence = "Copyright 2015-2016 VileR", "CC-BY-SA-4.0"
    try:
        with open(copyright_path) as f:
            text = f.read()
    except OSError:
        return holder, licence
    in_files = False
    for line in text.splitlines():
        if line.startswith("Files:"):
            in_files = True
        elif in_files and line.startswith("Copyright:"):
            holder = "Copyright " + line.split(":", 1)[1].strip()
        elif in_files and line.startswith("License:"):
            licence = line.split(":", 1)[1].strip()
            break
    return holder, licence


def main():
    root = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--fonts", default="/usr/share/fonts/pc")
    parser.add_argument("--copyright", default="/usr/share/doc/fonts-pc/copyright")
    parser.add_argument("--out", default=os.path.join(root, "runtime", "screen"))
    args = parser.parse_args()
    holder, licence = licence_facts(args.copyright)
    tables = (("glyphs_8x16.cpp", "Px_IBM_VGA8.ttf", 16, "fontGlyphs8x16"),
              ("glyphs_8x8.cpp", "Px_IBM_CGA.ttf", 8, "fontGlyphs8x8"))
    for output, font_file, rows, function in tables:
        write_table(os.path.join(args.out, output), os.path.join(args.fonts, font_file), rows,
                    function, holder, licence)


if __name__ == "__main__":
    main()
