#!/usr/bin/python3
"""Prints the accessibility (AT-SPI) tree of the running Tallowmere window: role and name of every object,
indented by depth, and exits 1 when a focusable control has no name or is announced as "...".
Run by tools/check-accessibility.sh inside its own X server and session bus."""
import sys
import time

import dbus

ACCESSIBLE = "org.a11y.atspi.Accessible"
FOCUSABLE = 1 << 11  # ATSPI_STATE_FOCUSABLE in the first word of the state set


def main():
    session = dbus.SessionBus()
    address = session.get_object("org.a11y.Bus", "/org/a11y/bus").GetAddress(dbus_interface="org.a11y.Bus")
    bus = dbus.bus.BusConnection(address)
    app = None
    for _ in range(100):
        root = bus.get_object("org.a11y.atspi.Registry", "/org/a11y/atspi/accessible/root")
        for name, path in root.GetChildren(dbus_interface=ACCESSIBLE):
            obj = bus.get_object(name, path)
            if "allowmere" in str(obj.Get(ACCESSIBLE, "Name", dbus_interface="org.freedesktop.DBus.Properties")):
                app = (name, path)
        if app:
            break
        time.sleep(0.1)
    if not app:
        print("no Tallowmere on the accessibility bus")
        return 2
    faults = []

    def walk(name, path, depth):
        obj = bus.get_object(name, path)
        props = "org.freedesktop.DBus.Properties"
        label = str(obj.Get(ACCESSIBLE, "Name", dbus_interface=props))
        role = str(obj.GetRoleName(dbus_interface=ACCESSIBLE))
        states = obj.GetState(dbus_interface=ACCESSIBLE)
        focusable = bool(states[0] & FOCUSABLE)
        print("  " * depth + f"{role}: {label!r}" + (" [focusable]" if focusable else ""))
        if focusable and role not in ("table cell", "page tab", "list item") and label.strip() in ("", "..."):
            faults.append(f"{role} {label!r}")
        if depth < 12:
            for child_name, child_path in obj.GetChildren(dbus_interface=ACCESSIBLE):
                walk(child_name, child_path, depth + 1)

    walk(app[0], app[1], 0)
    for fault in faults:
        print("NO NAME:", fault)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
