// The real-browser test: albums that snapnook-batch made, opened in headless Chromium.
//
//   node album_test.mjs --batch BIN --maker BIN --default DIR --npm DIR --chromium BIN --out DIR
//
// Makes two source folders (make_browser_albums), runs snapnook-batch on them, serves them
// from a loopback HTTP server and checks in the browser that index.html forwards to page01.htm,
// that every picture of every page has loaded, that every picture link answers, that the
// navigation links chain the pages and that clicking a picture opens the viewer on it.
// Screenshots of page01.htm and of the viewer go into OUT/artifacts.
import { spawnSync } from "node:child_process";
import fs from "node:fs";
import http from "node:http";
import { createRequire } from "node:module";
import os from "node:os";
import path from "node:path";
import { parseArgs } from "node:util";

const { values: opt } = parseArgs({
  options: {
    batch: { type: "string" },
    maker: { type: "string" },
    default: { type: "string" },
    npm: { type: "string" },
    chromium: { type: "string" },
    out: { type: "string" },
  },
});
for (const name of ["batch", "maker", "default", "npm", "chromium", "out"]) {
  if (!opt[name]) throw new Error(`album_test.mjs: --${name} is missing`);
}

let chromium;
try {
  ({ chromium } = createRequire(path.join(opt.npm, "package.json"))("playwright-core"));
} catch (error) {
  console.error(`playwright-core is not installed in ${opt.npm}; run: npm ci --prefix ${opt.npm}`);
  process.exit(1);
}

// ---- checks ----------------------------------------------------------------------------
let passed = 0;
let failed = 0;
function check(ok, what) {
  if (ok) {
    passed++;
  } else {
    failed++;
    console.error(`FAILED: ${what}`);
  }
  return ok;
}

// ---- the albums ------------------------------------------------------------------------
const out = path.resolve(opt.out);
const site = path.join(out, "site");
const artifacts = path.join(out, "artifacts");
const home = path.join(out, "home");
fs.rmSync(out, { recursive: true, force: true });
fs.mkdirSync(site, { recursive: true });
fs.mkdirSync(artifacts, { recursive: true });
fs.mkdirSync(home, { recursive: true });

function run(command, args) {
  // An empty home: no remembered settings, no backup `default` folder.
  const env = { ...process.env, HOME: home };
  delete env.XDG_CONFIG_HOME;
  const result = spawnSync(command, args, { env, encoding: "utf8" });
  if (result.error) throw result.error;
  if (result.stderr) process.stderr.write(result.stderr);
  return result.status;
}

check(run(opt.maker, [site]) === 0, "make_browser_albums made the source folders");
check(run(opt.batch, ["--title", "Odd names", "-q", path.join(site, "odd")]) === 0,
      "snapnook-batch made the album of odd names without an error");
check(run(opt.batch, ["--title", "Portrait and landscape", "--no-640", "-q",
                      path.join(site, "mixed")]) === 0,
      "snapnook-batch made the album without 640x480 files without an error");
for (const album of ["odd", "mixed"]) {
  for (const viewer of ["show480.html", "show640.html"]) {
    check(fs.existsSync(path.join(site, album, viewer)), `${album}/${viewer} was copied`);
  }
}
// The pages link to ../default/ beside the album, as a publisher would set it up.
fs.cpSync(opt.default, path.join(site, "default"), { recursive: true });

// ---- the server ------------------------------------------------------------------------
const types = { ".htm": "text/html", ".html": "text/html", ".jpg": "image/jpeg" };
const server = http.createServer((request, response) => {
  let file;
  try {
    const pathname = decodeURIComponent(new URL(request.url, "http://localhost").pathname);
    file = path.join(site, pathname);
  } catch {
    file = null;
  }
  if (!file || !file.startsWith(site + path.sep)) {
    response.writeHead(400).end();
    return;
  }
  fs.readFile(file, (error, data) => {
    if (error) {
      response.writeHead(404).end();
      return;
    }
    const type = types[path.extname(file).toLowerCase()] ?? "application/octet-stream";
    response.writeHead(200, { "Content-Type": type, "Cache-Control": "no-store" }).end(data);
  });
});
await new Promise((resolve) => server.listen(0, "127.0.0.1", resolve));
const origin = `http://127.0.0.1:${server.address().port}`;

// ---- the browser -----------------------------------------------------------------------
const profile = fs.mkdtempSync(path.join(os.tmpdir(), "snapnook-chromium-"));
const context = await chromium.launchPersistentContext(profile, {
  executablePath: opt.chromium,
  headless: true,
  viewport: { width: 1280, height: 900 },
  args: [
    "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
    "--disable-background-networking", "--disable-component-update", "--disable-sync",
  ],
});
context.setDefaultTimeout(15000);

// What the page's pictures and links are, as the browser sees them.
async function pageFacts(page) {
  return page.evaluate(() => {
    const links = Array.from(document.querySelectorAll("a[href]"));
    return {
      images: Array.from(document.images).map((img) => ({
        src: img.src,
        loaded: img.complete && img.naturalWidth > 0,
        onclick: img.getAttribute("onclick"),
      })),
      pictureLinks: links.filter((a) => /^\[(original|rotated)\]$/.test(a.textContent))
                         .map((a) => a.href),
      nav: Object.fromEntries(
          [["previous", "<= Previous Page"], ["first", "Page 1"], ["index", "Index Page"],
           ["next", "Next Page =>"]]
              .map(([key, text]) => [key, links.filter((a) => a.textContent === text)
                                                .map((a) => a.href)])),
    };
  });
}

// The picture a viewer link opens, from an onclick "fnOpen2('SET1/640/IMG1.JPG')".
function viewerTarget(onclick, pageUrl) {
  const match = /^fnOpen[12]\('(.*)'\)$/.exec(onclick ?? "");
  return match ? new URL(match[1], pageUrl).href : null;
}

async function answers(url) {
  const response = await context.request.get(url);
  return response.status() === 200 &&
         (response.headers()["content-type"] ?? "").startsWith("image/jpeg");
}

async function checkAlbum(name, pictures, portraits, pageCount) {
  const base = `${origin}/${encodeURIComponent(name)}/`;
  const pageUrl = (n) => `${base}page${String(n).padStart(2, "0")}.htm`;
  const page = await context.newPage();

  await page.goto(base + "index.html");
  await page.waitForURL(pageUrl(1), { timeout: 10000 });
  check(page.url() === pageUrl(1), `${name}: index.html forwards to page01.htm`);

  // Every numbered page, reached through its Next link.
  let seen = 0;
  const targets = new Set();
  for (let n = 1; n <= pageCount; n++) {
    if (n > 1) {
      await page.click("text=Next Page =>");
      await page.waitForURL(pageUrl(n));
    }
    await page.waitForLoadState("load");
    const facts = await pageFacts(page);
    const here = `${name}/page${String(n).padStart(2, "0")}.htm`;
    for (const img of facts.images) {
      check(img.loaded, `${here}: picture ${img.src} has loaded`);
      const target = viewerTarget(img.onclick, page.url());
      if (check(target, `${here}: picture ${img.src} opens the viewer`)) targets.add(target);
    }
    for (const link of facts.pictureLinks) targets.add(link);
    seen += facts.images.length;
    check(facts.nav.previous.every((href) => href === pageUrl(n - 1)) &&
              facts.nav.previous.length === 2,
          `${here}: both previous links lead to page ${n - 1}`);
    check(facts.nav.first.every((href) => href === pageUrl(1)) && facts.nav.first.length === 2,
          `${here}: both Page 1 links lead to page01.htm`);
    check(facts.nav.index.every((href) => href === pageUrl(0)) && facts.nav.index.length === 2,
          `${here}: both index links lead to page00.htm`);
    const nextLinks = n < pageCount ? 2 : 0;
    check(facts.nav.next.every((href) => href === pageUrl(n + 1)) &&
              facts.nav.next.length === nextLinks,
          `${here}: ${nextLinks} next links`);
  }
  check(seen === pictures, `${name}: the numbered pages show ${pictures} pictures (${seen})`);

  // Back through the Previous links to the index page.
  for (let n = pageCount; n >= 1; n--) {
    await page.click("text=<= Previous Page");
    await page.waitForURL(pageUrl(n - 1));
  }
  check(page.url() === pageUrl(0), `${name}: the previous links lead back to the index page`);
  await page.waitForLoadState("load");
  const index = await pageFacts(page);
  check(index.images.length === pictures && index.images.every((img) => img.loaded),
        `${name}/page00.htm: all ${pictures} thumbnails have loaded`);
  check(index.nav.next.length === 2 && index.nav.next.every((href) => href === pageUrl(1)),
        `${name}/page00.htm: leads to page01.htm`);

  for (const target of targets) {
    check(await answers(target), `${name}: ${target} answers 200 with a picture`);
  }
  // One viewer target a picture, and one more link for a portrait picture's sideways original.
  check(targets.size === pictures + portraits,
        `${name}: ${pictures + portraits} picture links (${targets.size})`);

  await page.goto(pageUrl(1));
  await page.waitForLoadState("load");
  await page.screenshot({ path: path.join(artifacts, `${name}-page01.png`), fullPage: true });
  await page.close();
}

// Clicks picture `index` of page01.htm and checks the viewer that opens.
async function checkViewer(name, index, viewerPage, screenshot) {
  const page = await context.newPage();
  await page.goto(`${origin}/${encodeURIComponent(name)}/page01.htm`);
  await page.waitForLoadState("load");
  const img = page.locator("img[onclick]").nth(index);
  const target = viewerTarget(await img.getAttribute("onclick"), page.url());
  const [viewer] = await Promise.all([context.waitForEvent("page"), img.click()]);
  await viewer.waitForLoadState("load");
  const url = new URL(viewer.url());
  check(url.pathname.endsWith("/" + viewerPage), `${name}: the viewer is ${viewerPage}`);
  await viewer.waitForFunction(() => {
    const picture = document.getElementById("picture");
    return picture && picture.complete && picture.naturalWidth > 0;
  });
  const shown = await viewer.evaluate(() => ({
    src: document.getElementById("picture").src,
    name: document.getElementById("name").textContent,
    background: getComputedStyle(document.body).backgroundColor,
    box: document.getElementById("picture").getBoundingClientRect().toJSON(),
    window: { width: window.innerWidth, height: window.innerHeight },
  }));
  check(shown.src === target, `${name}: the viewer shows ${target} (${shown.src})`);
  const file = decodeURIComponent(new URL(target).pathname.split("/").pop());
  check(shown.name.includes(file), `${name}: the viewer names the picture ${file}`);
  check(shown.background === "rgb(17, 17, 17)", `${name}: the viewer's background is dark`);
  check(shown.box.width <= shown.window.width && shown.box.height <= shown.window.height,
        `${name}: the picture fits the window`);
  await viewer.screenshot({ path: path.join(artifacts, screenshot) });
  // The page may be gone before the key press returns.
  await Promise.all([viewer.waitForEvent("close"), viewer.keyboard.press("Escape").catch(() => {})]);
  check(viewer.isClosed(), `${name}: Esc closes the viewer`);
  await page.close();
}

try {
  await checkAlbum("odd", 14, 2, 2);
  await checkAlbum("mixed", 12, 4, 2);
  // The CJK-named portrait picture, opened through fnOpen1 on show640.html.
  await checkViewer("odd", 5, "show640.html", "odd-viewer.png");
  // A landscape picture from the album whose links go into BIG.
  await checkViewer("mixed", 0, "show480.html", "mixed-viewer.png");
} catch (error) {
  check(false, `the browser test ran to its end: ${error.stack ?? error}`);
} finally {
  await context.close();
  server.close();
  fs.rmSync(profile, { recursive: true, force: true });
}

console.log(`Screenshots: ${artifacts}`);
console.log(`browser_album: ${passed} passed, ${failed} failed`);
process.exit(failed === 0 && passed > 0 ? 0 : 1);
