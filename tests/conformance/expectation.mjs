// The .expect file beside each conformance page: `@` directives at the top, then the body
// the page must answer with. See README.md.

const known = new Set(['unsure', 'note', 'query', 'method', 'form', 'header', 'before', 'status', 'response-header', 'match']);

/** Reads an .expect file into {unsure, query, method, form, headers, before, status, responseHeaders, match, body}. */
export function parseExpectation(text) {
  const spec = { unsure: null, before: [], headers: {}, responseHeaders: [], status: 200, match: 'exact' };
  const lines = text.replace(/\r\n/g, '\n').split('\n');
  let at = 0;
  for (; at < lines.length; at++) {
    const line = lines[at];
    if (!line.startsWith('@') || line.startsWith('@@')) break;
    const space = line.indexOf(' ');
    const name = (space < 0 ? line.slice(1) : line.slice(1, space)).toLowerCase();
    const value = space < 0 ? '' : line.slice(space + 1);
    if (!known.has(name)) throw new Error(`unknown directive @${name}`);
    if (name === 'unsure') spec.unsure = value || 'unsure';
    else if (name === 'query') spec.query = value;
    else if (name === 'method') spec.method = value;
    else if (name === 'form') spec.form = value;
    else if (name === 'before') spec.before.push(value.replace(/^\//, ''));
    else if (name === 'status') spec.status = Number(value);
    else if (name === 'match') {
      if (!['exact', 'contains', 'regex'].includes(value)) throw new Error(`@match ${value}: exact, contains or regex`);
      spec.match = value;
    } else if (name === 'header' || name === 'response-header') {
      const colon = value.indexOf(':');
      if (colon < 1) throw new Error(`@${name} needs "Name: value"`);
      const pair = [value.slice(0, colon).trim(), value.slice(colon + 1).trim()];
      if (name === 'header') spec.headers[pair[0]] = pair[1];
      else spec.responseHeaders.push(pair);
    }
  }
  spec.body = lines
    .slice(at)
    .map((l) => (l.startsWith('@@') ? l.slice(1) : l))
    .join('\n')
    .trim();
  return spec;
}

const normalise = (text) => text.replace(/\r\n/g, '\n').trim();

function shorten(text) {
  const one = text.replace(/\n/g, '\\n');
  return one.length > 300 ? one.slice(0, 300) + '…' : one;
}

/** {pass, why} for a response {status, headers, text} against a parsed expectation. */
export function judge(spec, response) {
  if (response.status !== spec.status) {
    const place = response.headers['x-tabulon-error-file'] ? ` [${response.headers['x-tabulon-error-file']}:${response.headers['x-tabulon-error-line']}]` : '';
    const message = /<p>\s*<font[^>]*>([^<]*)<\/font>/.exec(response.text);
    const said = message ? `"${message[1]}"${place}` : shorten(normalise(response.text));
    return { pass: false, why: `status ${response.status}, expected ${spec.status}: ${said}` };
  }
  for (const [name, value] of spec.responseHeaders) {
    const got = response.headers[name.toLowerCase()];
    const values = Array.isArray(got) ? got : got === undefined ? [] : [String(got)];
    if (!values.some((v) => v === value)) return { pass: false, why: `header ${name}: got ${JSON.stringify(got)}, expected ${JSON.stringify(value)}` };
  }
  const text = normalise(response.text);
  if (spec.match === 'exact') {
    if (text !== spec.body) return { pass: false, why: `got "${shorten(text)}", expected "${shorten(spec.body)}"` };
  } else if (spec.match === 'regex') {
    if (!new RegExp(spec.body, 'u').test(text)) return { pass: false, why: `"${shorten(text)}" does not match /${shorten(spec.body)}/` };
  } else {
    let from = 0;
    for (const line of spec.body.split('\n').map((l) => l.trim()).filter(Boolean)) {
      const found = text.indexOf(line, from);
      if (found < 0) return { pass: false, why: `"${line}" not found (in order) in "${shorten(text)}"` };
      from = found + line.length;
    }
  }
  return { pass: true };
}
