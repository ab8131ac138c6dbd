// What a page should show, and what the working copy should hold, for a value the user
// typed or chose — per designed field type.
import assert from 'node:assert/strict';
import crypto from 'node:crypto';
import { dateText } from './workcopy.mjs';

export const NUMERIC_TYPES = new Set(['长整型', '整型', '双精度', '单精度', '字节型', '小数']);

/** Column → designed type of a table spec ({fields: [{name, type}]}); id is a number. */
export function columnTypes(table) {
  return Object.fromEntries([['id', '长整型'], ...table.fields.map((f) => [f.name, f.type])]);
}

function datePart(text) {
  return dateText(text).slice(0, 10);
}

/** Text with its runs of white space made one space. */
function plain(text) {
  return String(text).replace(/[\s\u00a0]+/g, ' ').trim();
}

/** The text a browser shows for HTML (what the rich-text editor keeps). */
function htmlText(html) {
  return plain(String(html).replace(/<br\s*\/?>/gi, ' ').replace(/<[^>]*>/g, '').replace(/&nbsp;/g, ' ').replace(/&lt;/g, '<')
    .replace(/&gt;/g, '>').replace(/&quot;/g, '"').replace(/&#39;/g, "'").replace(/&amp;/g, '&'));
}

function closeNumbers(a, b, type) {
  if (type === '单精度') return Math.abs(a - b) <= Math.max(1e-6, Math.abs(b) * 1e-6);
  return Math.abs(a - b) <= Math.abs(b) * 1e-12;
}

/**
 * The value the working copy should hold for what was typed into a field: the number,
 * the date, the boolean, the text; for a drop-down the id of the linked row whose label
 * was chosen (`labels` maps label → id).
 */
export function storedFor(field, typed, labels = null) {
  // A password is kept as a salted digest: what was typed is compared with it (assertStored).
  if (field.secret) return typed;
  if (field.link) {
    const id = labels?.[typed];
    if (id === undefined) throw new Error(`no row of ${field.link.table} is labelled ${typed}`);
    // A text field keeps the id as text, a numeric one as the number.
    return NUMERIC_TYPES.has(field.type) ? Number(id) : String(id);
  }
  if (NUMERIC_TYPES.has(field.type)) return Number(typed);
  if (field.type === '逻辑') return /^(true|-1|1|是)$/i.test(typed);
  if (field.type === '日期时间') return dateText(typed);
  return typed;
}

/** Asserts the working copy holds `expected` (from storedFor) in `field`. */
export function assertStored(field, actual, expected, where) {
  const say = `${where}: ${field.name} should hold ${JSON.stringify(expected)}, the working copy has ${JSON.stringify(actual)}`;
  if (field.secret) {
    // "$p" rounds "$" salt, then PBKDF2-HMAC-SHA256(typed, salt, rounds)[0..16] in Base64.
    const parts = typeof actual === 'string' ? /^\$p([1-9][0-9]*)\$([A-Za-z0-9+/]{22})([A-Za-z0-9+/]{22})$/.exec(actual) : null;
    const derived = parts && crypto.pbkdf2Sync(expected, parts[2], Number(parts[1]), 16, 'sha256').toString('base64').replace(/=+$/, '');
    assert.ok(parts && derived === parts[3],
      `${where}: ${field.name} should hold a salted digest of ${JSON.stringify(expected)}, the working copy has ${JSON.stringify(actual)}`);
  } else if (NUMERIC_TYPES.has(field.type) && !field.link) {
    assert.ok(actual !== null && closeNumbers(actual, expected, field.type), say);
  } else if (field.editor) {
    assert.equal(htmlText(actual ?? ''), plain(expected), say);
  } else {
    assert.deepEqual(actual, expected, say);
  }
}

/**
 * Asserts a page shows the stored value: `shown` is a cell's text (or the label of the
 * option a select shows); `labelOf` maps a linked id to its label.
 */
export function assertShown(field, shown, stored, where, labelOf = null) {
  const name = field.link ? `${field.name} (a drop-down of ${field.type})` : field.name;
  const say = (what) => `${where}: ${name} should show ${what}, the page shows ${JSON.stringify(shown)}`;
  if (field.secret) {
    // Neither the password nor its digest is ever shown.
    assert.ok(shown === undefined || shown === '', say('nothing (a password)'));
    return;
  }
  if (stored === null || stored === '') {
    assert.ok(shown === '' || shown === '没有数据', say('nothing'));
    return;
  }
  if (field.link) {
    assert.equal(shown, labelOf(stored), say(JSON.stringify(labelOf(stored))));
  } else if (NUMERIC_TYPES.has(field.type)) {
    assert.ok(shown !== '' && closeNumbers(Number(shown), stored, field.type), say(String(stored)));
  } else if (field.type === '逻辑') {
    assert.ok(stored ? /^(true|-1|是|真)$/i.test(shown) : /^(false|0|否|假)$/i.test(shown), say(String(stored)));
  } else if (field.type === '日期时间') {
    assert.equal(datePart(shown), stored.slice(0, 10), say(stored));
    if (!stored.endsWith('00:00:00')) assert.equal(dateText(shown), stored, say(stored));
  } else if (field.editor) {
    assert.equal(plain(shown), htmlText(stored), say(JSON.stringify(htmlText(stored))));
  } else {
    assert.equal(shown, stored, say(JSON.stringify(stored)));
  }
}
