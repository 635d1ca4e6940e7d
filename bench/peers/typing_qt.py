"""PyQt6 side of the typing workload (typing_common.py): a QPlainTextEdit.

usage: /usr/bin/python3 typing_qt.py"""
import common  # noqa: F401  (records T0 before the toolkit import)
from common import report
import threading

import typing_common as t

from PyQt6.QtCore import QTimer
from PyQt6.QtGui import QTextCursor
from PyQt6.QtWidgets import QApplication, QPlainTextEdit

app = QApplication([])
edit = QPlainTextEdit()
edit.setPlainText(t.initial_text())
edit.moveCursor(QTextCursor.MoveOperation.End)
edit.resize(*t.SIZE)
edit.show()
edit.activateWindow()
edit.setFocus()
latest = {"text": None}
result = {}


def sample():
    latest["text"] = edit.toPlainText()


# The text is read on the UI thread; the driver thread only looks at the copy.
timer = QTimer()
timer.timeout.connect(sample)
timer.start(20)


def run():
    result.update(t.drive(lambda: latest["text"], lambda: QTimer.singleShot(0, app.quit)))


threading.Thread(target=run, daemon=True).start()
app.exec()
report("qt", "typing", **result)
