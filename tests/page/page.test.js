// The map page in headless chromium against fake services on loopback: the program's two entry
// points, marker clicks and drags, injection, the route layer, cookies and screenshots.
'use strict';
const { describe, it, before, after } = require('node:test');
const assert = require('node:assert');
const fs = require('fs');
const path = require('path');
const { skipReason, startServices, launchBrowser, openPage, state, assemblePage } = require('./harness');

const TAIPEI = [
  ['台北車站', '25.04776', '121.51700'], ['國立故宮博物院', '25.10236', '121.54849'], ['士林夜市', '25.08799', '121.52408'],
  ['中正紀念堂', '25.03461', '121.52175'], ['龍山寺', '25.03713', '121.49993'], ['西門町', '25.04209', '121.50780'],
  ['台北101', '25.03397', '121.56447'], ['象山步道', '25.02741', '121.57665'], ['松山文創園區', '25.04389', '121.56061'],
  ['饒河街觀光夜市', '25.05098', '121.57735'],
].map(([name, lat, lng], i) => ({ name, lat, lng, dest: i % 3 !== 1 }));

const reason = skipReason();

describe('map page in a browser', { skip: reason || false }, () => {
  let services, browser;
  before(async () => { services = await startServices(); browser = await launchBrowser(); });
  after(async () => { await browser?.close(); await services?.close(); });

  const put = (page, ...args) => page.evaluate((a) => PutGoogleMaps(...a), args);
  const poll = (page) => page.evaluate(() => GetGoogleMaps());

  it('follows PutGoogleMaps: reorder reuses markers, -K removes, 1 opens, 3 queues, 18+ flushes', async () => {
    const rows = TAIPEI.slice(0, 4);
    const page = await openPage(browser, services, rows);
    assert.strictEqual(await poll(page), 'Wayloom');
    assert.strictEqual(await poll(page), '');
    await page.evaluate(() => {
      window.created = 0;
      const original = CreateRecord;
      CreateRecord = function () { window.created++; return original.apply(this, arguments); };
    });
    // The table reversed: every marker moves, none is created.
    const reversed = [...rows].reverse();
    for (const [i, r] of reversed.entries()) assert.strictEqual(await put(page, 0, i + 1, r.name, r.lng, r.lat, r.dest ? 1 : 0), 0);
    assert.strictEqual(await put(page, 0, -5), 0);
    let s = await state(page);
    assert.deepStrictEqual(s.markers.map((m) => m.title), reversed.map((r) => r.name));
    assert.deepStrictEqual(s.markers.map((m) => m.image), ['Red1.png', 'Red2.png', 'Orange3.png', 'Red4.png']);
    assert.strictEqual(await page.evaluate(() => window.created), 0);
    // A changed position is a different marker; -K removes the rest.
    await put(page, 0, 1, reversed[0].name, '121.00000', reversed[0].lat, 1);
    await put(page, 0, -2);
    s = await state(page);
    assert.strictEqual(await page.evaluate(() => window.created), 1);
    assert.deepStrictEqual(s.markers.map((m) => [m.title, m.lng]), [[reversed[0].name, '121.00000']]);
    // 1,m opens; out of range closes.
    await put(page, 1, 1);
    s = await state(page);
    assert.deepStrictEqual([s.info.open, s.info.marker, s.markers[0].image], [true, 1, 'Yellow1.png']);
    assert.match(s.info.text, /名稱:中正紀念堂/);
    await put(page, 1, 2);
    assert.strictEqual((await state(page)).info.open, false);
    // 3 closes and queues the closing message.
    await put(page, 1, 1);
    await put(page, 3);
    s = await state(page);
    assert.deepStrictEqual([s.info.open, s.pending], [false, '<\t2']);
    assert.strictEqual(await poll(page), '<\t2');
    // 18+: the changed markers one by one, then 0.
    for (const [i, r] of rows.entries()) await put(page, 0, i + 1, r.name, r.lng, r.lat, 1);
    await put(page, 0, -5);
    await page.evaluate(() => { [2, 4].forEach((i) => { e_aMarkers[i].changed = true; e_aMarkers[i].lat += 0.001; }); });
    const flushed = [];
    let r = await put(page, 18);
    while (r) { flushed.push([r, await poll(page)]); r = await put(page, r + 18); }
    assert.deepStrictEqual(flushed, [
      [2, `<\t2\t${rows[1].name}\t${rows[1].lng}\t${rows[1].lat}\t${rows[1].name}\t${rows[1].lng}\t25.10336`],
      [4, `<\t2\t${rows[3].name}\t${rows[3].lng}\t${rows[3].lat}\t${rows[3].name}\t${rows[3].lng}\t25.03561`],
    ]);
    assert.strictEqual((await state(page)).markers.filter((m) => m.changed).length, 0);
    await page.context().close();
  });

  it('shows image 100 from index 100 on', async () => {
    const rows = Array.from({ length: 120 }, (_, i) => ({ name: `P${i + 1}`, lat: (25 + i * 0.001).toFixed(5), lng: '121.50000' }));
    const page = await openPage(browser, services, rows);
    const s = await state(page);
    assert.deepStrictEqual([99, 100, 120].map((i) => s.markers[i - 1].image), ['Red99.png', 'Red100.png', 'Red100.png']);
    await page.context().close();
  });

  it('queues a select on click, and the change message on a drag and 更新', async () => {
    services.address = () => ({ status: 200, body: { display_name: 'x', address: { city: '臺北市', suburb: '中正區', road: '中山南路', house_number: '21' } } });
    const page = await openPage(browser, services, TAIPEI.slice(3, 5), { viewport: { width: 800, height: 600 } });
    await poll(page);
    const icon = async (i) => page.evaluate((n) => { const r = e_aMarkers[n].lm._icon.getBoundingClientRect(); return [r.x + r.width / 2, r.y + r.height / 2]; }, i);
    let [x, y] = await icon(1);
    await page.mouse.click(x, y);
    assert.strictEqual(await poll(page), '<\t3\t中正紀念堂\t121.52175\t25.03461');
    assert.strictEqual((await state(page)).info.marker, 1);
    // Status hints come from the links' javascript: names.
    const links = await page.$$eval('#InfoWnd a', (as) => as.map((a) => a.getAttribute('href')));
    assert.deepStrictEqual(links, ['javascript:OnShowPrev()', 'javascript:OnShowNext()', 'javascript:OnDelete()', 'javascript:OnClose()']);
    await page.click('text=關閉');
    [x, y] = await icon(2);
    await page.mouse.move(x, y);
    await page.mouse.down();
    await page.mouse.move(x + 30, y + 20, { steps: 5 });
    await page.mouse.up();
    await page.waitForFunction(() => JSON.parse(WlmTestState()).info.open);
    const s = await state(page);
    const moved = s.markers[1];
    assert.deepStrictEqual([moved.changed, moved.image, moved.proposed], [true, 'Yellow2.png', '龍山寺@臺北市中正區中山南路21號']);
    assert.strictEqual(await poll(page), '<\t3\t龍山寺\t121.49993\t25.03713');
    await page.click('text=更新');
    await page.waitForFunction(() => e_szPending !== '');
    assert.strictEqual(await poll(page), `<\t2\t龍山寺\t121.49993\t25.03713\t龍山寺\t${moved.lng}\t${moved.lat}`);
    assert.notStrictEqual(moved.lng, '121.49993');
    await page.context().close();
  });

  it('shows hostile names literally and runs nothing', async () => {
    const names = ['</script><img src=x onerror=alert(1)>', '\'";\u2028x', 'a\\b & <b>bold</b>'];
    services.address = () => ({ status: 200, body: { display_name: '<img src=y onerror=alert(2)>', address: {} } });
    const page = await openPage(browser, services, names.map((name, i) => ({ name, lat: `25.0${i}000`, lng: '121.50000' })));
    await poll(page);
    const s = await state(page);
    assert.deepStrictEqual(s.markers.map((m) => m.title), names);
    assert.deepStrictEqual(await page.$$eval('.leaflet-marker-icon', (e) => e.map((i) => i.title)).then((t) => t.filter(Boolean)), names);
    for (let i = 1; i <= names.length; i++) {
      await put(page, 1, i);
      assert.ok((await state(page)).info.text.includes('名稱:' + names[i - 1]));
    }
    // A new place whose address is markup.
    const box = await page.locator('#Map').boundingBox();
    await page.mouse.click(box.x + 100, box.y + 400);
    await page.waitForFunction(() => JSON.parse(WlmTestState()).info.open);
    assert.match((await state(page)).info.text, /@<img src=y onerror=alert\(2\)座標:/);
    await page.waitForTimeout(200);
    assert.deepStrictEqual([page.dialogs, page.errors], [[], []]);
    assert.strictEqual(await page.$$eval('img[src="x"], img[src="y"]', (e) => e.length), 0);
    await page.context().close();
  });

  it('draws the route layer one request at a time, asks again after 429 and totals the lines', async () => {
    let refused = 0;
    services.maxInFlightRoutes = 0;
    services.route = (a, b) => {
      if (refused++ === 0) return { status: 429, body: {} };
      if (a[0] === 121.5 && b[0] === 121.6) return { status: 200, body: { code: 'NoRoute', routes: [] } };
      return { status: 200, body: { code: 'Ok', routes: [{ distance: 1500, duration: 300, geometry: { type: 'LineString', coordinates: [a, b] } }] } };
    };
    const rows = [['A', '25.00000', '121.40000'], ['B', '25.00000', '121.50000'], ['C', '25.10000', '121.60000'],
      ['D', '25.10000', '121.60000'], ['E', '25.20000', '121.60000']].map(([name, lat, lng]) => ({ name, lat, lng }));
    const page = await openPage(browser, services, rows);
    const before = services.log.length;
    await page.click('#Layer12');
    await page.waitForFunction(() => JSON.parse(WlmTestState()).route.lines === 2);
    const asked = services.log.slice(before).filter((u) => u.startsWith('/route/'));
    assert.deepStrictEqual(asked, [
      '/route/v1/driving/121.40000,25.00000;121.50000,25.00000?overview=full&geometries=geojson',
      '/route/v1/driving/121.40000,25.00000;121.50000,25.00000?overview=full&geometries=geojson',
      '/route/v1/driving/121.50000,25.00000;121.60000,25.10000?overview=full&geometries=geojson',
      '/route/v1/driving/121.60000,25.10000;121.60000,25.20000?overview=full&geometries=geojson',
    ]);
    assert.strictEqual(services.maxInFlightRoutes, 1);
    const s = await state(page);
    assert.strictEqual(s.route.totalText, '3 公里 / 1.9 英里, 10 分鐘');
    assert.strictEqual(await page.textContent('#ItnDirInfo'), '3 公里 / 1.9 英里, 10 分鐘');
    const style = await page.evaluate(() => { const o = e_aMarkers[1].route.line.options; return [o.color, o.weight, o.opacity]; });
    assert.deepStrictEqual(style, ['#0000ff', 7, 0.3]);
    await put(page, 1, 1);
    assert.match((await state(page)).info.text, /距離:1\.5 公里 \/ 0\.9 英里 \(到行程2\)時間:5 分鐘/);
    await page.waitForFunction(() => e_aMarkers[1].route.line.options.color === '#ff0000', null, { timeout: 2500 });
    services.route = services.defaultRoute;
    await page.context().close();
  });

  it('writes the layer and location cookies and reads them back', async () => {
    const context = await browser.newContext();
    let page = await openPage(browser, services, TAIPEI.slice(0, 2), { cookie: true, context });
    await page.click('#Layer5');
    const box = await page.locator('#Map').boundingBox();
    await page.mouse.click(box.x + 300, box.y + 300, { button: 'right' });
    const disabled = await page.$$eval('#CtxMenu a', (as) => as.map((a) => a.className === 'Disabled'));
    assert.deepStrictEqual(disabled.map(Number).join(''), '00000011111011');
    await page.click('#Menu11');
    const cookies = Object.fromEntries((await context.cookies()).map((c) => [c.name, c]));
    assert.strictEqual(cookies.Wlm_McGraticule.value, '1');
    assert.match(decodeURIComponent(cookies.Wlm_MyLocation.value), /^25\.\d{5},121\.\d{5}$/);
    const days = (cookies.Wlm_McGraticule.expires * 1000 - Date.now()) / 86400000;
    assert.ok(days > 13.9 && days <= 14, `expiry in ${days} days`);
    await page.close();
    page = await openPage(browser, services, TAIPEI.slice(0, 2), { cookie: true, context });
    assert.strictEqual(await page.isChecked('#Layer5'), true);
    assert.strictEqual(await page.isVisible('#GrInfo'), true);
    assert.strictEqual(await page.isChecked('#Layer12'), false);
    await context.close();
    // Without the cookie option nothing is read or written.
    const quiet = await browser.newContext();
    page = await openPage(browser, services, TAIPEI.slice(0, 2), { cookie: false, context: quiet });
    await page.click('#Layer9');
    assert.deepStrictEqual(await quiet.cookies(), []);
    await quiet.close();
  });

  it('reports a start-up failure with the alert and the terminate token', async () => {
    services.pages['broken.html'] = assemblePage([{ name: 'x', lat: 'undefinedValue', lng: '121.5' }], {
      markerUrl: `${services.base}/MarkerImage/`, tileUrl: `${services.base}/tiles/{z}/{x}/{y}.png`,
      routeHost: services.base, addressHost: services.base,
    });
    const context = await browser.newContext();
    const page = await context.newPage();
    const dialogs = [];
    page.on('dialog', (d) => { dialogs.push(d.message()); d.dismiss(); });
    await page.goto(`${services.base}/page/broken.html`);
    await page.waitForFunction(() => GetGoogleMaps() === 'Terminate Google Maps');
    assert.deepStrictEqual(dialogs, ['暫時無法使用 Google 地圖的服務\n請稍後再試試看']);
    await context.close();
  });

  it('takes screenshots of a Taipei itinerary from a file page', async () => {
    services.route = services.defaultRoute;
    services.address = () => ({ status: 200, body: { address: { city: '臺北市', suburb: '大安區', road: '忠孝東路四段', house_number: '1' } } });
    const folder = '/tmp/page-shots';
    fs.mkdirSync(folder, { recursive: true });
    const file = path.join(folder, 'taipei.html');
    fs.writeFileSync(file, assemblePage(TAIPEI, {
      markerUrl: `${services.base}/MarkerImage/`, tileUrl: `${services.base}/tiles/{z}/{x}/{y}.png`,
      routeHost: services.base, addressHost: services.base,
    }));
    const context = await browser.newContext({ viewport: { width: 1000, height: 700 } });
    await context.route('**/*', (r) => (/^(file:|http:\/\/127\.0\.0\.1:)/.test(r.request().url()) ? r.continue() : r.abort()));
    const page = await context.newPage();
    await page.goto('file://' + file);
    await page.waitForFunction(() => typeof WlmTestState === 'function' && JSON.parse(WlmTestState()).ready);
    await page.click('#Layer12');
    await page.waitForFunction(() => JSON.parse(WlmTestState()).route.lines === 9);
    await page.evaluate(() => PutGoogleMaps(1, 7));
    await page.waitForTimeout(1200);
    await page.screenshot({ path: path.join(folder, 'itinerary.png') });
    const box = await page.locator('#Map').boundingBox();
    await page.mouse.click(box.x + 150, box.y + 550);
    await page.waitForFunction(() => JSON.parse(WlmTestState()).info.marker === 0);
    await page.mouse.click(box.x + 600, box.y + 300, { button: 'right' });
    await page.screenshot({ path: path.join(folder, 'new-place-and-menu.png') });
    assert.strictEqual(JSON.parse(await page.evaluate(() => WlmTestState())).route.lines, 10);
    await context.close();
  });
});
