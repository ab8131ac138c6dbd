// What the suite takes a stored or shown value to mean, per field type: a wrong reading
// here would pass broken pages or fail sound ones.
//   node expect.test.mjs
import assert from 'node:assert/strict';
import { describe, it } from 'node:test';
import { assertShown, assertStored, storedFor } from './lib/expect.mjs';
import { dateText, fromOleDate, normalise } from './lib/workcopy.mjs';

const field = (type, extra = {}) => ({ name: 'f', type, ...extra });

describe('working-copy values', () => {
  it('reads dates kept as OLE day counts or as text the same way', () => {
    assert.equal(fromOleDate(45366), '2024-03-15 00:00:00');
    assert.equal(fromOleDate(45366.75), '2024-03-15 18:00:00');
    assert.equal(fromOleDate(2), '1900-01-01 00:00:00');
    assert.equal(dateText('2024/3/5 8:05:09'), '2024-03-05 08:05:09');
    assert.equal(dateText('2024年3月5日'), '2024-03-05 00:00:00');
    assert.equal(normalise('2024-03-15 00:00:00', '日期时间'), normalise(45366, '日期时间'));
  });

  it('reads booleans as Jet keeps them (-1) and as SQLite may (1), and numbers as numbers', () => {
    for (const v of [-1, 1, 'True', 'true']) assert.equal(normalise(v, '逻辑'), true, String(v));
    for (const v of [0, 'False']) assert.equal(normalise(v, '逻辑'), false, String(v));
    assert.equal(normalise('1234.56', '小数'), 1234.56);
    assert.equal(normalise(null, '整型'), null);
    assert.equal(normalise(12, '文本'), '12');
  });
});

describe('expected values', () => {
  it('a Single holds what was typed only to single precision', () => {
    assertStored(field('单精度'), 12.300000190734863, 12.3, 'w');
    assert.throws(() => assertStored(field('单精度'), 12.31, 12.3, 'w'), /should hold 12.3/);
    assert.throws(() => assertStored(field('双精度'), 12.300000190734863, 12.3, 'w'), /should hold/);
  });

  it('a drop-down stores the id of the chosen label and shows the label again', () => {
    const link = field('文本', { link: { table: 't', field: 'n' } });
    assert.equal(storedFor(link, '光学', { 光学: 7 }), '7');
    assert.throws(() => storedFor(link, '电子', { 光学: 7 }), /no row of t is labelled 电子/);
    assertShown(link, '光学', '7', 'w', (id) => ({ 7: '光学' })[id]);
    assert.throws(() => assertShown(link, '五金', '7', 'w', () => '光学'), /should show "光学"/);
  });

  it('a date shows the stored day in the Chinese way, its time when it has one', () => {
    assertShown(field('日期时间'), '2024/3/15', '2024-03-15 00:00:00', 'w');
    assertShown(field('日期时间'), '2024/3/15 8:30:00', '2024-03-15 08:30:00', 'w');
    assert.throws(() => assertShown(field('日期时间'), '2024/3/16', '2024-03-15 00:00:00', 'w'), /should show/);
    assert.throws(() => assertShown(field('日期时间'), '2024/3/15', '2024-03-15 08:30:00', 'w'), /should show/);
  });

  it('rich text is compared as the text it shows, markup and entities aside', () => {
    const memo = field('备注', { editor: true });
    assertStored(memo, '<p>带&quot;引号&quot;与 &lt;尖括号&gt;</p>', '带"引号"与 <尖括号>', 'w');
    assertShown(memo, '带"引号"与 <尖括号>', '<b>带"引号"</b>与 &lt;尖括号&gt;', 'w');
    assert.throws(() => assertStored(memo, '<p>别的</p>', '说明', 'w'), /should hold/);
    assert.throws(() => assertShown(field('逻辑'), 'False', true, 'w'), /should show true/);
  });

  it('a password is stored as a salted digest, never as typed, and never shown', () => {
    const password = field('文本', { secret: true });
    const digest = '$p8$Qm9vS2VlcGVyU2FsdDEyMzvl8dK/zBWoubHpTdHfXuDw';
    assertStored(password, digest, storedFor(password, "pw'1"), 'w');
    assert.throws(() => assertStored(password, digest, storedFor(password, "pw'2"), 'w'), /salted digest/);
    assert.throws(() => assertStored(password, "pw'1", "pw'1", 'w'), /salted digest/);
    assert.throws(() => assertStored(password, '', "pw'1", 'w'), /salted digest/);
    assertShown(password, '', digest, 'w');
    assertShown(password, undefined, digest, 'w');
    assert.throws(() => assertShown(password, digest, digest, 'w'), /nothing \(a password\)/);
  });
});
