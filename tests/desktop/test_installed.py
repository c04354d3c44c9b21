"""HarrowKIT installed by `cmake --install` under a prefix that is then moved, and
as the CPack Debian package unpacked by dpkg-deb into a temporary root (never the
machine's own packages): the files pass the desktop's validators, the icon
resolves, the command line answers without a display, and the installed program,
started with no HARROWKIT_SERVER, docks and searches through its installed site.
Reads HARROWKIT_BUILD (the build folder) and HARROWKIT_VERSION."""

import configparser
import glob
import os
import re
import shlex
import shutil
import subprocess
import tempfile
import unittest
import urllib.parse

import gi

gi.require_version("Gtk", "3.0")
from gi.repository import Gtk  # noqa: E402

from harness import wait_for  # noqa: E402
from siteserver import point_first_form_at  # noqa: E402
from test_search import SEARCH_TIMEOUT, SearchCase  # noqa: E402

BUILD, VERSION = os.environ.get("HARROWKIT_BUILD", ""), os.environ.get("HARROWKIT_VERSION", "")
APP_ID = "net.harrowkit.harrowkit"
MENU, AUTOSTART = f"share/applications/{APP_ID}.desktop", f"etc/xdg/autostart/{APP_ID}.desktop"
METAINFO, SEARCH_PAGE = f"share/metainfo/{APP_ID}.metainfo.xml", "share/harrowkit/site/search.htm"
ICON_48 = f"share/icons/hicolor/48x48/apps/{APP_ID}.png"
# Under a prefix; the package has etc/ at its root and the rest under usr/.
ICONS = [f"share/icons/hicolor/{n}x{n}/apps/{APP_ID}.png" for n in (16, 22, 24, 32, 48, 64, 128, 256)]
INSTALLED = ["bin/harrowkit", "lib/harrowkit/harrowkit-web.so", SEARCH_PAGE, MENU, AUTOSTART, METAINFO, f"share/icons/hicolor/scalable/apps/{APP_ID}.svg",
             *ICONS]
work = prefix = root = None  # the module's folder, the moved prefix, the unpacked package


def run(argv, env=None, check=False):
    done = subprocess.run(argv, env=env, capture_output=True, text=True, timeout=300, stdin=subprocess.DEVNULL)
    if check and done.returncode != 0:
        raise RuntimeError(f"{argv} failed with {done.returncode}:\n{done.stdout}\n{done.stderr}")
    return done


def setUpModule():
    global work, prefix, root
    work = tempfile.mkdtemp(prefix="harrowkit-installed-")
    unittest.addModuleCleanup(shutil.rmtree, work, ignore_errors=True)
    prefix, root = os.path.join(work, "moved", "prefix"), os.path.join(work, "root")
    run(["cmake", "--install", BUILD, "--prefix", os.path.join(work, "staged")], check=True)
    os.renames(os.path.join(work, "staged"), prefix)
    run(["cpack", "-G", "DEB", "--config", os.path.join(BUILD, "CPackConfig.cmake"), "-B", work], check=True)
    run(["dpkg-deb", "-x", package(), root], check=True)


def package():
    (deb,) = glob.glob(os.path.join(work, "*.deb"))
    return deb


def entry(path):
    parser = configparser.ConfigParser(interpolation=None)
    parser.optionxform = str
    parser.read(path)
    return parser["Desktop Entry"]


class InstalledFiles(unittest.TestCase):
    def test_prefix_holds_every_file_and_the_desktop_accepts_them(self):
        self.assertEqual([p for p in INSTALLED if not os.path.isfile(os.path.join(prefix, p))], [])
        for *validate, file in (["desktop-file-validate", MENU], ["desktop-file-validate", AUTOSTART],
                                ["appstreamcli", "validate", "--no-net", METAINFO]):
            done = run(validate + [os.path.join(prefix, file)])
            self.assertEqual(done.returncode, 0, done.stdout + done.stderr)
        menu = entry(os.path.join(prefix, MENU))
        self.assertEqual([menu.get(k) for k in ("Name", "Exec", "Icon", "Categories")],
                         ["HarrowKIT", "harrowkit", APP_ID, "Utility;Network;"])
        self.assertTrue(menu.get("Comment"))
        theme = Gtk.IconTheme.new()
        theme.set_search_path([os.path.join(prefix, "share", "icons"), "/usr/share/icons"])
        theme.set_custom_theme("hicolor")
        icon = theme.lookup_icon(APP_ID, 48, 0)
        self.assertEqual(icon and icon.get_filename(), os.path.join(prefix, ICON_48))

    def test_command_line_answers_without_a_display(self):
        env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM")}
        program = os.path.join(prefix, "bin", "harrowkit")
        shown, version, wrong = (run([program, arg], env) for arg in ("--help", "--version", "--no-such-option"))
        self.assertEqual((shown.returncode, shown.stderr), (0, ""))
        self.assertIn("--version", shown.stdout)
        self.assertEqual((version.returncode, version.stdout), (0, f"HarrowKIT {VERSION}\n"))
        self.assertEqual((wrong.returncode, wrong.stdout), (2, ""))
        self.assertIn("Unknown option 'no-such-option'", wrong.stderr)
        self.assertIn(shown.stdout, wrong.stderr)

    def test_package_holds_the_files_and_its_dependencies(self):
        info = run(["dpkg-deb", "--info", package()], check=True).stdout
        fields = dict(re.findall(r"^ (Package|Version|Depends): (.*)$", info, re.MULTILINE))
        self.assertEqual((fields.get("Package"), fields.get("Version")), ("harrowkit", VERSION))
        for library in ("libqt6widgets6", "libqt6network6", "libgumbo1"):
            self.assertIn(library, fields.get("Depends", ""))
        contents = run(["dpkg-deb", "--contents", package()], check=True).stdout
        wanted = [p if p.startswith("etc/") else "usr/" + p for p in INSTALLED]
        self.assertEqual([p for p in wanted if f" ./{p}\n" not in contents], [])
        conffiles = run(["dpkg-deb", "--info", package(), "conffiles"], check=True).stdout
        self.assertEqual(conffiles.split(), ["/" + AUTOSTART])


class InstalledProgram(SearchCase):
    def start_and_search(self, argv, env, query, address):
        """Starts argv without HARROWKIT_SERVER, waits for the docked tab, types query and
        waits for the browser to be given address?q=query."""
        app, tab = self.start_tab(argv=argv, extra_env={"HARROWKIT_SERVER": None, **env})
        expected = f"{address}?{urllib.parse.urlencode({'q': query})}"
        self.type_search(tab, query)
        self.require(wait_for(lambda: expected in self.desk.browser_calls(), SEARCH_TIMEOUT, 0.05),
                     f"the browser was not given {expected} within {SEARCH_TIMEOUT} s")
        self.require_running(app)
        return app

    def test_autostart_entry_starts_the_moved_installation_which_uses_its_own_site(self):
        # Only the installed copy of the search page sends queries to the loopback engine.
        self.assertTrue(point_first_form_at(os.path.join(prefix, SEARCH_PAGE), self.desk.server.search_url))
        path = os.path.join(prefix, "bin") + os.pathsep + os.environ.get("PATH", "")
        app = self.start_and_search(shlex.split(entry(os.path.join(prefix, AUTOSTART))["Exec"]), {"PATH": path},
                                    "installed query", self.desk.server.search_url)
        self.assertEqual(os.readlink(f"/proc/{app.pid}/exe"), os.path.join(prefix, "bin", "harrowkit"))

    def test_unpacked_package_docks_and_searches_through_the_engine(self):
        with open(os.path.join(root, "usr", SEARCH_PAGE), encoding="utf-8") as f:
            engine = re.search(r'<form\b[^>]*\baction="([^"]*)"', f.read()).group(1)
        self.start_and_search([os.path.join(root, "usr", "bin", "harrowkit")], {}, "packaged query", engine)


if __name__ == "__main__":
    unittest.main()
