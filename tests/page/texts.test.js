// The page's script is ECMAScript 5 throughout, and its texts (distances, times, positions,
// proposed names, addresses) are exactly as documented.
'use strict';
const test = require('node:test');
const assert = require('node:assert');
const fs = require('fs');
const path = require('path');
const vm = require('vm');
const { ROOT, assemblePage, LANGUAGES } = require('./harness');

let acorn = null;
try { acorn = require(require.resolve('acorn', { paths: [ROOT] })); } catch { /* skipped below */ }

test('every script of every language\'s page parses as ECMAScript 5', { skip: !acorn && 'no node_modules (npm ci)' }, () => {
  const rows = [{ name: "O'Neil \\ </script> \u2028", lat: '25.03300', lng: '121.56500' }];
  LANGUAGES.forEach((_, lang) => {
    const page = assemblePage(rows, { lang, programFolder: 'C:/Wayloom', tileUrl: 't', routeHost: 'r', addressHost: 'a' });
    const scripts = [...page.matchAll(/<script type="text\/javascript">([\s\S]*?)<\/script>/g)].map((m) => m[1]);
    assert.strictEqual(scripts.length, 2, 'Leaflet and the application');
    scripts.forEach((source, i) => {
      assert.doesNotThrow(() => acorn.parse(source, { ecmaVersion: 5 }), `language ${lang}, script ${i}`);
    });
    assert.match(page, /<meta http-equiv="X-UA-Compatible" content="IE=edge">/);
    assert.match(page, /<body onload="OnLoad\(\)" onunload="GUnload\(\)">/);
    assert.ok(page.endsWith('</body>\r\n</html>\r\n'));
  });
});

const texts = vm.createContext({});
vm.runInContext(fs.readFileSync(path.join(ROOT, 'resources/map/texts.js'), 'utf8'), texts);

test('distance texts, short and long, in both unit systems', () => {
  const cases = [
    // metres, metric?, long?, text
    [160, false, false, '525 ft'],
    [161, false, false, '0.1 mi'],
    [999, true, false, '999 m'],
    [1000, true, false, '1 km'],
    [1049, true, false, '1 km'],
    [1050, true, false, '1.1 km'],
    [12345, true, false, '12.3 km'],
    [99949, true, false, '99.9 km'],
    [100000, true, false, '100 km'],
    [123456, true, false, '123 km'],
    [160934, false, false, '100 mi'],
    [16093, false, false, '10 mi'],
    [0.4, true, false, '0 m'],
    [999.6, true, false, '1 km'],
    [160, true, true, '160 公尺 / 525 英呎'],
    [161, false, true, '0.1 英里 / 161 公尺'],
    [25000, true, true, '25 公里 / 15.5 英里'],
  ];
  for (const [metres, metric, long, expected] of cases) {
    assert.strictEqual(texts.DistanceText(metres, metric, long), expected, `${metres} m`);
  }
});

test('time texts', () => {
  const cases = [
    [0, false, '0 s'], [59.4, false, '59 s'], [59.6, true, '1 分鐘'], [89, true, '1 分鐘'], [90, true, '2 分鐘'],
    [3569, true, '59 分鐘'], [3570, true, '1 小時'], [3600 + 5 * 60, true, '1 小時 5 分鐘'], [3660, false, '1 h 1 m'],
    [99 * 3600 + 59 * 60, true, '99 小時 59 分鐘'], [100 * 3600, true, '100 小時'], [130.6 * 3600, true, '131 小時'],
  ];
  for (const [seconds, long, expected] of cases) assert.strictEqual(texts.TimeText(seconds, long), expected, `${seconds} s`);
});

test('positions: five decimals without a negative zero, DMS and compass forms', () => {
  assert.strictEqual(texts.Fmt5(-0.000001), '0.00000');
  assert.strictEqual(texts.Fmt5(121.565), '121.56500');
  assert.strictEqual(texts.FormatDms(25.033), '25° 01\' 58.80"');
  assert.strictEqual(texts.FormatDms(-0.5), '-0° 30\' 00.00"');
  assert.strictEqual(texts.FormatDms(59.9999999), '60° 00\' 00.00"');
  assert.strictEqual(texts.FormatCoord(121.5, true, false, true), 'E 121.50000');
  assert.strictEqual(texts.FormatCoord(-33.86782, false, true, true), 'S 33° 52\' 04.15"');
  assert.strictEqual(texts.FormatCoord(-33.86782, false, true, false), '-33° 52\' 04.15"');
});

test('the new-place name carries month/day and a 12-hour time', () => {
  assert.strictEqual(texts.NewPlaceName(new Date(2026, 11, 7, 21, 5, 3)), '新行程 12/7 PM 9:05:03');
  assert.strictEqual(texts.NewPlaceName(new Date(2026, 0, 2, 0, 0, 9)), '新行程 1/2 AM 12:00:09');
  assert.strictEqual(texts.NewPlaceName(new Date(2026, 6, 30, 12, 30, 0)), '新行程 7/30 PM 12:30:00');
});

test('proposed names from addresses', () => {
  const cases = [
    // name, address, proposed
    ['台北101', '台灣', '台北101@台灣'],
    ['Home', 'Taiwan', 'Home@Taiwan'],
    ['Home', 'No. 7, Section 5, Xinyi Road, Xinyi District, Taipei City, 110, Taiwan', 'Home@No. 7, Section 5, Xinyi Road, Xinyi District, Taipei City, 110, Taiwan'],
    ['舊名@舊地址', '台灣台北市信義區市府路45號', '舊名@台北市信義區市府路45號'],
    ['a@b@c', 'Xinyi Road, Taipei, Taiwan', 'a@b@Xinyi Road, Taipei'],
    ['Cafe', '  12 > Main | Street  ', 'Cafe@12  Main  Street'],
    ['Cafe @ old', '', 'Cafe'],
    ['@only', '', '@'],
    ['  ', 'Paris', '@Paris'],
  ];
  for (const [name, address, expected] of cases) assert.strictEqual(texts.ProposedName(name, address), expected, `${name} + ${address}`);
});

test('addresses composed from the reverse lookup\'s parts in each language\'s order', () => {
  const parts = { house_number: '7', road: '信義路五段', suburb: '信義區', city: '臺北市', postcode: '110', country: '臺灣', state: '' };
  const western = { house_number: '10', road: 'Downing Street', city: 'London', state: 'England', postcode: 'SW1A 2AA', country: 'United Kingdom' };
  const cases = [
    [parts, 'zh-TW', '臺北市信義區信義路五段7號'],
    [{ ...parts, house_number: '7-1' }, 'zh-CN', '臺北市信義區信義路五段7-1'],
    [parts, 'ja', '臺北市信義區信義路五段7'],
    [western, 'en-GB', '10 Downing Street, London, England SW1A 2AA, United Kingdom'],
    [{ road: 'Rue de Rivoli', house_number: '1', postcode: '75001', city: 'Paris', country: 'France' }, 'fr', '1 Rue de Rivoli, 75001 Paris, France'],
    [{ road: 'Unter den Linden', house_number: '77', postcode: '10117', town: 'Berlin', country: 'Deutschland' }, 'de', 'Unter den Linden 77, 10117 Berlin, Deutschland'],
    [{ road: 'Pennsylvania Avenue' }, 'en', 'Pennsylvania Avenue'],
    [{}, 'es', 'display name'],
    [undefined, 'zh-TW', 'display name'],
  ];
  for (const [p, lang, expected] of cases) assert.strictEqual(texts.ComposeAddress(p, 'display name', lang), expected, lang);
});

test('HTML escaping leaves nothing that markup could run', () => {
  assert.strictEqual(texts.EscHtml('</script><img src=x onerror=alert(1)>\'"&'),
    '&lt;/script&gt;&lt;img src=x onerror=alert(1)&gt;&#39;&quot;&amp;');
});
