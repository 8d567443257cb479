// Test harness for the map page: assembles a page in the program's order, serves it with fake
// tile, route and address services on 127.0.0.1, and drives Debian's chromium headless.
'use strict';
const fs = require('fs');
const http = require('http');
const os = require('os');
const path = require('path');
const zlib = require('zlib');
const { execFileSync } = require('child_process');

const ROOT = path.resolve(__dirname, '../..');
const CHROMIUM = '/usr/bin/chromium';

function skipReason() {
  if (!fs.existsSync(CHROMIUM)) return 'no /usr/bin/chromium';
  try { require.resolve('playwright-core', { paths: [ROOT] }); } catch { return 'no node_modules (npm ci)'; }
  return null;
}

function stringTable() {
  const table = {};
  for (const line of fs.readFileSync(path.join(ROOT, 'resources/strings.txt'), 'utf8').split('\n')) {
    const m = /^(\d+)\t(.*)$/.exec(line.replace(/\r$/, ''));
    if (m) table[m[1]] = m[2].replace(/\\(.)/g, (_, c) => ({ n: '\n', r: '\r', t: '\t', '\\': '\\' }[c] ?? c));
  }
  return table;
}

// The formats the map contract gives, for ids the string table does not hold yet.
const CONTRACT_FORMATS = {
  14325: '<meta name="wayloom-map-language" content="%s" />\r\n',
  14328: '<style type="text/css">\r\nhtml, body, #Map\r\n{\r\n\tmargin: 0px;\r\n\twidth: 100%;\r\n\theight: 100%;\r\n\tfont: 12px Arial;\r\n\toverflow: hidden;\r\n}\r\n',
  14330: 'var e_szMarkerImgUrl = "file:///%s/MarkerImage/";\r\n',
  14470: 'var e_szTileUrl       = "%s";\r\n',
  14471: 'var e_szRouteHost     = "%s";\r\n',
  14472: 'var e_szAddressHost   = "%s";\r\n',
};
const LANGUAGES = ['zh-TW', 'zh-CN', 'en', 'en-GB', 'en-AU', 'fr', 'de', 'ja', 'es'];

function format(fmt, ...args) {
  return fmt.replace(/%(\.2x|s|d)/g, (_, kind) => {
    const v = args.shift();
    return kind === '.2x' ? Number(v).toString(16).padStart(2, '0') : String(v);
  });
}

function resource(id) {
  const manifest = fs.readFileSync(path.join(ROOT, 'resources/map/resources.txt'), 'utf8');
  for (const line of manifest.split('\n')) {
    const [ident, pieces] = line.split('\t');
    if (ident === String(id)) {
      return pieces.trim().split(/\s+/).map((p) => fs.readFileSync(path.join(ROOT, p), 'utf8')).join('');
    }
  }
  throw new Error(`no resource ${id}`);
}

// A name as the program escapes it for AddMarker('...').
function escapeForScript(name) {
  let out = '';
  for (const ch of name) {
    const code = ch.codePointAt(0);
    let piece;
    if (ch === "'" || ch === '\\') piece = '\\' + ch;
    else if ('<>&'.includes(ch) || code < 0x20 || code === 0x7f || code === 0x2028 || code === 0x2029) {
      piece = '\\u' + code.toString(16).padStart(4, '0');
    } else piece = ch;
    if (out.length + piece.length > 510) break;
    out += piece;
  }
  return out;
}

// rows: [{name, lat, lng, dest}] with lat/lng as decimal texts.
function assemblePage(rows, options = {}) {
  const strings = stringTable();
  const s = (id) => strings[id] ?? CONTRACT_FORMATS[id];
  const lang = options.lang ?? 0;
  const flag = (b) => (b ? 'true' : 'false');
  const o = { lngFirst: false, dms: false, compass: false, metric: true, cookie: false, updateName: false, flash: false, ...options };
  let page = resource(19000);
  page += format(s(14325), LANGUAGES[lang]);
  page += s(14328);
  page += format(s(14329), 'normal', 400, 13, 'Arial', 0, 0, 0);
  page += resource(19001);
  page += options.markerUrl
    ? `var e_szMarkerImgUrl = "${options.markerUrl}";\r\n`
    : format(s(14330), options.programFolder);
  [o.lngFirst, o.dms, o.compass, o.metric, o.cookie, o.updateName, o.flash].forEach((b, i) => {
    page += format(s(14331 + i), flag(b));
  });
  page += format(s(14470), options.tileUrl) + format(s(14471), options.routeHost) + format(s(14472), options.addressHost);
  page += s(14338);
  for (const row of rows) page += format(s(14339), escapeForScript(row.name), row.lat, row.lng, flag(row.dest !== false));
  page += resource(19002 + lang);
  return page;
}

// One plain map tile: a light land colour with a faint grid, so screenshots show the tiles.
function tilePng() {
  const size = 256;
  const raw = Buffer.alloc((size * 3 + 1) * size);
  for (let y = 0; y < size; y++) {
    raw[y * (size * 3 + 1)] = 0;
    for (let x = 0; x < size; x++) {
      const edge = x === 0 || y === 0;
      const o = y * (size * 3 + 1) + 1 + x * 3;
      raw[o] = edge ? 215 : 236; raw[o + 1] = edge ? 210 : 232; raw[o + 2] = edge ? 200 : 222;
    }
  }
  const chunk = (type, data) => {
    const len = Buffer.alloc(4); len.writeUInt32BE(data.length);
    const body = Buffer.concat([Buffer.from(type), data]);
    const crc = Buffer.alloc(4); crc.writeUInt32BE(zlib.crc32 ? zlib.crc32(body) : crc32(body));
    return Buffer.concat([len, body, crc]);
  };
  const header = Buffer.alloc(13);
  header.writeUInt32BE(size, 0); header.writeUInt32BE(size, 4); header[8] = 8; header[9] = 2;
  return Buffer.concat([Buffer.from([0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a]),
    chunk('IHDR', header), chunk('IDAT', zlib.deflateSync(raw)), chunk('IEND', Buffer.alloc(0))]);
}

function crc32(buf) {
  let c, crc = 0xffffffff;
  for (const b of buf) {
    c = (crc ^ b) & 0xff;
    for (let k = 0; k < 8; k++) c = c & 1 ? 0xedb88320 ^ (c >>> 1) : c >>> 1;
    crc = (crc >>> 8) ^ c;
  }
  return (crc ^ 0xffffffff) >>> 0;
}

function markerFolder() {
  const built = path.join(ROOT, 'build/native/MarkerImage');
  if (fs.existsSync(path.join(built, 'Red100.png'))) return built;
  const folder = path.join(os.tmpdir(), 'wayloom-page-test-markers');
  if (!fs.existsSync(path.join(folder, 'Crosshair.png'))) {
    execFileSync('python3', [path.join(ROOT, 'tools/make_markers.py'), folder]);
  }
  return folder;
}

// A straight "road" through a midpoint, about 12 m/s.
function defaultRoute(a, b) {
  const rad = Math.PI / 180;
  const dLat = (b[1] - a[1]) * rad, dLng = (b[0] - a[0]) * rad;
  const h = Math.sin(dLat / 2) ** 2 + Math.cos(a[1] * rad) * Math.cos(b[1] * rad) * Math.sin(dLng / 2) ** 2;
  const distance = Math.round(2 * 6371000 * Math.asin(Math.sqrt(h)) * 1.3);
  const mid = [(a[0] + b[0]) / 2 + 0.004, (a[1] + b[1]) / 2 - 0.003];
  return { status: 200, body: { code: 'Ok', routes: [{ distance, duration: distance / 12, geometry: { type: 'LineString', coordinates: [a, mid, b] } }] } };
}

// The fake services. handlers.route(from, to, request) and handlers.address(lat, lon, query)
// return {status, body}; requests are logged.
function startServices() {
  const tile = tilePng();
  const markers = markerFolder();
  const services = {
    log: [], pages: {}, inFlightRoutes: 0, maxInFlightRoutes: 0,
    route: defaultRoute, defaultRoute,
    address: () => ({ status: 200, body: { display_name: '', address: {} } }),
  };
  const server = http.createServer((req, res) => {
    const url = new URL(req.url, 'http://127.0.0.1');
    services.log.push(url.pathname + url.search);
    const send = (status, type, body) => {
      res.writeHead(status, { 'Content-Type': type, 'Access-Control-Allow-Origin': '*' });
      res.end(body);
    };
    const json = (r) => send(r.status, 'application/json', JSON.stringify(r.body ?? {}));
    if (url.pathname.startsWith('/tiles/')) return send(200, 'image/png', tile);
    if (url.pathname.startsWith('/MarkerImage/')) {
      const file = path.join(markers, path.basename(url.pathname));
      return fs.existsSync(file) ? send(200, 'image/png', fs.readFileSync(file)) : send(404, 'text/plain', '');
    }
    if (url.pathname.startsWith('/page/')) {
      const page = services.pages[path.basename(url.pathname)];
      return page ? send(200, 'text/html; charset=utf-8', page) : send(404, 'text/plain', '');
    }
    if (url.pathname.startsWith('/route/v1/driving/')) {
      const [a, b] = url.pathname.slice('/route/v1/driving/'.length).split(';').map((p) => p.split(',').map(Number));
      services.inFlightRoutes++;
      services.maxInFlightRoutes = Math.max(services.maxInFlightRoutes, services.inFlightRoutes);
      const reply = services.route(a, b, url);
      return setTimeout(() => { services.inFlightRoutes--; json(reply); }, 20);
    }
    if (url.pathname === '/reverse') {
      return json(services.address(url.searchParams.get('lat'), url.searchParams.get('lon'), url.searchParams));
    }
    send(404, 'text/plain', '');
  });
  return new Promise((resolve) => server.listen(0, '127.0.0.1', () => {
    services.base = `http://127.0.0.1:${server.address().port}`;
    services.close = () => new Promise((r) => server.close(r));
    resolve(services);
  }));
}

async function launchBrowser() {
  const { chromium } = require(require.resolve('playwright-core', { paths: [ROOT] }));
  return chromium.launch({ executablePath: CHROMIUM, headless: true });
}

// A new page for the rows, served over loopback (cookies need an http page); every request
// that leaves the loopback is refused.
async function openPage(browser, services, rows, options = {}) {
  const name = `p${Object.keys(services.pages).length}.html`;
  services.pages[name] = assemblePage(rows, {
    markerUrl: `${services.base}/MarkerImage/`, tileUrl: `${services.base}/tiles/{z}/{x}/{y}.png`,
    routeHost: services.base, addressHost: services.base, ...options,
  });
  const context = options.context ?? await browser.newContext({ viewport: options.viewport ?? { width: 900, height: 650 } });
  await context.route('**/*', (route) => {
    const url = route.request().url();
    return url.startsWith('http://127.0.0.1:') || url.startsWith('file:') ? route.continue() : route.abort();
  });
  const page = await context.newPage();
  page.dialogs = [];
  page.on('dialog', (d) => { page.dialogs.push(d.message()); d.dismiss(); });
  page.errors = [];
  page.on('pageerror', (e) => page.errors.push(String(e)));
  await page.goto(`${services.base}/page/${name}`);
  await page.waitForFunction(() => typeof WlmTestState === 'function' && JSON.parse(WlmTestState()).ready);
  return page;
}

const state = async (page) => JSON.parse(await page.evaluate(() => WlmTestState()));

module.exports = { ROOT, skipReason, assemblePage, escapeForScript, startServices, launchBrowser, openPage, state, LANGUAGES };
