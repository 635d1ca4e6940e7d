"""An orvy window that asks for file dialogs and prints each answer as a
line of JSON. Usage: dialog_app.py [--before-go] KIND:TITLE ... with KIND
open, save or dir; every request is made at once, so the dialogs queue.
With --before-go they are made before the window exists, else once it runs."""
import json
import sys

import _orvy

w = _orvy.W("orvy dialog owner", 500, 300, center="screen")
files = w.file()
before_go = sys.argv[1:2] == ["--before-go"]
requests = [argument.split(":", 1) for argument in sys.argv[1 + before_go:]]
ticks = [0]
asked_at = [0]
answers = []
clicks = [0]
# The whole client area is one button: a click that reaches the window counts.
w.bt("owner", clk=lambda: clicks.__setitem__(0, clicks[0] + 1))


def answered(path):
    answers.append(path)
    print(json.dumps({"path": path, "ticks_since_asked": ticks[0] - asked_at[0], "owner_clicks": clicks[0]}),
          flush=True)
    if len(answers) == len(requests):
        w.close()


def ask():
    asked_at[0] = ticks[0]
    for kind, title in requests:
        if kind == "open":
            files.open(title=title, patterns=[("Текст", "*.txt;*.md"), ("Всё", "*")], on=answered)
        elif kind == "save":
            files.save(title=title, name="report.txt", patterns=[("Текст", "*.txt")], on=answered)
        else:
            files.dir(title=title, on=answered)


w.every(20, lambda: ticks.__setitem__(0, ticks[0] + 1))
if before_go:
    ask()
else:
    w.after(50, ask)
w.go()
print(json.dumps({"done": True}), flush=True)
