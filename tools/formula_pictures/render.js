#!/usr/bin/env node
// Typesets formulas.txt with MathJax and writes, into resources/formula_pictures/,
//   formula_glyphs.ttf  every glyph outline the formulas use, once, as a TrueType font;
//   pictures.txt        each picture as the glyphs of that font and the rules it places;
// and the resource list src/report/formula_pictures.qrc. Run once after changing formulas.txt:
//
//   cd tools/formula_pictures && npm ci && node render.js
//
// A picture set from an embedded font costs a PDF a few bytes per glyph, where outlines drawn as
// paths cost hundreds. Nothing depends on the fonts of the machine that draws the report. The
// size is given in whole pixels at 96 dpi with one em of the formula equal to the 9-pt report
// font (12 px); pictures.txt holds twips, 15 per pixel.

'use strict';

const fs = require('fs');
const path = require('path');
const {mathjax} = require('mathjax-full/js/mathjax.js');
const {TeX} = require('mathjax-full/js/input/tex.js');
const {SVG} = require('mathjax-full/js/output/svg.js');
const {liteAdaptor} = require('mathjax-full/js/adaptors/liteAdaptor.js');
const {RegisterHTMLHandler} = require('mathjax-full/js/handlers/html.js');
const svg2ttf = require('svg2ttf');
require('mathjax-full/js/input/tex/base/BaseConfiguration.js');
require('mathjax-full/js/input/tex/ams/AmsConfiguration.js');
require('mathjax-full/js/input/tex/newcommand/NewcommandConfiguration.js');
require('mathjax-full/js/input/tex/configmacros/ConfigMacrosConfiguration.js');

const kRepo = path.resolve(__dirname, '..', '..');
const kSource = path.join(__dirname, 'formulas.txt');
const kOutDir = path.join(kRepo, 'resources', 'formula_pictures');
const kQrc = path.join(kRepo, 'src', 'report', 'formula_pictures.qrc');
const kFontFile = 'formula_glyphs.ttf';
const kPicturesFile = 'pictures.txt';
const kFontFamily = 'KTV Formula Glyphs';  // the program looks the font up by this name
const kFirstCodePoint = 0xE000;

// MathJax lays out in units of 1/1000 em.
const kPxPerEm = 12;  // 9 pt at 96 dpi
const kPxPerUnit = kPxPerEm / 1000;
const kTwipsPerPx = 15;
const kAxis = 250;  // height of the math axis above the baseline (TeX fonts)
const kPadTop = 50, kPadBottom = 50, kPadLeft = 60;
const kPadRightAfterEquals = 300;  // a thick space before the value written after "="
const kPadRight = 120;
const kMinHeightPx = 16;  // 240 twips: about one line of the 9-pt report text
const kLineTwips = 234;   // line height of the 9-pt report text (1.3 em)

// The empty fraction of the slab pictures: room for one 9-pt line of figures above and below.
const kMacros = {
  BAR: '\\dfrac{\\rule{0pt}{1.02em}\\hspace{4.5em}}{\\rule[-0.51em]{0pt}{0.51em}\\hspace{4.5em}}',
};

function ParseSource(text) {
  const entries = [];
  const seen = new Set();
  text.split('\n').forEach((raw, index) => {
    const line = raw.trim();
    if (line === '' || line.startsWith('#')) return;
    const colon = line.indexOf(':');
    if (colon < 0) throw new Error(`formulas.txt:${index + 1}: missing ":"`);
    const head = line.slice(0, colon).trim().split(/\s+/);
    const tex = line.slice(colon + 1).trim();
    const key = head[0];
    if (!/^1_[346]_\d+(_2)?$/.test(key)) throw new Error(`formulas.txt:${index + 1}: bad key ${key}`);
    if (seen.has(key)) throw new Error(`formulas.txt:${index + 1}: duplicate key ${key}`);
    seen.add(key);
    const entry = {key, tex, display: false, lift: 0, bar: false, minHeightPx: kMinHeightPx};
    for (const option of head.slice(1)) {
      if (option === 'display') entry.display = true;
      else if (option === 'bar') entry.bar = true;
      else if (/^lift=\d+$/.test(option)) entry.lift = Number(option.slice(5));
      else if (/^raised=\d+$/.test(option)) {
        entry.minHeightPx = Math.round((2 * Number(option.slice(7)) + kLineTwips) / 15);
      }
      else throw new Error(`formulas.txt:${index + 1}: unknown option ${option}`);
    }
    if (tex === '') throw new Error(`formulas.txt:${index + 1}: empty formula`);
    entries.push(entry);
  });
  return entries;
}

// Parses the translate/scale transforms that MathJax writes into a 2x3 matrix [a b c d e f].
function ParseTransform(text) {
  let m = [1, 0, 0, 1, 0, 0];
  if (!text) return m;
  const re = /(translate|scale)\(([^)]*)\)/g;
  let match;
  let consumed = '';
  while ((match = re.exec(text)) !== null) {
    consumed += match[0];
    const args = match[2].split(/[\s,]+/).filter((s) => s !== '').map(Number);
    let t;
    if (match[1] === 'translate') t = [1, 0, 0, 1, args[0], args.length > 1 ? args[1] : 0];
    else t = [args[0], 0, 0, args.length > 1 ? args[1] : args[0], 0, 0];
    m = Multiply(m, t);
  }
  if (consumed.replace(/\s/g, '') !== text.replace(/\s/g, '')) {
    throw new Error(`unsupported transform "${text}"`);
  }
  return m;
}

function Multiply(p, q) {
  return [
    p[0] * q[0] + p[2] * q[1], p[1] * q[0] + p[3] * q[1],
    p[0] * q[2] + p[2] * q[3], p[1] * q[2] + p[3] * q[3],
    p[0] * q[4] + p[2] * q[5] + p[4], p[1] * q[4] + p[3] * q[5] + p[5],
  ];
}

function Apply(m, x, y) {
  return [m[0] * x + m[2] * y + m[4], m[1] * x + m[3] * y + m[5]];
}

function Fixed(v, places = 3) {
  const scale = 10 ** places;
  const s = (Math.round(v * scale) / scale).toString();
  return s === '-0' ? '0' : s;
}

function Elements(node) {
  return node.children.filter((c) => c.kind !== '#text' && c.kind !== '#comment');
}

// The glyphs of all pictures, each outline once, in order of first use. A glyph is named by its
// character in the private use area of the glyph font, from U+E000 on.
class GlyphSet {
  constructor() {
    this.byPath = new Map();
    this.glyphs = [];
  }
  Index(d) {
    let index = this.byPath.get(d);
    if (index === undefined) {
      index = this.glyphs.length;
      this.byPath.set(d, index);
      this.glyphs.push(d);
    }
    return index;
  }
}

// Collects what one MathJax node draws, in the coordinates of the root viewBox: glyph outlines
// (font units, y up) with the matrix that places them, and filled rectangles. Refuses anything that
// would not be drawn faithfully (text, which would need the machine's fonts; nested svg).
function Collect(node, matrix, key, defs, items) {
  const a = node.attributes;
  switch (node.kind) {
    case 'g': {
      const m = Multiply(matrix, ParseTransform(a.transform));
      Elements(node).forEach((k) => Collect(k, m, key, defs, items));
      return;
    }
    case 'defs':
      return;  // glyphs are drawn where they are used
    case 'path':
      if (a.d === undefined) throw new Error(`${key}: path without data`);
      if (a.d === '') return;  // glyphs without ink (spaces, invisible operators)
      items.push({glyph: a.d, matrix: Multiply(matrix, ParseTransform(a.transform))});
      return;
    case 'use': {
      const href = (a['xlink:href'] || a.href || '').replace(/^#/, '');
      if (!defs.has(href)) throw new Error(`${key}: reference to a missing glyph ${href}`);
      const d = defs.get(href);
      if (d === '') return;  // a glyph without ink
      let m = Multiply(matrix, ParseTransform(a.transform));
      m = Multiply(m, [1, 0, 0, 1, Number(a.x || 0), Number(a.y || 0)]);
      items.push({glyph: d, matrix: m});
      return;
    }
    case 'rect': {
      const m = Multiply(matrix, ParseTransform(a.transform));
      if (m[1] !== 0 || m[2] !== 0) throw new Error(`${key}: a rotated rectangle`);
      const x = Number(a.x || 0), y = Number(a.y || 0);
      const p = Apply(m, x, y), q = Apply(m, x + Number(a.width), y + Number(a.height));
      items.push({rect: {x: Math.min(p[0], q[0]), y: Math.min(p[1], q[1]),
                         width: Math.abs(q[0] - p[0]), height: Math.abs(q[1] - p[1])}});
      return;
    }
    default:
      throw new Error(`${key}: MathJax produced <${node.kind}>, which the pictures must not ` +
                      `contain (unknown character or unsupported construct)`);
  }
}

function FindAll(node, predicate, found = []) {
  if (predicate(node)) found.push(node);
  if (node.children) node.children.forEach((c) => FindAll(c, predicate, found));
  return found;
}

// The bar of the single empty fraction, in the coordinates of the root viewBox.
function FractionBar(svg, key) {
  const fractions = FindAll(svg, (n) => n.kind === 'g' &&
                                        n.attributes['data-mml-node'] === 'mfrac');
  if (fractions.length !== 1) throw new Error(`${key}: "bar" needs exactly one fraction`);
  const rects = Elements(fractions[0]).filter((n) => n.kind === 'rect');
  if (rects.length !== 1) throw new Error(`${key}: fraction without a bar`);
  const rect = rects[0];
  let m = [1, 0, 0, 1, 0, 0];
  for (let n = rect.parent; n && n !== svg; n = n.parent) {
    m = Multiply(ParseTransform(n.attributes.transform), m);
  }
  const x = Number(rect.attributes.x || 0), y = Number(rect.attributes.y || 0);
  const w = Number(rect.attributes.width), h = Number(rect.attributes.height);
  const p = Apply(m, x, y), q = Apply(m, x + w, y + h);
  return {
    x: Math.min(p[0], q[0]), y: Math.min(p[1], q[1]),
    width: Math.abs(q[0] - p[0]), height: Math.abs(q[1] - p[1]),
  };
}

function Render(doc, adaptor, entry, glyphs) {
  const container = doc.convert(entry.tex, {display: entry.display, em: 16, ex: 8});
  const svg = adaptor.firstChild(container);
  if (!svg || svg.kind !== 'svg') throw new Error(`${entry.key}: no svg output`);
  const errors = FindAll(svg, (n) => n.attributes && (n.attributes['data-mjx-error'] ||
                                     n.attributes['data-mml-node'] === 'merror'));
  if (errors.length > 0) {
    const message = errors[0].attributes['data-mjx-error'] || 'TeX error';
    throw new Error(`${entry.key}: ${message}`);
  }
  const nested = FindAll(svg, (n) => n !== svg && n.kind === 'svg');
  if (nested.length > 0) throw new Error(`${entry.key}: nested <svg> (stretched delimiter)`);

  // MathJax's box: baseline at y = 0, y downwards; min y is minus the height above the baseline.
  const [vx, vy, vw, vh] = svg.attributes.viewBox.split(/\s+/).map(Number);
  const axis = -kAxis;
  const liftUnits = entry.lift / kPxPerUnit;
  const above = axis - vy + kPadTop;           // room needed above the axis
  const below = vy + vh - axis + kPadBottom;   // and below it
  // Centre the axis (or put it `lift` above the centre), then round up to whole pixels.
  let half = Math.max(above + liftUnits, below - liftUnits, entry.minHeightPx / kPxPerUnit / 2);
  const heightPx = Math.ceil((2 * half) * kPxPerUnit);
  half = heightPx / kPxPerUnit / 2;
  const top = axis - (half - liftUnits);
  const endsWithEquals = /=\s*$/.test(entry.tex);
  const left = vx - kPadLeft;
  const rawWidth = vw + kPadLeft + (endsWithEquals ? kPadRightAfterEquals : kPadRight);
  const widthPx = Math.ceil(rawWidth * kPxPerUnit);
  const widthUnits = widthPx / kPxPerUnit;
  const heightUnits = heightPx / kPxPerUnit;

  let bar = null;
  if (entry.bar) bar = FractionBar(svg, entry.key);

  const defs = new Map();
  FindAll(svg, (n) => n.kind === 'path' && n.attributes.id !== undefined).forEach((n) => {
    defs.set(n.attributes.id, n.attributes.d || '');
  });
  const items = [];
  Elements(svg).forEach((child) => Collect(child, [1, 0, 0, 1, 0, 0], entry.key, defs, items));

  // Twips from the picture's top-left corner: 12 px per em, 15 twips per pixel.
  const k = kPxPerUnit * kTwipsPerPx;
  const out = [`picture ${entry.key} ${widthPx * kTwipsPerPx} ${heightPx * kTwipsPerPx}`,
               `tex ${entry.tex}`];
  for (const item of items) {
    if (item.rect) {
      const r = item.rect;
      // The struts of \BAR are rules of no width: drawn, they would leave a hairline.
      if (!(r.width > 0 && r.height > 0)) continue;
      out.push(`rule ${Fixed((r.x - left) * k, 2)} ${Fixed((r.y - top) * k, 2)} ` +
               `${Fixed(r.width * k, 2)} ${Fixed(r.height * k, 2)}`);
      continue;
    }
    // The outline is in font units with y up, placed by m into the viewBox (y down); the glyph
    // font draws it at 1 em = 180 twips, y down, so what is left is the linear part below.
    const m = item.matrix;
    const linear = [m[0], -m[2], m[1], -m[3]];  // x' = l0 x + l1 y, y' = l2 x + l3 y
    const origin = `${Fixed((m[4] - left) * k, 2)} ${Fixed((m[5] - top) * k, 2)}`;
    const index = glyphs.Index(item.glyph);
    if (linear[1] === 0 && linear[2] === 0 && linear[0] === linear[3]) {
      out.push(`glyph ${index} ${origin} ${Fixed(linear[0], 4)}`);
    } else {
      out.push(`glyph ${index} ${origin} ${linear.map((v) => Fixed(v, 4)).join(' ')}`);
    }
  }
  if (bar) {
    // The bar of the empty fraction, above and below which the report writes two numbers.
    out.push(`bar ${Fixed((bar.x - left) * k, 2)} ${Fixed((bar.y - top) * k, 2)} ` +
             `${Fixed(bar.width * k, 2)} ${Fixed(bar.height * k, 2)}`);
  }
  return {lines: out, widthPx, heightPx};
}

function Main() {
  const entries = ParseSource(fs.readFileSync(kSource, 'utf8'));
  const adaptor = liteAdaptor();
  RegisterHTMLHandler(adaptor);
  const tex = new TeX({
    packages: ['base', 'ams', 'newcommand', 'configmacros'],
    macros: kMacros,
    formatError: (jax, err) => { throw new Error(err.message); },
  });
  const output = new SVG({fontCache: 'local'});
  const doc = mathjax.document('', {InputJax: tex, OutputJax: output});

  const glyphs = new GlyphSet();
  const pictures = [
    '# Written by tools/formula_pictures/render.js from formulas.txt; do not edit.',
    '# Lengths in twips from the top-left corner of the picture, y downwards.',
    '#   picture KEY WIDTH HEIGHT    starts a picture',
    '#   tex TEX                     the formula (for the reader)',
    `#   glyph N X Y S               glyph U+E000+N of ${kFontFile} at 1 em = 180 twips, its`,
    '#                               origin at (X, Y), scaled by S;',
    '#   glyph N X Y A B C D         or transformed by x\' = A x + B y, y\' = C x + D y',
    '#   rule X Y W H                a filled rectangle (fraction bars, radical vinculums)',
    '#   bar X Y W H                 where the report writes two numbers above and below',
  ];
  for (const entry of entries) {
    const result = Render(doc, adaptor, entry, glyphs);
    pictures.push(...result.lines);
    console.log(`${entry.key.padEnd(9)} ${String(result.widthPx).padStart(4)} x ` +
                `${String(result.heightPx).padStart(3)} px`);
  }

  fs.mkdirSync(kOutDir, {recursive: true});
  for (const name of fs.readdirSync(kOutDir)) fs.unlinkSync(path.join(kOutDir, name));
  fs.writeFileSync(path.join(kOutDir, kPicturesFile), pictures.join('\n') + '\n');
  fs.writeFileSync(path.join(kOutDir, kFontFile), GlyphFont(glyphs));
  const qrc = ['<!DOCTYPE RCC>', '<!-- Written by tools/formula_pictures/render.js -->',
               '<RCC version="1.0">', '  <qresource prefix="/formula_pictures">'];
  for (const name of [kFontFile, kPicturesFile]) {
    qrc.push(`    <file alias="${name}">../../resources/formula_pictures/${name}</file>`);
  }
  qrc.push('  </qresource>', '</RCC>');
  fs.writeFileSync(kQrc, qrc.join('\n') + '\n');
  console.log(`${entries.length} pictures with ${glyphs.glyphs.length} glyphs written to ` +
              `${path.relative(kRepo, kOutDir)}`);
}

// The glyph outlines as a TrueType font: MathJax's outlines are quadratic curves in units of
// 1/1000 em, which TrueType holds as they are. The advance widths are not used (every glyph is
// placed by pictures.txt). The creation time is fixed, so an unchanged set gives the same file.
function GlyphFont(glyphs) {
  const svg = [
    '<svg xmlns="http://www.w3.org/2000/svg"><defs>',
    '<font id="KTVFormulaGlyphs" horiz-adv-x="1000">',
    `<font-face font-family="${kFontFamily}" units-per-em="1000" ascent="1000" descent="-500"/>`,
    '<missing-glyph horiz-adv-x="500" d=""/>',
  ];
  glyphs.glyphs.forEach((d, i) => {
    const code = (kFirstCodePoint + i).toString(16).toUpperCase();
    svg.push(`<glyph glyph-name="g${i}" unicode="&#x${code};" horiz-adv-x="1000" d="${d}"/>`);
  });
  svg.push('</font></defs></svg>');
  const ttf = svg2ttf(svg.join('\n'), {
    ts: 0,
    version: '1.0',
    copyright: 'Glyph outlines of the MathJax TeX fonts, Apache License 2.0',
    description: 'The glyphs of the KTV-PN3 report formulas',
    url: 'https://www.mathjax.org/',
  });
  return Buffer.from(ttf.buffer);
}

Main();
