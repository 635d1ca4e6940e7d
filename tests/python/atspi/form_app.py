"""A form for the accessibility probe: every widget kind the probe checks.
Prints what its callbacks hear, one line each, so the probe can follow."""
import _orvy as o


def say(*words):
    print(*words, flush=True)


fruits = ["яблоко", "груша", "слива"]


def send():
    # Sending replaces a list item and tells so in a message box.
    fruits[1:2] = ["киви", "манго"]
    w.dlg().msg("Готово", "Анкета отправлена")
    say("clicked")


w = o.W("Анкета", 640, 700)
with w.bx(pd=16, gp=8):
    w.lb("Имя")
    w.tx("Анна", ph="введите имя")
    w.bt("Отправить", clk=send, toast="Отправлено")
    w.ch("Согласен", chk=True)
    w.lb("Громкость")
    w.sl(0.25, ch=lambda value: say("slider", value), h=32)
    listing = w.lst(list(fruits), sel=1, h=100)
    w.bindl(listing, lambda: list(fruits))
    w.tbl(["A", "B"], [["1", "2"], ["3", "4"]], h=110)
    w.tre([(0, "src", False), (1, "main.cpp", True), (0, "README", True)], h=110)
w.after(10, lambda: say("ready"))
w.go()
