#!/usr/bin/env python3
"""ravelin-cli's exports read back by other tools: `convert x.db x.csv` read with Python's csv module
gives the rows of `dump x.db`, and `convert x.db x.html` shows every name of the dump, in its group,
and passes tidy's HTML5 check (when tidy is installed; otherwise the test ends as skipped after the
other checks).

Usage: ExportRoundTrip.py RAVELIN_CLI
"""

import csv
import html.parser
import json
import os
import shutil
import subprocess
import sys
import tempfile

SKIPPED = 77

HEADING = ["Number", "Name", "Satellite", "Frequency", "Polar", "SymbolRate", "ServiceId", "VPID", "APID",
           "PCRPID", "PmtPid", "Scramble", "Lock", "Skip", "Hide", "FavType"]

# Satellite and program names in each code page: separators, quotes, a line break, letters beyond ASCII.
NAMES = {
    1252: (["Sat 19\u00b0E", "West, 5"], ["Caf\u00e9, \"TV\"", "\u00dcn\u00ef c\u00f6d\u00e9", "two\nlines", "=1+2", "plain"]),
    1251: (["\u0421\u043f\u0443\u0442\u043d\u0438\u043a 1", "\u0412\u043e\u0441\u0442\u043e\u043a"],
           ["\u041f\u0435\u0440\u0432\u044b\u0439 \u043a\u0430\u043d\u0430\u043b",
            "\u0420\u043e\u0441\u0441\u0438\u044f, 1", "\u041c\u0443\u0437\u044b\u043a\u0430 \"\u0422\u0412\"",
            "\u0414\u0435\u0442\u0438", "News"]),
    936: (["\u4e2d\u661f6B", "\u4e9a\u592a 7"],
          ["\u4e2d\u592e\u7535\u89c6\u53f0", "\u6e56\u5357\u536b\u89c6,HD", "\"\u65b0\u95fb\"",
           "\u4f53\u80b2 5", "CCTV-1"]),
    1256: (["\u0642\u0645\u0631 1", "\u0634\u0631\u0642"],
           ["\u0627\u0644\u062c\u0632\u064a\u0631\u0629", "\u0642\u0646\u0627\u0629 \"1\"",
            "\u0623\u062e\u0628\u0627\u0631, \u0627\u0644\u064a\u0648\u0645", "\u0631\u064a\u0627\u0636\u0629",
            "Sport <HD> & 'more'"]),
}


def fail(message):
    print("FAIL: " + message, file=sys.stderr)
    sys.exit(1)


def run(cli, *args):
    result = subprocess.run([cli, *args], capture_output=True, text=True)
    return result.returncode, result.stdout, result.stderr


def check_run(cli, *args):
    code, out, err = run(cli, *args)
    if code != 0:
        fail("ravelin-cli %s: exit %d: %s" % (" ".join(args), code, err))
    return out


def database(sat_names, prog_names):
    """Two satellites, three transponders (the last one on the first satellite again), the programs
    spread over them out of transponder order, every field set on some."""
    sats = [{"SatID": i, "Name": name} for i, name in enumerate(sat_names)]
    tps = [{"TpID": 0, "SatID": 0, "Frequency": 11747, "SymbolRate": 27500, "Polar": 0},
           {"TpID": 1, "SatID": 1, "Frequency": 12000, "SymbolRate": 30000, "Polar": 1},
           {"TpID": 2, "SatID": 0, "Frequency": 10714, "SymbolRate": 22000, "Polar": 1}]
    progs = []
    for i, name in enumerate(prog_names):
        progs.append({"ProgID": i, "TpID": [1, 0, 2, 0, 1][i % 5], "ProgName": name, "ServiceId": 100 + i,
                      "VPID": 8191 - i, "APID": 257 + i, "PCRPID": 8190, "PmtPid": 32 * i, "Scramble": i % 2,
                      "Lock": (i // 2) % 2, "Skip": (i + 1) % 2, "Hide": int(i == 3), "FavType": (3 * i) % 16})
    return {"satellites": sats, "transponders": tps, "programs": progs}


def expected_rows(dump):
    tps = {tp["TpID"]: tp for tp in dump["transponders"]}
    sats = {sat["SatID"]: sat for sat in dump["satellites"]}
    rows = [HEADING]
    for number, prog in enumerate(dump["programs"], 1):
        tp = tps.get(prog["TpID"])
        sat = sats.get(tp["SatID"]) if tp else None
        rows.append([str(number), prog["ProgName"], sat["Name"] if sat else "",
                     str(tp["Frequency"]) if tp else "", ("V" if tp["Polar"] else "H") if tp else "",
                     str(tp["SymbolRate"]) if tp else ""] +
                    [str(prog[key]) for key in HEADING[6:]])
    return rows


def grouped_names(dump):
    """Program names as the page groups them: satellites, their transponders, their programs."""
    names = []
    for sat in dump["satellites"]:
        for tp in dump["transponders"]:
            if tp["SatID"] == sat["SatID"]:
                names += [p["ProgName"] for p in dump["programs"] if p["TpID"] == tp["TpID"]]
    return names


class PageTexts(html.parser.HTMLParser):
    """The texts of the h2 headings and of the name cells (td dir=auto), character references
    resolved."""

    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.headings, self.names, self._into = [], [], None

    def handle_starttag(self, tag, attrs):
        if tag == "h2":
            self._into = self.headings
        elif tag == "td" and ("dir", "auto") in attrs:
            self._into = self.names
        else:
            return
        self._into.append("")

    def handle_endtag(self, tag):
        if tag in ("h2", "td"):
            self._into = None

    def handle_data(self, data):
        if self._into is not None:
            self._into[-1] += data


def main():
    cli = sys.argv[1]
    tidy = shutil.which("tidy")
    with tempfile.TemporaryDirectory() as work:
        for code_page, (sat_names, prog_names) in NAMES.items():
            cp = "--codepage=%d" % code_page
            source = os.path.join(work, "in-%d.json" % code_page)
            with open(source, "w", encoding="utf-8") as f:
                json.dump(database(sat_names, prog_names), f, ensure_ascii=False)
            db = os.path.join(work, "x-%d.db" % code_page)
            check_run(cli, "convert", source, db, cp)
            dump = json.loads(check_run(cli, "dump", db, cp))

            out_csv = os.path.join(work, "x-%d.csv" % code_page)
            check_run(cli, "convert", db, out_csv, cp)
            with open(out_csv, newline="", encoding="utf-8") as f:
                rows = list(csv.reader(f, strict=True))
            if rows != expected_rows(dump):
                fail("code page %d: the CSV reads back as\n%r\nnot as the dump's rows\n%r" %
                     (code_page, rows, expected_rows(dump)))
            if [row[1] for row in rows[1:]] != prog_names:
                fail("code page %d: CSV names %r, not %r" % (code_page, [row[1] for row in rows[1:]], prog_names))

            out_html = os.path.join(work, "x-%d.html" % code_page)
            check_run(cli, "convert", db, out_html, "--to", "html", cp)
            with open(out_html, encoding="utf-8") as f:
                page = PageTexts()
                page.feed(f.read())
            if page.names != grouped_names(dump) or sorted(page.names) != sorted(prog_names):
                fail("code page %d: the page's names %r, not %r" % (code_page, page.names, grouped_names(dump)))
            if page.headings != sat_names:
                fail("code page %d: the page's satellites %r, not %r" % (code_page, page.headings, sat_names))
            if tidy:
                result = subprocess.run([tidy, "-q", "-e", out_html], capture_output=True, text=True)
                if result.returncode != 0 or result.stderr or result.stdout:
                    fail("code page %d: tidy (exit %d): %s%s" %
                         (code_page, result.returncode, result.stdout, result.stderr))

        # The exports are written only.
        code, _, err = run(cli, "convert", out_csv, os.path.join(work, "back.db"))
        if code != 2 or "cannot be read" not in err:
            fail("reading a CSV file: exit %d, %s" % (code, err))
    if not tidy:
        print("tidy is not installed (scripts/test.sh installs it): the pages were not validated")
        return SKIPPED
    return 0


if __name__ == "__main__":
    sys.exit(main())
