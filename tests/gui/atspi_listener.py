#!/usr/bin/python3
# Listens on the accessibility bus as a screen reader does and prints, one JSON object a line, every event a
# screen reader acts on: names and descriptions that change, objects that take the focus or are shown, windows
# that open. Like a screen reader it first tells the applications that one is running (org.a11y.Status).
#
# Lines read from stdin are questions about the application named on the command line:
#   ping          answered by "pong" once every event received before it has been printed
#   table NAME    the table with accessible name NAME: its row and column counts and each column's header, as
#                 the table interface answers them (GetColumnHeader)
# Prints "ready" once it listens. Needs Debian's python3-pyatspi on a session bus (dbus-run-session).
#   atspi_listener.py APPLICATION

import json
import sys
import threading

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi, GLib  # noqa: E402
import dbus  # noqa: E402

EVENTS = [
    "object:property-change:accessible-name",
    "object:property-change:accessible-description",
    "object:state-changed:focused",
    "object:state-changed:showing",
    "window:create",
]


def say(record):
    sys.stdout.write(json.dumps(record, ensure_ascii=False) + "\n")
    sys.stdout.flush()


def describe(obj):
    try:
        return {"role": obj.get_role_name(), "name": obj.get_name() or ""}
    except GLib.Error:
        return {"role": "defunct", "name": ""}


def on_event(event, application):
    try:
        app = event.source.get_application()
        if app is None or app.get_name() != application:
            return
    except GLib.Error:
        return
    record = {"type": event.type, "detail1": event.detail1}
    record.update(describe(event.source))
    if isinstance(event.any_data, str):
        record["data"] = event.any_data
    say(record)


def find(obj, name, depth=0):
    if obj is None or depth > 30:
        return None
    try:
        if obj.get_role() == Atspi.Role.TABLE:
            return obj if obj.get_name() == name else None  # its cells are no containers
        for i in range(obj.get_child_count()):
            found = find(obj.get_child_at_index(i), name, depth + 1)
            if found is not None:
                return found
    except GLib.Error:
        return None
    return None


def answer(line, application):
    words = line.split(" ", 1)
    if words[0] == "ping":
        say({"type": "pong"})
        return False
    if words[0] != "table" or len(words) < 2:
        say({"type": "error", "data": "unknown question: " + line})
        return False
    desktop = Atspi.get_desktop(0)
    for i in range(desktop.get_child_count()):
        app = desktop.get_child_at_index(i)
        if app is None or app.get_name() != application:
            continue
        table = find(app, words[1])
        if table is None:
            break
        iface = table.get_table_iface()
        columns = iface.get_n_columns()
        headers = []
        for c in range(columns):
            header = iface.get_column_header(c)
            headers.append(header.get_name() if header is not None else None)
        say({"type": "table", "name": words[1], "rows": iface.get_n_rows(), "columns": columns,
             "headers": headers})
        return False
    say({"type": "table", "name": words[1], "missing": True})
    return False


def main():
    if len(sys.argv) != 2:
        sys.stderr.write("usage: atspi_listener.py APPLICATION\n")
        return 2
    application = sys.argv[1]
    # What a screen reader sets when it starts; the toolkits begin to speak on the bus when they see it.
    status = dbus.SessionBus().get_object("org.a11y.Bus", "/org/a11y/bus")
    for prop in ("IsEnabled", "ScreenReaderEnabled"):
        status.Set("org.a11y.Status", prop, dbus.Boolean(True), dbus_interface="org.freedesktop.DBus.Properties")

    listener = Atspi.EventListener.new(on_event, application)
    for kind in EVENTS:
        listener.register(kind)

    def read_questions():
        for line in sys.stdin:
            if line.strip():
                GLib.idle_add(answer, line.strip(), application)
        GLib.idle_add(lambda: Atspi.event_quit() or False)

    threading.Thread(target=read_questions, daemon=True).start()
    say({"type": "ready"})
    Atspi.event_main()
    return 0


if __name__ == "__main__":
    sys.exit(main())
