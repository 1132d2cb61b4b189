#!/usr/bin/python3
"""What a blind player hears: Orca, Debian's screen reader, on the Linux window or on the page in
Chromium or Firefox ESR, driven from the keyboard alone, one journey for every edition.

    tests/screen_reader_test.py qt PATH_TO_STAKORA
    tests/screen_reader_test.py chromium|firefox SITE_DIR
"""
import contextlib
import os
import sys

from screen_reader import STARTUP, desktop


def journey(player, title, field, box_button=None):
    """`field`: how Orca names a text field's role in this edition, "text" or "entry". Waiting
    for the name with its role tells a focus presentation from the page being read aloud.
    `box_button`: what Orca says of the box's button as the box opens, where it says it."""
    heard = player.wait_said("Puntata 1", STARTUP)
    player.wait_active(title)

    def press(*keys, then):
        nonlocal heard
        player.key(*keys)
        heard = player.wait_said(then, after=heard)

    # The first key is typed at once: the window opens ready for it, not being read aloud by a
    # screen reader that takes typed keys as its own commands. ELABORA's outcome shows it landed.
    press("1", "Tab", then=f"Puntata 2 {field}")
    press("2", "Return", then=f"Puntata 3 {field}")
    press("shift+Tab", then=f"Puntata 2 {field}")
    press("shift+Tab", then=f"Puntata 1 {field}")
    press("shift+Tab", then="Cancella push button")
    press("shift+Tab", then=f"PREMIO V.L.P {field}")
    press("shift+Tab", then="ELABORA push button")
    press("space", then="2 puntate elaborate, spesa 3,00, utile 20,34")
    press("Tab", then=f"PREMIO V.L.P {field}")
    player.key("ctrl+a", "BackSpace")
    press("shift+Tab", then="ELABORA push button")
    box = heard
    press("space", then="Inserire Premio")
    press("Return", then=f"PREMIO V.L.P {field}")
    told = sum(line.count("Inserire Premio") for line in player.said()[box:])
    assert told <= 2, f"the box was read {told} times: {player.said()[box:]}"
    assert not box_button or box_button in player.said()[box:], player.said()[box:]
    press("Tab", then="Cancella push button")
    press("space", then="Puntate e risultati cancellati")


@contextlib.contextmanager
def page(player, engine, site):
    """The site served, and the browser showing it on the desktop, as a player's browser."""
    from web_session import CHROMIUM_FLAGS, Server, firefox_profile
    server = Server(site)
    profile = os.path.join(player.root, "profile")
    if engine == "firefox":
        # Its accessibility service on, as it would be for a player with a screen reader.
        firefox_profile(profile, {"accessibility.force_disabled": -1})
        player.start(["firefox-esr", "-profile", profile, "-no-remote", "-new-instance",
                      "-width", "800", "-height", "900", server.url], GNOME_ACCESSIBILITY="1")
    else:
        # --test-type: no bar about --no-sandbox (needed as root) to take the focus from the
        # page. ACCESSIBILITY_ENABLED: its bridge to the accessibility bus from the start, as
        # Qt's QT_LINUX_ACCESSIBILITY_ALWAYS_ON, rather than once it has asked the bus whether a
        # screen reader runs (which, on a loaded machine, it may never be told in time).
        player.start(["chromium", *CHROMIUM_FLAGS, "--test-type",
                      "--force-renderer-accessibility", f"--user-data-dir={profile}",
                      "--password-store=basic",  # no keyring to unlock on this bare desktop
                      server.url], ACCESSIBILITY_ENABLED="1")
    try:
        yield
    finally:
        server.stop()


def main(edition, target):
    with desktop() as player:
        if edition == "qt":
            player.start([target], QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")
            journey(player, "STAKORA DI GIOCO", "text")
        else:
            with page(player, edition, target):
                # Chromium moves into a modal box without a word (the box's text is then read
                # from its live region); Firefox names its button.
                journey(player, "Stakora", "entry",
                        "OK push button." if edition == "firefox" else None)
    print(f"ok: Orca names every control reached, and speaks each outcome ({edition})")


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2])
