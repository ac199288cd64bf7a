# SPDX-FileCopyrightText: The Marquetrix developers
#
# SPDX-License-Identifier: GPL-3.0-or-later

"""The program as a desktop or a distribution gets it: installed into a fresh
prefix, packed into a .deb, or taken as source.

  test_install.py install BUILD_DIR   cmake --install, validate, read the manual, start it
  test_install.py deb BUILD_DIR       cpack -G DEB, check dependencies and files, lintian
  test_install.py reuse BUILD_DIR     every source file says its licence (reuse lint)
"""
import glob
import gzip
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
# The manual page in each language, with a word its NAME line must carry.
MANUAL_PAGES = (
    ("share/man/man1/marquetrix.1.gz", "editor"),
    ("share/man/ja/man1/marquetrix.1.gz", "エディタ"),
)
ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))


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


def cpack_setting(build, name):
    with open(os.path.join(build, "CPackConfig.cmake"), encoding="utf-8") as f:
        for line in f:
            if line.startswith(f'set({name} "'):
                return line.split('"')[1]
    raise Failure(f"{name} is not in CPackConfig.cmake")


def check_files(prefix):
    for name in (BINARY, DESKTOP, ICON_PNG, ICON_SVG, *(page for page, _ in MANUAL_PAGES)):
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

        # Pedantic, and with nothing to say: a hint today is a warning in the
        # next software centre.
        validation = run("appstreamcli", "validate", "--pedantic", "--no-net", metainfo)
        print(validation, end="")
        hints = [line for line in validation.splitlines() if line[:2] in ("E:", "W:", "I:", "P:")]
        if hints:
            raise Failure("appstreamcli has something to say about the metainfo:\n" + "\n".join(hints))
        component = ET.parse(metainfo).getroot()
        launchable = component.findtext("launchable[@type='desktop-id']")
        if not os.path.isfile(os.path.join(prefix, "share/applications", launchable or "")):
            raise Failure(f"the metainfo launches {launchable}, which is not installed")

        if png_size(os.path.join(prefix, ICON_PNG)) != (32, 32):
            raise Failure("the theme's 32x32 icon is not 32 by 32")
        svg = ET.parse(os.path.join(prefix, ICON_SVG)).getroot()
        if not svg.tag.endswith("svg"):
            raise Failure("the scalable icon is no SVG")

        # What CMake fills in: an unknown name would have left a gap.
        filled_in = [cpack_setting(build, "CPACK_PACKAGE_VERSION"),
                     cpack_setting(build, "CPACK_PACKAGE_HOMEPAGE_URL")]
        for page, word in MANUAL_PAGES:
            read_manual(os.path.join(prefix, page), word, filled_in)

        start_installed(os.path.join(prefix, BINARY), prefix)
    finally:
        shutil.rmtree(prefix, ignore_errors=True)


def read_manual(page, word, filled_in):
    """The page renders through man and through groff with every warning on,
    without one; and the values CMake fills in are there."""
    env = dict(os.environ, LC_ALL="C.UTF-8", MANWIDTH="80")
    shown = subprocess.run(["man", "--warnings=all", "-E", "UTF-8", "-l", page], env=env,
                           stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    text = shown.stdout.decode(errors="replace")
    complaints = shown.stderr.decode(errors="replace")
    with gzip.open(page) as f:
        source = f.read()
    groff = subprocess.run(["groff", "-k", "-ww", "-man", "-Tutf8"], input=source, env=env,
                           stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    complaints += groff.stderr.decode(errors="replace")
    if shown.returncode != 0 or groff.returncode != 0 or complaints:
        raise Failure(f"{page} does not render cleanly:\n{complaints}")
    name = subprocess.run(["lexgrog", page], env=env, stdout=subprocess.PIPE).stdout.decode()
    if "marquetrix - " not in name or word not in name:
        raise Failure(f"{page}: whatis reads its NAME line as {name!r}")
    for filled in filled_in:
        if filled not in text:
            raise Failure(f"{page} does not show {filled}:\n{text}")
    print(name, end="")


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
        # SIGTERM would put the close question to nobody: the window starts modified.
        proc.kill()
        proc.wait(timeout=10)
        return
    out = proc.stdout.read().decode(errors="replace")
    raise Failure(f"the installed binary ended within 2 s with {code}:\n{out}")


def test_deb(build):
    out = tempfile.mkdtemp(prefix="mx-deb-")
    try:
        # Packed under the strictest umask a builder may have: the package
        # must come out the same whatever it is.
        umask = os.umask(0o077)
        try:
            run("cpack", "-G", "DEB", "--config", os.path.join(build, "CPackConfig.cmake"), "-B", out)
        finally:
            os.umask(umask)
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
        for name in (BINARY, DESKTOP, ICON_PNG, ICON_SVG, "share/metainfo/",
                     *(page for page, _ in MANUAL_PAGES)):
            if f"./usr/{name}" not in contents:
                raise Failure(f"/usr/{name} is not in the package:\n{contents}")
        modes = {"d": ("drwxr-xr-x",), "-": ("-rw-r--r--", "-rwxr-xr-x"), "l": ("lrwxrwxrwx",)}
        wrong = [line for line in contents.splitlines() if line[:10] not in modes.get(line[:1], ())]
        if wrong:
            raise Failure("the package's modes depend on who built it:\n" + "\n".join(wrong))
        lintian(deb, out)
    finally:
        shutil.rmtree(out, ignore_errors=True)


def lintian(deb, folder):
    """Debian's own checks: no error and no warning; informational tags are
    shown, not failed on."""
    command = ["lintian", "--display-info", "--fail-on", "error,warning", deb]
    env = dict(os.environ, LC_ALL="C.UTF-8")
    if os.geteuid() == 0:
        # Lintian unpacks what it checks and will not do that as root.
        os.chmod(folder, 0o755)
        os.chmod(deb, 0o644)
        command = ["setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups"] + command
        env["HOME"] = folder
    done = subprocess.run(command, env=env, cwd=folder, stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
    out = done.stdout.decode(errors="replace")
    print("lintian:", out if out else "nothing to report\n", end="")
    tags = [line for line in out.splitlines() if line[:2] in ("E:", "W:")]
    if done.returncode != 0 or tags:
        raise Failure(f"lintian finds fault with the package ({done.returncode}):\n{out}")


def test_reuse(build):
    """Every file of the source says who holds its copyright and under what
    licence, in its head or in .reuse/dep5. Files git ignores, such as the
    build directories, are left out by reuse itself."""
    if not os.path.exists(os.path.join(ROOT, ".git")):
        raise Failure(f"{ROOT} is no git checkout: reuse would lint the build directories too")
    print(run("reuse", "--root", ROOT, "lint"), end="")


def main():
    modes = {"install": test_install, "deb": test_deb, "reuse": test_reuse}
    if len(sys.argv) != 3 or sys.argv[1] not in modes:
        sys.exit(__doc__)
    build = os.path.abspath(sys.argv[2])
    try:
        modes[sys.argv[1]](build)
    except Failure as failure:
        print("FAIL:", failure)
        sys.exit(1)
    print("PASS")


if __name__ == "__main__":
    main()
