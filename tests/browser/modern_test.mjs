// The real-browser test of the modern album: its pages opened in headless Chromium (Debian's)
// driven by playwright-core, checked by html-validate and axe-core from npm.
//
//   node modern_test.mjs --maker BIN --model FILE --npm DIR --chromium BIN --out DIR
//
// The album is made by one step, makeAlbum, from the model's text (see modern_album.txt).
import { spawnSync } from "node:child_process";
import fs from "node:fs";
import { createRequire } from "node:module";
import path from "node:path";
import { parseArgs } from "node:util";

import { serve } from "./serve.mjs";

const opt = parseArgs({ options: Object.fromEntries(["maker", "model", "npm", "chromium", "out"]
    .map((name) => [name, { type: "string" }])) }).values;
const require = createRequire(path.join(opt.npm, "package.json"));
const { chromium } = require("playwright-core");
const { HtmlValidate } = require("html-validate");
const axePath = require.resolve("axe-core/axe.min.js");
let failed = 0;
const check = (ok, what) => ok || (failed++, console.error(`FAILED: ${what}`));

// Makes the modern album of the model in `folder`.
function makeAlbum(folder) {
  const made = spawnSync(opt.maker, [opt.model, folder], { encoding: "utf8" });
  check(made.status === 0 && made.stderr === "", `the album was made: ${made.stderr}`);
}

const out = path.resolve(opt.out);
const site = path.join(out, "site");
const album = path.join(site, "album");
fs.rmSync(out, { recursive: true, force: true });
fs.mkdirSync(album, { recursive: true });
makeAlbum(album);
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
      const layout = await page.evaluate(() => {
        const items = [...document.querySelectorAll(".grid li")];
        return { wide: document.documentElement.scrollWidth - innerWidth, width: innerWidth,
                 row: items.filter((li) => li.offsetTop === items[0].offsetTop).length };
      });
      check(layout.width === width && layout.wide <= 0 && layout.row >= perRow,
            `${name} at ${width}: ${JSON.stringify(layout)}`);
      await axe(page, `${name} at ${width}`);
      if (width !== 390) continue;
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

  // The viewer, step by step: what the visitor does, and where it leaves them. The keyboard
  // alone opens a picture, walks through the album (across its pages too) and closes it on the
  // picture's link; a "#" link opens a picture; Escape after a click goes back over the entry
  // the click added, Back after a click closes the picture on the page (also when a "#" link
  // follows at once); a swipe to the left shows the next picture, to the right the one before.
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
    ["click p5", "index.html#p5"], ["back", null], ["go index.html#p3", "index.html#p3"], ["swipe 300 80", "index.html#p4"],
    ["swipe 80 300", "index.html#p3"], ["press Escape", "index.html p3"],
  ]) {
    const [name, ...args] = step.split(" ");
    await steps[name](...args);
    if (expected) await reach(page, expected, step);
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
