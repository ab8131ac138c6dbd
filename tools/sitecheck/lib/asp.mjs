// Reading classic-ASP pages the way IIS does before its script engine sees
// them: decode the bytes, splice server-side includes in textually, then cut
// the text into literal HTML, <% code %>, <%= expressions %>, <%@ directives %>
// and <script runat="server"> blocks. Every character of the spliced text can
// be traced back to the file and line it came from.
import fs from 'node:fs';
import path from 'node:path';
import { CaseInsensitiveFs, floorIndex, lineStarts } from './paths.mjs';

/** Decodes page bytes: UTF-8 when they start with its byte-order mark, else `encoding` (GBK by default). */
export function decodePage(bytes, encoding = 'gbk') {
  if (typeof bytes === 'string') return bytes;
  const buf = Buffer.isBuffer(bytes) ? bytes : Buffer.from(bytes);
  if (buf.length >= 3 && buf[0] === 0xef && buf[1] === 0xbb && buf[2] === 0xbf) {
    return new TextDecoder('utf-8').decode(buf.subarray(3));
  }
  return new TextDecoder(encoding).decode(buf);
}

// <!-- #include file="a.asp" -->, <!--#INCLUDE virtual='/inc/b.asp'-->, ...
export const INCLUDE_RE = /<!--\s*#include\s+(file|virtual)\s*=\s*(?:"([^"]*)"|'([^']*)'|([^\s"'>]+?))\s*-->/gi;

/**
 * Where each character of a spliced text came from. `chunks` are pieces of
 * one source file, in text order: {start, file, line, chain}, where `line` is
 * the source line of the chunk's first character and `chain` lists the
 * include directives ({file, line}) that led from the page to that file.
 */
export class SourceMap {
  constructor(text, chunks) {
    this.text = text;
    this.chunks = chunks;
    this.starts = lineStarts(text);
    for (const c of chunks) c.textLine = floorIndex(this.starts, c.start);
  }

  /** {file, line, chain} of the character at `offset` (an offset at the very end maps to the last chunk). */
  origin(offset) {
    if (this.chunks.length === 0) return { file: null, line: 1, chain: [] };
    let ci = floorIndex(this.chunks, offset, (c) => c.start);
    if (ci < 0) ci = 0;
    const c = this.chunks[ci];
    const textLine = floorIndex(this.starts, offset);
    return { file: c.file, line: c.line + (textLine - c.textLine), chain: c.chain };
  }
}

/**
 * Splices the includes of `pagePath` in, recursively, as IIS does before
 * compiling. `file=` is relative to the including file's folder, `virtual=`
 * to `root` (or to the including file's folder when it does not start with a
 * slash). Names resolve case-insensitively. Returns {text, map, errors}; each
 * error is {file, line, chain, message}.
 */
export function expandIncludes(pagePath, { root = null, encoding = 'gbk', fsci = new CaseInsensitiveFs(), maxDepth = 16 } = {}) {
  const siteRoot = path.resolve(root ?? path.dirname(pagePath));
  let out = '';
  const chunks = [];
  const errors = [];
  const decoded = new Map();

  const read = (file) => {
    if (!decoded.has(file)) decoded.set(file, decodePage(fs.readFileSync(file), encoding));
    return decoded.get(file);
  };
  const append = (piece, file, line, chain) => {
    if (piece.length === 0) return;
    chunks.push({ start: out.length, file, line, chain });
    out += piece;
  };

  const visit = (file, chain) => {
    const text = read(file);
    const starts = lineStarts(text);
    let pos = 0;
    INCLUDE_RE.lastIndex = 0;
    const matches = [...text.matchAll(INCLUDE_RE)];
    for (const m of matches) {
      append(text.slice(pos, m.index), file, floorIndex(starts, pos) + 1, chain);
      const line = floorIndex(starts, m.index) + 1;
      const kind = m[1].toLowerCase();
      const target = (m[2] ?? m[3] ?? m[4] ?? '').trim();
      let resolved = null;
      if (target === '') {
        errors.push({ file, line, chain, message: `empty #include ${kind}` });
      } else {
        const virtualFromRoot = kind === 'virtual' && /^[\\/]/.test(target);
        const base = virtualFromRoot ? siteRoot : path.dirname(file);
        resolved = fsci.resolve(base, target);
        if (resolved === null || !fs.statSync(resolved).isFile()) {
          errors.push({ file, line, chain, message: `missing include: #include ${kind}="${target}"` });
          resolved = null;
        }
      }
      if (resolved !== null) {
        const nextChain = chain.concat([{ file, line }]);
        if (resolved === pagePath || chain.some((c) => c.file === resolved)) {
          errors.push({ file, line, chain, message: `include cycle: #include ${kind}="${target}"` });
        } else if (nextChain.length > maxDepth) {
          errors.push({ file, line, chain, message: `includes nested deeper than ${maxDepth}` });
        } else {
          visit(resolved, nextChain);
        }
      }
      pos = m.index + m[0].length;
    }
    append(text.slice(pos), file, floorIndex(starts, pos) + 1, chain);
  };

  visit(path.resolve(pagePath), []);
  return { text: out, map: new SourceMap(out, chunks), errors, sources: decoded };
}

/** Reads the attributes of an HTML start tag beginning at `tagStart`; returns {end, attrs} (end just after '>') or null. */
export function readStartTag(text, tagStart) {
  let i = tagStart + 1;
  while (i < text.length && /[A-Za-z0-9]/.test(text[i])) i++;
  const attrs = {};
  while (i < text.length) {
    while (i < text.length && /\s/.test(text[i])) i++;
    if (text[i] === '>') return { end: i + 1, attrs };
    if (text[i] === '/' && text[i + 1] === '>') return { end: i + 2, attrs };
    const nameStart = i;
    while (i < text.length && !/[\s=>]/.test(text[i]) && !(text[i] === '/' && text[i + 1] === '>')) i++;
    const name = text.slice(nameStart, i).toLowerCase();
    if (name === '') { i++; continue; }
    while (i < text.length && /\s/.test(text[i])) i++;
    let value = '';
    if (text[i] === '=') {
      i++;
      while (i < text.length && /\s/.test(text[i])) i++;
      const q = text[i];
      if (q === '"' || q === "'") {
        const close = text.indexOf(q, i + 1);
        if (close < 0) return null;
        value = text.slice(i + 1, close);
        i = close + 1;
      } else {
        const vs = i;
        while (i < text.length && !/[\s>]/.test(text[i])) i++;
        value = text.slice(vs, i);
      }
    }
    attrs[name] = value;
  }
  return null;
}

function scriptLanguage(attrs) {
  const lang = (attrs.language ?? attrs.type ?? 'vbscript').toLowerCase();
  if (/vbs/.test(lang)) return 'vbscript';
  if (/j(ava)?script|ecmascript/.test(lang)) return 'jscript';
  return lang;
}

/**
 * Cuts ASP text into segments {kind, start, end, contentStart, contentEnd, ...}:
 * 'text' (literal HTML), 'code' (<% %>), 'expr' (<%= %>), 'directive' (<%@ %>,
 * with `attrs`), 'script' (<script runat="server">, with `language`).
 * `%>` ends a block wherever it stands, even inside a VBScript string, as in
 * IIS. Returns {segments, errors}; an error is {offset, message}.
 */
export function splitAsp(text) {
  const segments = [];
  const errors = [];
  let textStart = 0; // start of the literal text not yet pushed
  let scan = 0; // where to look for the next opening
  const pushText = (from, to) => {
    if (to > from) segments.push({ kind: 'text', start: from, end: to, contentStart: from, contentEnd: to });
  };
  const opening = /<%|<script\b/gi;
  for (;;) {
    opening.lastIndex = scan;
    const m = opening.exec(text);
    if (!m) break;
    const at = m.index;
    if (m[0] === '<%') {
      const close = text.indexOf('%>', at + 2);
      pushText(textStart, at);
      if (close < 0) {
        errors.push({ offset: at, message: 'a <% block is never closed by %>' });
        textStart = scan = text.length;
        break;
      }
      const marker = text[at + 2];
      if (marker === '@') {
        const body = text.slice(at + 3, close);
        const attrs = {};
        for (const a of body.matchAll(/([A-Za-z_]+)\s*=\s*(?:"([^"]*)"|'([^']*)'|([^\s"']+))/g)) {
          attrs[a[1].toLowerCase()] = a[2] ?? a[3] ?? a[4];
        }
        segments.push({ kind: 'directive', start: at, end: close + 2, contentStart: at + 3, contentEnd: close, attrs });
      } else if (marker === '=') {
        segments.push({ kind: 'expr', start: at, end: close + 2, contentStart: at + 3, contentEnd: close });
      } else {
        segments.push({ kind: 'code', start: at, end: close + 2, contentStart: at + 2, contentEnd: close });
      }
      textStart = scan = close + 2;
      continue;
    }
    // <script ...> runs on the server only with runat="server"; any other is
    // literal HTML, in which <% %> blocks still run on the server.
    const tag = readStartTag(text, at);
    if (!tag || (tag.attrs.runat ?? '').toLowerCase() !== 'server') {
      scan = at + 1;
      continue;
    }
    const closeRe = /<\/script\s*>/gi;
    closeRe.lastIndex = tag.end;
    const cm = closeRe.exec(text);
    pushText(textStart, at);
    if (!cm) {
      errors.push({ offset: at, message: 'a <script runat="server"> block is never closed' });
      textStart = scan = text.length;
      break;
    }
    segments.push({
      kind: 'script', start: at, end: cm.index + cm[0].length, contentStart: tag.end, contentEnd: cm.index,
      language: scriptLanguage(tag.attrs),
    });
    textStart = scan = cm.index + cm[0].length;
  }
  pushText(textStart, text.length);
  return { segments, errors };
}

/** The language a page declares in its <%@ %> directive, lowercased ('vbscript' when none). */
export function pageLanguage(segments) {
  for (const s of segments) {
    if (s.kind === 'directive' && s.attrs.language) return s.attrs.language.toLowerCase();
  }
  return 'vbscript';
}

/**
 * The page as a browser receives it from a server that ran no code:
 * include directives dropped, <% %> blocks, <%@ %> directives and server
 * <script> blocks removed, each <%= e %> replaced by `value(e, index)` (or
 * by nothing). Accepts bytes (decoded as `encoding`) or text.
 */
export function stripServerBlocks(page, { value = null, encoding = 'gbk' } = {}) {
  const text = decodePage(page, encoding).replace(INCLUDE_RE, '');
  const { segments } = splitAsp(text);
  let out = '';
  let exprIndex = 0;
  for (const s of segments) {
    if (s.kind === 'text') out += text.slice(s.start, s.end);
    else if (s.kind === 'expr') {
      const expr = text.slice(s.contentStart, s.contentEnd).trim();
      const v = value ? value(expr, exprIndex) : '';
      exprIndex++;
      out += v == null ? '' : String(v);
    }
  }
  return out;
}
