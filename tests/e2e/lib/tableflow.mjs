// The life of one table's rows on a served site, each step checked against the working
// copy: add, list, display, modify, search, delete one and several.
import assert from 'node:assert/strict';
import * as act from './actions.mjs';
import { assertShown, assertStored, columnTypes, storedFor } from './expect.mjs';
import { unlessKnown } from './session.mjs';
import * as wc from './workcopy.mjs';

export const PAGE_SIZE = 15;

/** label → id of a linked table's rows. */
export function linkLabels(copy, link) {
  const labels = {};
  for (const row of wc.query(copy, `SELECT id, "${link.field}" AS label FROM "${link.table}"`)) labels[String(row.label)] = row.id;
  return labels;
}

/** id → label of a linked table's rows. */
function labelFinder(copy, field) {
  const labels = linkLabels(copy, field.link);
  const byId = Object.fromEntries(Object.entries(labels).map(([label, id]) => [String(id), label]));
  return (id) => byId[String(id)];
}

/** What the working copy should hold for a row typed as `values`. */
export function expectedRow(copy, table, values) {
  const expected = {};
  for (const field of table.fields) {
    if (!(field.name in values)) continue;
    expected[field.name] = storedFor(field, values[field.name], field.link ? linkLabels(copy, field.link) : null);
  }
  return expected;
}

export function assertRowHolds(table, stored, expected, where) {
  assert.ok(stored, `${where}: the row is not in the working copy`);
  for (const field of table.fields) {
    if (field.name in expected) assertStored(field, stored[field.name], expected[field.name], where);
  }
}

/** Every shown field of `shown` (field → text) against the stored row. */
export async function assertRowShown(copy, table, shown, stored, where) {
  for (const field of table.fields) {
    if (!field.secret) assert.ok(field.name in shown, `${where}: ${field.name} is not shown (shown: ${Object.keys(shown).join(', ')})`);
    await unlessKnown(() => assertShown(field, shown[field.name], stored[field.name], where, field.link ? labelFinder(copy, field) : null));
  }
}

export class TableFlow {
  constructor({ visitor, copy, table }) {
    this.visitor = visitor;
    this.copy = copy;
    this.table = table;
    this.types = columnTypes(table);
  }

  rows() {
    return wc.rows(this.copy, this.table.name, this.types);
  }

  page(kind) {
    return `${act.pageUrl(this.table, kind)} of ${this.table.name}`;
  }

  /** Adds a row on the add page; checks the copy holds exactly what was typed; returns its id. */
  async add(values) {
    const before = new Set(this.rows().map((r) => r.id));
    await this.visitor.step(this.page('Add'), `adding ${JSON.stringify(values)}`, () => act.addRow(this.visitor, this.table, values));
    const added = this.rows().filter((r) => !before.has(r.id));
    assert.equal(added.length, 1, `${this.page('Add')}: expected one new row in the working copy, found ${added.length}`);
    assertRowHolds(this.table, added[0], expectedRow(this.copy, this.table, values), `${this.page('Add')} after adding`);
    return added[0].id;
  }

  /** The list's first page against the copy: the rows in key order, each cell as stored. */
  async checkList() {
    const list = await this.visitor.step(this.page('List'), 'opening the list', () => act.openList(this.visitor, this.table));
    const stored = this.rows();
    const where = `${this.page('List')}, first page`;
    assert.deepEqual(list.rows.map((r) => r.id), stored.slice(0, PAGE_SIZE).map((r) => r.id), `${where}: expected the first ${PAGE_SIZE} rows of the working copy in key order`);
    assert.deepEqual(list.totals, { records: stored.length, page: 1, pages: Math.max(1, Math.ceil(stored.length / PAGE_SIZE)) }, `${where}: the page bar's totals`);
    const byId = new Map(stored.map((r) => [r.id, r]));
    for (const row of list.rows) {
      await assertRowShown(this.copy, this.table, row.cells, byId.get(row.id), `${where}, row ${row.id}`);
      assert.ok(row.displays, `${where}, row ${row.id}: expected the row to lead to its display page`);
    }
    return list;
  }

  async checkDisplay(id) {
    const shown = await this.visitor.step(this.page('Display'), `showing row ${id}`, () => act.displayRow(this.visitor, this.table, id));
    await assertRowShown(this.copy, this.table, shown, wc.rowById(this.copy, this.table.name, id, this.types), `${this.page('Display')}?ID=${id}`);
  }

  /** The modify page opens with the stored values; saving `values` changes that row only. */
  async modify(id, values) {
    const where = `${this.page('Modify')}?ID=${id}`;
    const shown = await this.visitor.step(this.page('Modify'), `opening row ${id}`, () => act.modifyFormValues(this.visitor, this.table, id));
    const stored = wc.rowById(this.copy, this.table.name, id, this.types);
    const formFields = this.table.fields.filter((f) => !f.editor);
    await assertRowShown(this.copy, { ...this.table, fields: formFields }, shown, stored, `${where}, the form as it opens`);
    const others = this.rows().filter((r) => r.id !== id);
    // The form as it opened saves back unchanged, every field and every type.
    await this.visitor.step(this.page('Modify'), `saving row ${id} untouched`, () => act.modifyRow(this.visitor, this.table, id, {}));
    const untouched = wc.rowById(this.copy, this.table.name, id, this.types);
    for (const field of this.table.fields) {
      await unlessKnown(() => assert.deepEqual(untouched[field.name], stored[field.name], `${where}, saved untouched: ${field.name} should keep ${JSON.stringify(stored[field.name])}, the working copy has ${JSON.stringify(untouched[field.name])}`));
    }
    await this.visitor.step(this.page('Modify'), `saving ${JSON.stringify(values)}`, () => act.modifyRow(this.visitor, this.table, id, values));
    const after = wc.rowById(this.copy, this.table.name, id, this.types);
    assertRowHolds(this.table, after, { ...expectedRow(this.copy, this.table, values) }, `${where} after saving`);
    for (const field of this.table.fields) {
      const name = field.link ? `${field.name} (a drop-down of ${field.type})` : field.name;
      if (!(field.name in values)) {
        await unlessKnown(() => assert.deepEqual(after[field.name], stored[field.name], `${where}: ${name} was not edited and should keep ${JSON.stringify(stored[field.name])}`));
      }
    }
    assert.deepEqual(this.rows().filter((r) => r.id !== id), others, `${where}: the other rows should not change`);
  }

  /**
   * Searches with `conditions` (see actions.search) and checks the rows shown are the
   * stored rows `matches` accepts, in key order, and the conditions stay on the page.
   */
  async search(name, conditions, matches) {
    const list = await this.visitor.step(this.page('List'), `searching ${name}`, () => act.search(this.visitor, this.table, conditions));
    const expected = this.rows().filter(matches).map((r) => r.id);
    const where = `${this.page('List')}, search ${name} (${list.conditions})`;
    assert.ok(expected.length > 0, `${where}: the plan should match some row`);
    assert.deepEqual(list.rows.map((r) => r.id), expected.slice(0, PAGE_SIZE), `${where}: expected the matching rows of the working copy`);
    assert.equal(list.totals?.records, expected.length, `${where}: the page bar should count the matching rows`);
    assert.notEqual(list.conditions, '', `${where}: the conditions should stay in the search bar`);
    return list;
  }

  /** Deletes `ids` ticked on the list (a search keeps them on the first page); checks the copy. */
  async delete(ids, listQuery = '') {
    const keep = this.rows().filter((r) => !ids.includes(r.id));
    await this.visitor.step(this.page('List'), `deleting ${ids.join(', ')}`, async () => {
      await act.openList(this.visitor, this.table, listQuery);
      await act.deleteRows(this.visitor, ids);
    });
    assert.deepEqual(this.rows(), keep, `${this.page('Delete')}: expected rows ${ids.join(', ')} gone and every other row kept`);
  }
}
