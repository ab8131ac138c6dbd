// Reading a served form the way a browser would post it untouched.

const NAMED = { quot: '"', amp: '&', lt: '<', gt: '>', apos: "'", nbsp: '\u00a0' };

/** Text of an attribute value with its character references decoded. */
export function decodeEntities(text) {
  return text.replace(/&(#x[0-9a-f]+|#[0-9]+|[a-z]+);/gi, (whole, ref) => {
    if (ref[0] === '#') return String.fromCodePoint(ref[1] === 'x' || ref[1] === 'X' ? parseInt(ref.slice(2), 16) : Number(ref.slice(1)));
    return NAMED[ref.toLowerCase()] ?? whole;
  });
}

function attribute(tag, name) {
  const m = new RegExp(`\\s${name}\\s*=\\s*("([^"]*)"|'([^']*)'|([^\\s>]+))`, 'i').exec(tag);
  return m ? (m[2] ?? m[3] ?? m[4]) : null;
}

/**
 * The S_n values a browser posts for an untouched form: text inputs as their value with
 * line breaks dropped (HTML's value sanitisation), hidden inputs with line breaks as CR LF
 * (the parser's and the form encoder's normalisation), selects as the chosen option.
 * Password boxes post what they show: nothing.
 */
export function untouchedForm(body) {
  const fields = {};
  for (const [tag] of body.matchAll(/<input\b[^>]*>/gi)) {
    const name = attribute(tag, 'name');
    if (!name || !/^S_\d+$/.test(name)) continue;
    const type = (attribute(tag, 'type') ?? 'text').toLowerCase();
    let value = decodeEntities(attribute(tag, 'value') ?? '');
    if (type === 'text') value = value.replace(/[\r\n]/g, '');
    else value = value.replace(/\r\n?/g, '\n').replace(/\n/g, '\r\n');
    fields[name] = value;
  }
  for (const m of body.matchAll(/<select name="(S_\d+)"[^>]*>([\s\S]*?)<\/select>/gi)) {
    const chosen = /<option selected value=("?)([^"\s>]*)\1>/i.exec(m[2]) ?? /<option value=("?)([^"\s>]*)\1>/i.exec(m[2]);
    if (chosen) fields[m[1]] = chosen[2];
  }
  return fields;
}

/** The form token of a page. */
export function tokenOf(body) {
  return /name="kovel_token" value="([0-9a-f]+)"/.exec(body)?.[1];
}
