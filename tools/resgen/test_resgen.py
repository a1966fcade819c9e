"""Checks the BMP, PNG and ICO writers by parsing their output back, and that
the committed images in app/res are exactly what the generator produces.

Run:  python3 -m unittest discover -s tools/resgen
"""

import os
import re
import struct
import tempfile
import unittest
import zlib

import resgen

HERE = os.path.dirname(os.path.abspath(__file__))
APP = os.path.normpath(os.path.join(HERE, "..", "..", "app"))
RES = os.path.join(APP, "res")

RED = (255, 0, 0, 1.0)
BLUE = (0, 0, 255, 1.0)


def canvas_with_corners(w, h):
    """A transparent canvas with a red top-left and a blue bottom-right pixel."""
    c = resgen.Canvas(w, h)
    c.fill(resgen.rect(0, 0, 1, 1), RED)
    c.fill(resgen.rect(w - 1, h - 1, w, h), BLUE)
    return c


def parse_bmp(data):
    magic, file_size, _, _, offset = struct.unpack_from("<2sIHHI", data, 0)
    (hsize, w, h, planes, bpp, compression,
     image_size) = struct.unpack_from("<IiiHHII", data, 14)
    return dict(magic=magic, file_size=file_size, offset=offset, hsize=hsize,
                w=w, h=h, planes=planes, bpp=bpp, compression=compression,
                image_size=image_size)


def parse_png(data):
    """(width, height, bit depth, colour type, filters, pixels) of an 8-bit RGB
    PNG: the filter byte of each row and the rows' RGB bytes, top row first."""
    assert data[:8] == resgen.PNG_SIGNATURE, "PNG signature"
    chunks = png_chunks(data)
    assert [kind for kind, _ in chunks] == [b"IHDR", b"IDAT", b"IEND"]
    w, h, depth, colour, _, _, _ = struct.unpack(">IIBBBBB", chunks[0][1])
    raw = zlib.decompress(chunks[1][1])
    stride = 1 + 3 * w
    assert len(raw) == stride * h
    filters, pixels, above = bytes(raw[0::stride]), bytearray(), bytes(3 * w)
    for y in range(h):
        assert filters[y] == 4, "every row is written with the Paeth filter"
        row = bytearray()
        for i, value in enumerate(raw[y * stride + 1:(y + 1) * stride]):
            left = row[i - 3] if i >= 3 else 0
            up_left = above[i - 3] if i >= 3 else 0
            row.append((value + paeth(left, above[i], up_left)) & 0xFF)
        pixels += row
        above = bytes(row)
    return w, h, depth, colour, filters, bytes(pixels)


def paeth(a, b, c):
    """The Paeth predictor as the PNG format (RFC 2083) defines it."""
    p = a + b - c
    pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
    if pa <= pb and pa <= pc:
        return a
    return b if pb <= pc else c


def png_chunks(data):
    """[(kind, data)] of a PNG file, each chunk's CRC checked."""
    chunks, at = [], 8
    while at < len(data):
        length, = struct.unpack_from(">I", data, at)
        kind, body = data[at + 4:at + 8], data[at + 8:at + 8 + length]
        crc, = struct.unpack_from(">I", data, at + 8 + length)
        assert crc == zlib.crc32(kind + body) & 0xFFFFFFFF, kind
        chunks.append((kind, body))
        at += 12 + length
    return chunks


def parse_ico(data):
    reserved, kind, count = struct.unpack_from("<HHH", data, 0)
    entries = []
    for i in range(count):
        (w, h, colours, _, planes, bpp, size,
         offset) = struct.unpack_from("<BBBBHHII", data, 6 + 16 * i)
        entries.append(dict(w=w or 256, h=h or 256, colours=colours,
                            planes=planes, bpp=bpp, size=size, offset=offset))
    return reserved, kind, entries


class BmpWriterTest(unittest.TestCase):

    def test_headers_and_padding_for_odd_width(self):
        data = resgen.bmp_bytes(canvas_with_corners(5, 3))
        info = parse_bmp(data)
        stride = 16  # 5 pixels * 3 bytes = 15, padded to 16
        self.assertEqual(info["magic"], b"BM")
        self.assertEqual(info["hsize"], 40)
        self.assertEqual(info["offset"], 54)
        self.assertEqual((info["w"], info["h"]), (5, 3))
        self.assertEqual((info["planes"], info["bpp"], info["compression"]),
                         (1, 24, 0))
        self.assertEqual(info["image_size"], stride * 3)
        self.assertEqual(info["file_size"], len(data))
        self.assertEqual(len(data), 54 + stride * 3)
        for row in range(3):
            self.assertEqual(data[54 + row * stride + 15], 0, "padding byte")

    def test_rows_are_bottom_up_and_bgr(self):
        data = resgen.bmp_bytes(canvas_with_corners(5, 3))
        stride = 16
        first_row = data[54:54 + stride]
        last_row = data[54 + 2 * stride:54 + 3 * stride]
        # The top-left pixel lives in the last stored row, as B, G, R.
        self.assertEqual(tuple(last_row[0:3]), (0, 0, 255))
        # The bottom-right pixel lives at the end of the first stored row.
        self.assertEqual(tuple(first_row[12:15]), (255, 0, 0))
        # Transparent pixels take the background colour.
        self.assertEqual(tuple(first_row[0:3]), (255, 255, 255))

    def test_background_is_blended_under_translucent_pixels(self):
        c = resgen.Canvas(1, 1)
        c.fill(resgen.rect(0, 0, 1, 1), (0, 0, 0, 0.5))
        data = resgen.bmp_bytes(c, background=(200, 100, 0))
        self.assertEqual(tuple(data[54:57]), (0, 50, 100))

    def test_generated_bitmaps_have_the_sizes_the_windows_expect(self):
        expected = {"bitmap304.png": (70, 70), "bitmap305.png": (70, 70),
                    "tree307.bmp": (80, 16), "tree308.png": (120, 24),
                    "tree309.png": (160, 32)}
        for name, (w, h) in expected.items():
            with self.subTest(name=name):
                data = resgen.IMAGES[name]()
                if name.endswith(".png"):
                    self.assertEqual(parse_png(data)[:4], (w, h, 8, 2))
                    continue
                info = parse_bmp(data)
                self.assertEqual((info["w"], info["h"], info["bpp"]), (w, h, 24))
                stride = (w * 3 + 3) & ~3
                self.assertEqual(len(data), 54 + stride * h)

    def test_tree_images_are_drawn_at_each_side(self):
        # The separator's two lines stay one pixel each at every side: a strip
        # scaled from 16 would smear them over two rows.
        grey, light, white = (154, 163, 173), (226, 230, 234), (255, 255, 255)
        for side in (16, 24, 32):
            with self.subTest(side=side):
                strip = resgen.bitmap_tree(side)
                self.assertEqual((strip.w, strip.h), (5 * side, side))
                middle = 4 * side + side // 2
                column = [strip.rgb8_over(middle, y, white) for y in range(side)]
                expected = [white] * side
                expected[side // 2 - 1], expected[side // 2] = grey, light
                self.assertEqual(column, expected)


class PngWriterTest(unittest.TestCase):

    def test_rows_are_top_down_rgb(self):
        w, h, depth, colour, filters, pixels = parse_png(
            resgen.png_bytes(canvas_with_corners(5, 3)))
        self.assertEqual((w, h, depth, colour), (5, 3, 8, 2))
        self.assertEqual(len(pixels), 5 * 3 * 3)
        self.assertEqual(tuple(pixels[0:3]), (255, 0, 0))        # top left
        self.assertEqual(tuple(pixels[-3:]), (0, 0, 255))        # bottom right
        self.assertEqual(set(pixels[3:-3]), {255}, "background")

    def test_paeth_takes_the_neighbour_nearest_to_the_guess(self):
        # left, up, up-left -> predicted; ties go to left, then up.
        table = [((10, 20, 10), 20), ((20, 10, 10), 20), ((10, 10, 10), 10),
                 ((100, 50, 200), 50), ((50, 100, 200), 50),
                 ((0, 0, 255), 0), ((255, 255, 0), 255), ((30, 40, 35), 35)]
        for (a, b, c), expected in table:
            with self.subTest(neighbours=(a, b, c)):
                self.assertEqual(resgen.paeth(a, b, c), expected)
                self.assertEqual(paeth(a, b, c), expected)


class IcoWriterTest(unittest.TestCase):

    def setUp(self):
        self.small = canvas_with_corners(16, 16)
        self.large = canvas_with_corners(32, 32)
        self.data = resgen.ico_bytes([self.small, self.large])

    def image(self, entry):
        return self.data[entry["offset"]:entry["offset"] + entry["size"]]

    def test_directory_matches_the_images(self):
        reserved, kind, entries = parse_ico(self.data)
        self.assertEqual((reserved, kind, len(entries)), (0, 1, 2))
        expected_offset = 6 + 16 * 2
        for entry, size in zip(entries, (16, 32)):
            self.assertEqual((entry["w"], entry["h"]), (size, size))
            self.assertEqual((entry["colours"], entry["planes"], entry["bpp"]),
                             (0, 1, 32))
            # Images follow the directory back to back, up to the file's end.
            self.assertEqual(entry["offset"], expected_offset)
            expected_offset += entry["size"]
        self.assertEqual(expected_offset, len(self.data))

    def test_image_header_has_doubled_height_and_true_sizes(self):
        _, _, entries = parse_ico(self.data)
        for entry in entries:
            n = entry["w"]
            image = self.image(entry)
            (hsize, w, h, planes, bpp, compression,
             image_size) = struct.unpack_from("<IiiHHII", image, 0)
            mask_stride = 4  # 16 and 32 pixels both need one 32-bit word
            self.assertEqual((hsize, w, h, planes, bpp, compression),
                             (40, n, 2 * n, 1, 32, 0))
            self.assertEqual(image_size, n * n * 4 + mask_stride * n)
            self.assertEqual(len(image), 40 + image_size)

    def test_pixels_bottom_up_and_mask_marks_transparency(self):
        _, _, entries = parse_ico(self.data)
        image = self.image(entries[0])  # 16 x 16
        xor, mask = image[40:40 + 16 * 16 * 4], image[40 + 16 * 16 * 4:]
        top_row = xor[15 * 64:16 * 64]   # stored last
        bottom_row = xor[0:64]           # stored first
        self.assertEqual(tuple(top_row[0:4]), (0, 0, 255, 255))      # red
        self.assertEqual(tuple(bottom_row[60:64]), (255, 0, 0, 255))  # blue
        self.assertEqual(tuple(top_row[4:8]), (0, 0, 0, 0))
        # AND mask: 4 bytes a row; 0 = opaque, 1 = transparent.
        top_mask = mask[15 * 4:16 * 4]
        bottom_mask = mask[0:4]
        self.assertEqual(top_mask[0], 0x7F)         # first pixel opaque
        self.assertEqual(bytes(top_mask[1:2]), b"\xff")
        self.assertEqual(bottom_mask[1], 0xFE)      # last pixel opaque
        self.assertEqual(bytes(bottom_mask[2:4]), b"\0\0", "row padding")

    def test_mask_row_stride_for_width_not_multiple_of_32(self):
        c = resgen.Canvas(40, 40)  # 40 bits -> 5 bytes -> padded to 8
        image = resgen.icon_image_bytes(c)
        self.assertEqual(len(image), 40 + 40 * 40 * 4 + 8 * 40)

    def test_every_icon_carries_16_and_32(self):
        for name in resgen.IMAGES:
            if name.endswith(".ico"):
                with self.subTest(name=name):
                    _, _, entries = parse_ico(resgen.IMAGES[name]())
                    self.assertEqual([(e["w"], e["h"]) for e in entries],
                                     [(16, 16), (32, 32)])


class CommittedImagesTest(unittest.TestCase):

    def test_app_res_is_the_generator_output(self):
        with tempfile.TemporaryDirectory() as tmp:
            names = resgen.generate(tmp)
            committed = sorted(n for n in os.listdir(RES)
                               if n.endswith((".ico", ".bmp", ".png")))
            self.assertEqual(committed, names)
            for name in names:
                with open(os.path.join(tmp, name), "rb") as a, \
                        open(os.path.join(RES, name), "rb") as b:
                    made, kept = a.read(), b.read()
                if name.endswith(".png"):
                    # Another zlib may compress the same rows to other bytes.
                    made, kept = parse_png(made), parse_png(kept)
                self.assertTrue(made == kept,
                                name + " differs: rerun resgen.py app/res")

    def test_rc_names_exactly_the_generated_files_with_matching_ids(self):
        with open(os.path.join(APP, "velix.rc"), encoding="utf-8") as f:
            rc = f.read()
        with open(os.path.join(APP, "resource.h"), encoding="utf-8") as f:
            ids = dict(re.findall(r"#define\s+(ID[IB]_\w+)\s+(\d+)", f.read()))
        listed = re.findall(
            r'^(ID[IB]_\w+)\s+(?:ICON|BITMAP|RCDATA)\s+"res/([^"]+)"', rc, re.M)
        self.assertEqual(sorted(n for _, n in listed), sorted(resgen.IMAGES))
        for symbol, name in listed:
            with self.subTest(symbol=symbol):
                # The number in each file's name is the id it is stored under.
                self.assertEqual(re.search(r"\d+", name).group(), ids[symbol])


if __name__ == "__main__":
    unittest.main()
