// GBK encoding for Node, which can decode GBK (TextDecoder) but not encode it:
// a reverse table built once from the decoder.
let table = null;

function reverseTable() {
  if (table) return table;
  table = new Map();
  const dec = new TextDecoder('gbk');
  for (let hi = 0x81; hi <= 0xfe; hi++) {
    for (let lo = 0x40; lo <= 0xfe; lo++) {
      if (lo === 0x7f) continue;
      const ch = dec.decode(Uint8Array.of(hi, lo));
      if (ch.length === 1 && ch !== '\ufffd' && !table.has(ch)) table.set(ch, (hi << 8) | lo);
    }
  }
  return table;
}

/** GBK bytes of `text`; throws on a character GBK cannot hold. */
export function encodeGbk(text) {
  const bytes = [];
  for (const ch of text) {
    const code = ch.codePointAt(0);
    if (code < 0x80) bytes.push(code);
    else {
      const pair = reverseTable().get(ch);
      if (pair === undefined) throw new Error(`no GBK code for U+${code.toString(16).toUpperCase()} (${ch})`);
      bytes.push(pair >> 8, pair & 0xff);
    }
  }
  return Buffer.from(bytes);
}
