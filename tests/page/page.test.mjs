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

// --- The invented list.xml (Shift-JIS): cards 101-150 of each 150 are magic

function inventedListText() {
  const lines = ['<?xml version="1.0" encoding="Shift_JIS"?>', '<cardlist>'];
  for (let n = 1; n <= 600; ++n) {
    const name = n === 1 ? 'はじまりの竜' : n === 600 ? '最後の魔法' : `カード${n}`;
    lines.push('<card>', `<no>${n}</no>`, `<name>${name}</name>`, `<ap>${n * 10}</ap>`, `<cp>${n % 7}</cp>`, '</card>');
  }
  lines.push('</cardlist>');
  const text = lines.join('\r\n') + '\r\n';
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

  before(async () => {
    listBytes = inventedListText();
    vectors = JSON.parse(execFileSync(vectorsProgram, ['20240601'], { encoding: 'latin1' }));
    browser = await chromium.launch({
      executablePath: chromiumPath,
      args: ['--no-sandbox', '--headless', '--disable-gpu', '--allow-file-access-from-files',
             '--disable-background-networking', '--disable-component-update', '--disable-sync', '--no-first-run'],
    });
  });

  after(async () => {
    if (browser) await browser.close();
  });

  // The page in a fresh folder beside the invented list.xml. Every status
  // text the page sets is recorded, like the editor sees it.
  async function openPage() {
    const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'deck-page-'));
    fs.copyFileSync(pagePath, path.join(dir, 'deckmaker.htm'));
    fs.writeFileSync(path.join(dir, 'list.xml'), listBytes);
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
    await page.goto('file://' + path.join(dir, 'deckmaker.htm'));
    await page.waitForFunction(() => document.querySelector('#card-list li[data-no="2"] .name').textContent !== '—');
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
  const deckRow = (page, number) => page.locator(`#deck-list li[data-no="${number}"]`);

  describe('the page against the core', () => {
    test('codes load as the core decodes them, and the page reports the core\'s code', async () => {
      const { page, close } = await openPage();
      for (const v of [...vectors.odd, ...vectors.random]) {
        const before = (await statuses(page)).length;
        await page.evaluate(([code]) => demaid(deck, code), [v.code]);
        const after = await statuses(page);
        assert.equal(after.length, before + 1, `one status for loading "${v.code}"`);
        assert.equal(after.at(-1), v.result ?? v.code, `status after loading "${v.code}"`);
        assert.deepEqual(await deckShown(page), v.counts, `deck shown for "${v.code}"`);
        const total = v.counts.reduce((sum, [, c]) => sum + c, 0);
        const magic = v.counts.filter(([i]) => i % 150 >= 100).reduce((sum, [, c]) => sum + c, 0);
        assert.deepEqual(await totals(page), [total, total - magic, magic], `totals for "${v.code}"`);
      }
      // The hand-over exactly as the editor sends it.
      await page.evaluate("demaid(deck, '0t1');eval();");
      assert.equal(await page.textContent('#deck-list li .name'), '最後の魔法');
      await close();
    });

    test('decks built by clicking give the core\'s codes', async () => {
      const { page, close } = await openPage();
      for (const v of vectors.random.slice(0, 2)) {
        await page.evaluate(() => demaid(deck, '0'));
        for (const [index, count] of v.counts) {
          for (let c = 0; c < count; ++c) await catalogueRow(page, index + 1).locator('.plus').click();
        }
        assert.equal(await lastStatus(page), v.code);
      }
      await close();
    });
  });

  describe('editing', () => {
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
      assert.equal(await page.evaluate(() => window.__statuses.length), 2);

      // Removing one makes room again.
      await deckRow(page, partial[0] + 1).locator('.minus').click();
      await catalogueRow(page, spare + 1).locator('.plus').click();
      assert.equal(await totals(page).then((t) => t[0]), 40);
      assert.deepEqual((await deckShown(page)).find(([i]) => i === spare), [spare, 1]);
      await close();
    });

    // The editor's ok button stands some 500-590 px from the page's left edge
    // at its top (wherever the window is widened to), over the page's corner.
    test('the title row keeps clear of the editor\'s ok button', async () => {
      const { page, close } = await openPage();
      await page.evaluate(() => demaid(deck, '0t1'));
      for (const width of [610, 625, 900]) {
        await page.setViewportSize({ width, height: 750 });
        const right = await page.$$eval('.title-row > *, .totals > *', (items) =>
          Math.max(...items.map((e) => e.getBoundingClientRect().right)));
        assert.ok(right <= Math.min(500, width - 120), `title row reaches ${right} px at width ${width}`);
      }
      await close();
    });
  });
}
