#!/usr/bin/env python3
"""linkchecker over albums that snapnook-batch made with --site-pages, served on localhost.

  link_test.py --batch BIN --maker BIN --default DIR --linkchecker BIN --out DIR

Makes the browser test's two source folders, a site page of the publisher's own already in
OUT/site/default, and the albums with --site-pages. Then: the publisher's page is kept, the
other site pages are the shipped ones, and linkchecker, started at each album's index.html,
finds no broken link in the album or in default/ (and has checked the three site pages).
"""
import argparse
import csv
import filecmp
import functools
import http.server
import io
import os
import shutil
import subprocess
import sys
import threading

SITE_PAGES = ("hires.htm", "aol.htm", "copyright.html")
OWN_PAGE = b"<html><body><p>Our own terms of use.</p></body></html>\n"

args = argparse.ArgumentParser()
for name in ("batch", "maker", "default", "linkchecker", "out"):
    args.add_argument("--" + name, required=True)
opt = args.parse_args()

failures = []


def check(ok, what):
    if not ok:
        failures.append(what)
        print("FAILED: " + what, file=sys.stderr)
    return ok


out = os.path.abspath(opt.out)
site = os.path.join(out, "site")
home = os.path.join(out, "home")
shutil.rmtree(out, ignore_errors=True)
os.makedirs(os.path.join(site, "default"))
os.makedirs(home)
own_page = os.path.join(site, "default", "copyright.html")
with open(own_page, "wb") as f:
    f.write(OWN_PAGE)
own_stat = os.stat(own_page)

# An empty home: no remembered settings, no backup `default` folder.
env = {k: v for k, v in os.environ.items() if k != "XDG_CONFIG_HOME"}
env["HOME"] = home
subprocess.run([opt.maker, site], env=env, check=True)
for album, extra in (("odd", []), ("mixed", ["--no-640"])):
    run = subprocess.run([opt.batch, "-q", "--site-pages", *extra, os.path.join(site, album)],
                         env=env, capture_output=True, text=True)
    check(run.returncode == 0 and run.stderr == "",
          f"snapnook-batch --site-pages {album}: status {run.returncode}: {run.stderr}")

# Kept as it was: not even written again (that would give it a new inode).
check((os.stat(own_page).st_ino, os.stat(own_page).st_mtime_ns)
      == (own_stat.st_ino, own_stat.st_mtime_ns), "the publisher's default/copyright.html was kept")
for page in ("hires.htm", "aol.htm"):
    copy = os.path.join(site, "default", page)
    check(os.path.isfile(copy) and filecmp.cmp(copy, os.path.join(opt.default, page), shallow=False),
          f"default/{page} is the shipped page")

class Handler(http.server.SimpleHTTPRequestHandler):
    def end_headers(self):
        # Lets linkchecker send more than ten requests a second (see its maxrequestspersecond).
        self.send_header("LinkChecker", "allowed")
        super().end_headers()

    def log_message(self, *args):
        pass


server = http.server.ThreadingHTTPServer(("127.0.0.1", 0),
                                         functools.partial(Handler, directory=site))
threading.Thread(target=server.serve_forever, daemon=True).start()
origin = f"http://127.0.0.1:{server.server_address[1]}/"

config = os.path.join(out, "linkcheckerrc")
with open(config, "w") as f:
    f.write("[checking]\nmaxrequestspersecond=1000\n")
for album in ("odd", "mixed"):
    # Links leaving the server (the maker's web site) are checked for their syntax only; the
    # ../default/ pages lie outside the album, so they count as external and need
    # --check-extern.
    run = subprocess.run(
        [opt.linkchecker, "-f", config, "--no-status", "--check-extern", "-v", "-o", "csv",
         "--ignore-url", "^(?!" + origin.replace(".", r"\.") + ")", origin + album + "/index.html"],
        capture_output=True, text=True)
    rows = list(csv.DictReader(io.StringIO("".join(
        line for line in run.stdout.splitlines(keepends=True) if not line.startswith("#"))),
        delimiter=";"))
    local = [row for row in rows if row["url"].startswith(origin)]
    broken = [f'{row["url"]} ({row["result"]}) on {row["parentname"]}' for row in local
              if row["valid"] != "True"]
    checked = {row["url"] for row in local}
    check(run.returncode == 0 and not broken,
          f"linkchecker {album}: status {run.returncode}, broken: {broken} {run.stderr[-2000:]}")
    for page in SITE_PAGES:
        check(origin + "default/" + page in checked, f"linkchecker {album} checked default/{page}")
    print(f"{album}: {len(checked)} links on the server checked, {len(broken)} broken")

server.shutdown()
sys.exit(1 if failures else 0)
