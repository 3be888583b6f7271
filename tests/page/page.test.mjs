// Browser tests of the deck page (data/deckmaker.htm) in headless chromium.
// Environment: DECK_PAGE (the page), PAGE_VECTORS (the vectors program built
// from vectors.cpp), CHROMIUM (default /usr/bin/chromium).
import { test, describe, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { createRequire } from 'node:module';
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';

const require = createRequire(import.meta.url);
const here = path.dirname(new URL(import.meta.url).pathname);
const pagePath = process.env.DECK_PAGE || path.join(here, '../../data/deckmaker.htm');
const vectorsProgram = process.env.PAGE_VECTORS || '';
const chromiumPath = process.env.CHROMIUM || '/usr/bin/chromium';

function missingSetup() {
  try {
    require.resolve('playwright-core');
  } catch (e) {
    return 'tests/page/node_modules is missing: run  npm ci --prefix tests/page';
  }
  if (!fs.existsSync(chromiumPath)) {
    return `no browser at ${chromiumPath}: run  apt-get install -y chromium`;
  }
  if (!vectorsProgram || !fs.existsSync(vectorsProgram)) {
    return 'PAGE_VECTORS does not name the built vectors program: run the tests through ctest';
  }
  return '';
}

const setupProblem = missingSetup();
if (setupProblem) {
  test('page tests can run', () => assert.fail(setupProblem));
} else {
  await defineTests();
}

// --- The invented card list ----------------------------------------------

// Card names as the tests expect the page to show them; cards the list does
// not describe are missing here.
function inventedCards() {
  const names = new Map();
  for (let n = 2; n <= 600; ++n) {
    if (n === 50 || n === 51) continue;
    names.set(n, (n - 1) % 150 >= 100 ? `呪文${n}` : `戦士${n}`);
  }
  return names;
}

// list.xml text (UTF-8 here, Shift-JIS on disk) with the quirks of the
// editor's word-by-word reading mixed in.
function inventedListText() {
  const names = inventedCards();
  const special = new Map([
    [3, 'ドラゴン'], [4, 'どらごん使い'], [10, '名前　全角空白'], [11, '半角 空白'],
    [30, 'AT&amp;T'], [40, 'ソード表示'], [600, '最後の魔法'],
  ]);
  const lines = ['<?xml version="1.0" encoding="Shift_JIS"?>', '<cardlist>', '<name>はじまりの竜</name>'];
  for (const [n, plain] of names) {
    const name = special.get(n) || plain;
    lines.push('<card>');
    if (n === 13) {
      lines.push('<no>13</no><ap>100</ap>', `<name>${name}</name>`);
    } else if (n === 14) {
      lines.push('<no>14</no>', '<name>閉じなし');
    } else if (n === 15) {
      lines.push('<no>15</no>', '<!--<name>注釈の名前</name>-->');
    } else {
      lines.push(`<no>${n}</no>`, `<name>${name}</name>`, `<ap>${n === 12 ? -5 : n * 10}</ap>`,
                 `<dp>${n * 5}</dp>`, `<cp>${n % 7}</cp>`, '<attribute>火</attribute>', '<race>人間</race>',
                 '<special>召喚時、1ダメージ。</special>');
    }
    lines.push('</card>');
    if (n === 20) {
      lines.push('<no>700</no>', '<name>幻のカード</name>', '<ap>9999</ap>');
    }
  }
  lines.push('</cardlist>');
  return lines.join('\r\n') + '\r\n';
}

function toShiftJis(text) {
  return execFileSync('iconv', ['-f', 'UTF-8', '-t', 'CP932'], { input: Buffer.from(text, 'utf8') });
}

// --- Deck codes as the tests see them ------------------------------------

const ALPHABET = '0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ';

// A status text the editor may take as a deck: "0", then groups in strictly
// ascending card order, at most 40 cards.
function isDeckCode(text) {
  if (!/^0(?:[0-9a-zA-Z]{2})*$/.test(text)) return false;
  let last = -1;
  let total = 0;
  for (let i = 1; i < text.length; i += 2) {
    const v = ALPHABET.indexOf(text[i]) * 62 + ALPHABET.indexOf(text[i + 1]);
    if (v > 1799 || Math.floor(v / 3) <= last) return false;
    last = Math.floor(v / 3);
    total += (v % 3) + 1;
  }
  return total <= 40;
}

async function defineTests() {
  const { chromium } = await import('playwright-core');
  let browser;
  let vectors;
  let listBytes;
  const listUtf8 = inventedListText();

  before(async () => {
    listBytes = toShiftJis(listUtf8);
    const listFile = path.join(fs.mkdtempSync(path.join(os.tmpdir(), 'page-vectors-')), 'list.xml');
    fs.writeFileSync(listFile, listBytes);
    vectors = JSON.parse(execFileSync(vectorsProgram, ['20240601', listFile], { encoding: 'latin1' }));
    fs.rmSync(path.dirname(listFile), { recursive: true, force: true });
    browser = await chromium.launch({
      executablePath: chromiumPath,
      args: ['--no-sandbox', '--headless', '--disable-gpu', '--allow-file-access-from-files',
             '--disable-background-networking', '--disable-component-update', '--disable-sync', '--no-first-run'],
    });
  });

  after(async () => {
    if (browser) await browser.close();
  });

  // The page in a fresh folder, with the given list.xml bytes (or none).
  // Every status text the page sets is recorded, like the editor sees it.
  async function openPage(list = listBytes, initScript = null) {
    const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'deck-page-'));
    fs.copyFileSync(pagePath, path.join(dir, 'deckmaker.htm'));
    if (list !== null) fs.writeFileSync(path.join(dir, 'list.xml'), list);
    const context = await browser.newContext({ viewport: { width: 600, height: 900 } });
    const page = await context.newPage();
    const errors = [];
    page.on('pageerror', (e) => errors.push(String(e)));
    await page.addInitScript(() => {
      let current = '';
      window.__statuses = [];
      Object.defineProperty(window, 'status', {
        configurable: true,
        get() { return current; },
        set(value) { current = String(value); window.__statuses.push(current); },
      });
    });
    if (initScript) await page.addInitScript(initScript);
    await page.goto('file://' + path.join(dir, 'deckmaker.htm'));
    if (list !== null) {
      await page.waitForFunction(() => document.querySelector('#card-list li[data-no="2"] .name').textContent !== '—');
    } else {
      await page.waitForFunction(() => document.getElementById('catalogue-note').textContent !== '');
    }
    return {
      page,
      async close() {
        const statuses = await page.evaluate(() => window.__statuses);
        await context.close();
        fs.rmSync(dir, { recursive: true, force: true });
        assert.deepEqual(errors, [], 'script errors in the page');
        for (const s of statuses) assert.ok(isDeckCode(s), `status text that is not a deck code: "${s}"`);
      },
    };
  }

  const statuses = (page) => page.evaluate(() => window.__statuses.slice());
  const lastStatus = async (page) => (await statuses(page)).at(-1);

  // The deck as the page lists it: [card index, copies] with the shown copies text checked.
  async function deckShown(page) {
    const rows = await page.$$eval('#deck-list li', (items) => items.map((li) => [
      Number(li.dataset.index), Number(li.dataset.count), li.querySelector('.copies').textContent]));
    for (const [, count, text] of rows) assert.equal(text, `×${count}`);
    return rows.map(([index, count]) => [index, count]);
  }

  const totals = (page) => page.evaluate(() => ['total-count', 'creature-count', 'magic-count']
    .map((id) => Number(document.getElementById(id).textContent)));

  const message = (page) => page.textContent('#message');
  const catalogueRow = (page, number) => page.locator(`#card-list li[data-no="${number}"]`);
  const kindButton = (page, text) => page.locator('.kind-filter label', { hasText: text });
  const deckRow = (page, number) => page.locator(`#deck-list li[data-no="${number}"]`);

  describe('codes handed over with demaid', () => {
    test('odd codes load as the core decodes them, and the page reports the result', async () => {
      const { page, close } = await openPage();
      for (const v of vectors.odd) {
        const before = (await statuses(page)).length;
        await page.evaluate(([code]) => demaid(deck, code), [v.code]);
        const after = await statuses(page);
        assert.equal(after.length, before + 1, `one status for loading "${v.code}"`);
        assert.equal(after.at(-1), v.result, `status after loading "${v.code}"`);
        assert.deepEqual(await deckShown(page), v.counts, `deck shown for "${v.code}"`);
        const total = v.counts.reduce((sum, [, c]) => sum + c, 0);
        const magic = v.counts.filter(([i]) => i % 150 >= 100).reduce((sum, [, c]) => sum + c, 0);
        assert.deepEqual(await totals(page), [total, total - magic, magic], `totals for "${v.code}"`);
      }
      await close();
    });

    test('the hand-over script runs as the editor sends it, also before the list is read', async () => {
      const { page, close } = await openPage();
      await page.evaluate("demaid(deck, '0t1');eval();");
      assert.equal(await lastStatus(page), '0t1');
      assert.deepEqual(await deckShown(page), [[599, 3]]);
      assert.equal(await page.textContent('#deck-list li .name'), '最後の魔法');
      await close();

      // Handed over before list.xml has been read: the deck is taken at once,
      // and its names follow when the list arrives.
      const early = await openPage(listBytes, () => document.addEventListener('DOMContentLoaded', () => {
        window.__beforeList = cards === null;
        demaid(deck, '0000');
      }));
      assert.equal(await early.page.evaluate(() => window.__beforeList), true);
      assert.deepEqual(await statuses(early.page), ['000']);
      assert.equal(await early.page.textContent('#deck-list li .name'), 'はじまりの竜');
      await early.close();
    });

    test('random decks from the core come back with the same code and show their cards', async () => {
      const { page, close } = await openPage();
      for (const v of vectors.random) {
        await page.evaluate(([code]) => demaid(deck, code), [v.code]);
        assert.equal(await lastStatus(page), v.code);
        assert.deepEqual(await deckShown(page), v.counts);
      }
      await close();
    });

    test('the code box loads a pasted code like a hand-over', async () => {
      const { page, close } = await openPage();
      await page.fill('#code-box', ' 0t100 ');
      await page.click('#code-load');
      assert.equal(await lastStatus(page), '000t1');
      assert.deepEqual(await deckShown(page), [[0, 1], [599, 3]]);
      await page.fill('#code-box', '0!!00');
      await page.click('#code-load');
      assert.match(await message(page), /読めない部分は飛ばしました/);
      await close();
    });
  });

  describe('editing', () => {
    test('decks built by clicking give the core\'s codes', async () => {
      const { page, close } = await openPage();
      for (const [k, v] of vectors.random.slice(0, 12).entries()) {
        await page.evaluate(() => demaid(deck, '0'));
        for (const [index, count] of v.counts) {
          for (let c = 0; c < count; ++c) {
            if (k < 2) {
              await catalogueRow(page, index + 1).locator('.plus').click();
            } else {
              await page.evaluate((i) => document.querySelector(`#card-list li[data-index="${i}"] .plus`).click(), index);
            }
          }
        }
        assert.equal(await lastStatus(page), v.code);
        assert.deepEqual(await deckShown(page), v.counts);
      }
      await close();
    });

    test('+ and - keys add and remove; arrows move between cards; every change reports', async () => {
      const { page, close } = await openPage();
      await catalogueRow(page, 1).focus();
      await page.keyboard.press('+');
      await page.keyboard.press('+');
      assert.equal(await lastStatus(page), '001');
      await page.keyboard.press('ArrowDown');
      assert.equal(await page.evaluate(() => document.activeElement.dataset.no), '2');
      await page.keyboard.press('Enter');
      await page.keyboard.press('ArrowRight');
      await page.keyboard.press('-');
      assert.deepEqual(await statuses(page), ['000', '001', '00103', '00104', '00103']);
      assert.deepEqual(await deckShown(page), [[0, 2], [1, 1]]);
      // Tab leaves the list in one step and comes back to the same card.
      await page.keyboard.press('Tab');
      assert.equal(await page.evaluate(() => document.activeElement.id), 'code-box');
      await page.keyboard.press('Shift+Tab');
      assert.equal(await page.evaluate(() => document.activeElement.dataset.no), '2');

      // In the deck list, removing the last copy moves the keyboard to the next card.
      await deckRow(page, 1).focus();
      await page.keyboard.press('-');
      await page.keyboard.press('Delete');
      assert.equal(await lastStatus(page), '003');
      assert.equal(await page.evaluate(() => document.activeElement.dataset.no), '2');
      await page.keyboard.press('+');
      assert.equal(await lastStatus(page), '004');
      await close();
    });

    test('a card takes at most 3 copies and a deck at most 40 cards, and the page says why', async () => {
      const { page, close } = await openPage();
      await page.evaluate(() => demaid(deck, '002'));
      await catalogueRow(page, 1).locator('.plus').click();
      assert.match(await message(page), /「はじまりの竜」はもう3枚入っています/);
      assert.equal(await page.evaluate(() => window.__statuses.length), 1);

      const full = vectors.random[0];
      assert.equal(full.counts.reduce((sum, [, c]) => sum + c, 0), 40);
      await page.evaluate(([code]) => demaid(deck, code), [full.code]);
      const spare = [...Array(600).keys()].find((i) => !full.counts.some(([index]) => index === i));
      await catalogueRow(page, spare + 1).focus();
      await page.keyboard.press('+');
      assert.match(await message(page), /デッキは40枚までです/);
      const partial = full.counts.find(([, c]) => c < 3);
      assert.ok(partial, 'the full deck holds a card with fewer than 3 copies');
      await deckRow(page, partial[0] + 1).locator('.plus').click();
      assert.match(await message(page), /デッキは40枚までです/);
      assert.equal(await lastStatus(page), full.code);
      assert.deepEqual(await totals(page).then((t) => t[0]), 40);
      assert.equal(await page.evaluate(() => window.__statuses.length), 2);

      // Removing one makes room again.
      await deckRow(page, partial[0] + 1).locator('.minus').click();
      await catalogueRow(page, spare + 1).locator('.plus').click();
      assert.equal(await totals(page).then((t) => t[0]), 40);
      assert.deepEqual((await deckShown(page)).find(([i]) => i === spare), [spare, 1]);
      await close();
    });

    test('emptying the deck asks for a second press', async () => {
      const { page, close } = await openPage();
      await page.evaluate(() => demaid(deck, '0t1'));
      await page.click('#clear-deck');
      assert.deepEqual(await deckShown(page), [[599, 3]]);
      await page.click('#clear-deck');
      assert.deepEqual(await deckShown(page), []);
      assert.equal(await lastStatus(page), '0');
      await close();
    });
  });

  // The names and numbers the page shows for all 600 cards, checked against
  // what the core's catalogue read from the same file.
  async function shownAsCore(page, catalogue) {
    const shown = await page.$$eval('#card-list li', (items) => items.map((li) => [
      li.querySelector('.name').textContent, li.querySelector('.stats').textContent]));
    assert.equal(shown.length, 600);
    const sjis = new TextDecoder('shift_jis');
    catalogue.forEach(([hex, ap, dp, cp], i) => {
      const name = sjis.decode(Buffer.from(hex, 'hex'));
      const expectedName = name === 'unknown' || name === '' ? '（名前なし）' : name;
      const stats = i % 150 >= 100 ? `CP ${cp}` : `AP ${ap} / DP ${dp} / CP ${cp}`;
      assert.deepEqual(shown[i], [expectedName, stats], `card number ${i + 1}`);
    });
    return shown;
  }

  describe('cards', () => {
    test('names and numbers are read as the core reads list.xml', async () => {
      const { page, close } = await openPage();
      const shown = await shownAsCore(page, vectors.catalogue);
      // The quirks the invented list holds, spelled out.
      assert.equal(shown[0][0], 'はじまりの竜');
      assert.equal(shown[9][0], '名前　全角空白');
      assert.equal(shown[10][0], '半角');
      assert.equal(shown[11][1], 'AP 4294967291 / DP 60 / CP 5');
      assert.equal(shown[12][1], 'AP 0 / DP 0 / CP 0');
      assert.equal(shown[13][0], '閉じなし');
      assert.equal(shown[14][0], '注釈の名前');
      assert.equal(shown[29][0], 'AT&amp;T');
      assert.equal(shown[39][0], 'ソード表示');
      assert.equal(shown[49][0], '（名前なし）');
      assert.deepEqual([shown[99][0], await catalogueRow(page, 100).locator('.kind').textContent()], ['戦士100', 'クリーチャー']);
      assert.equal(await catalogueRow(page, 101).locator('.kind').textContent(), 'マジック');
      await close();
    });

    const shippedList = path.join(path.dirname(pagePath), 'list.xml');
    test('the card list shipped beside the page reads as in the core', { skip: !fs.existsSync(shippedList) && 'no list.xml beside the page' }, async () => {
      const bytes = fs.readFileSync(shippedList);
      const listFile = path.join(fs.mkdtempSync(path.join(os.tmpdir(), 'page-vectors-')), 'list.xml');
      fs.writeFileSync(listFile, bytes);
      const core = JSON.parse(execFileSync(vectorsProgram, ['1', listFile], { encoding: 'latin1' }));
      fs.rmSync(path.dirname(listFile), { recursive: true, force: true });
      const { page, close } = await openPage(bytes);
      await shownAsCore(page, core.catalogue);
      await close();
    });

    test('search by name and number, and the kind filter', async () => {
      const { page, close } = await openPage();
      const visible = () => page.$$eval('#card-list li', (items) => items
        .filter((li) => li.getClientRects().length > 0).map((li) => Number(li.dataset.no)));
      await page.fill('#search', 'どらごん');
      assert.deepEqual(await visible(), [3, 4]);
      await page.fill('#search', 'ﾄﾞﾗｺﾞﾝ');
      assert.deepEqual(await visible(), [3, 4]);
      await page.fill('#search', '101-103');
      assert.deepEqual(await visible(), [101, 102, 103]);
      await page.fill('#search', 'No.7');
      assert.deepEqual(await visible(), [7]);
      // Digits find card numbers that start with them, and names that hold them.
      await page.fill('#search', '59');
      assert.deepEqual(await visible(), [59, 159, 259, 359, 459, 559, 590, 591, 592, 593, 594, 595, 596, 597, 598, 599]);
      await page.fill('#search', '存在しない');
      assert.deepEqual(await visible(), []);
      assert.equal(await page.isVisible('#no-match'), true);
      await page.fill('#search', '');
      await kindButton(page, 'マジック').click();
      const magic = await visible();
      assert.equal(magic.length, 200);
      assert.ok(magic.every((n) => (n - 1) % 150 >= 100));
      await kindButton(page, 'クリーチャー').click();
      assert.equal((await visible()).length, 400);
      await page.fill('#search', '呪文');
      assert.deepEqual(await visible(), []);
      // From the search box the keyboard goes down into the list and adds.
      await kindButton(page, 'すべて').click();
      await page.fill('#search', '最後');
      await page.focus('#search');
      await page.keyboard.press('ArrowDown');
      await page.keyboard.press('+');
      assert.equal(await lastStatus(page), '0sZ');
      await close();
    });

    test('without list.xml the page works by card number and says so', async () => {
      const { page, close } = await openPage(null);
      assert.match(await page.textContent('#catalogue-note'), /list\.xml を読めない/);
      assert.equal(await catalogueRow(page, 123).locator('.no').textContent(), 'No.123');
      await page.evaluate(() => demaid(deck, '0a3'));
      await catalogueRow(page, 123).locator('.plus').click();
      assert.equal(await lastStatus(page), '05Ua3');
      assert.match(await message(page), /No\.123を入れました/);
      await page.fill('#search', '12');
      assert.ok((await page.$$eval('#card-list li:not([hidden])', (items) => items.length)) > 0);
      await close();
    });
  });
}
