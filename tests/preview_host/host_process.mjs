// Starting asphost.exe under Wine for tests and benchmarks, and talking HTTP to it as the
// front server does: with the host's key and the client's address.
import { spawn } from 'node:child_process';
import crypto from 'node:crypto';
import fs from 'node:fs';
import http from 'node:http';
import path from 'node:path';

import { wineEnv } from '../../tools/sitecheck/lib/wine.mjs';

/** The Windows name Wine gives a Linux path (drive Z: is the root). */
export function windowsPath(linuxPath) {
  return 'Z:' + path.resolve(linuxPath).replaceAll('/', '\\');
}

let gbkTable = null;
/** Encodes text as GBK (code page 936) using the decoder's table read backwards. */
export function encodeGbk(text) {
  if (!gbkTable) {
    gbkTable = new Map();
    const decoder = new TextDecoder('gbk');
    for (let lead = 0x81; lead <= 0xfe; lead++) {
      for (let trail = 0x40; trail <= 0xfe; trail++) {
        if (trail === 0x7f) continue;
        const ch = decoder.decode(Uint8Array.of(lead, trail));
        if (ch.length === 1 && ch !== '\ufffd' && !gbkTable.has(ch)) gbkTable.set(ch, [lead, trail]);
      }
    }
  }
  const bytes = [];
  for (const ch of text) {
    const code = ch.codePointAt(0);
    if (code < 0x80) bytes.push(code);
    else {
      const pair = gbkTable.get(ch);
      if (!pair) throw new Error(`no GBK code for ${ch}`);
      bytes.push(...pair);
    }
  }
  return Buffer.from(bytes);
}

/** Percent-encodes text's GBK bytes, as a browser does for a GBK page's form. */
export function gbkUrlEncode(text) {
  return [...encodeGbk(text)]
    .map((b) => (/[A-Za-z0-9]/.test(String.fromCharCode(b)) ? String.fromCharCode(b) : '%' + b.toString(16).toUpperCase().padStart(2, '0')))
    .join('');
}

/** Copies a folder of UTF-8 fixtures, writing .asp pages as GBK. */
export function copySiteAsGbk(from, to) {
  fs.mkdirSync(to, { recursive: true });
  for (const entry of fs.readdirSync(from, { withFileTypes: true })) {
    const source = path.join(from, entry.name);
    const target = path.join(to, entry.name);
    if (entry.isDirectory()) copySiteAsGbk(source, target);
    else if (entry.name.endsWith('.asp')) fs.writeFileSync(target, encodeGbk(fs.readFileSync(source, 'utf8').replace(/\r?\n/g, '\r\n')));
    else fs.copyFileSync(source, target);
  }
}

/** The key of each host started here, by port. */
const keys = new Map();

/**
 * Starts the host and resolves {port, child, startMs, key} once it prints LISTENING.
 * Its stderr goes to `logFile` (never a pipe: Wine's helpers would hold it open).
 */
export function startHost({ exe, site, db, prefix, logFile, testHooks = true, timeoutMs = 120_000, wineDebug = null, args: extra = [] }) {
  return new Promise((resolve, reject) => {
    const started = process.hrtime.bigint();
    const args = [exe, '--site', windowsPath(site), '--db', windowsPath(db), '--port', '0'];
    if (testHooks) args.push('--test-hooks');
    args.push(...extra);
    const log = fs.openSync(logFile, 'a');
    // zh_CN: the engine shows dates and truth values as a Chinese server does
    const key = crypto.randomBytes(32).toString('hex');
    const env = { ...wineEnv(prefix), LC_ALL: 'zh_CN.UTF-8', LANG: 'zh_CN.UTF-8', TABULON_HOST_KEY: key };
    if (wineDebug) env.WINEDEBUG = wineDebug;
    const child = spawn('wine', args, { env, stdio: ['ignore', 'pipe', log] });
    fs.closeSync(log);
    let out = '';
    const timer = setTimeout(() => {
      child.kill('SIGKILL');
      reject(new Error(`the host printed no LISTENING line within ${timeoutMs} ms (log: ${logFile})`));
    }, timeoutMs);
    child.stdout.on('data', (chunk) => {
      out += chunk.toString('latin1');
      const m = /^LISTENING (\d+)\n/m.exec(out);
      if (m) {
        clearTimeout(timer);
        child.stdout.removeAllListeners('data');
        child.stdout.resume();
        keys.set(Number(m[1]), key);
        resolve({ port: Number(m[1]), child, startMs: Number(process.hrtime.bigint() - started) / 1e6, line: m[0], key });
      }
    });
    child.on('exit', (code) => {
      clearTimeout(timer);
      reject(new Error(`the host ended with status ${code} before listening (log: ${logFile})`));
    });
  });
}

/** The headers the front server adds: the host's key and the client's address. */
export function frontHeaders(port, client = '127.0.0.1') {
  return { 'X-Tabulon-Host-Key': keys.get(port) ?? '', 'X-Tabulon-Client': client };
}

/**
 * One request as the front sends it (`asFront: false`: as any other program would);
 * resolves {status, headers, body (Buffer), text (GBK-decoded), ms}.
 */
export function request(port, target, { method = 'GET', headers = {}, body = null, raw = false, asFront = true, client } = {}) {
  return new Promise((resolve, reject) => {
    const started = process.hrtime.bigint();
    const link = asFront ? frontHeaders(port, client) : {};
    const options = { host: '127.0.0.1', port, method, path: target, headers: { Connection: 'close', ...link, ...headers } };
    if (raw) options.path = target;
    const req = http.request(options, (res) => {
      const chunks = [];
      res.on('data', (c) => chunks.push(c));
      res.on('end', () => {
        const data = Buffer.concat(chunks);
        resolve({
          status: res.statusCode,
          statusMessage: res.statusMessage,
          headers: res.headers,
          body: data,
          text: new TextDecoder('gbk').decode(data),
          ms: Number(process.hrtime.bigint() - started) / 1e6,
        });
      });
    });
    req.on('error', reject);
    if (body) req.write(body);
    req.end();
  });
}

/** "a=1;b=2;" -> {a: '1', b: '2'} (values may hold '=', never ';'). */
export function fields(text) {
  const out = {};
  for (const part of text.split(';')) {
    const eq = part.indexOf('=');
    if (eq > 0) out[part.slice(0, eq).trim()] = part.slice(eq + 1);
  }
  return out;
}
