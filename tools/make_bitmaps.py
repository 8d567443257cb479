#!/usr/bin/env python3
"""Make the program's bitmaps and the chevron cursor from the Tango icon theme.

    python3 tools/make_bitmaps.py OUTPUT_FOLDER [TANGO_FOLDER]

Writes, as 32-bit BMP files with straight (not premultiplied) alpha that windres takes and
LoadImage(LR_CREATEDIBSECTION) / ImageList_Add read with their alpha:
    ToolbarLarge.bmp   the 51 toolbar images, 24 x 24 each, in one row (bitmap 3000)
    ToolbarSmall.bmp   the same at 16 x 16 (bitmap 3001)
    ToolbarHuge.bmp    the same at 32 x 32, for screens above 96 DPI (bitmap 3005)
    Chevron.bmp        two 8 x 24 images: the large and the small chevron (bitmap 3002)
    StatusLarge.bmp    the four row-status images, 32 x 24 each (bitmap 3003)
    StatusSmall.bmp    the same at 24 x 16 (bitmap 3004)
    Drag*.cur          the row-drag cursors: none, move, copy, move away (cursors 4001-4004)
    Splitter.cur       two bars with arrows left and right, over the map pane's splitter (4005)
and Chevron.cur, an arrow with a chevron beside it (cursor 4000).

The icons are Debian's tango-icon-theme (public domain); ImageMagick's `convert` scales,
composes and draws them. Where Tango has no fitting icon the image is drawn here.
"""
import os
import struct
import subprocess
import sys

SIZES = (24, 16, 32)

# Tango colours.
RED, DARK_RED = '#ef2929', '#a40000'
BLUE, DARK_BLUE = '#3465a4', '#204a87'
GREEN, DARK_GREEN = '#73d216', '#4e9a06'
GREY, DARK_GREY = '#babdb6', '#555753'
PAPER = '#eeeeec'

# One image per toolbar button, in image-index order (the order of src/core/ToolbarLayout.cpp).
# An entry is a Tango icon ("folder/name"), or a list of layers drawn bottom to top:
#   ("icon", name, scale, gravity)  an icon scaled to scale x the image size
#   ("draw", name, scale, gravity)  one of the DRAWINGS below
TOOLBAR = [
    (1000, 'new', 'actions/document-new'),
    (1001, 'open', 'actions/document-open'),
    (1002, 'open device favourites', [('icon', 'actions/document-open', 1, 'center'),
                                      ('icon', 'emblems/emblem-favorite', 0.6, 'southeast')]),
    (1003, 'save', 'actions/document-save'),
    (1004, 'save as', 'actions/document-save-as'),
    (1005, 'import', [('icon', 'mimetypes/text-x-generic', 1, 'center'),
                      ('draw', 'arrow-in', 0.65, 'southeast')]),
    (1006, 'export', [('icon', 'mimetypes/text-x-generic', 1, 'center'),
                      ('draw', 'arrow-out', 0.65, 'southeast')]),
    (1007, 'convert format', [('icon', 'mimetypes/x-office-document', 1, 'center'),
                              ('icon', 'actions/view-refresh', 0.6, 'southeast')]),
    (1009, 'undo', 'actions/edit-undo'),
    (1010, 'redo', 'actions/edit-redo'),
    (1011, 'add entry', 'actions/list-add'),
    (1012, 'insert entry', [('icon', 'actions/format-justify-fill', 1, 'center'),
                            ('icon', 'actions/list-add', 0.6, 'southeast')]),
    (1013, 'merge fields', [('icon', 'actions/format-justify-fill', 1, 'center'),
                            ('icon', 'actions/format-indent-more', 0.6, 'southeast')]),
    (1014, 'edit entry', 'apps/accessories-text-editor'),
    (1015, 'delete', 'actions/edit-delete'),
    (1016, 'clear fields', 'actions/edit-clear'),
    (1017, 'cut', 'actions/edit-cut'),
    (1018, 'copy', 'actions/edit-copy'),
    (1019, 'paste', 'actions/edit-paste'),
    (1022, 'look up address', 'mimetypes/x-office-address-book'),
    (1023, 'find', 'actions/edit-find'),
    (1024, 'find next', [('icon', 'actions/edit-find', 1, 'center'),
                         ('icon', 'actions/go-next', 0.6, 'southeast')]),
    (1025, 'replace', 'actions/edit-find-replace'),
    (1026, 'replace next', [('icon', 'actions/edit-find-replace', 1, 'center'),
                            ('icon', 'actions/go-next', 0.6, 'southeast')]),
    (1027, 'nudge coordinates', 'actions/view-fullscreen'),
    (1028, 'check itinerary', [('icon', 'mimetypes/text-x-generic', 1, 'center'),
                               ('draw', 'check', 0.75, 'southeast')]),
    (1029, 'add device favourite', 'actions/bookmark-new'),
    (1030, 'send to companion', 'actions/mail-forward'),
    (1033, 'destination', [('draw', 'flag', 1, 'center')]),
    (1034, 'via point', [('draw', 'dot', 1, 'center')]),
    (1035, 'to pass', 'actions/go-last'),
    (1036, 'passed', [('draw', 'check', 1, 'center')]),
    (1037, 'plan route', 'actions/go-jump'),
    (1038, 'move up', 'actions/go-up'),
    (1039, 'move down', 'actions/go-down'),
    (1040, 'reverse', [('icon', 'actions/go-up', 0.6, 'northwest'), ('icon', 'actions/go-down', 0.6, 'southeast')]),
    (1041, 'set base point', 'actions/go-home'),
    (1042, 'my base points', [('icon', 'actions/go-home', 1, 'center'),
                              ('icon', 'emblems/emblem-favorite', 0.6, 'southeast')]),
    (1043, 'sort ascending', [('icon', 'actions/go-down', 0.6, 'west'), ('draw', 'bars-ascending', 0.6, 'east')]),
    (1044, 'sort descending', [('icon', 'actions/go-down', 0.6, 'west'), ('draw', 'bars-descending', 0.6, 'east')]),
    (1045, 'Google Maps', [('draw', 'map', 1, 'center')]),
    (1046, 'Google Earth', 'categories/applications-internet'),
    (1047, 'update ephemeris', 'apps/system-software-update'),
    (1054, 'table font', 'apps/preferences-desktop-font'),
    (1055, 'table picture', 'mimetypes/image-x-generic'),
    (1057, 'preferences', 'categories/preferences-system'),
    (1058, 'device maker web site', 'apps/internet-web-browser'),
    (1059, 'forum', 'apps/internet-group-chat'),
    (1060, 'home page', 'apps/help-browser'),
    (1061, 'mail the author', 'apps/internet-mail'),
    (1062, 'about', 'status/dialog-information'),
]

# Row-status images by EntryStatus: 0 via point to pass, 1 via point passed, 2 destination
# to pass, 3 destination passed. Passed rows show their mark grey with a check.
STATUS = [
    [('draw', 'dot', 0.8, 'center')],
    [('draw', 'dot-grey', 0.8, 'center'), ('draw', 'check', 0.6, 'southeast')],
    [('draw', 'flag', 0.9, 'center')],
    [('draw', 'flag-grey', 0.9, 'center'), ('draw', 'check', 0.6, 'southeast')],
]


def flag(pole, cloth, edge):
    return [
        '-stroke', DARK_GREY, '-strokewidth', '{w8}', '-draw', 'line {0.30} {0.10} {0.30} {0.92}',
        '-stroke', edge, '-strokewidth', '{w16}', '-fill', cloth,
        '-draw', 'polygon {0.34} {0.12} {0.88} {0.30} {0.34} {0.52}',
        '-stroke', 'none', '-fill', pole, '-draw', 'ellipse {0.30} {0.90} {0.16} {0.05} 0 360',
    ]


def dot(fill, edge):
    return [
        '-stroke', edge, '-strokewidth', '{w12}', '-fill', fill, '-draw', 'circle {0.5} {0.5} {0.5} {0.20}',
        '-stroke', 'none', '-fill', '#ffffff80', '-draw', 'circle {0.42} {0.42} {0.42} {0.34}',
    ]


def arrow(pointing_in):
    # A bold arrow to the left (into the page) or to the right (out of it).
    points = '{0.95} {0.38} {0.45} {0.38} {0.45} {0.15} {0.05} {0.5} {0.45} {0.85} {0.45} {0.62} {0.95} {0.62}'
    return ['-stroke', DARK_BLUE if pointing_in else DARK_GREEN, '-strokewidth', '{w12}',
            '-fill', BLUE if pointing_in else GREEN, '-draw', 'polygon ' + points] + \
           ([] if pointing_in else ['-flop'])


def bars(ascending):
    lengths = (0.35, 0.65, 0.95) if ascending else (0.95, 0.65, 0.35)
    out = ['-stroke', DARK_GREY, '-strokewidth', '{w12}', '-fill', GREY]
    for i, length in enumerate(lengths):
        top = 0.12 + i * 0.3
        out += ['-draw', f'rectangle {{0.03}} {{{top}}} {{{length}}} {{{top + 0.18}}}']
    return out


def folded_map():
    outline = '{0.06} {0.22} {0.36} {0.10} {0.64} {0.22} {0.94} {0.10} {0.94} {0.80} {0.64} {0.92} {0.36} {0.80} {0.06} {0.92}'
    return [
        '-stroke', DARK_GREY, '-strokewidth', '{w16}', '-fill', PAPER, '-draw', 'polygon ' + outline,
        '-stroke', 'none', '-fill', '#d3d7cf', '-draw', 'polygon {0.36} {0.10} {0.64} {0.22} {0.64} {0.92} {0.36} {0.80}',
        '-stroke', BLUE, '-strokewidth', '{w12}', '-fill', 'none',
        '-draw', 'polyline {0.14} {0.78} {0.34} {0.56} {0.56} {0.64} {0.80} {0.36}',
        '-stroke', DARK_RED, '-strokewidth', '{w16}', '-fill', RED, '-draw', 'circle {0.80} {0.34} {0.80} {0.20}',
    ]


DRAWINGS = {
    'flag': flag(DARK_GREY, RED, DARK_RED),
    'flag-grey': flag(GREY, GREY, DARK_GREY),
    'dot': dot(BLUE, DARK_BLUE),
    'dot-grey': dot(GREY, DARK_GREY),
    'check': ['-stroke', '#ffffff', '-strokewidth', '{w4}', '-fill', 'none', '-draw',
              'polyline {0.14} {0.52} {0.40} {0.80} {0.88} {0.18}',
              '-stroke', DARK_GREEN, '-strokewidth', '{w6}', '-draw',
              'polyline {0.14} {0.52} {0.40} {0.80} {0.88} {0.18}'],
    'arrow-in': arrow(True),
    'arrow-out': arrow(False),
    'bars-ascending': bars(True),
    'bars-descending': bars(False),
    'map': folded_map(),
}


def fill_in(args, size):
    """Turns {0.5} into a pixel position and {wN} into a line width of size / N."""
    out = []
    for arg in args:
        while '{' in arg:
            start = arg.index('{')
            end = arg.index('}', start)
            token = arg[start + 1:end]
            value = max(1.0, size / float(token[1:])) if token.startswith('w') else float(token) * size
            arg = arg[:start] + f'{value:.2f}' + arg[end + 1:]
        out.append(arg)
    return out


def run(args):
    result = subprocess.run(['convert'] + args, capture_output=True)
    if result.returncode != 0:
        sys.exit(f'make_bitmaps: convert failed: {result.stderr.decode(errors="replace")}')
    return result.stdout


def icon_file(tango, name, size):
    # The nearest drawn size at or above the wanted one scales down best.
    for drawn in (16, 22, 24, 32):
        if drawn >= size and os.path.exists(f'{tango}/{drawn}x{drawn}/{name}.png'):
            return f'{tango}/{drawn}x{drawn}/{name}.png'
    path = f'{tango}/scalable/{name}.svg'
    if not os.path.exists(path):
        sys.exit(f'make_bitmaps: no Tango icon {name} in {tango}')
    return path


def layer_args(layer, size, tango):
    kind, name, scale, gravity = layer
    inner = max(1, round(size * scale))
    if kind == 'icon':
        source = ['-background', 'none', icon_file(tango, name, inner), '-resize', f'{inner}x{inner}!']
    else:
        # Drawn four times larger and scaled down, for smooth edges at 16 pixels.
        big = inner * 4
        source = ['-size', f'{big}x{big}', 'xc:none'] + fill_in(DRAWINGS[name], big) + ['-resize', f'{inner}x{inner}!']
    return ['(', *source, ')', '-gravity', gravity, '-composite']


def render(layers, width, height, tango):
    """RGBA bytes of one image: the layers composed over a transparent square of height x height,
    placed at the left of a width x height image."""
    if isinstance(layers, str):
        layers = [('icon', layers, 1, 'center')]
    args = ['-size', f'{height}x{height}', 'xc:none']
    for layer in layers:
        args += layer_args(layer, height, tango)
    args += ['-gravity', 'west', '-background', 'none', '-extent', f'{width}x{height}', '-depth', '8', 'RGBA:-']
    pixels = run(args)
    if len(pixels) != width * height * 4:
        sys.exit(f'make_bitmaps: expected {width}x{height} pixels, got {len(pixels)} bytes')
    return pixels


def strip(images, width, height):
    """Images side by side: rows of RGBA bytes."""
    rows = []
    for y in range(height):
        rows.append(b''.join(image[y * width * 4:(y + 1) * width * 4] for image in images))
    return rows


def bgra_bottom_up(rows):
    out = bytearray()
    for row in reversed(rows):
        for x in range(0, len(row), 4):
            r, g, b, a = row[x:x + 4]
            out += bytes((b, g, r, a) if a else (0, 0, 0, 0))
    return bytes(out)


def write_bmp(path, rows):
    width, height = len(rows[0]) // 4, len(rows)
    pixels = bgra_bottom_up(rows)
    info = struct.pack('<IiiHHIIiiII', 40, width, height, 1, 32, 0, len(pixels), 2835, 2835, 0, 0)
    header = struct.pack('<2sIHHI', b'BM', 14 + len(info) + len(pixels), 0, 0, 14 + len(info))
    with open(path, 'wb') as f:
        f.write(header + info + pixels)


def chevron_image(height, arm):
    """An 8-pixel-wide double chevron, arm pixels from tip to end, centred vertically."""
    rows = [bytearray(8 * 4) for _ in range(height)]
    top = (height - 2 * arm - 1) // 2
    for i in range(2 * arm + 1):
        offset = arm - abs(arm - i)  # 0 at the ends, arm at the tip
        for start in (0, 4):
            for x in (start + offset, start + offset + 1):
                if x < 8:
                    rows[top + i][x * 4:x * 4 + 4] = bytes((0x2E, 0x34, 0x36, 0xFF))
    return [bytes(row) for row in rows]


def chevron_bitmap():
    large, small = chevron_image(24, 3), chevron_image(24, 2)
    return [large[y] + small[y] for y in range(24)]


# The cursor: a plain arrow with a chevron at its lower right; '#' black, '.' white.
CURSOR = [
    '#',
    '##',
    '#.#',
    '#..#',
    '#...#',
    '#....#',
    '#.....#',
    '#......#',
    '#.......#',
    '#........#',
    '#.....#####',
    '#..#..#',
    '#.# #..#',
    '##  #..#',
    '#    #..#    ##  ##',
    '     #..#    #.# #.#',
    '      ##      #.# #.#',
    '               #.# #.#',
    '              #.# #.#',
    '             #.# #.#',
    '             ##  ##',
]


ARROW = CURSOR[:17]


def with_badge(badge):
    """The arrow with a badge drawn from row 17, column 10 on (the row-drag cursors)."""
    art = [line.ljust(32) for line in ARROW] + [' ' * 32 for _ in range(32 - len(ARROW))]
    for dy, row in enumerate(badge):
        for dx, c in enumerate(row):
            if c != ' ':
                line = art[12 + dy]
                art[12 + dy] = line[:10 + dx] + c + line[11 + dx:]
    return art


PAGE = ['##########', '#........#', '#........#', '#........#', '#........#', '#........#', '##########']
PLUS = ['##########', '#........#', '#...##...#', '#.######.#', '#...##...#', '#........#', '##########']
AWAY = ['##########', '#......#.#', '#.....##.#', '#.#######.', '#.....##.#', '#......#.#', '##########']
NONE = ['  ######  ', ' ##....## ', '##..##..##', '#..#..#..#', '##..##..##', ' ##....## ', '  ######  ']
# The row-drag cursors by effect: none, move, copy, move to another window.
DRAG_CURSORS = (('DragNone', with_badge(NONE)), ('DragMove', with_badge(PAGE)),
                ('DragCopy', with_badge(PLUS)), ('DragAway', with_badge(AWAY)))


def splitter_art():
    """Two white bars with an arrow to each side, outlined in black; hot spot (11, 8)."""
    shape = {(x, y) for x in (10, 12) for y in range(1, 16)}
    for x in range(2, 7):
        for y in range(8 - (x - 2), 9 + (x - 2)):
            shape |= {(x, y), (22 - x, y)}
    shape |= {(x, 8) for x in range(6, 9)} | {(x, 8) for x in range(14, 17)}
    art = []
    for y in range(17):
        line = ''
        for x in range(23):
            near = any((x + dx, y + dy) in shape for dx in (-1, 0, 1) for dy in (-1, 0, 1))
            line += '.' if (x, y) in shape else '#' if near else ' '
        art.append(line)
    return art


def write_cursor(path, art=CURSOR, hot_spot=(0, 0)):
    size = 32
    pixels = bytearray()
    mask = bytearray()
    for y in reversed(range(size)):
        line = art[y] if y < len(art) else ''
        mask_bits = 0
        for x in range(size):
            c = line[x] if x < len(line) else ' '
            pixels += {'#': b'\x00\x00\x00\xff', '.': b'\xff\xff\xff\xff'}.get(c, b'\x00\x00\x00\x00')
            mask_bits = (mask_bits << 1) | (0 if c in '#.' else 1)
        mask += mask_bits.to_bytes(4, 'big')
    info = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, len(pixels) + len(mask), 0, 0, 0, 0)
    image = info + pixels + mask
    directory = struct.pack('<HHH', 0, 2, 1) + struct.pack('<BBBBHHII', size, size, 0, 0, *hot_spot, len(image), 22)
    with open(path, 'wb') as f:
        f.write(directory + image)


def main():
    if len(sys.argv) not in (2, 3):
        sys.exit(__doc__)
    out = sys.argv[1]
    tango = sys.argv[2] if len(sys.argv) == 3 else '/usr/share/icons/Tango'
    if not os.path.isdir(tango):
        sys.exit(f'make_bitmaps: {tango} is missing (install the package tango-icon-theme)')
    if len(TOOLBAR) != 51:
        sys.exit('make_bitmaps: the toolbar needs 51 images')
    os.makedirs(out, exist_ok=True)
    for size, name in zip(SIZES, ('ToolbarLarge', 'ToolbarSmall', 'ToolbarHuge')):
        images = [render(layers, size, size, tango) for _, _, layers in TOOLBAR]
        write_bmp(f'{out}/{name}.bmp', strip(images, size, size))
    for (width, height), name in zip(((32, 24), (24, 16)), ('StatusLarge', 'StatusSmall')):
        images = [render(layers, width, height, tango) for layers in STATUS]
        write_bmp(f'{out}/{name}.bmp', strip(images, width, height))
    write_bmp(f'{out}/Chevron.bmp', chevron_bitmap())
    write_cursor(f'{out}/Chevron.cur')
    for name, art in DRAG_CURSORS:
        write_cursor(f'{out}/{name}.cur', art)
    write_cursor(f'{out}/Splitter.cur', splitter_art(), (11, 8))


if __name__ == '__main__':
    main()
