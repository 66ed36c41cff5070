"""A user at the installer in a stage's world (stage.py), acting through the
pages' UI driver (installer_driver.py): what each page looks like, what a
user does on it. Used by `scripts/demo --headless` and by the end-to-end
scenarios (scenarios_test.py)."""
import os
import time

from installer_driver import (BEGIN_CUSTOM, BEGIN_INSTALL, CLOSE, CUSTOM_EXPERIENCE, CUSTOM_FOLDER,
                              CUSTOM_INSTALL, CUSTOM_TITLE, FINISHED_TRY, FIRST_BUTTON,
                              MAIN_WND, PROGRESS_HIDE, REMINDER_INSTALL, SECOND_BUTTON, Build,
                              DriverError, Installer, Sim)

ACCENT = 0x4F7DFF
TRACK = 0x1F1F1F  # the progress bar's track, and the pages' plain background

FOLDER_FIELD = 5  # the custom page's edit control

# dialog window classes
BEGIN_WARN = "BeginChildCloseWnd"
RETRY_WND = "ProgressChildCloseWnd"
MANUAL_DOWNLOAD_WND = "ProgressDReminderWnd"
MANUAL_INSTALL_WND = "ProgressIReminderWnd"
PRODUCT_WND = "KestrelVaultDemoWindow"

PAGE_SIZE, SMALL_SIZE = (600, 400), (400, 200)
# how long the progress page may take to ask the CDN for the package, and
# then to download and install it
START_TIMEOUT = 30
INSTALL_TIMEOUT = 120


def driver_for(stage, shots=None):
    """The driver's build and simulator, pointed at the stage's prefix,
    display, simulator and analytics sink."""
    os.environ["DISPLAY"] = stage.display
    build = Build(stage.build)
    if not os.path.exists(build.wintool):
        raise DriverError(f"{build.wintool} is missing: build the target wintool")
    build.prefix = stage.prefix
    build.sink_records = os.path.join(stage.sink_dir, "records.jsonl")
    if shots:
        build.screenshots = shots
    sim = Sim(build)
    sim.state = stage.sim_dir
    return build, sim


class User:
    """One person at one run of the installer. Every page they see is
    recognised by its pixels and kept as a screenshot: `pages` holds
    (what, path) in order."""

    def __init__(self, stage, app, say=lambda text: None):
        self.stage, self.app, self.say = stage, app, say
        self.pages = []

    # --- what a page looks like ---------------------------------------------

    def size(self, cls=MAIN_WND):
        w = self.app.visible_window(cls)
        return tuple(w[2:4]) if w else None

    def bar_row_is_a_bar(self):
        """the progress bar's row is track or fill from end to end"""
        row = (60, 361, 540, 362)
        return (self.app.count(row, ACCENT, 30) + self.app.count(row, TRACK, 8)) >= 470

    def looks_like(self, page):
        a = self.app
        if page == "reminder":
            return self.size() == SMALL_SIZE and a.pixel(*REMINDER_INSTALL) == ACCENT
        if self.size() != PAGE_SIZE:
            return False
        if page == "begin":
            return a.pixel(221, 259) == ACCENT
        if page == "custom":
            return a.edit_text(FOLDER_FIELD) != "" and a.pixel(*CUSTOM_INSTALL) == ACCENT
        if page == "progress":
            return a.pixel(*FINISHED_TRY) == TRACK and self.bar_row_is_a_bar()
        if page == "finished":
            return a.pixel(*FINISHED_TRY) == ACCENT and not self.bar_row_is_a_bar()
        raise ValueError(page)

    def see(self, page, what=None, timeout=None):
        """waits until the main window shows the page, then keeps a
        screenshot of it"""
        self.app.wait_for(lambda: self.looks_like(page), f"the {page} page", timeout)
        time.sleep(0.3)  # a repaint in flight
        self.shot(f"{len(self.pages) + 1}-{page}", what or f"{page} page")

    def see_dialog(self, cls, name):
        self.app.wait_for(lambda: self.size(cls) == SMALL_SIZE, f"the dialog {cls}")
        time.sleep(0.5)
        self.shot(f"{len(self.pages) + 1}-{name}", f"dialog: {name}", cls)

    def shot(self, name, what, cls=MAIN_WND):
        self.pages.append((what, self.app.screenshot(name, cls)))

    # --- what a user does -----------------------------------------------------

    def click(self, where, cls=MAIN_WND):
        self.app.click(*where, cls=cls)

    def set_folder(self, folder):
        """replaces the custom page's folder by typing it; the field's text
        after it lost the focus"""
        self.click(CUSTOM_FOLDER)
        self.app.type_keys("End", "shift+Home", "BackSpace")
        self.type_into_field(folder)
        self.click(CUSTOM_TITLE)
        time.sleep(0.3)
        return self.app.edit_text(FOLDER_FIELD)

    def type_into_field(self, text):
        """Types into the folder field a character at a time, each checked:
        xdotool types a character that the keyboard map lacks by mapping it
        to a spare key for a moment, and Wine, reading the new map late,
        sometimes drops it."""
        # xdotool needs a UTF-8 locale to take such characters at all
        os.environ["LC_ALL"] = "C.UTF-8"
        for ch in text:
            before = self.app.edit_text(FOLDER_FIELD)
            for _ in range(5):
                self.app.type_text(ch, delay=30)
                try:
                    self.app.wait_for(lambda: self.app.edit_text(FOLDER_FIELD) == before + ch,
                                      f"{ch!r} in the folder field", 1)
                    break
                except DriverError:
                    if self.app.edit_text(FOLDER_FIELD) != before:
                        raise
            else:
                raise DriverError(f"{ch!r} never reached the folder field")

    def wait_download_started(self):
        self.app.wait_for(lambda: self.stage.cdn_requests(), "a request at the CDN",
                          START_TIMEOUT)

    def wait_finished(self, what="finished page"):
        """the progress page's end: the finished page"""
        try:
            self.see("finished", what, INSTALL_TIMEOUT)
        except DriverError:
            self.shot(f"{len(self.pages) + 1}-stuck", "the page the run stopped at")
            raise DriverError("the installer did not reach the finished page: "
                              + self.progress_state())

    def progress_state(self):
        """how far the progress page got, in words"""
        if not self.stage.cdn_requests() and not self.app.events("pSoftDownloadResult"):
            return "no request reached the CDN"
        if not self.app.events("vSoftInstallStart"):
            return (f"the download did not end ({len(self.stage.cdn_requests())} requests "
                    "at the CDN)")
        if self.app.events("vSoftInstallError"):
            return f"the package failed: {self.app.events('vSoftInstallError')[-1]['props']}"
        return f"the package did not end within {INSTALL_TIMEOUT} s"


def install_like_a_user(stage, shots, say, pages):
    """The begin page's install button, the progress page until the finished
    page, whose close button ends the installer. The pages seen go to
    `pages` as (what, screenshot path); raises DriverError with what did not
    happen. The demo package takes a few seconds, so that the progress page
    can be seen at work."""
    build, _ = driver_for(stage, shots)
    os.environ["ORVANE_DEMO_DELAY_MS"] = "3000"
    with Installer(build, name="KestrelVaultSetup_huawei00.exe") as app:
        user = User(stage, app, say)
        user.pages = pages
        say("waiting for the installer's window")
        app.start()
        user.see("begin", "begin page (立即安装)")
        say("clicking 立即安装 on the begin page")
        user.click(BEGIN_INSTALL)
        say("downloading and installing the demo package (the progress page)")
        # the banner the simulator names replaces the skin's picture once it
        # is fetched and decoded: shown to the person as it looks then
        app.wait_for(lambda: user.looks_like("progress"), "the progress page", START_TIMEOUT)
        skin = app.banner()
        try:
            app.wait_for(lambda: app.banner() != skin, "the banner", 3)
        except DriverError:
            pass  # the skin's picture it is
        user.see("progress", "progress page, installing", START_TIMEOUT)
        user.wait_finished()
        say("the welcome page went to the browser; closing the finished page")
        user.click(CLOSE)
        code = app.wait_exit()
        if code != 0:
            raise DriverError(f"the installer ended with exit code {code}")
