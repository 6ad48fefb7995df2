#!/usr/bin/env node
// Renders formulas.txt into resources/formula_pictures/<key>.svg and writes the resource list
// src/report/formula_pictures.qrc. Run once after changing formulas.txt:
//
//   cd tools/formula_pictures && npm install && node render.js
//
// The SVGs are written for QtSvg (SVG Tiny 1.2): every glyph is a path (no <text>, so no font is
// needed at run time), no nested <svg>, no style sheets, black fill without strokes. The size is
// given in whole pixels at 96 dpi with one em of the formula equal to the 9-pt report font
// (12 px), so the natural size in twips is 15 times the pixel size.

'use strict';

const fs = require('fs');
const path = require('path');
const {mathjax} = require('mathjax-full/js/mathjax.js');
const {TeX} = require('mathjax-full/js/input/tex.js');
const {SVG} = require('mathjax-full/js/output/svg.js');
const {liteAdaptor} = require('mathjax-full/js/adaptors/liteAdaptor.js');
const {RegisterHTMLHandler} = require('mathjax-full/js/handlers/html.js');
require('mathjax-full/js/input/tex/base/BaseConfiguration.js');
require('mathjax-full/js/input/tex/ams/AmsConfiguration.js');
require('mathjax-full/js/input/tex/newcommand/NewcommandConfiguration.js');
require('mathjax-full/js/input/tex/configmacros/ConfigMacrosConfiguration.js');

const kRepo = path.resolve(__dirname, '..', '..');
const kSource = path.join(__dirname, 'formulas.txt');
const kOutDir = path.join(kRepo, 'resources', 'formula_pictures');
const kQrc = path.join(kRepo, 'src', 'report', 'formula_pictures.qrc');

// MathJax lays out in units of 1/1000 em.
const kPxPerEm = 12;  // 9 pt at 96 dpi
const kPxPerUnit = kPxPerEm / 1000;
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

function Fixed(v) {
  const s = (Math.round(v * 1000) / 1000).toString();
  return s === '-0' ? '0' : s;
}

function Escape(text) {
  return text.replace(/&/g, '&amp;').replace(/</g, '&lt;').replace(/>/g, '&gt;');
}

function Elements(node) {
  return node.children.filter((c) => c.kind !== '#text' && c.kind !== '#comment');
}

// Writes one MathJax node as clean SVG Tiny; refuses anything QtSvg would not draw faithfully.
function Serialize(node, key, ids, out, depth) {
  const a = node.attributes;
  const indent = '  '.repeat(depth);
  switch (node.kind) {
    case 'g': {
      const transform = a.transform ? ` transform="${a.transform}"` : '';
      const kids = Elements(node);
      if (kids.length === 0) return;
      out.push(`${indent}<g${transform}>`);
      kids.forEach((k) => Serialize(k, key, ids, out, depth + 1));
      out.push(`${indent}</g>`);
      return;
    }
    case 'path':
      if (a.d === undefined) throw new Error(`${key}: path without data`);
      if (a.d === '') return;  // glyphs without ink (spaces, invisible operators)
      out.push(`${indent}<path${a.id ? ` id="${ids.get(a.id)}"` : ''}` +
               `${a.transform ? ` transform="${a.transform}"` : ''} d="${a.d}"/>`);
      return;
    case 'use': {
      const href = (a['xlink:href'] || a.href || '').replace(/^#/, '');
      if (!ids.has(href)) throw new Error(`${key}: reference to a missing glyph ${href}`);
      if (ids.get(href) === null) return;  // a glyph without ink
      const transform = a.transform ? ` transform="${a.transform}"` : '';
      out.push(`${indent}<use xlink:href="#${ids.get(href)}"${transform}/>`);
      return;
    }
    case 'rect':
      out.push(`${indent}<rect x="${a.x || 0}" y="${a.y || 0}" width="${a.width}" ` +
               `height="${a.height}"/>`);
      return;
    case 'defs':
      out.push(`${indent}<defs>`);
      Elements(node).forEach((k) => Serialize(k, key, ids, out, depth + 1));
      out.push(`${indent}</defs>`);
      return;
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

function Render(doc, adaptor, entry) {
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

  const out = [];
  out.push('<?xml version="1.0" encoding="UTF-8"?>');
  out.push('<svg xmlns="http://www.w3.org/2000/svg" xmlns:xlink="http://www.w3.org/1999/xlink" ' +
           'version="1.2" baseProfile="tiny" ' +
           `width="${widthPx}px" height="${heightPx}px" ` +
           `viewBox="${Fixed(left)} ${Fixed(top)} ${Fixed(widthUnits)} ${Fixed(heightUnits)}">`);
  out.push(`  <title>${entry.key}</title>`);
  out.push(`  <desc>${Escape(entry.tex)}</desc>`);
  // Glyph ids numbered per picture (MathJax's ids count conversions), null for glyphs without
  // ink, which are left out together with their references.
  const ids = new Map();
  FindAll(svg, (n) => n.kind === 'path' && n.attributes.id !== undefined).forEach((n) => {
    ids.set(n.attributes.id, n.attributes.d ? `glyph${ids.size + 1}` : null);
  });
  const body = [];
  Elements(svg).forEach((child) => Serialize(child, entry.key, ids, body, 1));
  // The root group of MathJax carries stroke/fill "currentColor": make the fill plain black and
  // drop the stroke, which QtSvg would draw as a one-pixel cosmetic outline.
  out.push('  <g fill="#000000" stroke="none">');
  body.forEach((line) => out.push('  ' + line));
  out.push('  </g>');
  if (bar) {
    // A transparent copy of the bar at the top level, so that the program can find its position
    // (QtSvg reports an element's bounds without the transforms of its parents).
    out.push(`  <rect id="fraction-bar" x="${Fixed(bar.x)}" y="${Fixed(bar.y)}" ` +
             `width="${Fixed(bar.width)}" height="${Fixed(bar.height)}" fill="none"/>`);
  }
  out.push('</svg>');
  return {svg: out.join('\n') + '\n', widthPx, heightPx};
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

  fs.mkdirSync(kOutDir, {recursive: true});
  for (const name of fs.readdirSync(kOutDir)) {
    if (name.endsWith('.svg')) fs.unlinkSync(path.join(kOutDir, name));
  }
  const qrc = ['<!DOCTYPE RCC>', '<!-- Written by tools/formula_pictures/render.js -->',
               '<RCC version="1.0">', '  <qresource prefix="/formula_pictures">'];
  for (const entry of entries) {
    const result = Render(doc, adaptor, entry);
    fs.writeFileSync(path.join(kOutDir, `${entry.key}.svg`), result.svg);
    qrc.push(`    <file alias="${entry.key}.svg">../../resources/formula_pictures/` +
             `${entry.key}.svg</file>`);
    console.log(`${entry.key.padEnd(9)} ${String(result.widthPx).padStart(4)} x ` +
                `${String(result.heightPx).padStart(3)} px`);
  }
  qrc.push('  </qresource>', '</RCC>');
  fs.writeFileSync(kQrc, qrc.join('\n') + '\n');
  console.log(`${entries.length} pictures written to ${path.relative(kRepo, kOutDir)}`);
}

Main();
