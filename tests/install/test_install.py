"""The program as a desktop gets it: installed into a fresh prefix, or packed
into a .deb.

  test_install.py install BUILD_DIR   cmake --install, validate, start it
  test_install.py deb BUILD_DIR       cpack -G DEB, check dependencies and files
"""
import glob
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import time
import xml.etree.ElementTree as ET

DESKTOP = "share/applications/marquetrix.desktop"
ICON_PNG = "share/icons/hicolor/32x32/apps/marquetrix.png"
ICON_SVG = "share/icons/hicolor/scalable/apps/marquetrix.svg"
BINARY = "bin/marquetrix"


class Failure(Exception):
    pass


def run(*args, **kwargs):
    done = subprocess.run(args, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, **kwargs)
    out = done.stdout.decode(errors="replace")
    if done.returncode != 0:
        raise Failure(f"{' '.join(args)} failed ({done.returncode}):\n{out}")
    return out


def desktop_entry(path):
    entry = {}
    with open(path, encoding="utf-8") as f:
        for line in f:
            if "=" in line and not line.startswith("#"):
                key, value = line.rstrip("\n").split("=", 1)
                entry[key] = value
    return entry


def png_size(path):
    with open(path, "rb") as f:
        head = f.read(24)
    if head[:8] != b"\x89PNG\r\n\x1a\n" or head[12:16] != b"IHDR":
        raise Failure(f"{path} is not a PNG")
    return struct.unpack(">II", head[16:24])


def check_files(prefix):
    for name in (BINARY, DESKTOP, ICON_PNG, ICON_SVG):
        if not os.path.isfile(os.path.join(prefix, name)):
            raise Failure(f"{name} was not installed")
    metainfo = glob.glob(os.path.join(prefix, "share/metainfo/*.metainfo.xml"))
    if len(metainfo) != 1:
        raise Failure(f"expected one metainfo file, found {metainfo}")
    return metainfo[0]


def test_install(build):
    prefix = tempfile.mkdtemp(prefix="mx-prefix-")
    try:
        run("cmake", "--install", build, "--prefix", prefix)
        metainfo = check_files(prefix)

        desktop = os.path.join(prefix, DESKTOP)
        print(run("desktop-file-validate", desktop), end="")
        entry = desktop_entry(desktop)
        # The entry must lead to what was installed: the binary by its name
        # on PATH, the icon by its theme name.
        if entry.get("Exec", "").split()[0] != os.path.basename(BINARY):
            raise Failure(f"Exec={entry.get('Exec')} does not start the installed binary")
        if entry.get("Icon") != "marquetrix":
            raise Failure(f"Icon={entry.get('Icon')} names no installed icon")

        print(run("appstreamcli", "validate", "--no-net", metainfo), end="")
        component = ET.parse(metainfo).getroot()
        launchable = component.findtext("launchable[@type='desktop-id']")
        if not os.path.isfile(os.path.join(prefix, "share/applications", launchable or "")):
            raise Failure(f"the metainfo launches {launchable}, which is not installed")

        if png_size(os.path.join(prefix, ICON_PNG)) != (32, 32):
            raise Failure("the theme's 32x32 icon is not 32 by 32")
        svg = ET.parse(os.path.join(prefix, ICON_SVG)).getroot()
        if not svg.tag.endswith("svg"):
            raise Failure("the scalable icon is no SVG")

        start_installed(os.path.join(prefix, BINARY), prefix)
    finally:
        shutil.rmtree(prefix, ignore_errors=True)


def start_installed(binary, prefix):
    """The installed binary comes up and stays up: nothing it needs was left
    behind in the build tree."""
    home = os.path.join(prefix, "home")
    runtime = os.path.join(prefix, "run")
    os.makedirs(home)
    os.makedirs(runtime, mode=0o700)
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen", HOME=home, XDG_RUNTIME_DIR=runtime)
    proc = subprocess.Popen([binary], env=env, cwd=home,
                            stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
    time.sleep(2)
    code = proc.poll()
    if code is None:
        proc.terminate()
        proc.wait(timeout=10)
        return
    out = proc.stdout.read().decode(errors="replace")
    raise Failure(f"the installed binary ended within 2 s with {code}:\n{out}")


def test_deb(build):
    out = tempfile.mkdtemp(prefix="mx-deb-")
    try:
        run("cpack", "-G", "DEB", "--config", os.path.join(build, "CPackConfig.cmake"), "-B", out)
        debs = glob.glob(os.path.join(out, "*.deb"))
        if len(debs) != 1:
            raise Failure(f"expected one .deb, found {debs}")
        deb = debs[0]
        print(os.path.basename(deb))
        depends = run("dpkg-deb", "--field", deb, "Depends")
        print("Depends:", depends, end="")
        names = {d.strip().split()[0] for d in depends.replace("|", ",").split(",") if d.strip()}
        # The Qt and C libraries come from the binary itself; the rest is
        # what it loads at run time.
        for needed in ("libqt6widgets6", "libqt6gui6", "libqt6core6", "libc6", "libstdc++6",
                       "qt6-qpa-plugins", "fonts-ipafont-mincho", "qt6-translations-l10n"):
            if needed not in names:
                raise Failure(f"the package does not depend on {needed}")
        contents = run("dpkg-deb", "--contents", deb)
        for name in (BINARY, DESKTOP, ICON_PNG, ICON_SVG, "share/metainfo/"):
            if f"./usr/{name}" not in contents:
                raise Failure(f"/usr/{name} is not in the package:\n{contents}")
    finally:
        shutil.rmtree(out, ignore_errors=True)


def main():
    if len(sys.argv) != 3 or sys.argv[1] not in ("install", "deb"):
        sys.exit(__doc__)
    build = os.path.abspath(sys.argv[2])
    try:
        (test_install if sys.argv[1] == "install" else test_deb)(build)
    except Failure as failure:
        print("FAIL:", failure)
        sys.exit(1)
    print("PASS")


if __name__ == "__main__":
    main()
