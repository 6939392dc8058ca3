// The real-browser test of the modern album: its pages opened in headless Chromium (Debian's)
// driven by playwright-core, checked by html-validate and axe-core from npm.
//
//   node modern_test.mjs --batch BIN --model FILE --npm DIR --chromium BIN --out DIR
//
// The album is made by one step, makeAlbum, from the model's text (see modern_album.txt and
// tests/support/modern_album_text.h).
import { spawnSync } from "node:child_process";
import fs from "node:fs";
import { createRequire } from "node:module";
import path from "node:path";
import { parseArgs } from "node:util";

import { serve } from "./serve.mjs";

const opt = parseArgs({ options: Object.fromEntries(["batch", "model", "npm", "chromium", "out"]
    .map((name) => [name, { type: "string" }])) }).values;
const require = createRequire(path.join(opt.npm, "package.json"));
const { chromium } = require("playwright-core");
const { HtmlValidate } = require("html-validate");
const axePath = require.resolve("axe-core/axe.min.js");
let failed = 0;
const check = (ok, what) => ok || (failed++, console.error(`FAILED: ${what}`));

// Makes the modern album of the model in `folder` as its user would, working in `work`: each
// picture an original in SET/BIG in its own format, three times the size of its album picture,
// its caption written into it by exiftool; then snapnook-batch --fit; then, for the pictures
// the model gives no screen copy, that copy removed and the pages written again. Returns each
// picture as the pages must show it, sorted: "ALT WxH", and " 2x" when it has a screen copy.
function makeAlbum(folder, work) {
  const bytes = (text) => Buffer.concat(text.split(/(\\x[0-9A-Fa-f]{2})/).map(
      (part, i) => i % 2 ? Buffer.from([parseInt(part.slice(2), 16)]) : Buffer.from(part)));
  const env = { ...process.env, HOME: work };  // nothing remembered
  const run = (command, ...args) => {
    const done = spawnSync(command, args.map(String), { env, encoding: "utf8" });
    check(done.status === 0 && done.stderr === "", `${command} ${args.join(" ")}: ${done.stderr}`);
  };
  const texts = {}, pictures = [];
  let set;
  for (const line of fs.readFileSync(opt.model, "utf8").split("\n")) {
    const [, key, value] = /^(title|copyright|link|set|many): (.*)/.exec(line) ?? [];
    if (key === "set") {
      set = value;
    } else if (key === "many") {
      for (let n = pictures.filter((p) => p.set === set).length + 1, end = n + +value; n < end; n++) {
        const name = `IMG_${String(n).padStart(4, "0")}.JPG`, portrait = n % 3 === 0;
        pictures.push({ set, name, original: name, size: portrait ? "216x288" : "288x216",
                        screen: n % 4 ? "640" : "-", caption: "" });
      }
    } else if (key) {
      texts[key] = value;
    } else if (line && !line.startsWith("#")) {
      const [name, original, size, screen, caption = ""] = line.split(" | ");
      pictures.push({ set, name, original: original === "-" ? name : original, size, screen,
                      caption: bytes(caption).toString() });
    }
  }
  const within = (set, ...names) => Buffer.concat([Buffer.from(`${folder}/`), bytes(set),
                                                   ...names.map((name) => bytes(`/${name}`))]);
  for (const { set, original, size, caption } of pictures) {
    const [width, height] = size.split("x").map((side) => 3 * side);
    const format = /\.jpe?g$/i.test(original) ? ".jpg" : path.extname(original).toLowerCase();
    const [file, made] = [`${size}${format}`, `picture${format}`].map((name) => path.join(work, name));
    if (!fs.existsSync(file)) run("vips", "black", file, width, height, "--bands", 3);
    fs.copyFileSync(file, made);
    const tag = format === ".jpg" ? "ImageDescription" : "XMP-dc:Description";
    if (caption) run("exiftool", "-q", "-overwrite_original", `-${tag}=${caption}`, made);
    fs.mkdirSync(within(set, "BIG"), { recursive: true });
    fs.renameSync(made, within(set, "BIG", original));
  }
  const batch = (...args) => run(opt.batch, "-q", "--fit", ...args, folder);
  batch("--title", texts.title, "--copyright", texts.copyright, "--copyright-link", texts.link);
  for (const { set, name } of pictures.filter((p) => p.screen === "-")) {
    fs.rmSync(within(set, "640", name));
  }
  batch("--no-jpgs");
  return pictures.map(({ name, size, screen, caption }) => [
    caption.replace(/[\0-\x1f\x7f]/g, " ").trim() || bytes(name).toString().replace(/\.\w+$/, ""),
    size, ...screen === "-" ? [] : ["2x"]].join(" ")).sort();
}

const out = path.resolve(opt.out);
const site = path.join(out, "site");
const album = path.join(site, "album");
fs.rmSync(out, { recursive: true, force: true });
fs.mkdirSync(album, { recursive: true });
const model = makeAlbum(album, fs.mkdtempSync(path.join(out, "work-")));
const pages = fs.readdirSync(album).filter((name) => /^(index\.html|page\d\d\.htm)$/.test(name))
    .sort();
check(pages.join() === "index.html,page01.htm", `the pages written: ${pages}`);

// html-validate's recommended rules find nothing on any page.
const validator = new HtmlValidate({ extends: ["html-validate:recommended"] });
for (const name of pages) {
  const report = await validator.validateString(fs.readFileSync(path.join(album, name), "utf8"));
  const found = report.results.flatMap((r) => r.messages)
      .map((m) => `${m.line}:${m.column} ${m.ruleId} ${m.message}`);
  check(report.valid, `html-validate ${name}:\n${found.join("\n")}`);
}

const { server, origin } = await serve(site);
const base = `${origin}album/`;
const browser = await chromium.launch({ executablePath: opt.chromium, args: ["--no-sandbox"] });
const tags = ["wcag2a", "wcag2aa", "wcag21a", "wcag21aa"];
const axe = async (page, what) => {
  await page.addScriptTag({ path: axePath });
  const { violations } = await page.evaluate(
      (values) => window.axe.run({ runOnly: { type: "tag", values } }), tags);
  check(!violations.length, `axe ${what}: ${JSON.stringify(violations.map(
      (v) => [v.id, v.nodes.map((n) => n.target)]))}`);
};
// Where the visitor is: "FILE#ID" when the viewer shows picture ID (loaded, and named by the
// address), else "FILE ID" with the focus on picture ID's link, and " (Forward)" when the
// history has an entry ahead.
const where = (page) => page.evaluate(() => {
  const [dialog, file] = [document.querySelector("dialog"), location.pathname.split("/").pop()];
  const link = [...document.querySelectorAll(".grid a")].find((a) => a.href === dialog?.querySelector("img").src);
  const shown = link && dialog.querySelector("img").complete ? `#${link.id}` : "(loading)";
  return dialog?.open ? file + (shown === location.hash ? shown : ` ${shown} at ${location.hash}`)
      : `${file}${location.hash} ${document.activeElement?.id || "-"}${navigation.canGoForward ? " (Forward)" : ""}`;
});
const reach = async (page, expected, what) => {
  let now;
  for (const until = Date.now() + 5000; (now = await where(page).catch(() => "(navigating)")) !== expected && Date.now() < until;)
    await page.waitForTimeout(50);
  check(now === expected, `${what}: ${now}, not ${expected}`);
};
const swipe = (page, from, to) => page.evaluate(([from, to]) => {
  const dialog = document.querySelector("dialog");
  const touch = (x) => new Touch({ identifier: 1, target: dialog, clientX: x, clientY: 400 });
  dialog.dispatchEvent(new TouchEvent("touchstart", { touches: [touch(from)], bubbles: true }));
  dialog.dispatchEvent(new TouchEvent("touchend", { changedTouches: [touch(to)], bubbles: true }));
}, [from, to]);

const pictures = new Set();  // the pictures that answered
const shown = [];  // the pictures as the pages show them, as makeAlbum returns them
try {
  // Each page at each width: no sideways scrolling, pictures side by side, nothing for axe,
  // every link, picture and file it names answers, and none leaves the album but the
  // copyright link.
  for (const [width, height, perRow] of [[320, 640, 2], [390, 844, 2], [1280, 900, 4]]) {
    // Phones lay a page out at its viewport's width only when the page asks for it.
    const isMobile = width < 1000;
    const context = await browser.newContext({ viewport: { width, height }, isMobile });
    const page = await context.newPage();
    for (const name of pages) {
      await page.goto(base + name, { waitUntil: "load" });
      // The longest row: a set of one picture has a row of one.
      const layout = await page.evaluate(() => {
        const rows = {};
        for (const li of document.querySelectorAll(".grid li")) rows[li.offsetTop] = (rows[li.offsetTop] ?? 0) + 1;
        return { wide: document.documentElement.scrollWidth - innerWidth, width: innerWidth,
                 row: Math.max(...Object.values(rows)) };
      });
      check(layout.width === width && layout.wide <= 0 && layout.row >= perRow,
            `${name} at ${width}: ${JSON.stringify(layout)}`);
      await axe(page, `${name} at ${width}`);
      if (width !== 390) continue;
      shown.push(...await page.evaluate(() => [...document.querySelectorAll(".grid img")].map(
          (img) => [img.alt, `${img.getAttribute("width")}x${img.getAttribute("height")}`,
                    ...img.srcset ? ["2x"] : []].join(" "))));
      const urls = await page.evaluate(() => [
        ...[...document.querySelectorAll("[href], [src]")].map((e) => e.href ?? e.src),
        ...[...document.querySelectorAll("[srcset]")].flatMap(
            (e) => e.srcset.split(",").map((s) => new URL(s.trim().split(" ")[0], location).href)),
      ]);
      const outside = urls.filter((url) => !url.startsWith(base));
      check(outside.join() === "https://ann.example/?a=1&b=2", `${name} links out: ${outside}`);
      for (const url of new Set(urls.filter((url) => url.startsWith(base)))) {
        const answer = await context.request.get(url);
        check(answer.ok(), `${name}: ${url} answers`);
        if (answer.headers()["content-type"] === "image/jpeg") pictures.add(url);
      }
    }
    // The viewer open passes axe too.
    await page.goto(`${base}index.html#p2`);
    await reach(page, "index.html#p2", `at ${width}`);
    await axe(page, `the viewer at ${width}`);
    await context.close();
  }
  const differ = (a, b) => a.filter((picture) => !b.includes(picture)).join("\n");
  check(shown.sort().join() === model.join(), `the pages show\n${differ(shown, model)}\n` +
        `and not\n${differ(model, shown)}`);

  // The viewer, step by step: what the visitor does, and where it leaves them. The keyboard
  // alone opens a picture, walks through the album (across its pages too) and closes it on the
  // picture's link; a "#" link opens a picture; Escape after a click goes back over the entry
  // the click added, Back after a click closes the picture on the page, and a "#" link opened
  // after that closes where it is, leaving no history entry ahead; a swipe to the left shows the
  // next picture, to the right the one before.
  const context = await browser.newContext({ viewport: { width: 1280, height: 900 }, hasTouch: true });
  const page = await context.newPage();
  const steps = {
    go: (file) => page.goto(base + file),
    tab: async (id) => {
      for (let i = 0; i < 20 && await page.evaluate(() => document.activeElement.id) !== id; i++)
        await page.keyboard.press("Tab");
    },
    press: (key) => page.keyboard.press(key),
    click: (id) => page.locator(`#${id}`).click(),
    back: () => page.goBack(),
    swipe: (from, to) => swipe(page, Number(from), Number(to)),
  };
  for (const [step, expected] of [
    ["go index.html", "index.html -"], ["tab p1", "index.html p1"],
    ["press Enter", "index.html#p1"], ["press ArrowRight", "index.html#p2"],
    ["press ArrowRight", "index.html#p3"], ["press ArrowLeft", "index.html#p2"],
    ["press Escape", "index.html p2 (Forward)"],
    ["go index.html#p200", "index.html#p200"], ["press ArrowRight", "page01.htm#p201"],
    ["press ArrowLeft", "index.html#p200"], ["press Escape", "index.html p200"],
    ["click p5", "index.html#p5"], ["press Escape", "index.html p5 (Forward)"],
    ["click p5", "index.html#p5"], ["back", "index.html p5 (Forward)"],
    ["go index.html#p3", "index.html#p3"], ["swipe 300 80", "index.html#p4"],
    ["swipe 80 300", "index.html#p3"], ["press Escape", "index.html p3"],
  ]) {
    const [name, ...args] = step.split(" ");
    await steps[name](...args);
    await reach(page, expected, step);
  }
  await context.close();

  // Without JavaScript every picture's link leads to a picture that answers, and a click on
  // the first and the last of a page opens it.
  const plain = await browser.newContext({ javaScriptEnabled: false });
  const still = await plain.newPage();
  for (const name of pages) {
    await still.goto(base + name);
    const links = await still.evaluate(() => [...document.querySelectorAll(".grid a")].map(
        (a) => [a.id, a.href]));
    const lost = links.filter(([, url]) => !pictures.has(url));
    check(links.length && !lost.length, `${name} without scripts: ${lost.join(" ")} do not open`);
    for (const [id, url] of [links[0], links.at(-1)]) {
      await still.goto(base + name);
      await Promise.all([still.waitForURL(url), still.locator(`#${id}`).click()]);
      const shown = await still.evaluate(() => document.images[0]?.naturalWidth > 0);
      check(shown, `${name}: ${id} opens ${url} without scripts`);
    }
  }
  await plain.close();
} catch (error) {
  check(false, `the browser test ran to its end: ${error.stack ?? error}`);
} finally {
  await browser.close();
  server.close();
}
console.log(`browser_modern: ${failed ? failed + " failed" : "passed"}`);
process.exit(failed ? 1 : 0);
