"""The widget gallery: every widget kind of orvy in one window.

The tabs on top are the four themes ("wht", "lit", "drk", "blk"); picking one
switches the window to that theme, and each tab shows the same widgets.

Usage: gallery.py [--theme NAME] [--screenshot PATH]
With --screenshot the gallery saves a picture of the screen once its first
frames are drawn (ImageMagick's `import`) and closes.
"""
import os
import struct
import subprocess
import sys
import tempfile
import zlib

import _orvy as o

THEMES = ["wht", "lit", "drk", "blk"]


def png_bytes(size=48):
    """A small PNG made here: an orange disc on a transparent square."""
    rows = bytearray()
    r = size / 2 - 1
    for y in range(size):
        rows.append(0)
        for x in range(size):
            dx, dy = x + 0.5 - size / 2, y + 0.5 - size / 2
            inside = dx * dx + dy * dy <= r * r
            rows += bytes((242, 140, 26, 255) if inside else (0, 0, 0, 0))

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(bytes(rows))) + chunk(b"IEND", b"")


def icon_file():
    path = os.path.join(tempfile.gettempdir(), "orvy_gallery_icon.png")
    with open(path, "wb") as out:
        out.write(png_bytes(32))
    return path


def plain(w, box):
    """Boxes that only arrange their children show the window behind them."""
    w.cls(box, "plain")
    return box


def controls(w, icon):
    dialogs, notes = w.dlg(), w.nt()
    with w.bx(pd=12, gp=7, w=212, elev=2):
        w.lb("Кнопки и поля", icon=icon, h=28)
        with w.bx(ax="h", gp=8, h=40, rad=0) as row:
            plain(w, row)
            w.bt("Кнопка", tip="Открывает диалог",
                 clk=lambda: dialogs("orvy", "Диалог рисуется поверх окна.", ["Закрыть", "Ок"]))
            w.bt("Тень", elev=4, tip="Показывает снэкбар", clk=lambda: notes.snack("Кнопка с тенью нажата"))
        with w.bx(ax="h", gp=8, h=40, rad=0) as row:
            plain(w, row)
            w.sbt("Ещё", ["Первое", "Второе"])
            w.tgl("Тумблер", on=True)
        w.ch("Флажок", chk=True, h=28)
        with w.bx(ax="h", gp=8, h=28, rad=0) as row:
            plain(w, row)
            w.rd("Один", grp=1, on=True)
            w.rd("Два", grp=1)
        w.sw("Переключатель", on=True, h=28)
        w.lnk("Ссылка", h=24)
        w.spin(7, h=36)
        w.tx("Текст поля", h=40)
        w.tx(ph="Подсказка", h=40)
        w.ta("Многострочное поле:\nвторая строка", h=64)
        w.dd(["Первый", "Второй", "Третий"], sel=1, h=40)


def values(w):
    with w.bx(pd=12, gp=7, w=212, elev=2):
        w.sl(0.6, h=24)
        w.rsl(0.2, 0.7, h=24)
        w.pr(0.45, h=20)
        w.mt(0.7, seg=12, h=24)
        w.rat(3, h=32)
        w.pgn(3, page=1, h=40)
        w.crumb(["Дом", "orvy"], h=30)
        with w.bx(ax="h", gp=8, h=28, rad=0) as row:
            plain(w, row)
            w.bdg("12", w=44)
            w.bdg(dot=True, w=20)
            w.spn(w=28)
            w.stb("ОК")
        with w.bx(ax="h", gp=8, h=120, rad=0) as row:
            plain(w, row)
            w.gg(0.62, lb="62%")
            w.dl(0.35, lb="Звук")
        w.cht([3, 7, 4, 9, 6, 2, 8], h=80)
        w.sep(h=8)


def lists(w):
    with w.bx(pd=12, gp=7, w=262, elev=2):
        w.lst(["Яблоко", "Груша", "Слива", "Вишня", "Персик"], sel=[1], h=130)
        w.tbl(["Файл", "Размер"], [[f"файл {i}", f"{i * 3} КБ"] for i in range(1, 9)], hl=1.0, vl=1.0, h=180)
        w.tre([
            {"depth": 0, "text": "Проект", "leaf": False, "open": True, "values": ["3"]},
            {"depth": 1, "text": "core", "leaf": False, "open": True},
            {"depth": 2, "text": "paint.cpp", "leaf": True, "values": ["12 КБ"]},
            {"depth": 2, "text": "layout.cpp", "leaf": True, "values": ["9 КБ"]},
            {"depth": 1, "text": "tests", "leaf": False, "open": False},
            {"depth": 2, "text": "paint_test.cpp", "leaf": True},
        ], cols=["Имя", "Размер"], widths=[0, 70], h=180)


def pickers(w, image):
    with w.bx(pd=12, gp=7, w=300, elev=2):
        w.cal(2026, 7, 14, h=250)
        with w.bx(ax="h", gp=8, h=140, rad=0) as row:
            plain(w, row)
            w.clr(0.58, 0.75, 0.96)
            w.tm(9, 5, w=100)
        with w.bx(ax="h", gp=8, h=100, rad=0) as row:
            plain(w, row)
            w.cv([
                ("rect", [10, 10, 60, 40, 6], "#3b82f6", ""),
                ("circle", [100, 30, 20], "#e5484d", ""),
                ("line", [10, 70, 120, 60, 2], "#30a46c", ""),
                ("poly", [130, 70, 150, 20, 170, 70, 0], "#f5a623", ""),
            ])
            w.img(data=image, w=70)


def containers(w):
    with w.bx(pd=12, gp=7, elev=2):
        w.term(["$ orvy --version", "orvy 0.1"], h=100)
        with w.bx(ax="h", gp=8, h=70, rad=0) as row:
            plain(w, row)
            w.drop("Файлы сюда")
            with w.grp("Группа", pd=8):
                pass
        with w.acc("Аккордеон", open=True, h=84):
            w.lb("Содержимое секции", h=30)
        with w.spl(ratio=0.5, h=90):
            with w.dock("Док", size=110):
                w.lb("внутри")
            with w.scr():
                with w.stk(h=30):
                    w.lb("Стопка")
                for i in range(4):
                    w.lb(f"{i + 1}", h=24)
        w.pg([("Ширина", "1280"), ("Высота", "720")], h=70)


def build(w, theme_index):
    icon = icon_file()
    image = png_bytes(64)
    with w.bx(pd=10, gp=8, rad=0) as outer:
        plain(w, outer)
        menus = [("Файл", ["Открыть", "Сохранить"]), ("Правка", ["Копировать", "Вставить"]), ("Вид", ["Тема"])]
        notes, theme = w.nt(), w.thm()
        w.mb(menus, h=34, on_select=lambda menu, item: notes(menus[menu][0], menus[menu][1][item], corner="br"))

        with w.tab(THEMES, sel=theme_index, ch=lambda index: theme(THEMES[index])):
            for _ in THEMES:
                with w.bx(ax="h", pd=8, gp=10, rad=0) as page:
                    plain(w, page)
                    controls(w, icon)
                    values(w)
                    lists(w)
                    pickers(w, image)
                    containers(w)
        w.stb("orvy — галерея виджетов: 45 видов", h=30)
    # A smaller base size than the default 20 px, so that all 45 kinds fit
    # one 1280 x 720 window; every node inherits it from the root. The sheet
    # styles the nodes that exist, so it comes after them.
    w.css("container { font-size: 15px; } .plain { background: #00000000; }")


def parse(argv):
    theme, screenshot = "drk", None
    i = 0
    while i < len(argv):
        if argv[i] == "--theme" and i + 1 < len(argv):
            theme = argv[i + 1]
            i += 2
        elif argv[i] == "--screenshot" and i + 1 < len(argv):
            screenshot = argv[i + 1]
            i += 2
        else:
            print(f"gallery: unknown argument {argv[i]!r}", file=sys.stderr)
            raise SystemExit(2)
    return (theme if theme in THEMES else "drk"), screenshot


def main(argv):
    theme, screenshot = parse(argv)
    w = o.W("orvy — галерея", 1280, 720, thm=theme)
    build(w, THEMES.index(theme))
    if screenshot:
        def capture():
            subprocess.run(["import", "-window", "root", screenshot], check=False)
            w.close()

        w.after(1500, capture)
    try:
        w.go()
    except RuntimeError as error:
        print(f"gallery: {error}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
