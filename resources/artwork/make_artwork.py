#!/usr/bin/env python3
"""Draws the program's artwork as SVG and renders the PNGs next to it.

Run from anywhere: python3 resources/artwork/make_artwork.py
Needs rsvg-convert (Debian package librsvg2-bin). The results are committed, so a build
never runs this.
"""
import pathlib
import subprocess

ROOT = pathlib.Path(__file__).resolve().parent.parent

BLUE = "#2563A8"
NAVY = "#1B467A"
ORANGE = "#F59E0B"
WHITE = "#FFFFFF"

# Every small picture is a flat rounded tile in its own colour with a white sign on it,
# drawn on a 48 x 48 grid.
TILE = '<rect x="2" y="2" width="44" height="44" rx="9" fill="{color}"/>'


def svg(width, height, body, view=None):
    view = view or f"0 0 {width} {height}"
    return (f'<svg xmlns="http://www.w3.org/2000/svg" width="{width}" height="{height}" '
            f'viewBox="{view}">\n{body}\n</svg>\n')


def tile(color, sign):
    return svg(48, 48, TILE.format(color=color) + "\n" + sign)


SIGNS = {
    "tv": (BLUE,
           '<path d="M24 15 L17 8 M24 15 L31 8" stroke="#fff" stroke-width="2.5" '
           'stroke-linecap="round"/>'
           '<rect x="9" y="15" width="30" height="21" rx="3" fill="#fff"/>'
           f'<path d="M21 20 V31 L30 25.5 Z" fill="{BLUE}"/>'
           '<rect x="18" y="37.5" width="12" height="2.5" rx="1.2" fill="#fff"/>'),
    "radio": ("#7C4DBA",
              '<path d="M15 17 L33 9" stroke="#fff" stroke-width="2.5" stroke-linecap="round"/>'
              '<rect x="8" y="17" width="32" height="22" rx="4" fill="#fff"/>'
              '<circle cx="18" cy="28" r="6" fill="#7C4DBA"/>'
              '<circle cx="18" cy="28" r="2.2" fill="#fff"/>'
              '<path d="M28 23.5 H35 M28 28 H35 M28 32.5 H35" stroke="#7C4DBA" '
              'stroke-width="2" stroke-linecap="round"/>'),
    "video": ("#D64545",
              '<rect x="9" y="10" width="30" height="28" rx="3" fill="#fff"/>'
              + "".join(f'<rect x="{x}" y="{y}" width="3.5" height="3.5" rx="0.8" fill="#D64545"/>'
                        for x in (11.5, 33) for y in (12.5, 19, 25.5, 32))
              + '<path d="M20 18 V30 L30 24 Z" fill="#D64545"/>'),
    "favorites": ("#E0A000",
                  '<path d="M24 9 L28.4 18.6 L38.8 19.7 L31 26.8 L33.2 37.1 L24 31.8 L14.8 37.1 '
                  'L17 26.8 L9.2 19.7 L19.6 18.6 Z" fill="#fff" stroke="#fff" '
                  'stroke-width="1.5" stroke-linejoin="round"/>'),
    "files": ("#2E8B8B",
              '<path d="M8 14 H19 L22.5 17.5 H40 V37 H8 Z" fill="#fff" stroke="#fff" '
              'stroke-width="1.5" stroke-linejoin="round"/>'
              '<path d="M8 21 H40" stroke="#2E8B8B" stroke-width="2"/>'),
    "sports": ("#2E9E5B",
               '<circle cx="24" cy="24" r="14.5" fill="#fff"/>'
               '<path d="M24 18.5 L29.2 22.3 L27.2 28.4 H20.8 L18.8 22.3 Z" fill="#2E9E5B"/>'
               '<path d="M24 18.5 V10 M29.2 22.3 L37 19.5 M27.2 28.4 L32 35.5 M20.8 28.4 '
               'L16 35.5 M18.8 22.3 L11 19.5" stroke="#2E9E5B" stroke-width="1.8"/>'),
    "extras": ("#E07B24",
               '<rect x="10" y="21" width="28" height="17" rx="2" fill="#fff"/>'
               '<rect x="8" y="15" width="32" height="7" rx="2" fill="#fff"/>'
               '<rect x="22" y="15" width="4" height="23" fill="#E07B24"/>'
               '<path d="M24 15 C19 7 12 11 17 15 M24 15 C29 7 36 11 31 15" fill="none" '
               'stroke="#fff" stroke-width="2.5" stroke-linecap="round"/>'),
    "xxx": ("#8B1E3F",
            '<circle cx="24" cy="24" r="15" fill="none" stroke="#fff" stroke-width="2.5"/>'
            '<text x="24" y="29.5" font-family="DejaVu Sans" font-weight="bold" font-size="12.5" '
            'text-anchor="middle" fill="#fff">18+</text>'),
    # Menu signs beside the category ones.
    "download": ("#4A6A8A",
                 '<path d="M24 9 V27 M16 20 L24 28 L32 20" fill="none" stroke="#fff" '
                 'stroke-width="3.5" stroke-linecap="round" stroke-linejoin="round"/>'
                 '<path d="M11 29 V37 H37 V29" fill="none" stroke="#fff" stroke-width="3.5" '
                 'stroke-linecap="round" stroke-linejoin="round"/>'),
    "exit": ("#6B7280",
             '<path d="M27 10 H12 V38 H27" fill="none" stroke="#fff" stroke-width="3.5" '
             'stroke-linejoin="round"/>'
             '<path d="M20 24 H38 M31 17 L38 24 L31 31" fill="none" stroke="#fff" '
             'stroke-width="3.5" stroke-linecap="round" stroke-linejoin="round"/>'),
    "language": ("#3B82C4",
                 '<circle cx="24" cy="24" r="14" fill="none" stroke="#fff" stroke-width="2.5"/>'
                 '<ellipse cx="24" cy="24" rx="6" ry="14" fill="none" stroke="#fff" '
                 'stroke-width="2.2"/>'
                 '<path d="M10 24 H38 M13 16.5 H35 M13 31.5 H35" stroke="#fff" '
                 'stroke-width="2.2"/>'),
    "help": ("#2E8B57",
             '<circle cx="24" cy="24" r="15" fill="#fff"/>'
             '<path d="M18.5 19.5 C18.5 12.5 29.5 12.5 29.5 19.5 C29.5 24 24 24 24 28.5" '
             'fill="none" stroke="#2E8B57" stroke-width="3.6" stroke-linecap="round"/>'
             '<circle cx="24" cy="34" r="2.3" fill="#2E8B57"/>'),
    "about": (BLUE,
              '<circle cx="24" cy="24" r="15" fill="#fff"/>'
              f'<circle cx="24" cy="16.5" r="2.6" fill="{BLUE}"/>'
              f'<rect x="21.8" y="21.5" width="4.4" height="13" rx="1.5" fill="{BLUE}"/>'),
}

# Menu items by "#menu name:index" key as the menu bar asks for them.
MENU_KEYS = {"mnuFileItem0": "download", "mnuFileItem2": "exit", "mnuCatItem0": "tv",
             "mnuCatItem1": "radio", "mnuCatItem2": "video", "mnuCatItem3": "favorites",
             "mnuCatItem4": "files", "mnuLanguageItem0": "language", "mnuHelpItem0": "help",
             "mnuAboutItem0": "about"}
ICON_SIZES = (16, 24, 32, 48, 64, 128)

CATEGORIES = ["tv", "radio", "video", "favorites", "files", "sports", "extras", "xxx"]
MENU = ["download", "exit", "tv", "radio", "video", "favorites", "files", "language", "help",
        "about"]

# The application mark: a screen with an aerial and a play sign, on a 128 grid.
MARK = (f'<rect x="4" y="4" width="120" height="120" rx="26" fill="{BLUE}"/>'
        '<path d="M64 36 L45 17 M64 36 L83 17" stroke="#fff" stroke-width="7" '
        'stroke-linecap="round"/>'
        '<rect x="20" y="36" width="88" height="62" rx="11" fill="#fff"/>'
        f'<path d="M55 50 V84 L84 67 Z" fill="{ORANGE}" stroke="{ORANGE}" stroke-width="4" '
        'stroke-linejoin="round"/>'
        '<rect x="46" y="104" width="36" height="7" rx="3.5" fill="#fff"/>')


def waves(width, height, color, count, top):
    paths = []
    for i in range(count):
        y = top + i * (height - top) / count
        amp = 10 + 4 * i
        paths.append(f'<path d="M0 {y:.1f} C{width * 0.25:.0f} {y - amp:.1f} '
                     f'{width * 0.5:.0f} {y + amp:.1f} {width} {y - amp / 2:.1f} V{height} '
                     f'H0 Z" fill="{color}" opacity="{0.18 + 0.12 * i:.2f}"/>')
    return "".join(paths)


def signal_arcs(cx, cy, color, scale=1.0, width=6):
    return "".join(f'<path d="M{cx + r * 0.7:.1f} {cy - r * 0.7:.1f} A{r} {r} 0 0 1 '
                   f'{cx + r * 0.7:.1f} {cy + r * 0.7:.1f}" fill="none" stroke="{color}" '
                   f'stroke-width="{width}" stroke-linecap="round" '
                   f'opacity="{1 - i * 0.25:.2f}"/>'
                   for i, r in enumerate((26 * scale, 44 * scale, 62 * scale)))


def write(path, text):
    path.parent.mkdir(parents=True, exist_ok=True)
    path.write_text(text)


def render(source, target, width, height=None):
    height = height or width
    target.parent.mkdir(parents=True, exist_ok=True)
    subprocess.run(["rsvg-convert", "-w", str(width), "-h", str(height), "-o", str(target),
                    str(source)], check=True)


def main():
    icons = ROOT / "icons"
    write(icons / "quorvel.svg", svg(128, 128, MARK))
    for size in ICON_SIZES:
        render(icons / "quorvel.svg", icons / f"quorvel-{size}.png", size)

    art = ROOT / "artwork"
    for name, (color, sign) in SIGNS.items():
        write(art / "signs" / f"{name}.svg", tile(color, sign))
    for name in CATEGORIES:
        render(art / "signs" / f"{name}.svg", ROOT / "categories" / f"{name}.png", 32)
        render(art / "signs" / f"{name}.svg", ROOT / "categories" / f"{name}@2x.png", 64)
    for name in MENU:
        render(art / "signs" / f"{name}.svg", ROOT / "menu" / f"{name}.png", 16)
        render(art / "signs" / f"{name}.svg", ROOT / "menu" / f"{name}@2x.png", 32)

    splash = svg(480, 300,
                 f'<rect width="480" height="300" fill="{NAVY}"/>'
                 + waves(480, 300, BLUE, 3, 170)
                 + signal_arcs(290, 118, ORANGE)
                 + f'<g transform="translate(120 48) scale(1.1)">{MARK}</g>')
    write(art / "splash.svg", splash)
    render(art / "splash.svg", ROOT / "splash" / "splash.png", 480, 300)

    banner = svg(420, 90,
                 f'<rect width="420" height="90" fill="{BLUE}"/>'
                 + waves(420, 90, NAVY, 2, 40)
                 + signal_arcs(96, 45, ORANGE, 0.55, 3.5)
                 + f'<g transform="translate(14 9) scale(0.5625)">{MARK}</g>'
                 .replace(f'fill="{BLUE}"', f'fill="{NAVY}"', 1))
    write(art / "about-banner.svg", banner)
    render(art / "about-banner.svg", ROOT / "about" / "banner.png", 420, 90)

    write_resource_file()


def write_resource_file():
    """artwork.qrc: every picture under the name the windows ask for."""
    entries = []
    for size in ICON_SIZES:
        # "AAA" is the name the main window asks for its icon by.
        entries.append((f"icons/AAA-{size}.png", f"icons/quorvel-{size}.png"))
    for name in CATEGORIES:
        for suffix in ("", "@2x"):
            entries.append((None, f"categories/{name}{suffix}.png"))
    for key, name in MENU_KEYS.items():
        for suffix in ("", "@2x"):
            entries.append((f"menu/{key}{suffix}.png", f"menu/{name}{suffix}.png"))
    entries.append((None, "splash/splash.png"))
    entries.append((None, "about/banner.png"))
    lines = ['<!DOCTYPE RCC>', '<RCC version="1.0">', '<qresource prefix="/">']
    for alias, path in entries:
        attr = f' alias="{alias}"' if alias else ""
        lines.append(f"  <file{attr}>{path}</file>")
    lines += ["</qresource>", "</RCC>", ""]
    write(ROOT / "artwork.qrc", "\n".join(lines))


if __name__ == "__main__":
    main()
