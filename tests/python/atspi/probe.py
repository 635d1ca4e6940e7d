"""Reads an orvy window the way a screen reader does, over AT-SPI.

Run inside a private session bus (dbus-run-session) with a display. Starts
the accessibility bus launcher, the form of form_app.py in a process of its
own, then finds, walks, acts on and listens to the form through pyatspi.
Prints one line per failed check and exits with 1 when any failed."""
import os
import queue
import subprocess
import sys
import threading
import time

HERE = os.path.dirname(os.path.abspath(__file__))
TIMEOUT = float(os.environ.get("ORVY_PROBE_TIMEOUT", "60"))
failures = []


def check(condition, what):
    if not condition:
        failures.append(what)
        print("FAILED:", what, flush=True)
    return condition


def wait_for(condition, seconds=TIMEOUT, pump=None):
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        if pump:
            pump()
        value = condition()
        if value:
            return value
        time.sleep(0.05)
    return None


def start_bus():
    launcher = subprocess.Popen(["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"],
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    from gi.repository import Gio

    session = Gio.bus_get_sync(Gio.BusType.SESSION, None)

    def bus_announced():
        try:
            return session.call_sync("org.a11y.Bus", "/org/a11y/bus", "org.a11y.Bus", "GetAddress", None, None,
                                     Gio.DBusCallFlags.NO_AUTO_START, 2000, None)
        except Exception:
            return None

    if not wait_for(bus_announced):
        print("the accessibility bus did not start", flush=True)
        sys.exit(2)
    return launcher


def start_form():
    env = dict(os.environ, PYTHONUNBUFFERED="1")
    if os.environ.get("ORVY_APP_PRELOAD"):
        env["LD_PRELOAD"] = os.environ["ORVY_APP_PRELOAD"]
    app = subprocess.Popen([sys.executable, os.path.join(HERE, "form_app.py")], stdout=subprocess.PIPE,
                           text=True, env=env)
    lines = queue.Queue()

    def read():
        for line in app.stdout:
            lines.put(line.strip())

    threading.Thread(target=read, daemon=True).start()
    return app, lines


def expect_line(lines, prefix, seconds=TIMEOUT, pump=None):
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        if pump:
            pump()
        try:
            line = lines.get(timeout=0.05)
        except queue.Empty:
            continue
        if line.startswith(prefix):
            return line
    return None


def main():
    launcher = start_bus()
    app, lines = start_form()
    try:
        if not check(expect_line(lines, "ready"), "the form started"):
            return
        import pyatspi
        from gi.repository import GLib

        context = GLib.MainContext.default()

        def pump():
            while context.pending():
                context.iteration(False)

        def find_frame():
            desktop = pyatspi.Registry.getDesktop(0)
            for application in desktop:
                if application is None:
                    continue
                for frame in application:
                    if frame is not None and frame.name == "Анкета":
                        return frame
            return None

        frame = wait_for(find_frame, pump=pump)
        if not check(frame is not None, "the window is found as a frame named by its title"):
            return
        check(frame.getRole() == pyatspi.ROLE_FRAME, "the window's role is frame")

        found = []

        def walk(node, depth=0):
            for child in node:
                if child is None:
                    continue
                found.append(child)
                walk(child, depth + 1)

        walk(frame)

        def first(role, name=None):
            for node in found:
                if node.getRole() == role and (name is None or node.name == name):
                    return node
            return None

        label = first(pyatspi.ROLE_LABEL, "Имя")
        entry = first(pyatspi.ROLE_ENTRY)
        button = first(pyatspi.ROLE_PUSH_BUTTON, "Отправить")
        box = first(pyatspi.ROLE_CHECK_BOX, "Согласен")
        slider = first(pyatspi.ROLE_SLIDER)
        listing = first(pyatspi.ROLE_LIST)
        table = first(pyatspi.ROLE_TABLE)
        tree = first(pyatspi.ROLE_TREE)
        for node, what in ((label, "label"), (entry, "entry"), (button, "button"), (box, "check box"),
                           (slider, "slider"), (listing, "list"), (table, "table"), (tree, "tree")):
            check(node is not None, f"the {what} is in the tree")
        if failures:
            return

        check(entry.name == "Имя", f"the entry is named by its label, not {entry.name!r}")
        check(slider.name == "Громкость", f"the slider is named by its label, not {slider.name!r}")
        states = box.getState()
        check(states.contains(pyatspi.STATE_CHECKED), "the check box is checked")
        check(states.contains(pyatspi.STATE_ENABLED) and states.contains(pyatspi.STATE_SHOWING),
              "the check box is enabled and showing")
        check(button.getState().contains(pyatspi.STATE_FOCUSABLE), "the button is focusable")
        value = slider.queryValue()
        check(abs(value.currentValue - 0.25) < 1e-6 and value.maximumValue == 1.0,
              f"the slider's value is 0.25 of 1, not {value.currentValue} of {value.maximumValue}")
        items = [child for child in listing]
        check([item.name for item in items] == ["яблоко", "груша", "слива"], "the list's items")
        check(all(item.getRole() == pyatspi.ROLE_LIST_ITEM for item in items), "list items have their role")
        check(items[1].getState().contains(pyatspi.STATE_SELECTED), "the second item is selected")
        check(listing.querySelection().nSelectedChildren == 1, "the list has one selected child")
        rows = [row for row in table]
        check(len(rows) == 2 and rows[1].getRole() == pyatspi.ROLE_TABLE_ROW, "the table has two rows")
        check([cell.name for cell in rows[1]] == ["3", "4"], "the second row's cells")
        tree_items = [row for row in tree]
        check([row.name for row in tree_items] == ["src", "README"], "the tree shows its top rows")
        check(tree_items[0].getState().contains(pyatspi.STATE_EXPANDABLE)
              and tree_items[0].getState().contains(pyatspi.STATE_COLLAPSED), "the closed row is collapsed")

        text = entry.queryText()
        check(text.getText(0, -1) == "Анна", f"the entry's text, not {text.getText(0, -1)!r}")
        check(text.caretOffset == 4, f"the caret is after the text, not at {text.caretOffset}")

        # Characters have their own boxes, from the text layout.
        ex, ey, ew, eh = entry.queryComponent().getExtents(pyatspi.XY_SCREEN)
        first_box = text.getCharacterExtents(0, pyatspi.XY_SCREEN)
        second_box = text.getCharacterExtents(1, pyatspi.XY_SCREEN)
        check(0 < first_box[2] < ew // 2 and ex <= first_box[0] < second_box[0] < ex + ew
              and ey <= first_box[1] < ey + eh,
              f"characters have boxes of their own: {first_box}, {second_box} in the field {ex, ey, ew, eh}")
        word_box = text.getRangeExtents(0, 4, pyatspi.XY_SCREEN)
        check(abs(word_box[0] - first_box[0]) <= 1 and word_box[2] >= first_box[2] + second_box[2],
              f"the word's box {word_box} spans its characters")
        check(text.getOffsetAtPoint(second_box[0] + second_box[2] // 4, second_box[1] + second_box[3] // 2,
                                    pyatspi.XY_SCREEN) == 1, "the offset under the second character is 1")

        heard = []
        listener = heard.append
        pyatspi.Registry.registerEventListener(listener, "object:state-changed:focused",
                                               "object:property-change:accessible-value")
        pump()
        window_id = subprocess.run(["xdotool", "search", "--sync", "--pid", str(app.pid)], capture_output=True,
                                   text=True, timeout=TIMEOUT).stdout.split()[0]
        subprocess.run(["xdotool", "windowfocus", "--sync", window_id], timeout=TIMEOUT)

        def focused_events():
            return [event for event in heard if event.type == "object:state-changed:focused" and event.detail1]

        for _ in range(3):
            subprocess.run(["xdotool", "key", "--window", window_id, "Tab"], timeout=TIMEOUT)
        focused = wait_for(lambda: len(focused_events()) >= 3 and focused_events(), pump=pump)
        check(focused, "Tab moves the focus through the form with focus events")
        roles = [event.source.getRole() for event in focused or []]
        check(pyatspi.ROLE_PUSH_BUTTON in roles and pyatspi.ROLE_CHECK_BOX in roles,
              f"the focus events name the button and the check box, not {roles}")
        check(focused and focused[-1].source.getState().contains(pyatspi.STATE_FOCUSED),
              "the object the focus event names is focused")

        # Drag the slider's thumb from its left part to its right part.
        x, y, width, height = slider.queryComponent().getExtents(pyatspi.XY_SCREEN)
        middle = y + height // 2
        subprocess.run(["xdotool", "mousemove", "--sync", str(x + width // 4), str(middle), "mousedown", "1"],
                       timeout=TIMEOUT)
        for step in range(1, 6):
            subprocess.run(["xdotool", "mousemove", "--sync", str(x + width // 4 + step * width // 10), str(middle)],
                           timeout=TIMEOUT)
        subprocess.run(["xdotool", "mouseup", "1"], timeout=TIMEOUT)
        value_event = wait_for(lambda: [event for event in heard
                                        if event.type == "object:property-change:accessible-value"], pump=pump)
        check(value_event, "dragging the slider sends value changes")
        check(expect_line(lines, "slider", pump=pump), "the slider's own callback heard the drag")
        check(wait_for(lambda: slider.queryValue().currentValue > 0.5, pump=pump),
              "the slider's value follows the drag")
        pyatspi.Registry.deregisterEventListener(listener, "object:state-changed:focused",
                                                 "object:property-change:accessible-value")

        # The button's action runs its callback, which replaces a list item
        # and opens a message box; its toast shows a notification.
        changed = []
        pyatspi.Registry.registerEventListener(changed.append, "object:children-changed")
        pump()
        action = button.queryAction()
        check(action.nActions == 1 and action.getName(0) == "click", "the button's action is click")
        action.doAction(0)
        check(expect_line(lines, "clicked", pump=pump), "the button's action runs its click callback")

        def added(parent_role, child_role=None):
            return [event for event in changed if event.type == "object:children-changed:add"
                    and event.source.getRole() == parent_role
                    and (child_role is None or (hasattr(event.any_data, "getRole")
                                                and event.any_data.getRole() == child_role))]

        check(wait_for(lambda: added(pyatspi.ROLE_LIST), pump=pump), "the list's new items are announced")
        check([event for event in changed if event.type == "object:children-changed:remove"
               and event.source.getRole() == pyatspi.ROLE_LIST], "the list's replaced item is announced gone")
        check([item.name for item in listing] == ["яблоко", "киви", "манго", "слива"], "the list's new items")
        check(wait_for(lambda: added(pyatspi.ROLE_FRAME, pyatspi.ROLE_ALERT), pump=pump),
              "the message box is announced as an alert")
        alert = added(pyatspi.ROLE_FRAME, pyatspi.ROLE_ALERT)
        check(alert and alert[0].any_data.name == "Готово", "the alert is named by its title")
        check(wait_for(lambda: added(pyatspi.ROLE_FRAME, pyatspi.ROLE_NOTIFICATION), pump=pump),
              "the toast is announced as a notification")
        pyatspi.Registry.deregisterEventListener(changed.append, "object:children-changed")
    finally:
        app.terminate()
        try:
            app.wait(timeout=10)
        except subprocess.TimeoutExpired:
            app.kill()
        launcher.terminate()
        launcher.wait(timeout=10)


main()
print("ok" if not failures else f"{len(failures)} failed", flush=True)
sys.exit(1 if failures else 0)
