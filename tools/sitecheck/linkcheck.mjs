#!/usr/bin/env node
// linkcheck: every link of a site tree must lead to a file of the tree.
//
//   node tools/sitecheck/linkcheck.mjs [--nav-function NAME]... [--encoding NAME] <site folder>
//
// Looks at each .asp, .htm, .html, .css and .js file (and at every file an
// .asp page includes, whatever its name). Targets are resolved without
// regard to case, as IIS on Windows does, after the query (?...) and the
// fragment (#...) are cut off and %-escapes decoded. A path starting with
// "/" starts at the site folder.
//
// What counts as a link (found anywhere in the text, server code included):
//   - <!-- #include file="..." | virtual="..." --> in .asp pages and their
//     includes; file= is relative to the file that holds it, as on IIS;
//   - attributes href=, src=, action=, background= (frames, images, scripts,
//     forms, style sheets), also inside VBScript strings (href=""x.asp"");
//   - JavaScript navigations to a literal string: location = '...',
//     location.href = '...', window.location(.href) = '...', top./parent./
//     frame.location..., location.replace('...'), location.assign('...'),
//     window.open('...');
//   - Response.Redirect "..." and calls of the site's redirect helpers with
//     one literal string, goUrl("...") by default (--nav-function adds more);
//   - CSS url(...) and @import "...".
// What is left alone: javascript:, vbscript:, mailto:, tel:, data:, about:,
//   "#..." and empty targets, absolute http(s):// and //host URLs, and
//   targets built at run time: a path that still holds <%, %>, a quote, a
//   '+', '${' or ' & ' after the query is cut off (e.g. "<%=url%>",
//   "' + page + '"), and an unquoted value holding ( ) [ ] { } ; or ,
//   (that is code: src = scripts[i].getAttribute("src")). HTML comments
//   outside <script>/<style> and the comments of server-side VBScript are
//   skipped (what they name is no link); include directives are not.
// Where a relative target starts from: a page's own folder. HTML written by
//   an include (say inc/top.asp) lands in the pages that include it, so its
//   links are resolved from each including page's folder; a script file's
//   navigations likewise from the folders of the pages that load it. CSS
//   url() always starts at the style sheet's own folder.
//
// Prints "file:line: broken link ..." for each and exits 1; 0 when all
// resolve; 2 on a usage error.
import fs from 'node:fs';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import { decodePage, INCLUDE_RE, splitAsp } from './lib/asp.mjs';
import { lexLine } from './lib/vbs.mjs';
import { CaseInsensitiveFs, floorIndex, isInside, lineStarts, walkFiles } from './lib/paths.mjs';

const PAGE_EXTS = ['.asp', '.htm', '.html'];
const CHECKED_EXTS = [...PAGE_EXTS, '.css', '.js'];

const IGNORED_SCHEME = /^(javascript|vbscript|mailto|tel|data|about|ftp|file|news):/i;
const ABSOLUTE = /^(https?:)?\/\//i;
const DYNAMIC = /<%|%>|["'`+]|\$\{|\s&\s|^&|&$/;

// All with the d flag: the target is cut from the original text by its indices.
const ATTR_RE = /(?<![\w-])(?<!location\s*\.\s*)(href|src|action|background)\s*=\s*(?:""([^"]*)""|"([^"]*)"|'([^']*)'|([^\s>"']+))/gid;
const LOCATION_RE = /\blocation(?:\s*\.\s*href)?\s*=\s*(?:"([^"]*)"|'([^']*)')/gid;
const LOCATION_CALL_RE = /\b(?:location\s*\.\s*(?:replace|assign)|window\s*\.\s*open)\s*\(\s*(?:"([^"]*)"|'([^']*)')/gid;
const REDIRECT_RE = /\bresponse\s*\.\s*redirect\s*\(?\s*"([^"]*)"/gid;
const CSS_URL_RE = /\burl\(\s*(?:"([^"]*)"|'([^']*)'|([^)\s"']*))\s*\)/gid;
const CSS_IMPORT_RE = /@import\s+(?:"([^"]*)"|'([^']*)')/gid;

function navRe(names) {
  if (names.length === 0) return null;
  const alt = names.map((n) => n.replace(/[^A-Za-z0-9_]/g, '')).filter(Boolean).join('|');
  return new RegExp(`\\b(?:${alt})\\s*\\(\\s*"([^"]*)"\\s*\\)`, 'gid');
}

/** Same length, with HTML comments outside <script>/<style> blanked (line breaks kept). */
export function blankHtmlComments(text) {
  const keep = [];
  for (const m of text.matchAll(/<(script|style)\b[\s\S]*?<\/\1\s*>/gi)) keep.push([m.index, m.index + m[0].length]);
  const inKeep = (i) => keep.some(([a, b]) => i >= a && i < b);
  return text.replace(/<!--[\s\S]*?-->/g, (c, at) => {
    if (inKeep(at) || /^<!--\s*#include/i.test(c)) return c;
    return c.replace(/[^\r\n]/g, ' ');
  });
}

/** Decodes %-escapes (as GBK bytes, which is how the pages would send them); undecodable text stays. */
function unescapePath(p) {
  if (!p.includes('%')) return p;
  const bytes = [];
  for (let i = 0; i < p.length; i++) {
    if (p[i] === '%' && /^[0-9a-fA-F]{2}$/.test(p.slice(i + 1, i + 3))) {
      bytes.push(parseInt(p.slice(i + 1, i + 3), 16));
      i += 2;
    } else {
      bytes.push(...Buffer.from(p[i], 'utf8'));
    }
  }
  try {
    return new TextDecoder('gbk', { fatal: true }).decode(Uint8Array.from(bytes));
  } catch {
    return p;
  }
}

/**
 * The path part of a link target, or null when it is not a file link to
 * check (a scheme, an absolute URL, a fragment only, built at run time).
 */
export function linkPath(target) {
  const t = target.trim();
  if (t === '' || t.startsWith('#') || IGNORED_SCHEME.test(t) || ABSOLUTE.test(t) || /^[a-z][a-z0-9+.-]*:\/\//i.test(t)) return null;
  const cut = t.search(/[?#]/);
  const p = cut < 0 ? t : t.slice(0, cut);
  if (p === '' || DYNAMIC.test(p)) return null;
  return unescapePath(p);
}

/** Same length, with the comments of the server-side VBScript blanked: what a comment names is no link. */
export function blankServerComments(text) {
  const out = text.split('');
  for (const seg of splitAsp(text).segments) {
    if (seg.kind !== 'code' && !(seg.kind === 'script' && seg.language === 'vbscript')) continue;
    let lineStart = seg.contentStart;
    for (const line of text.slice(seg.contentStart, seg.contentEnd).split(/(?<=\n)/)) {
      const body = line.replace(/\r?\n$/, '');
      const { comment } = lexLine(body);
      if (comment >= 0) for (let k = lineStart + comment; k < lineStart + body.length; k++) out[k] = ' ';
      lineStart += line.length;
    }
  }
  return out.join('');
}

/** An unquoted attribute value that is code (src = scripts[i].getAttribute(...), src = Request("x")), not a path. */
function looksLikeCode(value) {
  return /[()[\]{};,]/.test(value);
}

/**
 * The text with one-line <%= ... %> blocks emptied (same length): they are
 * values made at run time, and their quotes would end an attribute early.
 */
function neutralizeExpressions(text) {
  return text.replace(/<%=[^\r\n]*?%>/g, (m) => `<%=${'_'.repeat(m.length - 5)}%>`);
}

/** Links in `text` of a file with extension `ext`: [{kind, target, offset, base}] where base is 'file', 'context' or 'include'. */
export function findLinks(text, ext, { navFunctions = ['goUrl'], asPage = false } = {}) {
  const links = [];
  // the first group that took part in the match is the target
  const add = (kind, m, base, first = 1) => {
    for (let g = first; g < m.length; g++) {
      if (m[g] === undefined) continue;
      const [start, end] = m.indices[g];
      links.push({ kind, target: text.slice(start, end), offset: m.index, base });
      return;
    }
  };
  const isCss = ext === '.css';
  const isPage = asPage || PAGE_EXTS.includes(ext);
  if (isCss) {
    const noComments = text.replace(/\/\*[\s\S]*?\*\//g, (c) => c.replace(/[^\r\n]/g, ' '));
    for (const m of noComments.matchAll(CSS_URL_RE)) add('url()', m, 'file');
    for (const m of noComments.matchAll(CSS_IMPORT_RE)) add('@import', m, 'file');
    return links;
  }
  const scan = isPage ? neutralizeExpressions(blankHtmlComments(blankServerComments(text))) : text;
  if (asPage || ext === '.asp') {
    for (const m of text.matchAll(INCLUDE_RE)) {
      links.push({ kind: `#include ${m[1].toLowerCase()}`, target: m[2] ?? m[3] ?? m[4] ?? '', offset: m.index, base: 'include', virtual: m[1].toLowerCase() === 'virtual' });
    }
  }
  for (const m of scan.matchAll(ATTR_RE)) {
    if (m[5] !== undefined && looksLikeCode(m[5])) continue;
    add(m[1].toLowerCase(), m, 'context', 2);
  }
  for (const m of scan.matchAll(LOCATION_RE)) add('location', m, 'context');
  for (const m of scan.matchAll(LOCATION_CALL_RE)) add('location', m, 'context');
  if (isPage) {
    for (const m of scan.matchAll(REDIRECT_RE)) add('Response.Redirect', m, 'context');
    const nav = navRe(navFunctions);
    if (nav) for (const m of scan.matchAll(nav)) add('redirect helper', m, 'context');
    for (const m of scan.matchAll(CSS_URL_RE)) add('url()', m, 'context');
  }
  // <script src=...>: remembered so that the script's own navigations start from this page
  for (const l of links) {
    if (l.kind === 'src' && /<script\b[^>]*$/i.test(scan.slice(Math.max(0, l.offset - 400), l.offset))) l.script = true;
  }
  return links;
}

/**
 * Checks the site folder `root`. Returns {files, links, broken} where broken
 * is [{file, line, kind, target, from}] (from: the folder the target was
 * resolved from, when that is not the file's own).
 */
export function checkSite(root, { navFunctions = ['goUrl'], encoding = 'gbk' } = {}) {
  const siteRoot = path.resolve(root);
  const fsci = new CaseInsensitiveFs();
  const files = walkFiles(siteRoot, (n) => CHECKED_EXTS.some((e) => n.endsWith(e)));
  const info = new Map(); // file -> {text, starts, links, includes: [file], asPage}
  const load = (file, asPage) => {
    let entry = info.get(file);
    if (entry && (!asPage || entry.asPage)) return entry;
    const text = decodePage(fs.readFileSync(file), encoding);
    entry = { text, starts: lineStarts(text), asPage, includes: [] };
    entry.links = findLinks(text, path.extname(file).toLowerCase(), { navFunctions, asPage });
    info.set(file, entry);
    return entry;
  };
  const resolveFrom = (folder, target, virtualInclude = false) => {
    const p = virtualInclude || target.startsWith('/') || target.startsWith('\\') ? siteRoot : folder;
    const found = fsci.resolve(p, target, siteRoot);
    return found !== null && isInside(siteRoot, found) ? found : null;
  };

  // 1. includes: who includes whom (files outside the checked extensions join in)
  const queue = [...files];
  const includedBy = new Map();
  while (queue.length) {
    const file = queue.shift();
    const entry = load(file, includedBy.has(file) || path.extname(file).toLowerCase() === '.asp');
    for (const l of entry.links) {
      if (l.base !== 'include') continue;
      const target = l.target.trim();
      const found = target === '' ? null : resolveFrom(path.dirname(file), target, l.virtual && /^[\\/]/.test(target));
      l.resolved = found;
      if (found && fs.statSync(found).isFile()) {
        entry.includes.push(found);
        if (!includedBy.has(found)) includedBy.set(found, new Set());
        const known = includedBy.get(found).size > 0 || info.has(found);
        includedBy.get(found).add(file);
        if (!known || !info.get(found)?.asPage) queue.push(found);
      } else {
        l.resolved = null;
      }
    }
  }

  // 2. the folders a file's HTML is read from: its own, or those of the pages including it
  const contexts = new Map();
  const contextOf = (file, seen = new Set()) => {
    if (contexts.has(file)) return contexts.get(file);
    const parents = includedBy.get(file);
    let result;
    if (!parents || parents.size === 0 || seen.has(file)) result = new Set([path.dirname(file)]);
    else {
      seen.add(file);
      result = new Set();
      for (const p of parents) for (const c of contextOf(p, seen)) result.add(c);
    }
    contexts.set(file, result);
    return result;
  };

  // 3. script files take the folders of the pages that load them
  const scriptContexts = new Map();
  for (const [file, entry] of info) {
    for (const l of entry.links) {
      if (!l.script) continue;
      const p = linkPath(l.target);
      if (p === null) continue;
      for (const folder of contextOf(file)) {
        const found = resolveFrom(folder, p);
        if (found && found.toLowerCase().endsWith('.js')) {
          if (!scriptContexts.has(found)) scriptContexts.set(found, new Set());
          scriptContexts.get(found).add(folder);
        }
      }
    }
  }

  // 4. every link from every folder it is read from
  const broken = [];
  let count = 0;
  for (const [file, entry] of [...info].sort((a, b) => (a[0] < b[0] ? -1 : 1))) {
    const ext = path.extname(file).toLowerCase();
    const folders = ext === '.js' ? (scriptContexts.get(file) ?? new Set([path.dirname(file)])) : contextOf(file);
    for (const l of entry.links) {
      const line = floorIndex(entry.starts, l.offset) + 1;
      if (l.base === 'include') {
        count++;
        if (!l.resolved) broken.push({ file, line, kind: l.kind, target: l.target, from: null });
        continue;
      }
      const p = linkPath(l.target);
      if (p === null) continue;
      count++;
      const from = l.base === 'file' ? [path.dirname(file)] : [...folders];
      for (const folder of from) {
        if (resolveFrom(folder, p) === null) {
          broken.push({ file, line, kind: l.kind, target: l.target, from: folder === path.dirname(file) ? null : folder });
          break;
        }
      }
    }
  }
  broken.sort((a, b) => (a.file < b.file ? -1 : a.file > b.file ? 1 : a.line - b.line));
  return { files: info.size, links: count, broken };
}

function displayPath(file) {
  const rel = path.relative(process.cwd(), file);
  return rel && !rel.startsWith('..') && !path.isAbsolute(rel) ? rel : file;
}

export function main(argv) {
  const navFunctions = ['goUrl'];
  let encoding = 'gbk';
  const inputs = [];
  for (let i = 0; i < argv.length; i++) {
    const a = argv[i];
    if (a === '--nav-function' && i + 1 < argv.length) navFunctions.push(argv[++i]);
    else if (a === '--encoding' && i + 1 < argv.length) encoding = argv[++i];
    else if (a.startsWith('-')) {
      console.error(`linkcheck: unknown option ${a}\nusage: node tools/sitecheck/linkcheck.mjs [--nav-function NAME]... [--encoding NAME] <site folder>`);
      return 2;
    } else inputs.push(a);
  }
  if (inputs.length !== 1 || !fs.existsSync(inputs[0]) || !fs.statSync(inputs[0]).isDirectory()) {
    console.error('usage: node tools/sitecheck/linkcheck.mjs [--nav-function NAME]... [--encoding NAME] <site folder>');
    return 2;
  }
  const result = checkSite(inputs[0], { navFunctions, encoding });
  for (const b of result.broken) {
    const from = b.from ? ` (resolved from ${displayPath(b.from)}/, the folder of a page that uses this file)` : '';
    console.log(`${displayPath(b.file)}:${b.line}: broken link ${b.kind} "${b.target}"${from}`);
  }
  console.log(`linkcheck: ${result.files} file(s), ${result.links} link(s) checked, ${result.broken.length} broken`);
  return result.broken.length ? 1 : 0;
}

if (process.argv[1] && path.resolve(process.argv[1]) === fileURLToPath(import.meta.url)) {
  process.exitCode = main(process.argv.slice(2));
}
