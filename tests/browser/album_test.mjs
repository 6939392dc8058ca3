// The real-browser test: albums that snapnook-batch made with --site-pages, served on
// localhost, crawled by linkchecker and opened in headless Chromium.
//
//   node album_test.mjs --batch BIN --default DIR --npm DIR --chromium BIN --linkchecker BIN
//                       --out DIR
//
// Two albums: "odd", 14 pictures in two sets, the first set and its pictures named with blanks,
// ' # % &, an accented and a CJK letter, two of them portrait; "mixed", 12 pictures, every third
// portrait, made without 640x480 files (its links go into BIG). A page of the publisher's own
// lies in default/ already: it is kept, and the other site pages are the shipped ones.
import { execFile, spawnSync } from "node:child_process";
import fs from "node:fs";
import { createRequire } from "node:module";
import path from "node:path";
import { parseArgs, promisify } from "node:util";

import { serve } from "./serve.mjs";

const opt = parseArgs({ options: Object.fromEntries(["batch", "default", "npm", "chromium",
  "linkchecker", "out"].map((name) => [name, { type: "string" }])) }).values;
const { chromium } = createRequire(path.join(opt.npm, "package.json"))("playwright-core");
let failed = 0;
const check = (ok, what) => ok || (failed++, console.error(`FAILED: ${what}`));

// The source folders, every picture a copy of one of two generated ones ("*": a portrait
// picture, upright in BIG and as the camera took it in BIG/sideways).
const out = path.resolve(opt.out);
const site = path.join(out, "site");
const made = (name) => path.join(out, `${name}.jpg`);
fs.rmSync(out, { recursive: true, force: true });
for (const dir of ["site/default", "home"]) fs.mkdirSync(path.join(out, dir), { recursive: true });
const env = { ...process.env, HOME: path.join(out, "home") };  // nothing remembered, no backup
delete env.XDG_CONFIG_HOME;
const run = (command, ...args) => spawnSync(command, args, { env, encoding: "utf8" });
run("vips", "black", made("landscape"), "80", "60", "--bands", "3");
run("vips", "black", made("portrait"), "60", "80", "--bands", "3");
const odd = ["a b", "Mom's #1", "100%", "Tom & Jerry*", "café", "日本*"];
const twelve = [...Array(12).keys()].map(
    (i) => `mixed/SET1/BIG/PIC${i + 1}${i % 3 > 1 ? "*" : ""}`);
// "colon": sets whose names hold a colon, one of them read as a script's link were it not encoded.
const colon = ["colon/javascript:alert(7);SET1/BIG/A", "colon/Paris:SETA/BIG/B:1*"];
for (const name of [...odd.map((n) => `odd/Mom's 100% & #SET1/BIG/${n}`),
                    ...[1, 2, 3, 4, 5, 6, 7, 8].map((i) => `odd/SET2/BIG/IMG${i}`), ...twelve,
                    ...colon]) {
  const file = path.join(site, name.replace("*", "") + ".JPG");
  const sideways = path.join(path.dirname(file), "sideways", path.basename(file));
  fs.mkdirSync(path.dirname(sideways), { recursive: true });
  fs.copyFileSync(made(name.endsWith("*") ? "portrait" : "landscape"), file);
  if (name.endsWith("*")) fs.copyFileSync(made("landscape"), sideways);
}

const own = path.join(site, "default", "copyright.html");
fs.writeFileSync(own, "<html><body><p>Our own terms of use.</p></body></html>\n");
const stamp = (stat = fs.statSync(own)) => `${stat.ino} ${stat.mtimeMs}`;
const ownBefore = stamp();
for (const [album, ...extra] of [["odd"], ["mixed", "--no-640"], ["colon"]]) {
  const batch = run(opt.batch, "-q", "--site-pages", ...extra, path.join(site, album));
  check(batch.status === 0 && batch.stderr === "", `snapnook-batch ${album}: ${batch.stderr}`);
}
// Kept as it was: not even written again.
check(stamp() === ownBefore, "the publisher's default/copyright.html was kept");
for (const page of ["hires.htm", "aol.htm"]) {
  const [copy, shipped] = [path.join(site, "default"), opt.default].map(
      (dir) => path.join(dir, page));
  check(fs.readFileSync(copy).equals(fs.readFileSync(shipped)), `${copy} is the shipped page`);
}

const { server, origin } = await serve(site);

// No broken link in the albums or in default/ beside them, whose three pages are reached. Links
// leaving the server (the maker's web site) are checked for their syntax only; the ../default/
// pages lie outside the album, so they need --check-extern.
const config = path.join(out, "linkcheckerrc");
fs.writeFileSync(config, "[checking]\nmaxrequestspersecond=1000\n");
for (const album of ["odd", "mixed", "colon"]) {
  const crawl = await promisify(execFile)(opt.linkchecker, [
    "-f", config, "--no-status", "--check-extern", "-v", "-o", "csv",
    "--ignore-url", `^(?!${origin.replaceAll(".", "\\.")})`, `${origin}${album}/index.html`,
  ], { maxBuffer: 1 << 26 }).catch((error) => error);
  const rows = crawl.stdout?.split("\n") ?? [];
  const reached = ["hires.htm", "aol.htm", "copyright.html"].every(
      (page) => rows.some((row) => row.includes(`;${origin}default/${page};`)));
  const broken = rows.filter((row) => row.includes(";False;")).join("\n");
  check(!crawl.code && reached, `linkchecker ${album}: ${crawl.code}\n${broken}\n${crawl.stderr}`);
}

const browser = await chromium.launch({ executablePath: opt.chromium, args: ["--no-sandbox"] });
const context = await browser.newContext();
context.setDefaultTimeout(15000);
// No page of an album runs a script of a name's making.
context.on("page", (page) => page.on("dialog", async (dialog) => {
  check(false, `a script ran on ${page.url()}: ${dialog.type()} "${dialog.message()}"`);
  await dialog.dismiss();
}));

// Whether each picture of a page has loaded, and the picture a click on it opens.
const pictures = (page) => page.evaluate(() => [...document.images].map((img) => {
  const opens = /^fnOpen[12]\('(.*)'\)$/.exec(img.getAttribute("onclick"))?.[1];
  const loaded = img.complete && img.naturalWidth > 0;
  return { loaded, opens: opens && new URL(opens, location).href };
}));

// For each album: index.html forwards to page01.htm, the Next links lead through the numbered
// pages and the Previous links back to the index page; every picture has loaded, and a click
// on each picture of a numbered page opens one that answers. A click on picture `index` of
// page01.htm opens `viewer` on it, which Esc closes: in "odd" the CJK-named portrait picture,
// through fnOpen1; in "mixed" a landscape picture whose link goes into BIG.
try {
  for (const [name, count, pages, index, viewer] of [["odd", 14, 2, 5, "show640.html"],
                                                     ["mixed", 12, 2, 0, "show480.html"],
                                                     ["colon", 2, 1, 1, "show640.html"]]) {
    const page = await context.newPage();
    const at = (n) => `${origin}${name}/page${String(n).padStart(2, "0")}.htm`;
    await page.goto(`${origin}${name}/index.html`);
    await page.waitForURL(at(1));
    const shown = [];
    for (let n = 1; n <= pages; n++) {
      if (n > 1) await Promise.all([page.waitForURL(at(n)), page.click("text=Next Page =>")]);
      await page.waitForLoadState("load");
      shown.push(...await pictures(page));
    }
    for (let n = pages - 1; n >= 0; n--)
      await Promise.all([page.waitForURL(at(n)), page.click("text=<= Previous Page")]);
    await page.waitForLoadState("load");
    const thumbnails = await pictures(page);
    check(shown.length === count && thumbnails.length === count &&
          [...shown, ...thumbnails].every((p) => p.loaded), `${name}: ${JSON.stringify(shown)}`);
    for (const { opens } of shown)
      check(opens && (await context.request.get(opens)).ok(), `${name}: ${opens} answers`);

    await page.goto(at(1));
    const [opened] = await Promise.all([context.waitForEvent("page"),
                                        page.locator("img").nth(index).click()]);
    await opened.waitForFunction(() => document.getElementById("picture")?.naturalWidth > 0);
    const [src, label] = await opened.evaluate(() => ["picture", "name"].map(
        (id) => document.getElementById(id)).map((e) => e.src ?? e.textContent));
    const { opens } = shown[index];  // page01.htm's pictures come first
    check(opened.url().includes(`/${viewer}?`) && src === opens &&
          label.includes(decodeURIComponent(opens.split("/").pop())),
          `${name}: picture ${index} opens ${opened.url()}: ${src} "${label}", not ${opens}`);
    // The page may be gone before the key press returns.
    await Promise.all([opened.waitForEvent("close"),
                       opened.keyboard.press("Escape").catch(() => {})]);
    // Every link of the numbered and DjVu pages leads to this server (or the maker's); in
    // "colon" each link into a set ([original], [rotated], DjVu) is clicked, and runs no script.
    for (const at of [`${origin}${name}/page01.htm`, `${origin}${name}/page00a.htm`]) {
      await page.goto(at);
      for (const href of await page.evaluate(() => [...document.links].map((a) => a.href))) {
        check(/^(https?|ftp):/.test(href), `${name}: a link to ${href}`);
      }
      const links = await page.locator("a[href*=SET]").count();
      for (let n = 0; name === "colon" && n < links; n++) {
        const tab = await context.newPage();
        await tab.goto(at);
        await tab.locator("a[href*=SET]").nth(n).click();
        await tab.waitForLoadState("load");
        await tab.close();
      }
    }
    await page.close();
  }
} catch (error) {
  check(false, `the browser test ran to its end: ${error.stack ?? error}`);
} finally {
  await browser.close();
  server.close();
}
console.log(`browser_album: ${failed ? failed + " failed" : "passed"}`);
process.exit(failed ? 1 : 0);
