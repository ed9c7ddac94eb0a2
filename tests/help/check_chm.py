#!/usr/bin/env python3
"""Opens the built help file with a CHM reader and checks what a reader of the help relies on.

    check_chm.py CHM SOURCE_DIR

- the file says it is Japanese (0x411) and carries the project's title, table of contents,
  index and default page;
- every help page of SOURCE_DIR is in the file and in the table of contents;
- every page of the table of contents and every index entry is in the file;
- every page decodes as Shift-JIS (code page 932), declares it, and its title is the name the
  table of contents gives it, repeated as its heading;
- every index keyword occurs in the text of the page it leads to;
- every link and every referenced file of every page is in the file.
"""
import html
import html.parser
import os
import re
import struct
import subprocess
import sys
import tempfile

failures = []


def fail(text):
    failures.append(text)


class Page(html.parser.HTMLParser):
    """The parts of an HTML page or a sitemap (.hhc, .hhk) that the checks look at."""

    def __init__(self, text):
        super().__init__(convert_charrefs=True)
        self.title = ""
        self.headings = []
        self.links = []
        self.text = []
        self.entries = []  # sitemap entries: (Name, Local)
        self.charset = None
        self._in = None
        self._entry = None
        self.feed(text)

    def handle_starttag(self, tag, attrs):
        a = dict(attrs)
        if tag in ("title", "h1"):
            self._in = tag
            if tag == "h1":
                self.headings.append("")
        elif tag == "meta" and "charset=" in (a.get("content") or ""):
            self.charset = a["content"].split("charset=")[1].strip()
        elif tag == "object" and a.get("type") == "text/sitemap":
            self._entry = {}
        elif tag == "param" and self._entry is not None:
            self._entry[a.get("name")] = a.get("value")
        for name in ("href", "src"):
            if a.get(name):
                self.links.append(a[name])

    def handle_endtag(self, tag):
        if tag == self._in:
            self._in = None
        if tag == "object" and self._entry is not None:
            self.entries.append((self._entry.get("Name"), self._entry.get("Local")))
            self._entry = None

    def handle_data(self, data):
        if self._in == "title":
            self.title += data
        elif self._in == "h1":
            self.headings[-1] += data
        self.text.append(data)


def system_entries(data):
    """The records of the #SYSTEM file: code -> bytes."""
    entries = {}
    pos = 4  # version
    while pos + 4 <= len(data):
        code, length = struct.unpack_from("<HH", data, pos)
        entries[code] = data[pos + 4 : pos + 4 + length]
        pos += 4 + length
    return entries


def c_string(raw):
    return raw.split(b"\0", 1)[0].decode("cp932")


def decode(name, raw):
    try:
        return raw.decode("cp932")
    except UnicodeDecodeError as e:
        fail(f"{name} does not decode as Shift-JIS: {e}")
        return raw.decode("cp932", errors="replace")


def main(chm, source_dir):
    with tempfile.TemporaryDirectory() as out:
        run = subprocess.run(["extract_chmLib", chm, out], capture_output=True, text=True)
        if run.returncode != 0 or not os.path.exists(os.path.join(out, "#SYSTEM")):
            print(f"extract_chmLib could not read {chm}:\n{run.stdout}{run.stderr}")
            return 1
        files = {}
        for root, _, names in os.walk(out):
            for n in names:
                path = os.path.join(root, n)
                with open(path, "rb") as f:
                    files[os.path.relpath(path, out).replace(os.sep, "/")] = f.read()

    project = open(os.path.join(source_dir, "tuckbay2.hhp"), encoding="utf-8").read()
    want_title = re.search(r"^Title=(.*)$", project, re.M).group(1).strip()

    system = system_entries(files["#SYSTEM"])
    lcid = struct.unpack_from("<I", system.get(4, b"\0\0\0\0"))[0]
    if lcid != 0x411:
        fail(f"language is {lcid:#x}, not 0x411 (Japanese)")
    title = c_string(system.get(3, b""))
    if title != want_title:
        fail(f"title is {title!r}, not {want_title!r}")
    named = {}
    for code, what in ((0, "table of contents"), (1, "index"), (2, "default page")):
        name = c_string(system.get(code, b""))
        named[code] = name
        if name not in files:
            fail(f"the {what} {name!r} is not in the file")
    if named[0] not in files or named[1] not in files:
        return report()

    toc = Page(decode(named[0], files[named[0]])).entries
    index = Page(decode(named[1], files[named[1]])).entries
    if not toc or not index:
        fail(f"empty table of contents ({len(toc)}) or index ({len(index)})")

    sources = sorted(n for n in os.listdir(source_dir) if n.endswith(".html"))
    toc_pages = {local: name for name, local in toc}
    for n in sources:
        if n not in files:
            fail(f"{n} is not in the file")
        if n not in toc_pages:
            fail(f"{n} is not in the table of contents")
    if named[2] not in toc_pages:
        fail(f"the default page {named[2]} is not in the table of contents")

    pages = {}
    for n in sorted(set(toc_pages) | set(local for _, local in index)):
        if n not in files:
            fail(f"{n}, named by the table of contents or the index, is not in the file")
            continue
        page = Page(decode(n, files[n]))
        pages[n] = page
        if (page.charset or "").lower() != "shift_jis":
            fail(f"{n} declares the charset {page.charset!r}, not Shift_JIS")

    for n, name in toc_pages.items():
        page = pages.get(n)
        if page is None:
            continue
        if page.title != name:
            fail(f"{n}: title {page.title!r}, but the table of contents calls it {name!r}")
        if page.headings[:1] != [name]:
            fail(f"{n}: heading {page.headings[:1]!r} does not repeat its title {name!r}")

    for keyword, local in index:
        page = pages.get(local)
        if page is not None and keyword not in "".join(page.text):
            fail(f"index entry {keyword!r} leads to {local}, which does not mention it")

    for n, page in pages.items():
        for link in page.links:
            target = link.split("#", 1)[0]
            if re.match(r"^[a-z]+:", target) or not target:
                continue
            if target not in files:
                fail(f"{n} links to {link}, which is not in the file")

    print(f"{chm}: {len(toc)} pages in the table of contents, {len(index)} index entries")
    return report()


def report():
    for f in failures:
        print("FAIL:", f)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2]))
