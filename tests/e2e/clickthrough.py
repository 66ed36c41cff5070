"""Installing like a user in a stage's world (stage.py), through the pages'
UI driver (installer_driver.py): used by `scripts/demo --headless` and by
the end-to-end scenarios."""
import os
import time

from installer_driver import MAIN_WND, Build, DriverError, Installer, Sim

# the pages' controls, in logical pixels of their window (page_flows.py
# clicks the same places)
BEGIN_INSTALL = (300, 279)
BEGIN_INSTALL_COLOUR_AT = (221, 259)  # the install button's blue, once painted
FINISHED_CLOSE = (570, 32)
ACCENT = 0x4F7DFF

# how long the progress page may take to ask the CDN for the package, and
# then to download and install it
START_TIMEOUT = 30
INSTALL_TIMEOUT = 120


def progress_state(stage, app):
    """How far the progress page got, in words."""
    if not stage.cdn_requests():
        return f"no request reached the CDN within {START_TIMEOUT} s"
    if not app.events("vSoftInstallStart"):
        return (f"the download did not end within {INSTALL_TIMEOUT} s "
                f"({len(stage.cdn_requests())} requests at the CDN)")
    return f"the package did not end within {INSTALL_TIMEOUT} s"


def driver_for(stage, shots=None):
    """The driver's build and simulator, pointed at the stage's prefix,
    display and simulator."""
    os.environ["DISPLAY"] = stage.display
    build = Build(stage.build)
    build.prefix = stage.prefix
    if shots:
        build.screenshots = shots
    sim = Sim(build)
    sim.state = stage.sim_dir
    return build, sim


def install_like_a_user(stage, shots, say, pages):
    """The begin page's install button, then the progress page until the
    finished page, whose close button ends the installer. Appends the pages
    seen to `pages` as (name, screenshot path); raises DriverError with what
    did not happen."""
    build, _ = driver_for(stage, shots)

    def shot(app, name, title):
        time.sleep(0.5)  # the page's first paint
        pages.append((title, app.screenshot(name)))

    with Installer(build, name="KestrelVaultSetup_huawei00.exe") as app:
        say("waiting for the installer's window")
        app.start()
        app.wait_for(lambda: app.pixel(*BEGIN_INSTALL_COLOUR_AT) == ACCENT,
                     "the painted begin page")
        shot(app, "1-begin", "begin page (立即安装)")
        say("clicking 立即安装 on the begin page")
        app.click(*BEGIN_INSTALL)
        app.wait_for(lambda: app.events("vJoinPlan"), "the progress page")
        shot(app, "3-progress", "progress page")
        say("downloading and installing the demo package (the progress page)")
        try:
            app.wait_for(lambda: stage.cdn_requests(), "a request at the CDN",
                         timeout=START_TIMEOUT)
            app.wait_for(lambda: app.config().get("General", {}).get("install") == "1",
                         "the finished page", timeout=INSTALL_TIMEOUT)
        except DriverError:
            shot(app, "3-progress-stuck", "progress page, still there")
            raise DriverError("the installer stayed on the progress page: "
                              + progress_state(stage, app))
        shot(app, "4-finished", "finished page")
        say("the welcome page went to the browser; closing the finished page")
        app.click(*FINISHED_CLOSE)
        code = app.wait_exit()
        if code != 0:
            raise DriverError(f"the installer ended with exit code {code}")
