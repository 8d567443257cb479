// Relays script calls from a test program to the map page in headless Chromium.
//
//   node tests/map/relay.mjs PAGE
//
// Opens the page file in Debian's /usr/bin/chromium (through playwright-core; never a
// downloaded browser), prints {"ready":true} once it is loaded, then reads one JSON request
// per line on stdin and prints one JSON answer per line on stdout:
//   {"call":"Name","args":[...]}  calls window.Name(...args): {"ok":true,"result":"text"}
//   {"eval":"expression"}         the expression's value as text
//   {"click":"css selector"}      a real mouse click on the element
//   {"clickAt":[x,y]}             a real mouse click at a point of the viewport
//   {"drag":"css selector","dx":n,"dy":n}  the element dragged by the mouse, in steps
//   {"screenshot":"file.png"}     the page as it looks now
// A failure answers {"ok":false,"error":"..."}. The page's console errors and uncaught
// exceptions go to stderr. Alerts are dismissed (and reported on stderr).
import path from 'node:path';
import readline from 'node:readline';
import { pathToFileURL } from 'node:url';
import { chromium } from 'playwright-core';

const pageFile = process.argv[2];
if (!pageFile) {
  process.stderr.write('usage: node relay.mjs PAGE\n');
  process.exit(2);
}

const write = (answer) => process.stdout.write(JSON.stringify(answer) + '\n');
const asText = (value) => (value === undefined || value === null ? '' : String(value));

const browser = await chromium.launch({
  executablePath: process.env.WAYLOOM_CHROMIUM || '/usr/bin/chromium',
  headless: true,
  args: ['--allow-file-access-from-files', '--no-sandbox', '--disable-gpu'],
});
let exitCode = 0;
try {
  const page = await browser.newPage({ viewport: { width: 1024, height: 768 } });
  page.on('console', (message) => {
    if (message.type() === 'error') process.stderr.write(`page console: ${message.text()}\n`);
  });
  page.on('pageerror', (error) => process.stderr.write(`page error: ${error.message}\n`));
  page.on('dialog', async (dialog) => {
    process.stderr.write(`page alert: ${dialog.message()}\n`);
    await dialog.dismiss();
  });
  await page.goto(pathToFileURL(path.resolve(pageFile)).href, { waitUntil: 'load' });
  write({ ready: true });

  const lines = readline.createInterface({ input: process.stdin, crlfDelay: Infinity });
  for await (const line of lines) {
    if (!line.trim()) continue;
    let request;
    try {
      request = JSON.parse(line);
    } catch (error) {
      write({ ok: false, error: `bad request: ${error.message}` });
      continue;
    }
    try {
      let result = '';
      if (typeof request.call === 'string') {
        result = await page.evaluate(([name, args]) => {
          const fn = window[name];
          if (typeof fn !== 'function') throw new Error(`the page has no function ${name}`);
          const value = fn.apply(window, args);
          return value === undefined || value === null ? '' : String(value);
        }, [request.call, Array.isArray(request.args) ? request.args : []]);
      } else if (typeof request.eval === 'string') {
        result = asText(await page.evaluate(request.eval));
      } else if (typeof request.click === 'string') {
        await page.click(request.click, { timeout: 5000 });
      } else if (Array.isArray(request.clickAt)) {
        await page.mouse.click(Number(request.clickAt[0]), Number(request.clickAt[1]));
      } else if (typeof request.drag === 'string') {
        const box = await page.locator(request.drag).first().boundingBox({ timeout: 5000 });
        if (!box) throw new Error(`nothing to drag at ${request.drag}`);
        const x = box.x + box.width / 2, y = box.y + box.height / 2;
        await page.mouse.move(x, y);
        await page.mouse.down();
        await page.mouse.move(x + Number(request.dx || 0), y + Number(request.dy || 0), { steps: 10 });
        await page.mouse.up();
      } else if (typeof request.screenshot === 'string') {
        await page.screenshot({ path: request.screenshot });
      } else {
        throw new Error('unknown request');
      }
      write({ ok: true, result });
    } catch (error) {
      write({ ok: false, error: String(error && error.message ? error.message : error) });
    }
  }
} catch (error) {
  process.stderr.write(`relay: ${error && error.message ? error.message : error}\n`);
  exitCode = 1;
} finally {
  await browser.close();
}
process.exit(exitCode);
