"""A desktop of several screens: Xorg with its dummy video driver, whose RandR outputs
DUMMY0, DUMMY1, ... can be switched on, sized and placed while programs run, as a person's
monitors are plugged in and arranged. openbox manages it like the one-screen desktop."""

import subprocess

from harness import Desktop

_CONFIG = """Section "ServerFlags"
  Option "AutoAddDevices" "false"
  Option "AutoEnableDevices" "false"
  Option "DontVTSwitch" "true"
EndSection
Section "Device"
  Identifier "dummy"
  Driver "dummy"
  VideoRam 256000
EndSection
Section "Screen"
  Identifier "screen"
  Device "dummy"
  DefaultDepth 24
  SubSection "Display"
    Depth 24
    Virtual 5120 2048
  EndSubSection
EndSection
"""

# Modes the dummy outputs do not list by themselves (cvt timings).
_MODES = {
    "1280x800": "83.50 1280 1352 1480 1680 800 803 809 831 -hsync +vsync",
    "1024x768": "63.50 1024 1072 1176 1328 768 771 775 798 -hsync +vsync",
}


class XorgDesktop(Desktop):
    name = "xorg-dummy"

    def _start_x(self):
        config = self.path("xorg.conf")
        with open(config, "w") as f:
            f.write(_CONFIG)
        self._launch_x_server(lambda fd: ["Xorg", "-displayfd", fd, "-config", config, "-noreset",
                                          "-nolisten", "tcp", "-novtswitch", "-sharevts",
                                          "-logfile", self.path("xorg.log")], "xorg.out", 20)
        for name, timing in _MODES.items():
            self._tool(["xrandr", "--newmode", name, *timing.split()])

    def arrange(self, *outputs):
        """Switches on the outputs given as (mode, x, y), DUMMY0 first and primary, and
        switches the others off."""
        argv = ["xrandr"]
        for number in range(4):
            name = f"DUMMY{number}"
            if number < len(outputs):
                mode, x, y = outputs[number]
                self._tool(["xrandr", "--addmode", name, mode])
                argv += ["--output", name, "--mode", mode, "--pos", f"{x}x{y}"]
                if number == 0:
                    argv.append("--primary")
            else:
                argv += ["--output", name, "--off"]
        self._tool(argv, check=True)

    def xrdb(self, resources):
        """Merges X resources (e.g. "Xft.dpi: 192") into the server's resource database."""
        subprocess.run(["xrdb", "-merge"], input=resources.encode(), env=self.base_env(), check=True, timeout=10)
