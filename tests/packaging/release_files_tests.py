#!/usr/bin/env python3
"""Tests of what ships beside the program: the help sources' checks, the compiled help file,
the documents, the version resource and the release zip.

    release_files_tests.py SOURCE_ROOT STAGE_FOLDER RELEASE_ZIP VERSION RELEASE_DATE SCRATCH_FOLDER
"""
import os
import re
import shutil
import subprocess
import sys
import unittest
import zipfile

SOURCE_ROOT, STAGE, ZIP, VERSION, RELEASE_DATE, SCRATCH = sys.argv[1:7]
HELP = os.path.join(SOURCE_ROOT, "docs", "help")
BUILD_HELP = os.path.join(SOURCE_ROOT, "packaging", "build-help")
MAKE_DIST = os.path.join(SOURCE_ROOT, "packaging", "make-dist")
SHIPPED = ["tidewell.exe", "TIDEWELL.CHM", "LICENSE.TXT", "PRODUCT.URL", "README.TXT"]


def run(*command, cwd=None):
    return subprocess.run(list(command), capture_output=True, text=True, cwd=cwd)


def scratch(name):
    path = os.path.join(SCRATCH, name)
    shutil.rmtree(path, ignore_errors=True)
    os.makedirs(path)
    return path


def read(path):
    with open(path, "rb") as f:
        return f.read()


class HelpSourceChecks(unittest.TestCase):
    def test_the_sources_pass(self):
        result = run(sys.executable, BUILD_HELP, "check", HELP)
        self.assertEqual(result.returncode, 0, result.stderr)

    def test_each_fault_fails_naming_file_and_link(self):
        # (file to change, text replaced, replacement, words the message must hold)
        cases = [
            ("main-window.html", 'href="uninstalling.html"', 'href="uninstaling.html"',
             ["main-window.html: broken link 'uninstaling.html'"]),
            ("uninstalling.html", 'href="main-window.html#question-mark"', 'href="main-window.html#questionmark"',
             ["uninstalling.html: broken link 'main-window.html#questionmark'", "no anchor 'questionmark'"]),
            ("settings.html", "<title>Settings</title>", "<title> </title>",
             ["settings.html: the page has no title"]),
            ("index.html", 'href="style.css"', 'href="styles.css"',
             ["index.html: broken link 'styles.css'"]),
            ("contents.hhc", 'value="settings.html"', 'value="setting.html"',
             ["contents.hhc: broken link 'setting.html'", "settings.html: the page is in no entry of contents.hhc"]),
            ("index.hhk", 'value="new-entry.html#shortcuts"', 'value="new-entry.html#shortcut"',
             ["index.hhk: broken link 'new-entry.html#shortcut'"]),
        ]
        for name, old, new, expected in cases:
            with self.subTest(name=name, fault=new):
                folder = os.path.join(scratch("faulty"), "help")
                shutil.copytree(HELP, folder)
                path = os.path.join(folder, name)
                with open(path, encoding="utf-8") as f:
                    text = f.read()
                self.assertIn(old, text)
                with open(path, "w", encoding="utf-8") as f:
                    f.write(text.replace(old, new, 1))
                result = run(sys.executable, BUILD_HELP, "check", folder)
                self.assertEqual(result.returncode, 1)
                for words in expected:
                    self.assertIn(words, result.stderr)
                # A fault stops the build before anything is compiled.
                work = scratch("faulty-work")
                output = os.path.join(work, "OUT.CHM")
                result = run(sys.executable, BUILD_HELP, "build", folder, os.path.join(work, "w"), output, "9.9.9")
                self.assertEqual(result.returncode, 1)
                self.assertFalse(os.path.exists(output))


class CompiledHelp(unittest.TestCase):
    CHM = os.path.join(STAGE, "TIDEWELL.CHM")

    def test_every_topic_of_the_contents_and_the_sitemaps_are_inside(self):
        listing = run("chmls", "-n", self.CHM).stdout.split()
        with open(os.path.join(HELP, "contents.hhc"), encoding="utf-8") as f:
            topics = set(re.findall(r'name="Local" value="([^"#]+)', f.read()))
        self.assertEqual(len(topics), 14)
        for name in sorted(topics) + ["contents.hhc", "index.hhk", "style.css"]:
            self.assertIn("/" + name, listing)

    def test_the_title_page_names_the_version(self):
        folder = scratch("extracted")
        result = run("chmls", "extract", self.CHM, "/index.html", os.path.join(folder, "index.html"))
        self.assertEqual(result.returncode, 0, result.stdout + result.stderr)
        text = read(os.path.join(folder, "index.html")).decode("utf-8")
        self.assertIn(f"<title>Tidewell {VERSION} Help</title>", text)
        self.assertNotIn("@TIDEWELL_VERSION@", text)

    def test_the_same_sources_give_the_same_bytes(self):
        work = scratch("rebuilt-help")
        output = os.path.join(work, "TIDEWELL.CHM")
        result = run(sys.executable, BUILD_HELP, "build", HELP, os.path.join(work, "w"), output, VERSION)
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertEqual(read(output), read(self.CHM))


class DocumentsAndVersion(unittest.TestCase):
    def test_documents_have_windows_line_ends(self):
        for name in ["LICENSE.TXT", "README.TXT", "PRODUCT.URL"]:
            with self.subTest(name=name):
                data = read(os.path.join(STAGE, name))
                self.assertTrue(data.endswith(b"\r\n"))
                self.assertEqual(data.count(b"\n"), data.count(b"\r\n"))

    def test_internet_shortcut_and_licence(self):
        self.assertEqual(read(os.path.join(STAGE, "PRODUCT.URL")),
                         b"[InternetShortcut]\r\nURL=https://www.quenmark.example/\r\n")
        licence = read(os.path.join(STAGE, "LICENSE.TXT"))
        self.assertTrue(licence.startswith(b"MIT License\r\n\r\nCopyright (c) 2026 Quenmark\r\n"))

    def test_version_resource_and_about_text(self):
        data = read(os.path.join(STAGE, "tidewell.exe"))
        text = data.decode("utf-16-le", errors="replace")
        for key, value in [("FileVersion", VERSION), ("ProductVersion", VERSION), ("ProductName", "Tidewell"),
                           ("CompanyName", "Quenmark"), ("LegalCopyright", "Copyright (c) 2026 Quenmark"),
                           ("OriginalFilename", "tidewell.exe")]:
            with self.subTest(key=key):
                self.assertRegex(text, key + "\0+" + re.escape(value) + "\0")
        # The about box's wording holds no version of its own: it fills in, when it opens, the
        # product version that the resource above carries.
        self.assertIn(b"Version %s\0", data)


class ReleaseZip(unittest.TestCase):
    def test_names_order_and_fixed_times(self):
        with zipfile.ZipFile(ZIP) as archive:
            entries = archive.infolist()
        self.assertEqual([e.filename for e in entries], SHIPPED)
        year, month, day = (int(part) for part in RELEASE_DATE.split("-"))
        self.assertEqual({e.date_time for e in entries}, {(year, month, day, 12, 0, 0)})
        for entry in entries:
            self.assertEqual(read(os.path.join(STAGE, entry.filename)), zipfile.ZipFile(ZIP).read(entry))

    def test_the_same_files_give_the_same_bytes(self):
        again = os.path.join(scratch("rezipped"), "again.zip")
        result = run(sys.executable, MAKE_DIST, "zip", again, RELEASE_DATE, STAGE, *SHIPPED)
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertEqual(read(again), read(ZIP))


if __name__ == "__main__":
    unittest.main(argv=[sys.argv[0], "-v"])
