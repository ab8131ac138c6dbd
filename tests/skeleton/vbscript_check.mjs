// The released skeleton's server code, checked by Wine's VBScript engine:
//  - vbscheck compiles every .asp page of the released (GBK) site;
//  - inc/md5.asp computes the same digests as node's crypto;
//  - inc/verifycode.asp draws a valid 60x20 BMP showing the digits asked for;
//  - the value checks of the cascade service and the SQL filter judge sample values.
// The VBScript procedures are taken from the released files themselves and run in
// cscript with small drivers. Exit 77 (skipped) when wine is not installed.
//   node tests/skeleton/vbscript_check.mjs <skeleton_release_tool>
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { spawnSync } from 'node:child_process';
import crypto from 'node:crypto';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import { defaultPrefix, ensurePrefix, findWine, startServer, wineEnv } from '../../tools/sitecheck/lib/wine.mjs';

const here = path.dirname(fileURLToPath(import.meta.url));
const vbscheck = path.join(here, '..', '..', 'tools', 'sitecheck', 'vbscheck.mjs');
const releaseTool = process.argv[2];

const tools = findWine();
if (!tools) {
  console.log('SKIP: wine is not installed (Debian packages wine and wine64)');
  process.exit(77);
}
if (!releaseTool) {
  console.error('usage: node vbscript_check.mjs <skeleton_release_tool>');
  process.exit(2);
}

const work = fs.mkdtempSync(path.join(os.tmpdir(), 'tabulon-skeleton-vbs-'));
const run = path.join(work, 'run');
const site = path.join(run, 'site');
fs.mkdirSync(run);
const released = spawnSync(releaseTool, [run, site], { encoding: 'utf8' });
if (released.status !== 0) {
  console.error(`release failed: ${released.stdout}${released.stderr}`);
  process.exit(1);
}

const prefix = defaultPrefix();
await ensurePrefix(prefix, tools, { log: (m) => console.log(m) });
startServer(prefix, tools);


/** The server code of a released page (one <% %> block after an optional @ line), as text. */
function serverCode(relative) {
  const page = new TextDecoder('gbk').decode(fs.readFileSync(path.join(site, relative)));
  const blocks = [...page.matchAll(/<%(?!@)([\s\S]*?)%>/g)].map((m) => m[1]);
  assert.ok(blocks.length > 0, `${relative} has no server code`);
  return blocks.join('\r\n');
}

/** The named Sub/Function blocks of `code`, comment lines dropped (cscript reads ANSI). */
function procedures(code, names) {
  const lines = code.split(/\r?\n/);
  const out = [];
  for (const name of names) {
    const start = lines.findIndex((l) => new RegExp(`^\\s*(Sub|Function)\\s+${name}\\b`, 'i').test(l));
    assert.ok(start >= 0, `procedure ${name} not found`);
    const kind = /^\s*(Sub|Function)/i.exec(lines[start])[1];
    let end = start;
    while (!new RegExp(`^\\s*End\\s+${kind}\\b`, 'i').test(lines[end])) end++;
    out.push(...lines.slice(start, end + 1).filter((l) => !/^\s*'/.test(l)));
  }
  return out.join('\r\n');
}

/** Runs a VBScript program in cscript; returns its output lines. */
function cscript(name, program) {
  assert.ok(/^[\x00-\x7f]*$/.test(program), `${name}: the program must be ASCII`);
  const file = path.join(work, `${name}.vbs`);
  fs.writeFileSync(file, program.replace(/\r?\n/g, '\r\n') + '\r\n');
  const r = spawnSync(tools.wine, ['cscript', '//nologo', `${name}.vbs`], { cwd: work, env: wineEnv(prefix), encoding: 'latin1', timeout: 300_000 });
  assert.equal(r.status, 0, `${name}: cscript failed (${r.status})\n${r.stdout}${r.stderr}`);
  return r.stdout.split(/\r?\n/).filter((l) => l.length > 0);
}

const quote = (s) => `"${s.replace(/"/g, '""')}"`;

await test('vbscheck compiles every released page', () => {
  const r = spawnSync(process.execPath, [vbscheck, '--quiet', site], { encoding: 'utf8', timeout: 600_000 });
  assert.equal(r.status, 0, r.stdout + r.stderr);
  assert.match(r.stdout, /vbscheck: (\d+) page\(s\) checked, 0 with errors/);
  const pages = Number(/(\d+) page\(s\)/.exec(r.stdout)[1]);
  assert.ok(pages >= 15, `only ${pages} pages checked`);
});

await test('MD5 and MD5_16 of inc/md5.asp match crypto', () => {
  const code = serverCode('inc/md5.asp');
  const globals = code.split(/\r?\n/).filter((l) => /^(Dim Md5|Md5InitTables)/.test(l)).join('\r\n');
  const library = procedures(code, ['Md5InitTables', 'Md5ShiftLeft', 'Md5ShiftRight', 'Md5Rotate', 'Md5Add',
    'Md5Bytes', 'Md5Words', 'Md5WordHex', 'MD5', 'MD5_16']);
  // RFC 1321's own samples, then every length across the 56- and 64-byte padding edges.
  const samples = ['', 'a', 'abc', 'message digest', 'abcdefghijklmnopqrstuvwxyz',
    'ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789', '1234567890'.repeat(8), 'vokra', 'say "hi"'];
  let seed = 7;
  for (let length = 50; length <= 135; length++) {
    let s = '';
    for (let i = 0; i < length; i++) {
      seed = (seed * 1103515245 + 12345) % 2147483648;
      s += String.fromCharCode(33 + (seed % 94));
    }
    samples.push(s);
  }
  const program = [globals, library, ...samples.map((s) => `WScript.Echo MD5(${quote(s)}) & " " & MD5_16(${quote(s)})`)].join('\r\n');
  const lines = cscript('md5', program);
  assert.equal(lines.length, samples.length, lines.join('\n'));
  samples.forEach((s, i) => {
    const digest = crypto.createHash('md5').update(s, 'latin1').digest('hex');
    assert.equal(lines[i], `${digest} ${digest.slice(8, 24)}`, `MD5 of ${JSON.stringify(s)}`);
  });
});

await test('inc/verifycode.asp draws the asked digits into a 60x20 BMP', () => {
  const code = serverCode('inc/verifycode.asp');
  const library = procedures(code, ['VcFontPatterns', 'VcRandomDigits', 'VcColor', 'VcSetPixel', 'VcDraw',
    'VcLittleEndian', 'VcBitmapHex']);
  const codes = ['0123', '4567', '8901', '7395'];
  const program = [
    'Dim vcWidth, vcHeight, vcPixels, vcFont',
    'vcWidth = 60',
    'vcHeight = 20',
    'vcFont = VcFontPatterns()',
    // The random hex digits come from inc/random.asp (GUIDs of the system): a fixed stand-in
    // here shows that only the digits 0-9 are taken, in order.
    'Function SiteRandomHex(n)',
    ' SiteRandomHex = Left("a3f9c07b1de2" & String(n, "5"), n)',
    'End Function',
    'Randomize',
    'WScript.Echo VcRandomDigits(4)',
    ...codes.flatMap((c) => ['ReDim vcPixels(vcWidth * vcHeight - 1)', `VcDraw "${c}"`, 'WScript.Echo VcBitmapHex()']),
    library,
  ].join('\r\n');
  const lines = cscript('verifycode', program);
  assert.equal(lines[0], '3907');
  const font = [...code.matchAll(/"([01]{35})"/g)].map((m) => m[1]);
  assert.equal(font.length, 10);
  codes.forEach((digits, n) => {
    const bmp = Buffer.from(lines[n + 1], 'hex');
    assert.equal(bmp.toString('latin1', 0, 2), 'BM');
    assert.equal(bmp.readUInt32LE(2), bmp.length);
    assert.equal(bmp.readUInt32LE(10), 54);
    assert.equal(bmp.readInt32LE(18), 60);
    assert.equal(bmp.readInt32LE(22), 20);
    assert.equal(bmp.readUInt16LE(28), 24);
    assert.equal(bmp.length, 54 + 60 * 3 * 20);
    // Rows are stored bottom-up, pixels as blue, green, red.
    const pixel = (x, y) => {
      const at = 54 + (19 - y) * 180 + x * 3;
      return { r: bmp[at + 2], g: bmp[at + 1], b: bmp[at] };
    };
    [...digits].forEach((digit, k) => {
      const glyph = font[Number(digit)];
      const left = 4 + k * 14;
      let best = 0;
      for (let top = 0; top <= 6; top++) {
        const colours = new Map();
        let on = 0;
        for (let row = 0; row < 7; row++) {
          for (let col = 0; col < 5; col++) {
            if (glyph[row * 5 + col] !== '1') continue;
            for (const [dx, dy] of [[0, 0], [1, 0], [0, 1], [1, 1]]) {
              const y = top + row * 2 + dy;
              if (y >= 20) continue;
              const p = pixel(left + col * 2 + dx, y);
              on++;
              if (p.r < 60 && p.g < 100 && p.b >= 100) colours.set(`${p.r},${p.g},${p.b}`, (colours.get(`${p.r},${p.g},${p.b}`) ?? 0) + 1);
            }
          }
        }
        best = Math.max(best, Math.max(0, ...colours.values()) / on);
      }
      assert.ok(best >= 0.85, `digit ${digit} of ${digits} is not drawn at place ${k + 1} (best match ${best.toFixed(2)})`);
    });
  });
});

await test('cascade service value checks and the SQL filter', () => {
  const service = serverCode('manage/GetClass.asp');
  const filter = serverCode('inc/SF_Sql.asp');
  const cases = [
    ['GcIsNumber', '12', true], ['GcIsNumber', '-3.5', true], ['GcIsNumber', '0', true],
    ['GcIsNumber', '1e3', false], ['GcIsNumber', '&H10', false], ['GcIsNumber', '', false],
    ['GcIsNumber', '1.', false], ['GcIsNumber', ' 1', false], ['GcIsNumber', "1 or 1=1", false],
    ['GcIsDigits', '15', true], ['GcIsDigits', '-1', false], ['GcIsDigits', '2 ', false], ['GcIsDigits', '', false],
    ['SF_IsSafe', 'Andy', true], ['SF_IsSafe', 'selection of 12', true], ['SF_IsSafe', 'admin', true],
    ['SF_IsSafe', "' or 1=1", false], ['SF_IsSafe', '1;drop table x', false], ['SF_IsSafe', '1 UNION select 2', false],
    ['SF_IsSafe', 'a--b', false], ['SF_IsSafe', 'x /* y', false], ['SF_IsSafe', 'count(*)', false],
  ];
  const program = [
    procedures(service, ['GcIsNumber', 'GcIsDigits']),
    procedures(filter, ['SF_IsSafe']),
    ...cases.map(([fn, value]) => `If ${fn}(${quote(value)}) Then WScript.Echo "True" Else WScript.Echo "False"`),
  ].join('\r\n');
  const lines = cscript('checks', program);
  cases.forEach(([fn, value, expected], i) => assert.equal(lines[i], String(expected).replace(/^./, (c) => c.toUpperCase()), `${fn}(${JSON.stringify(value)})`));
});

await test('SHA-256 of inc/sha256.asp and the PBKDF2 digests of inc/password.asp match crypto', () => {
  const code = serverCode('inc/sha256.asp');
  const passwords = serverCode('inc/password.asp');
  const library = procedures(code, ['Sha256Init', 'Sha256Start', 'Sha256Block', 'Sha256ByteInWord', 'Sha256Finish',
    'Sha256HexOf', 'Sha256Utf8', 'Sha256CodeUnit', 'Sha256Hex'])
    + '\r\n' + procedures(passwords, ['PasswordMatches', 'IsPasswordHash', 'PasswordParts', 'SiteMatchesPattern',
      'PasswordDerive', 'PasswordOuter', 'PasswordByteOf', 'PasswordBase64']);
  // FIPS 180-4's samples, then every length across the 55/56/64-byte padding edges, and
  // characters of two, three and four UTF-8 bytes (Wine 8 has no AscW: the driver supplies
  // one for the characters used here, from their code units).
  const samples = ['', 'abc', 'abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq', 'vokra', 'say "hi"',
    'caf\u00e9', '\u5bc6\u7801', 'x\u{1F600}y'];
  for (let length = 50; length <= 130; length += 3) samples.push('0123456789abcdef'.repeat(9).slice(0, length));
  const units = new Map();
  for (const s of samples) for (const ch of s.split('')) if (ch.charCodeAt(0) > 127) units.set(ch.charCodeAt(0), true);
  const vbText = (s) => s.split('').map((c) => (c.charCodeAt(0) > 127 ? `ChrU(${c.charCodeAt(0)})` : quote(c))).join(' & ') || '""';
  const shim = [
    'Dim CodeUnits : Set CodeUnits = CreateObject("Scripting.Dictionary")',
    'Dim NextMark : NextMark = 1',
    // Each non-ASCII unit becomes a private marker character the shim maps back.
    'Function ChrU(u)',
    ' If Not CodeUnits.Exists("m" & u) Then CodeUnits.Add "m" & u, Chr(NextMark) : CodeUnits.Add "u" & NextMark, u : NextMark = NextMark + 1',
    ' ChrU = CodeUnits("m" & u)',
    'End Function',
    'Function AscW(c)',
    ' If CodeUnits.Exists("u" & Asc(c)) Then AscW = CodeUnits("u" & Asc(c)) Else AscW = Asc(c)',
    'End Function',
  ].join('\r\n');
  const globals = [...code.split(/\r?\n/), ...passwords.split(/\r?\n/)].filter((l) => /^(Dim Sha256|Const Password)/.test(l)).join('\r\n');
  assert.match(globals, /Const PasswordRounds = (\d+)/, 'the tables and rounds are not declared');
  const rounds = Number(/Const PasswordRounds = (\d+)/.exec(globals)[1]);
  const salt = 'AbCdEfGhIjKlMnOpQrStUv';
  const derived = (password, r = rounds) => crypto.pbkdf2Sync(password, salt, r, 16, 'sha256').toString('base64').replace(/=+$/, '');
  const legacySalt = '0123456789abcdef';
  const legacy = `$${legacySalt}$${crypto.createHash('sha256').update(legacySalt + 'vokra', 'utf8').digest('hex').slice(0, 32)}`;
  const current = `$p${rounds}$${salt}${derived('vokra')}`;
  const older = `$p${rounds - 1}$${salt}${derived('vokra', rounds - 1)}`;
  const program = [globals, shim, library,
    ...samples.map((s) => `WScript.Echo Sha256Hex(${vbText(s)})`),
    `WScript.Echo PasswordDerive("vokra", "${salt}", ${rounds}) & " " & PasswordDerive("${'k'.repeat(70)}", "${salt}", 2)`,
    `WScript.Echo PasswordMatches("${current}", "vokra") & " " & PasswordMatches("${current}", "Vokra") & " " & PasswordMatches("${current}", "vokra ") & " " & IsPasswordHash("${current}")`,
    `WScript.Echo PasswordMatches("${older}", "vokra") & " " & IsPasswordHash("${older}") & " " & PasswordMatches("${legacy}", "vokra") & " " & PasswordMatches("${legacy}", "vokrA") & " " & IsPasswordHash("${legacy}")`,
    'WScript.Echo PasswordMatches("vokra", "vokra") & " " & PasswordMatches("vokra", "VOKRA") & " " & PasswordMatches("", "") & " " & IsPasswordHash("vokra")',
  ].join('\r\n');
  const lines = cscript('sha256', program);
  assert.equal(lines.length, samples.length + 4, lines.join('\n'));
  samples.forEach((s, i) => assert.equal(lines[i], crypto.createHash('sha256').update(s, 'utf8').digest('hex'), `SHA-256 of ${JSON.stringify(s)}`));
  // A password longer than a block is hashed first, as HMAC says.
  const long = crypto.pbkdf2Sync('k'.repeat(70), salt, 2, 16, 'sha256').toString('base64').replace(/=+$/, '');
  assert.equal(lines[samples.length], `${derived('vokra')} ${long}`);
  assert.equal(lines[samples.length + 1], 'True False False True', 'a digest matches only the exact password');
  assert.equal(lines[samples.length + 2], 'True False True False False', 'fewer rounds and the older digest still match, and ask for the new form');
  assert.equal(lines[samples.length + 3], 'True False False False', 'plain text of earlier data matches exactly, an empty one never');
});

// The rich-text cleaner (inc/clean_html.asp) needs Join, which Wine 8's cscript lacks: the
// preview's host provides it, and tests/site_e2e/rich_text.mjs runs the cleaner there.
await test('value checks and id lists of inc/guard.asp', () => {
  // SiteDate lives with the other value checks in inc/values.asp.
  const code = `${serverCode('inc/guard.asp')}\r\n${serverCode('inc/values.asp')}`;
  const library = procedures(code, ['SiteMatches', 'SiteIdList', 'SiteDate']);
  const ids = [['1,2,3', '1,2,3'], [' 4 , 05 ', '4,5'], ['', ''], [',', ''], ['1,000', '!'], ['&H10', '!'], ['1e3', '!'],
    ['-1', '!'], ['0', '!'], ['2 or 1=1', '!'], ['1.5', '!']];
  const dates = [['2024-02-29', true], ['2023-02-29', false], ['2024-1-5 8:30', true], ['2024-01-05 24:00', false], ['31/01/2024', false]];
  const program = [library,
    ...ids.map(([v]) => `WScript.Echo "[" & SiteIdList(${quote(v)}) & "]"`),
    ...dates.map(([v]) => `WScript.Echo "" & IsNull(SiteDate(${quote(v)}))`),
  ].join('\r\n');
  const lines = cscript('guard', program);
  assert.equal(lines.length, ids.length + dates.length, lines.join('\n'));
  ids.forEach(([v, expected], i) => assert.equal(lines[i], `[${expected}]`, `SiteIdList(${JSON.stringify(v)})`));
  dates.forEach(([v, valid], i) => assert.equal(lines[ids.length + i], valid ? 'False' : 'True', `SiteDate(${JSON.stringify(v)})`));
});

fs.rmSync(work, { recursive: true, force: true });
