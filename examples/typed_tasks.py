"""A small task list written with type annotations throughout: mypy checks it
against the module's stub (scripts/wheel_check.sh runs `mypy --strict` on it).

Usage: typed_tasks.py [--screenshot PATH]
With --screenshot the window saves a picture of the screen once its first
frames are drawn (ImageMagick's `import`) and closes.
"""
from __future__ import annotations

import subprocess
import sys
import threading
from typing import List, Optional

import _orvy as o


class Tasks:
    """The window, its widgets and the signals they follow."""

    def __init__(self, items: List[str]) -> None:
        self.items = items
        self.window = o.W("Задачи", 640, 480, thm="drk")
        self.text: o.S = o.sgnl("")
        self.done: o.S = o.sgnl(0)
        self.progress: o.S = o.sgnl(0.0)
        self.dialogs: o.Dlg = self.window.dlg()
        self.notes: o.Note = self.window.nt()
        self.theme: o.Thm = self.window.thm()
        self.effects: o.Fx = self.window.fx()
        self.post: o.Post = self.window.post()
        self.field: Optional[o.N] = None
        self.listing: Optional[o.N] = None
        self.build()

    def build(self) -> None:
        w = self.window
        with w.bx(pd=16, gp=10, rad=0):
            w.lb("Список задач", icon="✓")
            with w.bx(ax="h", gp=8, rad=0):
                self.field = w.tx(sig=self.text, ph="Новая задача")
                w.grow(self.field, 1)
                w.bt("Добавить", clk=self.add)
            self.listing = w.lst(self.items, h=200)
            w.pr(bind=self.share_done)
            w.lb(self.summary(), bind=self.summary)
            with w.bx(ax="h", gp=8, rad=0):
                w.bt("Готово", clk=self.finish_one)
                w.bt("Очистить", clk=self.ask_to_clear)
                w.bt("Из потока", clk=self.add_from_thread)
                w.sw("Тёмная тема", on=True, clk=self.switch_theme)
        w.css("button { background: #3b82f6; }")

    def summary(self) -> str:
        return f"Выполнено: {self.done()} из {len(self.items)}"

    def share_done(self) -> float:
        value: float = self.progress()
        return value

    def add(self) -> None:
        if self.field is not None:
            self.window.txt(self.field, "")
        self.add_text(str(self.text()).strip())
        self.text.st("")

    def add_text(self, text: str) -> None:
        if not text or self.listing is None:
            return
        self.items.append(text)
        self.window.items(self.listing, self.items)
        self.notes.snack(f"Добавлено: {text}")

    def add_from_thread(self) -> None:
        # Widgets belong to the UI thread; other threads hand work over through Post.
        def work() -> None:
            self.post(lambda: self.add_text("Задача из потока"))

        threading.Thread(target=work, daemon=True).start()

    def finish_one(self) -> None:
        done = min(int(self.done()) + 1, len(self.items))
        self.done.st(done)
        self.effects(self.progress, done / max(len(self.items), 1), dur=0.4)

    def ask_to_clear(self) -> None:
        self.dialogs("Очистить", "Удалить все задачи?", ["Да", "Нет"], on=self.clear_if_confirmed)

    def clear_if_confirmed(self, button: int) -> None:
        if button != 0 or self.listing is None:
            return
        self.items.clear()
        self.window.items(self.listing, self.items)
        self.done.st(0)
        self.progress.st(0.0)
        self.notes("Задачи", "Список очищен")

    def switch_theme(self, on: bool) -> None:
        self.theme("drk" if on else "wht")

    def capture_and_close(self, path: str) -> None:
        subprocess.run(["import", "-window", "root", path], check=False)
        self.window.close()

    def run(self, screenshot: Optional[str]) -> int:
        if screenshot:
            path = screenshot
            self.window.after(1500, lambda: self.capture_and_close(path))
        try:
            self.window.go()
        except RuntimeError as error:
            print(f"typed_tasks: {error}", file=sys.stderr)
            return 1
        return 0


def main(argv: List[str]) -> int:
    screenshot: Optional[str] = None
    if len(argv) == 2 and argv[0] == "--screenshot":
        screenshot = argv[1]
    elif argv:
        print("usage: typed_tasks.py [--screenshot PATH]", file=sys.stderr)
        return 2
    return Tasks(["Купить хлеб", "Позвонить маме", "Написать отчёт"]).run(screenshot)


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
