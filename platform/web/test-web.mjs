// The browser build's tests in headless Chromium (run by scripts/test-web.sh):
// the golden frames drawn by the page's WebGL against the desktop's
// references, then the real page: "Click to start", "Fullscreen?", frames
// drawn, Escape ends the show. Prints one line per check and the figures
// measured on the way; exits non-zero when a check fails.
// Usage: node test-web.mjs PAGE_DIR GOLDEN_DIR OUT_DIR
import { chromium } from "playwright-core";
import fs from "node:fs";
import http from "node:http";
import path from "node:path";

const [pageDir, goldenDir, outDir] = process.argv.slice(2).map((folder) => path.resolve(folder));
const kGoldenCount = 8;
const kTimeoutMs = 120000;
const kMeasureMs = 5000;

const types = { ".html": "text/html", ".js": "text/javascript", ".wasm": "application/wasm" };
function serve() {
  const server = http.createServer((request, response) => {
    const url = new URL(request.url, "http://localhost");
    const [root, rest] = url.pathname.startsWith("/golden/")
      ? [goldenDir, url.pathname.slice("/golden/".length)]
      : [pageDir, url.pathname.slice(1)];
    const file = path.join(root, rest || "index.html");
    if (!file.startsWith(root + path.sep) || !fs.existsSync(file)) {
      response.writeHead(404);
      response.end();
      return;
    }
    response.writeHead(200, { "Content-Type": types[path.extname(file)] || "application/octet-stream" });
    fs.createReadStream(file).pipe(response);
  });
  return new Promise((resolve) => server.listen(0, "127.0.0.1", () => resolve(server)));
}

// WebGL on SwiftShader; the networking flags keep Chromium from reaching out
// on a closed network, which makes it refuse connections many at a time.
const browserArgs = [
  "--headless", "--no-sandbox", "--disable-gpu", "--use-angle=swiftshader", "--enable-unsafe-swiftshader",
  "--disable-quic", "--no-first-run", "--disable-background-networking", "--disable-component-update",
  "--disable-sync", "--autoplay-policy=no-user-gesture-required",
];

let failures = 0;
function check(ok, text) {
  console.log(`${ok ? "ok  " : "FAIL"} ${text}`);
  if (!ok) failures++;
}

// Pixels of the page's screenshot brighter than near-black.
async function litPixels(page) {
  const shot = (await page.screenshot()).toString("base64");
  return page.evaluate(async (data) => {
    const image = new Image();
    image.src = "data:image/png;base64," + data;
    await image.decode();
    const canvas = document.createElement("canvas");
    canvas.width = image.width;
    canvas.height = image.height;
    const context = canvas.getContext("2d");
    context.drawImage(image, 0, 0);
    const pixels = context.getImageData(0, 0, image.width, image.height).data;
    let lit = 0;
    for (let i = 0; i < pixels.length; i += 4) lit += pixels[i] + pixels[i + 1] + pixels[i + 2] > 48;
    return lit;
  }, shot);
}

async function goldenFrames(browser, base) {
  const worst = [];
  for (let i = 0; i < kGoldenCount; i++) {
    const page = await browser.newPage();
    const started = Date.now();
    await page.goto(`${base}/golden/golden.html?frame=${i}`);
    await page.waitForFunction(() => window.goldenResult, null, { timeout: kTimeoutMs });
    const result = await page.evaluate(() => window.goldenResult);
    if (result.png) fs.writeFileSync(path.join(outDir, `golden-${result.name}.png`), Buffer.from(result.png));
    check(!result.error, `golden ${result.name}: largest pixel difference ${result.worst}, ` +
      `${(result.share * 100).toFixed(2)}% of pixels beyond the tolerance (${Date.now() - started} ms)` +
      (result.error ? `: ${result.error}` : ""));
    worst.push(result.worst);
    await page.close();
  }
  // A comparison that passed everything would hide every change: the heart
  // against the reference with the words must fail.
  const page = await browser.newPage();
  await page.goto(`${base}/golden/golden.html?frame=1&reference=3`);
  await page.waitForFunction(() => window.goldenResult, null, { timeout: kTimeoutMs });
  const wrong = await page.evaluate(() => window.goldenResult);
  check(Boolean(wrong.error) && wrong.share > 0, `another moment of the show does not match: ` +
    `${(wrong.share * 100).toFixed(2)}% of pixels beyond the tolerance`);
  await page.close();
  return worst;
}

async function smoke(browser, base) {
  const page = await browser.newPage({ viewport: { width: 800, height: 600 } });
  const errors = [];
  page.on("pageerror", (error) => errors.push(String(error)));
  const loadStarted = Date.now();
  await page.goto(`${base}/index.html`);
  await page.getByText("Click to start").waitFor({ timeout: kTimeoutMs });
  check(true, `the page says "Click to start" (${Date.now() - loadStarted} ms after loading began)`);
  await page.mouse.click(400, 300);
  await page.getByText("Fullscreen?").waitFor({ timeout: kTimeoutMs });
  check(true, 'a click asks "Fullscreen?"');
  const answered = Date.now();
  await page.getByRole("button", { name: "No" }).click();
  let lit = 0;
  while (Date.now() - answered < kTimeoutMs && (lit = await litPixels(page)) < 1000)
    await page.waitForTimeout(100);
  check(lit >= 1000, `frames are drawn: ${lit} lit pixels, first ${Date.now() - answered} ms after the answer`);
  const frames = await page.evaluate((ms) => new Promise((resolve) => {
    let count = 0;
    const end = performance.now() + ms;
    const tick = () => { count++; if (performance.now() < end) requestAnimationFrame(tick); else resolve(count); };
    requestAnimationFrame(tick);
  }), kMeasureMs);
  console.log(`     ${(frames / (kMeasureMs / 1000)).toFixed(1)} frames per second in headless Chromium`);
  await page.screenshot({ path: path.join(outDir, "page-playing.png") });
  await page.keyboard.press("Escape");
  await page.waitForFunction(() => window.demoEnded !== undefined, null, { timeout: kTimeoutMs }).catch(() => {});
  const ended = await page.evaluate(() => window.demoEnded);
  check(ended === 0, `Escape ends the show (exit status ${ended})`);
  check(errors.length === 0, `no script errors${errors.length ? ": " + errors.join("; ") : ""}`);
  await page.close();
}

fs.mkdirSync(outDir, { recursive: true });
const server = await serve();
const base = `http://127.0.0.1:${server.address().port}`;
const userDataDir = fs.mkdtempSync(path.join(outDir, "profile-"));
const context = await chromium.launchPersistentContext(userDataDir, {
  executablePath: "/usr/bin/chromium", args: browserArgs, headless: true,
});
try {
  await goldenFrames(context, base);
  await smoke(context, base);
} finally {
  await context.close();
  server.close();
  fs.rmSync(userDataDir, { recursive: true, force: true });
}
console.log(failures ? `${failures} web checks failed` : "all web checks passed");
process.exit(failures ? 1 : 0);
