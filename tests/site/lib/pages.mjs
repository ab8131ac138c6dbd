// Serving a generated site to Chromium without a server that runs VBScript: every page
// goes out with its server code cut out, except for the few server answers the browser
// side cannot do without, which are given here from the site's own files:
//   - `<% SetAjax() %>` becomes the client script that inc/MyFunction.asp's SetAjax writes
//     (its Response.Write lines, read from the file and evaluated);
//   - a server block that writes a cascade drop-down (`<select … GetData(…)>`) becomes that
//     select, its opening tag evaluated from the block's own Response.Write line, with
//     the options the caller gives;
//   - inc/verifycode.asp answers with a BMP of four digits drawn with the digit pattern
//     of the site's own verifycode.asp.
import fs from 'node:fs';
import path from 'node:path';
import { serveFolder, stripServerBlocks } from '../../../tools/sitecheck/browser.mjs';
import { decodePage, splitAsp } from '../../../tools/sitecheck/lib/asp.mjs';

const VBS_CONSTANTS = { vbcrlf: '\r\n', vbnewline: '\r\n', vbcr: '\r', vblf: '\n', vbtab: '\t' };

/**
 * The value of a VBScript expression made of string literals, the constants vbCrLf and
 * the like, joined by & or + (parentheses around the whole allowed); null for anything else.
 */
export function vbsStringValue(expression) {
  let rest = expression.trim();
  while (rest.startsWith('(') && rest.endsWith(')')) rest = rest.slice(1, -1).trim();
  let value = '';
  let wantOperand = true;
  while (rest !== '') {
    let m;
    if (wantOperand && (m = rest.match(/^"((?:[^"]|"")*)"/))) {
      value += m[1].replace(/""/g, '"');
    } else if (wantOperand && (m = rest.match(/^([A-Za-z]+)/)) && m[1].toLowerCase() in VBS_CONSTANTS) {
      value += VBS_CONSTANTS[m[1].toLowerCase()];
    } else if (!wantOperand && (m = rest.match(/^[&+]/))) {
      // joined to the next operand
    } else {
      return null;
    }
    wantOperand = !wantOperand;
    rest = rest.slice(m[0].length).trimStart();
  }
  return wantOperand ? null : value;
}

/** What one line of server code writes when it is `Response.Write <literal expression>`, else null. */
function writtenByLine(line) {
  const m = line.match(/^\s*response\.write\s*(.*?)\s*$/i);
  return m ? vbsStringValue(m[1]) : null;
}

/** The client script that inc/MyFunction.asp's SetAjax writes. */
export function ajaxScript(siteDir) {
  const source = decodePage(fs.readFileSync(path.join(siteDir, 'inc', 'MyFunction.asp')));
  const body = source.match(/^\s*Sub\s+SetAjax\s*\(\s*\)\s*$([\s\S]*?)^\s*End\s+Sub/im);
  if (!body) throw new Error('inc/MyFunction.asp has no Sub SetAjax()');
  let script = '';
  for (const line of body[1].split(/\r?\n/)) {
    if (/^\s*('|$)/.test(line)) continue;
    const written = writtenByLine(line);
    if (written === null) throw new Error(`SetAjax has a line that is not a literal Response.Write: ${line.trim()}`);
    script += written;
  }
  return script;
}

/**
 * The page as the browser would get it: server code cut out, SetAjax's script in place,
 * cascade drop-downs written with `options(name)` (HTML of the <option>s).
 */
export function renderPage(text, siteDir, { values = null, options = () => '' } = {}) {
  const { segments } = splitAsp(text);
  let out = '';
  for (const s of segments) {
    const whole = text.slice(s.start, s.end);
    const code = text.slice(s.contentStart, s.contentEnd);
    if (s.kind === 'code' && /^\s*SetAjax\s*(\(\s*\))?\s*$/i.test(code)) {
      out += ajaxScript(siteDir);
    } else if (s.kind === 'code' && /GetData\(/.test(code)) {
      const open = code.split(/\r?\n/).map(writtenByLine).find((w) => w && /<select\b/i.test(w));
      const name = open?.match(/name="([^"]+)"/)?.[1];
      out += open ? `${open}${options(name)}</select>` : whole;
    } else {
      out += whole;
    }
  }
  return stripServerBlocks(out, { value: values });
}

/** The ten 5×7 digit patterns of the site's verifycode.asp ("1" for ink), or null. */
function digitPatterns(siteDir) {
  try {
    const source = decodePage(fs.readFileSync(path.join(siteDir, 'inc', 'verifycode.asp')));
    const patterns = [...source.matchAll(/"([01]{35})"/g)].map((m) => m[1]);
    return patterns.length === 10 ? patterns : null;
  } catch {
    return null;
  }
}

/** A 60×20 24-bit BMP of `digits`, the way the site's verification code looks. */
export function verifyCodeImage(siteDir, digits = '2580') {
  const width = 60;
  const height = 20;
  const patterns = digitPatterns(siteDir);
  const pixels = Array.from({ length: height }, () => Array.from({ length: width }, () => [238, 244, 250]));
  [...digits].forEach((digit, n) => {
    const pattern = patterns?.[Number(digit)] ?? '1'.repeat(35);
    for (let row = 0; row < 7; row++) {
      for (let col = 0; col < 5; col++) {
        if (pattern[row * 5 + col] !== '1') continue;
        for (let dy = 0; dy < 2; dy++) {
          for (let dx = 0; dx < 2; dx++) pixels[3 + row * 2 + dy][6 + n * 13 + col * 2 + dx] = [31, 78, 121];
        }
      }
    }
  });
  const rowBytes = Math.ceil((width * 3) / 4) * 4;
  const image = Buffer.alloc(54 + rowBytes * height);
  image.write('BM', 0, 'latin1');
  image.writeUInt32LE(image.length, 2);
  image.writeUInt32LE(54, 10);
  image.writeUInt32LE(40, 14);
  image.writeInt32LE(width, 18);
  image.writeInt32LE(height, 22);
  image.writeUInt16LE(1, 26);
  image.writeUInt16LE(24, 28);
  image.writeUInt32LE(rowBytes * height, 34);
  for (let y = 0; y < height; y++) {
    const line = 54 + (height - 1 - y) * rowBytes; // bottom row first
    for (let x = 0; x < width; x++) {
      const [r, g, b] = pixels[y][x];
      image[line + x * 3] = b;
      image[line + x * 3 + 1] = g;
      image[line + x * 3 + 2] = r;
    }
  }
  return image;
}

/**
 * serveFolder for a generated site, pages rendered by renderPage and the verification
 * code drawn; `stubs` add to (or replace) the verification code stub.
 */
export function serveSite(siteDir, { stubs = {}, values = null, options } = {}) {
  const image = verifyCodeImage(siteDir);
  return serveFolder(siteDir, {
    values,
    asp: (text) => renderPage(text, siteDir, { values, options }),
    stubs: { '/inc/verifycode.asp': () => ({ type: 'image/bmp', body: image }), ...stubs },
  });
}
