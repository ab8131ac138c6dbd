// Turning an ASP page into one plain VBScript program whose every line can be
// traced back to a line of the page or of one of its includes, and a light
// look at the block structure of VBScript (enough to name an unclosed block
// and to work around statements that Wine's parser rejects but Windows takes).
import path from 'node:path';
import { expandIncludes, pageLanguage, splitAsp } from './asp.mjs';
import { CaseInsensitiveFs } from './paths.mjs';

/** The first line(s) of every program: stop before anything runs, so only compilation is tested. */
export const STOP_MARKER = 32123;

/**
 * The line with its string literals, date literals and comment blanked out
 * (same length; the quote and hash characters stay), so that a search for
 * keywords, colons or `.End` cannot hit text inside them.
 */
export function maskLine(line) {
  return lexLine(line).masked;
}

/** {masked, comment}: the masked line and where its comment starts (-1 when none). */
export function lexLine(line) {
  const out = line.split('');
  let comment = -1;
  const n = line.length;
  let i = 0;
  let statementStart = true;
  while (i < n) {
    const c = line[i];
    if (c === '"') {
      i++;
      while (i < n) {
        if (line[i] === '"') {
          if (line[i + 1] === '"') { out[i] = ' '; out[i + 1] = ' '; i += 2; continue; }
          break;
        }
        out[i] = ' ';
        i++;
      }
      i++;
      statementStart = false;
      continue;
    }
    if (c === '#') {
      const close = line.indexOf('#', i + 1);
      if (close > i) {
        for (let k = i + 1; k < close; k++) out[k] = ' ';
        i = close + 1;
        statementStart = false;
        continue;
      }
    }
    if (c === "'") {
      for (let k = i; k < n; k++) out[k] = ' ';
      comment = i;
      break;
    }
    if (c === ':') { statementStart = true; i++; continue; }
    if (/[A-Za-z_]/.test(c)) {
      let j = i + 1;
      while (j < n && /[A-Za-z0-9_]/.test(line[j])) j++;
      if (statementStart && line.slice(i, j).toLowerCase() === 'rem' && (j === n || /\s/.test(line[j]))) {
        for (let k = i; k < n; k++) out[k] = ' ';
        comment = i;
        break;
      }
      statementStart = false;
      i = j;
      continue;
    }
    if (!/\s/.test(c)) statementStart = false;
    i++;
  }
  return { masked: out.join(''), comment };
}

/**
 * Renames `.End` members (Response.End, .End inside With) to `.End_`
 * outside strings and comments: a VBScript class cannot declare a member
 * named End, so stub objects could not offer it under its own name.
 */
export function rewriteEnd(line) {
  const masked = maskLine(line);
  const re = /\.End(?![A-Za-z0-9_])/gi;
  let out = '';
  let pos = 0;
  for (const m of masked.matchAll(re)) {
    out += line.slice(pos, m.index + m[0].length) + '_';
    pos = m.index + m[0].length;
  }
  return out + line.slice(pos);
}

/** Statements of a masked line: [{start, end}] split at colons. */
export function statementsOf(masked) {
  const out = [];
  let start = 0;
  for (let i = 0; i <= masked.length; i++) {
    if (i === masked.length || masked[i] === ':') {
      out.push({ start, end: i });
      start = i + 1;
    }
  }
  return out;
}

function words(text) {
  return (text.match(/[A-Za-z_][A-Za-z0-9_]*/g) ?? []).map((w) => w.toLowerCase());
}

const PROCEDURES = new Set(['sub', 'function', 'property']);

/**
 * What a statement does to the block structure: {open: kind} or
 * {close: kind} or {} (kinds: if, for, do, while, select, with, class, sub,
 * function, property). `lineRest` is the masked text after the statement on
 * its logical line; a block If needs nothing after Then.
 */
export function classifyStatement(text, lineRest = '') {
  const w = words(text);
  if (w.length === 0) return {};
  let k = 0;
  if (w[k] === 'public' || w[k] === 'private') k++;
  if (w[k] === 'default') k++;
  if (PROCEDURES.has(w[k]) && k < w.length - 1) return { open: w[k] };
  if (k > 0) return {};
  switch (w[0]) {
    case 'if': {
      const trimmed = text.replace(/\s+$/, '');
      if (/\bthen$/i.test(trimmed) && lineRest.trim() === '') return { open: 'if' };
      return {};
    }
    case 'for': return { open: 'for' };
    case 'next': return { close: 'for' };
    case 'do': return { open: 'do' };
    case 'loop': return { close: 'do' };
    case 'while': return { open: 'while' };
    case 'wend': return { close: 'while' };
    case 'select': return w[1] === 'case' ? { open: 'select' } : {};
    case 'with': return { open: 'with' };
    case 'class': return { open: 'class' };
    case 'end':
      if (['if', 'select', 'with', 'class', 'sub', 'function', 'property'].includes(w[1])) return { close: w[1] };
      return {};
    default: return {};
  }
}

/**
 * A member declaration straight inside a Class that Wine 8 rejects though
 * Windows accepts it (`Public a, b`, `Private arr(3)`, `Public arr()`),
 * rewritten into an equivalent Wine takes (`Public a : Public b`,
 * `Dim arr(3)`). Returns the new statement text, or null to keep it.
 */
export function rewriteClassMember(text) {
  const m = /^(\s*)(public|private|dim)(\s+)(.*?)(\s*)$/i.exec(text);
  if (!m) return null;
  const [, lead, keyword, , rest, trail] = m;
  const first = words(rest)[0];
  if (first === undefined || ['sub', 'function', 'property', 'default', 'const'].includes(first)) return null;
  const declarators = topLevelParts(rest).map((d) => d.trim());
  const isArray = (d) => d.includes('(');
  const needs = declarators.length > 1 || (keyword.toLowerCase() !== 'dim' && declarators.some(isArray));
  if (!needs || declarators.some((d) => !/^[A-Za-z_][A-Za-z0-9_]*\s*(\(.*\))?$/.test(d))) return null;
  const parts = declarators.map((d) => `${isArray(d) ? 'Dim' : keyword} ${d}`);
  return lead + parts.join(' : ') + trail;
}

/** Splits `text` at commas outside parentheses. */
function topLevelParts(text) {
  const parts = [];
  let depth = 0;
  let start = 0;
  for (let i = 0; i <= text.length; i++) {
    const c = text[i];
    if (c === '(') depth++;
    else if (c === ')') depth--;
    else if ((c === ',' && depth === 0) || i === text.length) {
      parts.push(text.slice(start, i));
      start = i + 1;
    }
  }
  return parts;
}

/**
 * Names a (masked) statement declares: {procedure: {name, accessor, params}}
 * or {variables: [name]} or null.
 */
export function declarationOf(text) {
  const proc = /^\s*(?:(?:public|private)\s+)?(?:default\s+)?(sub|function|property\s+(get|let|set))\s+([A-Za-z_][A-Za-z0-9_]*)\s*(?:\((.*)\))?/i.exec(text);
  if (proc) {
    const params = proc[4] === undefined ? [] : topLevelParts(proc[4])
      .map((p) => /^\s*(?:(?:byval|byref|optional)\s+)*([A-Za-z_][A-Za-z0-9_]*)/i.exec(p)?.[1])
      .filter(Boolean);
    return { procedure: { name: proc[3], accessor: proc[2]?.toLowerCase() ?? null, params } };
  }
  const decl = /^\s*(?:dim|(?:public|private)(?:\s+const)?|const)\s+(.*)$/i.exec(text);
  if (decl && !/^\s*(?:public|private)\s+(?:default|sub|function|property)\b/i.test(text)) {
    const names = topLevelParts(decl[1]).map((d) => /^\s*([A-Za-z_][A-Za-z0-9_]*)/.exec(d)?.[1]).filter(Boolean);
    return names.length ? { variables: names } : null;
  }
  return null;
}

const SCOPES = new Set(['class', 'sub', 'function', 'property']);

/**
 * Walks program lines (array of strings), following `_` continuations.
 * Returns {unclosed: [{kind, line}] (outermost first), misnested: [{kind,
 * line, inside: {kind, line}}] (declarations inside blocks that cannot hold
 * them), redefined: [{name, line, first}] (a name declared twice in one
 * scope), rewrites: Map(line -> new text)} where rewrites are class member
 * fixes for Wine.
 */
export function scanBlocks(codeLines) {
  const stack = [];
  const misnested = [];
  const redefined = [];
  const rewrites = new Map();
  const globalNames = new Map();
  const lexed = codeLines.map(lexLine);
  const scope = () => {
    for (let k = stack.length - 1; k >= 0; k--) if (SCOPES.has(stack[k].kind)) return stack[k].names;
    return globalNames;
  };
  const declare = (names, name, line, accessor = null) => {
    const key = name.toLowerCase();
    const known = names.get(key);
    if (known === undefined) {
      names.set(key, { line, accessors: accessor ? new Set([accessor]) : null });
      return;
    }
    if (accessor && known.accessors && !known.accessors.has(accessor)) {
      known.accessors.add(accessor);
      return;
    }
    redefined.push({ name, line, first: known.line });
  };
  for (let i = 0; i < codeLines.length; i++) {
    // gather one logical line
    const first = i;
    let logical = lexed[i].masked;
    while (/(^|\s)_\s*$/.test(lexed[i].masked) && i + 1 < codeLines.length) {
      logical = logical.replace(/_\s*$/, ' ') + lexed[++i].masked;
    }
    const continued = i !== first;
    const replacements = [];
    for (const st of statementsOf(logical)) {
      const text = logical.slice(st.start, st.end);
      const effect = classifyStatement(text, logical.slice(st.end + 1));
      if (!continued && stack.length && stack[stack.length - 1].kind === 'class') {
        const comment = lexed[first].comment;
        const end = comment >= 0 ? Math.min(st.end, comment) : st.end;
        if (rewriteClassMember(text.slice(0, end - st.start)) !== null) {
          const rewritten = rewriteClassMember(codeLines[first].slice(st.start, end));
          if (rewritten !== null) replacements.push({ start: st.start, end, rewritten });
        }
      }
      const declaration = declarationOf(text);
      if (declaration?.variables) for (const name of declaration.variables) declare(scope(), name, first);
      if (effect.open) {
        // Procedures live at the top level or straight inside a Class, and a
        // Class only at the top level. Wine's parser lets both slip inside
        // other blocks; Windows refuses them at the inner declaration.
        const top = stack[stack.length - 1];
        const misplaced = effect.open === 'class' ? stack.length > 0
          : PROCEDURES.has(effect.open) ? top !== undefined && top.kind !== 'class' : false;
        if (misplaced) misnested.push({ kind: effect.open, line: first, inside: top });
        const entry = { kind: effect.open, line: first };
        if (SCOPES.has(effect.open)) {
          entry.names = new Map();
          const proc = declaration?.procedure;
          if (proc) {
            declare(scope(), proc.name, first, proc.accessor);
            for (const p of proc.params) declare(entry.names, p, first);
          } else if (effect.open === 'class') {
            const name = /^\s*class\s+([A-Za-z_][A-Za-z0-9_]*)/i.exec(text)?.[1];
            if (name) declare(scope(), name, first);
          }
        }
        stack.push(entry);
      } else if (effect.close) {
        let k = stack.length - 1;
        while (k >= 0 && stack[k].kind !== effect.close) k--;
        if (k >= 0) stack.length = k;
      }
    }
    if (replacements.length) {
      let fixed = codeLines[first];
      for (const r of replacements.reverse()) fixed = fixed.slice(0, r.start) + r.rewritten + fixed.slice(r.end);
      rewrites.set(first, fixed);
    }
  }
  return { unclosed: stack, rewrites, misnested, redefined };
}

function vbString(text) {
  return `"${text.replace(/"/g, '""')}"`;
}

/** Pieces of `text` between line breaks: [{text, offset, broken}] where `broken` says a line break followed. */
function pieces(text, offset) {
  const out = [];
  const re = /\r\n|\n|\r/g;
  let pos = 0;
  for (const m of text.matchAll(re)) {
    out.push({ text: text.slice(pos, m.index), offset: offset + pos, broken: true });
    pos = m.index + m[0].length;
  }
  out.push({ text: text.slice(pos), offset: offset + pos, broken: false });
  return out;
}

/**
 * Builds the VBScript program for one page. Returns {program, header,
 * lines: [{code, offset, kind}], map, includeErrors, aspErrors, language,
 * unclosed, misnested, redefined, sources}. Line `n` (1-based) of `program` is header line n, or
 * lines[n - header.length - 1]; lines past the end stand for the end of the
 * program.
 */
export function buildProgram(pagePath, { root = null, encoding = 'gbk', fsci = new CaseInsensitiveFs() } = {}) {
  const absolute = path.resolve(pagePath);
  const expanded = expandIncludes(absolute, { root, encoding, fsci });
  const { text, map } = expanded;
  const { segments, errors: aspErrors } = splitAsp(text);
  const language = pageLanguage(segments);
  const lines = [];
  for (const s of segments) {
    const content = text.slice(s.contentStart, s.contentEnd);
    if (s.kind === 'text') {
      for (const p of pieces(content, s.contentStart)) {
        if (p.text === '' && !p.broken) continue;
        let code;
        if (p.text === '') code = 'Response.Write vbCrLf';
        else code = `Response.Write ${vbString(p.text)}${p.broken ? ' & vbCrLf' : ''}`;
        lines.push({ code, offset: p.offset, kind: 'text', blank: p.text.trim() === '' });
      }
    } else if (s.kind === 'code' || (s.kind === 'script' && s.language === 'vbscript')) {
      for (const p of pieces(content, s.contentStart)) lines.push({ code: rewriteEnd(p.text), offset: p.offset, kind: 'code' });
    } else if (s.kind === 'expr') {
      const lead = content.length - content.trimStart().length;
      const ps = pieces(content.trim(), s.contentStart + lead);
      ps.forEach((p, k) => {
        let code = rewriteEnd(p.text);
        if (k === 0) code = `Response.Write (${code}`;
        if (k === ps.length - 1) code += ')';
        lines.push({ code, offset: p.offset, kind: 'expr' });
      });
    }
    // directives and server scripts in other languages add no VBScript
  }

  // `Option Explicit` must be the program's first statement: when the page
  // starts with it (only blank literal text before), it goes ahead of the stop.
  const header = [`Err.Raise ${STOP_MARKER}`];
  for (const l of lines) {
    if (l.kind === 'text' && l.blank) continue;
    if (l.kind !== 'code') break;
    const masked = maskLine(l.code);
    if (masked.trim() === '') continue;
    const st = statementsOf(masked).find((s) => masked.slice(s.start, s.end).trim() !== '');
    if (st && /^\s*option\s+explicit\s*$/i.test(masked.slice(st.start, st.end))) {
      header.unshift('Option Explicit');
      l.code = l.code.slice(0, st.start) + ' '.repeat(st.end - st.start) + l.code.slice(st.end);
    }
    break;
  }

  const scan = scanBlocks(lines.map((l) => l.code));
  for (const [i, code] of scan.rewrites) lines[i].code = code;
  const program = header.concat(lines.map((l) => l.code)).join('\r\n') + '\r\n';
  return {
    program, header, lines, map, language, unclosed: scan.unclosed, misnested: scan.misnested, redefined: scan.redefined,
    includeErrors: expanded.errors,
    aspErrors: aspErrors.map((e) => ({ ...map.origin(e.offset), message: e.message })),
    sources: expanded.sources,
  };
}
