// File lookups the way IIS on Windows sees a site tree: names match without
// regard to case, both slashes separate folders.
import fs from 'node:fs';
import path from 'node:path';

/**
 * Resolves paths inside real folders case-insensitively, caching folder
 * listings. One instance per run: the tree is assumed not to change meanwhile.
 */
export class CaseInsensitiveFs {
  constructor() {
    this.listings = new Map(); // folder -> Map(lowercase name -> [real names])
  }

  listing(dir) {
    let entries = this.listings.get(dir);
    if (entries === undefined) {
      entries = new Map();
      let names = [];
      try {
        names = fs.readdirSync(dir);
      } catch {
        names = [];
      }
      for (const name of names) {
        const key = name.toLowerCase();
        if (!entries.has(key)) entries.set(key, []);
        entries.get(key).push(name);
      }
      this.listings.set(dir, entries);
    }
    return entries;
  }

  /** The real name of `name` inside `dir`, preferring an exact match, or null. */
  entry(dir, name) {
    const candidates = this.listing(dir).get(name.toLowerCase());
    if (!candidates) return null;
    return candidates.includes(name) ? name : candidates[0];
  }

  /**
   * Resolves `relative` (forward or back slashes, "." and ".." allowed)
   * against the folder `base`. Returns the real absolute path, or null when
   * some part is missing. `..` never climbs above `floor` when one is given:
   * IIS refuses to leave the site.
   */
  resolve(base, relative, floor = null) {
    const parts = relative.replace(/\\/g, '/').split('/');
    let current = path.resolve(base);
    for (let i = 0; i < parts.length; i++) {
      const part = parts[i];
      if (part === '' || part === '.') continue;
      if (part === '..') {
        const up = path.dirname(current);
        if (floor !== null && !isInside(path.resolve(floor), up)) return null;
        current = up;
        continue;
      }
      const real = this.entry(current, part);
      if (real === null) return null;
      current = path.join(current, real);
      if (i < parts.length - 1 && !isDirectory(current)) return null;
    }
    return current;
  }
}

export function isInside(folder, candidate) {
  const rel = path.relative(folder, candidate);
  return rel === '' || (!rel.startsWith('..') && !path.isAbsolute(rel));
}

export function isDirectory(p) {
  try {
    return fs.statSync(p).isDirectory();
  } catch {
    return false;
  }
}

/** Every file under `dir` (sorted, recursive) whose lowercase name passes `accept`. */
export function walkFiles(dir, accept) {
  const out = [];
  const visit = (d) => {
    let entries;
    try {
      entries = fs.readdirSync(d, { withFileTypes: true });
    } catch {
      return;
    }
    entries.sort((a, b) => (a.name < b.name ? -1 : a.name > b.name ? 1 : 0));
    for (const e of entries) {
      const full = path.join(d, e.name);
      if (e.isDirectory()) visit(full);
      else if (e.isFile() && accept(e.name.toLowerCase())) out.push(full);
    }
  };
  visit(dir);
  return out;
}

/** Line number (1-based) of character offset `offset` in `text`; CR LF, LF and CR end lines. */
export function lineAt(text, offset) {
  return floorIndex(lineStarts(text), offset) + 1;
}

/** Offsets where each line of `text` starts (line 1 at index 0). Any of CR LF, LF, CR ends a line. */
export function lineStarts(text) {
  const starts = [0];
  for (let i = 0; i < text.length; i++) {
    const c = text.charCodeAt(i);
    if (c === 13) {
      if (text.charCodeAt(i + 1) === 10) i++;
      starts.push(i + 1);
    } else if (c === 10) {
      starts.push(i + 1);
    }
  }
  return starts;
}

/** Index of the last element of sorted `arr` that is <= value (binary search). */
export function floorIndex(arr, value, key = (x) => x) {
  let lo = 0;
  let hi = arr.length - 1;
  let best = -1;
  while (lo <= hi) {
    const mid = (lo + hi) >> 1;
    if (key(arr[mid]) <= value) {
      best = mid;
      lo = mid + 1;
    } else {
      hi = mid - 1;
    }
  }
  return best;
}
