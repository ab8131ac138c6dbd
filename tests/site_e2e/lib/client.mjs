// A browser-less visitor of a served site: GBK forms and query strings, a cookie jar,
// and the page's alert() texts read back from the answer.
import http from 'node:http';
import { encodeGbk } from '../../../tools/sitecheck/lib/gbk.mjs';

const decoder = new TextDecoder('gbk');

/** Percent-encodes `text` as GBK bytes, the way the site's pages post it. */
export function gbkComponent(text) {
  return [...encodeGbk(String(text))]
    .map((b) => (/[A-Za-z0-9_.~-]/.test(String.fromCharCode(b)) ? String.fromCharCode(b) : `%${b.toString(16).toUpperCase().padStart(2, '0')}`))
    .join('');
}

export function gbkForm(fields) {
  return Object.entries(fields).map(([k, v]) => `${gbkComponent(k)}=${gbkComponent(v)}`).join('&');
}

/** The texts of the alert() calls in a page, in order. */
export function alerts(body) {
  return [...body.matchAll(/alert\('((?:[^'\\]|\\.)*)'\)/g)].map((m) => m[1].replace(/\\(.)/g, '$1'));
}

// The default account must get a new password at its first login: logInAsDefault() sets
// this one on a site the first time and uses it afterwards.
export const CHANGED_DEFAULT_PASSWORD = 'vokra-e2e-2';
const changedDefaults = new Set();  // base URLs whose default password was changed

/** Says that the default password of the site at `base` was changed to CHANGED_DEFAULT_PASSWORD. */
export function defaultPasswordChanged(base) {
  changedDefaults.add(base);
}

export class Visitor {
  constructor(base) {
    this.base = base;
    this.cookies = new Map();
  }

  cookieHeader() {
    return [...this.cookies].map(([k, v]) => `${k}=${v}`).join('; ');
  }

  request(method, path, { form, headers = {} } = {}) {
    const url = new URL(path.split('/').map((p, i) => (i === 0 ? p : p.replace(/[^\x21-\x7e]/g, (c) => gbkComponent(c)))).join('/'), this.base);
    const body = form === undefined ? null : Buffer.from(typeof form === 'string' ? form : gbkForm(form), 'latin1');
    const allHeaders = { ...headers };
    if (this.cookies.size) allHeaders.Cookie = this.cookieHeader();
    if (body) {
      allHeaders['Content-Type'] = 'application/x-www-form-urlencoded';
      allHeaders['Content-Length'] = body.length;
    }
    return new Promise((resolve, reject) => {
      const req = http.request(url, { method, headers: allHeaders }, (res) => {
        const chunks = [];
        res.on('data', (c) => chunks.push(c));
        res.on('end', () => {
          for (const line of [res.headers['set-cookie'] ?? []].flat()) {
            const [pair] = line.split(';');
            const at = pair.indexOf('=');
            this.cookies.set(pair.slice(0, at).trim(), pair.slice(at + 1).trim());
          }
          const raw = Buffer.concat(chunks);
          resolve({ status: res.statusCode, headers: res.headers, body: decoder.decode(raw) });
        });
      });
      req.on('error', reject);
      if (body) req.write(body);
      req.end();
    });
  }

  get(path) {
    return this.request('GET', path);
  }

  post(path, form) {
    return this.request('POST', path, { form });
  }

  /** The form token of a page that carries one. */
  async token(path) {
    const page = await this.get(path);
    const m = /name="kovel_token" value="([0-9a-f]+)"/.exec(page.body);
    if (!m) throw new Error(`${path} carries no form token:\n${page.body.slice(0, 400)}`);
    return m[1];
  }

  /**
   * Logs in as vokra: the first time on a site with vokra/vokra, then through password.asp
   * to the new password and in again; later with the new password. The last login's answer.
   */
  async logInAsDefault() {
    if (changedDefaults.has(this.base)) return this.logIn('vokra', CHANGED_DEFAULT_PASSWORD);
    const first = await this.logIn('vokra', 'vokra');
    if (first.status !== 302) {
      // Changed by an earlier server of the same run folder (the working copy is kept).
      const again = await this.logIn('vokra', CHANGED_DEFAULT_PASSWORD);
      if (again.status === 302) changedDefaults.add(this.base);
      return again.status === 302 ? again : first;
    }
    if (!/password\.asp/.test(first.headers.location ?? '')) return first;
    const token = await this.token('/password.asp');
    const changed = await this.post('/password.asp', { action: 'password', pwd1: CHANGED_DEFAULT_PASSWORD, pwd2: CHANGED_DEFAULT_PASSWORD, kovel_token: token });
    if (!alerts(changed.body).includes('密码已修改')) throw new Error(`password.asp did not change the default password:\n${changed.body.slice(0, 400)}`);
    changedDefaults.add(this.base);
    return this.logIn('vokra', CHANGED_DEFAULT_PASSWORD);
  }

  /** Logs in through index.asp, reading the verification code through the preview's test hook. */
  async logIn(user, password) {
    await this.get('/inc/verifycode.asp');
    const code = (await this.get('/__tabulon/session/verifycode')).body.trim();
    return this.post('/index.asp', { action: 'login', username: user, pwd: password, verifycode: code });
  }
}
