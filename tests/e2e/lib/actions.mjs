// What a user does on a generated site, one helper per action: log in, add, modify,
// delete, search, log out. Each finds its controls from the page's structure and the form
// field names S_<n> (a field's row is the one whose label reads "<field>："), so a change
// of the pages' markup touches only the helper of that action.
import fs from 'node:fs';
import path from 'node:path';
import { encodeGbk } from '../../../tools/sitecheck/lib/gbk.mjs';

export const MESSAGES = {
  added: '添加记录成功',
  modified: '修改成功',
  deleted: '删除成功',
  noRight: '没有权限，请重新登陆',
  badCode: '验证码错误，请重新输入！',
  badLogin: '用户名或密码错误！',
};

/** The base name of a table's pages ('LSZ27' for manage/LSZ27_List.asp), from the site folder. */
export function pageBase(siteDir, tableId) {
  const suffix = `${tableId}_list.asp`;
  const file = fs.readdirSync(path.join(siteDir, 'manage')).find((f) => f.toLowerCase().endsWith(suffix) && /^[a-z]*\d+_list\.asp$/i.test(f));
  if (!file) throw new Error(`no list page of table ${tableId} in ${siteDir}/manage`);
  return file.slice(0, -'_List.asp'.length);
}

export function pageUrl(table, kind, query = '') {
  return `manage/${table.base}_${kind}.asp${query}`;
}

/** The Session value `name` of the visitor's session, through the host's test hook. */
export async function sessionValue(visitor, name) {
  const response = await visitor.context.request.get(`__tabulon/session/${encodeURIComponent(name)}`);
  if (!response.ok()) throw new Error(`the test hook answered ${response.status()} for Session("${name}") (is the host started with its test hooks?)`);
  return (await response.text()).trim();
}

async function openLoginPage(visitor) {
  const { page } = visitor;
  await page.goto('index.asp');
  await page.waitForFunction(() => {
    const img = document.getElementById('verifyimg');
    return img && img.complete && img.naturalWidth > 0;
  }, null, { timeout: 30_000 });
}

/**
 * Logs in on index.asp with the code the image holds (`code: 'wrong'` types another one).
 * Resolves once the frame set main.asp is shown, or with the alert when it is not.
 */
// The default account must get a new password at its first login: the first login as
// vokra/vokra on a site sets this one, later ones use it.
export const CHANGED_DEFAULT_PASSWORD = 'vokra-e2e-2';
const changedDefaults = new Set();  // base URLs whose default password was changed

export async function login(visitor, { user, password, code = null }) {
  const { page } = visitor;
  const changed = user === 'vokra' && password === 'vokra' && changedDefaults.has(visitor.baseUrl);
  if (changed) password = CHANGED_DEFAULT_PASSWORD;
  await openLoginPage(visitor);
  const real = await sessionValue(visitor, 'verifycode');
  // 'wrong': a code of four digits that is not the one the image shows.
  const shown = code === 'wrong' ? String((Number(real) + 1) % 10000).padStart(4, '0') : code ?? real;
  if (!/^\d{4}$/.test(real)) throw new Error(`the verification code in the session is "${real}", expected 4 digits`);
  await page.fill('input[name="username"]', user);
  await page.fill('input[name="pwd"]', password);
  await page.fill('input[name="verifycode"]', shown);
  const mark = visitor.dialogs.length;
  await Promise.all([page.waitForLoadState('load'), page.waitForNavigation({ timeout: 30_000 }), page.click('#loginform input[type="submit"]')]);
  // A refused login alerts and goes back a page: let that finish before anything else.
  await page.waitForLoadState('networkidle').catch(() => {});
  if (/\/password\.asp$/i.test(new URL(page.url()).pathname) && user === 'vokra' && password === 'vokra') {
    await page.fill('input[name="pwd1"]', CHANGED_DEFAULT_PASSWORD);
    await page.fill('input[name="pwd2"]', CHANGED_DEFAULT_PASSWORD);
    await Promise.all([page.waitForURL(/main\.asp$/i, { timeout: 30_000 }), page.click('#passwordform input[type="submit"]')]);
    changedDefaults.add(visitor.baseUrl);
  }
  const alerts = visitor.alertsSince(mark);
  return { loggedIn: /\/main\.asp$/i.test(new URL(page.url()).pathname), alerts, code: shown };
}

/**
 * Clicks 退出 in the top frame of main.asp, and 退出 again on the page that asks (only a
 * post with the session's token logs out); resolves once the login page is back.
 */
export async function logout(visitor) {
  const { page } = visitor;
  if (!/\/main\.asp$/i.test(new URL(page.url()).pathname)) await page.goto('main.asp');
  const top = await frameNamed(page, /top\.asp$/i);
  const exit = top.locator('a[href*="exit.asp" i]').first();
  await Promise.all([page.waitForURL(/exit\.asp|index\.asp|\/$/i, { timeout: 30_000 }), exit.click()]);
  if (/exit\.asp/i.test(page.url())) {
    const confirm = page.locator('form[action*="exit.asp" i] input[type="submit"]');
    if (await confirm.count()) await Promise.all([page.waitForURL(/index\.asp|\/$/i, { timeout: 30_000 }), confirm.click()]);
    else await page.waitForURL(/index\.asp|\/$/i, { timeout: 30_000 });
  }
}

/** The frame of `page` whose address matches, once it has loaded. */
export async function frameNamed(page, urlPattern, timeout = 30_000) {
  const deadline = Date.now() + timeout;
  while (Date.now() < deadline) {
    const frame = page.frames().find((f) => urlPattern.test(new URL(f.url(), 'http://x/').pathname));
    if (frame) {
      await frame.waitForLoadState('load');
      return frame;
    }
    await new Promise((r) => setTimeout(r, 50));
  }
  throw new Error(`no frame at ${urlPattern} (frames: ${page.frames().map((f) => f.url()).join(', ')})`);
}

/**
 * The rows of a form: for each row whose first cell is a label "name：", the field name and
 * what holds its value (input, select, textarea, a hidden input with its editor, or the
 * span a cascade fills).
 */
export async function formRows(frame) {
  return frame.$$eval('form[name="form1"] tr', (trs) => {
    const rows = [];
    for (const tr of trs) {
      const cells = [...tr.children].filter((c) => c.tagName === 'TD');
      if (cells.length !== 2) continue;
      const label = cells[0].textContent.replace(/[\s*]/g, '');
      if (!label.endsWith('：')) continue;
      const control = cells[1].querySelector('[name^="S_"], span[id^="S_"]');
      if (!control) continue;
      const editor = cells[1].querySelector('iframe[src*="ewebeditor"]');
      rows.push({
        field: label.slice(0, -1),
        name: control.getAttribute('name') || control.id,
        tag: control.tagName.toLowerCase(),
        type: (control.getAttribute('type') || '').toLowerCase(),
        editor: !!editor,
        cascade: control.tagName === 'SELECT' && /GetData\(/.test(control.getAttribute('onchange') || ''),
      });
    }
    return rows;
  });
}

/** The label of the option shown by a select. */
async function selectedLabel(frame, name) {
  return frame.$eval(`select[name="${name}"]`, (s) => (s.selectedIndex >= 0 ? s.options[s.selectedIndex].textContent.trim() : ''));
}

async function typeIntoEditor(frame, name, text) {
  const handle = await frame.$(`iframe[src*="ewebeditor"][src*="id=${name}&"], iframe[src*="ewebeditor"][src$="id=${name}"]`);
  if (!handle) throw new Error(`no rich-text editor for ${name}`);
  const editor = await handle.contentFrame();
  await editor.waitForSelector(`body[data-field="${name}"]`);
  const content = editor.locator('#eweb-content');
  await content.fill(text);
  // The field holds the editor's HTML: compare the text it shows.
  await frame.waitForFunction(([n, t]) => {
    const shown = document.createElement('div');
    shown.innerHTML = document.getElementById(n)?.value ?? '';
    return shown.textContent.includes(t);
  }, [name, text], { timeout: 10_000 });
}

/**
 * Fills the form1 of `frame` with `values` (field name → text; for a drop-down the label of
 * the option to choose). A cascade parent is clicked after choosing, and its child waits
 * for the options the site answers.
 */
export async function fillForm(frame, values) {
  const rows = await formRows(frame);
  const byField = new Map(rows.map((r) => [r.field, r]));
  for (const [field, value] of Object.entries(values)) {
    const row = byField.get(field);
    if (!row) throw new Error(`the form has no row for ${field} (rows: ${rows.map((r) => r.field).join(', ')})`);
    if (row.tag === 'span') {
      await frame.waitForSelector(`span#${row.name} select option`, { state: 'attached', timeout: 30_000 });
      await chooseOption(frame, `span#${row.name} select`, value, field);
    } else if (row.tag === 'select') {
      if (row.cascade) {
        // The page fills the child for the first choice as it opens; that answer must be in
        // before the span is emptied, or it could land after the one for the new choice.
        await frame.page().waitForLoadState('networkidle');
        // The answer for the new choice replaces the child's span; empty it first so that
        // waiting for options waits for that answer. Choosing sends the change event.
        await frame.$eval(`select[name="${row.name}"]`, (s) => {
          const child = (s.getAttribute('onchange') || '').match(/GetData\(\s*'([^']+)'/);
          const span = child && document.getElementById(child[1]);
          if (span) span.innerHTML = '';
        });
      }
      await chooseOption(frame, `select[name="${row.name}"]`, value, field);
    } else if (row.editor) {
      await typeIntoEditor(frame, row.name, value);
    } else {
      await frame.fill(`[name="${row.name}"]`, String(value));
    }
  }
  return rows;
}

async function chooseOption(frame, selector, label, field) {
  const labels = await frame.$$eval(`${selector} option`, (os) => os.map((o) => o.textContent.trim()));
  if (!labels.includes(label)) throw new Error(`the drop-down of ${field} has no option "${label}" (it has: ${labels.join(', ') || 'none'})`);
  await frame.selectOption(selector, { label });
}

/**
 * Clicks what sends a change and waits for the whole answer: the answer page loads, raises
 * `expectAlert`, and moves on by itself (the add page's answer to the list, the modify and
 * delete answers back a page); resolves once that next page has loaded.
 */
async function sendAndSettle(visitor, frame, click, expectAlert) {
  const { page } = visitor;
  let navigations = 0;
  const count = (f) => {
    if (f === frame) navigations += 1;
  };
  page.on('framenavigated', count);
  try {
    const mark = visitor.dialogs.length;
    await Promise.all([frame.waitForNavigation({ timeout: 30_000 }), click()]);
    await visitor.waitForAlert(mark, expectAlert);
    const deadline = Date.now() + 30_000;
    while (navigations < 2) {
      if (Date.now() > deadline) throw new Error(`after "${expectAlert}" the answer page should move on to the next page, it stayed at ${frame.url()}`);
      await new Promise((r) => setTimeout(r, 25));
    }
    await frame.waitForLoadState('load');
  } finally {
    page.off('framenavigated', count);
  }
}

/** Submits form1 by its submit button and waits for the answer, its alert and the page after. */
async function submitForm(visitor, frame, expectAlert) {
  await sendAndSettle(visitor, frame, () => frame.click('form[name="form1"] input[type="submit"]'), expectAlert);
}

/** Adds one row through the table's add page; resolves once the site said it was added. */
export async function addRow(visitor, table, values) {
  const { page } = visitor;
  await page.goto(pageUrl(table, 'Add'));
  await fillForm(page.mainFrame(), values);
  await submitForm(visitor, page.mainFrame(), MESSAGES.added);
}

/**
 * Adds a row by posting the add page's form straight (GBK, as the browser sends it): for
 * seeding many rows. `form` maps S_<n> names to values.
 */
export async function postAdd(visitor, table, form) {
  // The session's token, as the add page puts it in its form.
  const page = new TextDecoder('gbk').decode(await (await visitor.context.request.get(pageUrl(table, 'Add'))).body());
  const token = page.match(/name="kovel_token"\s+value="([^"]*)"/);
  const body = formBody({ ...form, ...(token ? { kovel_token: token[1] } : {}), action: 'add' });
  const response = await visitor.context.request.post(pageUrl(table, 'Add'), {
    data: body,
    headers: { 'Content-Type': 'application/x-www-form-urlencoded' },
  });
  // The site answers in GBK.
  const text = new TextDecoder('gbk').decode(await response.body());
  if (response.status() !== 200 || !text.includes(MESSAGES.added)) {
    const alerts = [...text.matchAll(/alert\('([^']*)'\)/g)].map((m) => m[1]);
    throw new Error(`posting ${JSON.stringify(form)} answered ${response.status()} ${alerts.length ? `with the alerts ${alerts.join(', ')}` : `without an alert: ${text.replace(/<[^>]*>/g, ' ').replace(/\s+/g, ' ').trim().slice(0, 300)}`}`);
  }
}

/** A form body as the site's GBK pages post it. */
export function formBody(form) {
  const escape = (text) => [...encodeGbk(String(text))].map((b) => (
    /[A-Za-z0-9*\-._]/.test(String.fromCharCode(b)) ? String.fromCharCode(b) : b === 0x20 ? '+' : `%${b.toString(16).toUpperCase().padStart(2, '0')}`
  )).join('');
  return Object.entries(form).map(([k, v]) => `${escape(k)}=${escape(v)}`).join('&');
}

/** The modify page's form as it opens for row `id`: field → shown value (option label for a select). */
export async function modifyFormValues(visitor, table, id) {
  const { page } = visitor;
  await page.goto(pageUrl(table, 'Modify', `?ID=${id}`));
  const frame = page.mainFrame();
  const shown = {};
  for (const row of await formRows(frame)) {
    shown[row.field] = row.tag === 'select' ? await selectedLabel(frame, row.name) : await frame.inputValue(`[name="${row.name}"]`);
  }
  return shown;
}

/** Changes row `id` through the modify page. */
export async function modifyRow(visitor, table, id, values) {
  const { page } = visitor;
  await page.goto(pageUrl(table, 'Modify', `?ID=${id}`));
  await fillForm(page.mainFrame(), values);
  await submitForm(visitor, page.mainFrame(), MESSAGES.modified);
}

/** The display page of row `id`: field → the text it shows (label of the chosen option for a select). */
export async function displayRow(visitor, table, id) {
  const { page } = visitor;
  await page.goto(pageUrl(table, 'Display', `?ID=${id}`));
  return page.$$eval('tr', (trs) => {
    const shown = {};
    for (const tr of trs) {
      const cells = [...tr.children].filter((c) => c.tagName === 'TD');
      if (cells.length !== 2) continue;
      const label = cells[0].textContent.replace(/\s/g, '');
      if (!label.endsWith('：')) continue;
      const select = cells[1].querySelector('select');
      shown[label.slice(0, -1)] = select
        ? (select.selectedIndex >= 0 ? select.options[select.selectedIndex].textContent.trim() : '')
        : cells[1].textContent.replace(/\u00a0/g, ' ').trim();
    }
    return shown;
  });
}

/**
 * The list page as shown: its headers, rows ({id, cells: {header: text}}), the page bar's
 * totals ({records, page, pages}) and the conditions it shows.
 */
export async function readList(frame) {
  return frame.evaluate(() => {
    const boxes = [...document.querySelectorAll('form[name="form1"] input[type="checkbox"][name="ID"]')];
    const table = document.querySelector('form[name="form1"] table');
    const headerRow = table ? [...table.rows].find((r) => r.querySelector('td.category')) : null;
    const headers = headerRow ? [...headerRow.cells].map((c) => c.textContent.trim()) : [];
    const rows = boxes.map((box) => {
      const tr = box.closest('tr');
      const cells = {};
      [...tr.cells].forEach((c, i) => {
        if (i < headers.length) cells[headers[i]] = c.textContent.replace(/\u00a0/g, ' ').trim();
      });
      // The row leads to its display page by a link inside it or by a click on the row.
      const target = `_display.asp?id=${box.value}'`;
      const displays = !!tr.querySelector(`a[href*="_Display.asp?ID=${box.value}" i]`) || (tr.getAttribute('onclick') || '').toLowerCase().includes(target);
      return { id: Number(box.value), cells, displays };
    });
    const bar = document.querySelector('.pagebar')?.textContent ?? '';
    const m = bar.match(/共\s*(\d+)\s*条记录，第\s*(\d+)\/(\d+)\s*页/);
    return {
      headers,
      rows,
      totals: m ? { records: Number(m[1]), page: Number(m[2]), pages: Number(m[3]) } : null,
      conditions: document.getElementById('SearchText')?.value ?? '',
      empty: !!document.querySelector('.nodata'),
    };
  });
}

export async function openList(visitor, table, query = '') {
  await visitor.page.goto(pageUrl(table, 'List', query));
  return readList(visitor.page.mainFrame());
}

/**
 * Searches on the list page with the search bar: each condition is
 *   {field, op: '等于'|'大于'|'小于'|'大于等于'|'小于等于'|'近似', value} or {field, from, to}
 * added with 加条件, then 搜索. Resolves with the list shown.
 */
export async function search(visitor, table, conditions) {
  const { page } = visitor;
  await page.goto(pageUrl(table, 'List'));
  for (const c of conditions) {
    await page.selectOption('#S_120', { label: c.field });
    if ('from' in c) {
      await page.fill('#S_STime', c.from);
      await page.fill('#S_ETime', c.to);
    } else {
      await page.selectOption('#bank', { label: c.op });
      await page.fill('#keyword', String(c.value));
    }
    await page.click('input[type="button"][value="加条件"]');
  }
  await Promise.all([page.waitForNavigation({ timeout: 30_000 }), page.click('#SearchForm input[type="submit"]')]);
  return readList(page.mainFrame());
}

/** Follows a link of the list's page bar (首页, 上一页, 下一页, 尾页). */
export async function followPageLink(visitor, text) {
  const { page } = visitor;
  const link = page.locator('.pagebar a', { hasText: text });
  if ((await link.count()) === 0) throw new Error(`the page bar has no link ${text}`);
  await Promise.all([page.waitForNavigation({ timeout: 30_000 }), link.first().click()]);
  return readList(page.mainFrame());
}

/** Ticks the rows `ids` on the list shown and deletes them with 删除选中. */
export async function deleteRows(visitor, ids) {
  const { page } = visitor;
  for (const id of ids) await page.check(`form[name="form1"] input[name="ID"][value="${id}"]`);
  const mark = visitor.dialogs.length;
  await sendAndSettle(visitor, page.mainFrame(), () => page.click('form[name="form1"] input[type="submit"]'), MESSAGES.deleted);
  const asked = visitor.alertsSince(mark);
  if (!visitor.dialogs.slice(mark).some((d) => d.type === 'confirm')) throw new Error(`no confirmation was asked before deleting (dialogs: ${asked.join(', ')})`);
}
