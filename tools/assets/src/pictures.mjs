// Small pictures of the main window, the splash screen and the about box.
//
// Everything is drawn with plain 2D-canvas calls; the globes use d3-geo's orthographic
// projection so the graticule and coastlines are real, not hand-drawn.

import { createCanvas } from '@napi-rs/canvas';
import { createRequire } from 'node:module';
import { geoGraticule10, geoGraticule, geoOrthographic, geoPath, geoMercator } from 'd3-geo';
import * as topojson from 'topojson-client';
import { FONT_FAMILY_BOLD } from './common.mjs';

const require = createRequire(import.meta.url);

export const INK = {
  blue: '#2a6fb0',
  darkBlue: '#1d3f66',
  paleBlue: '#dcebf8',
  orange: '#e8871e',
  red: '#d23a2f',
  green: '#2f9a4c',
  grey: '#5a5a5a',
  paper: '#fbf7e8',
  land: '#cfe0b4',
};

function canvas(width, height) {
  const c = createCanvas(width, height);
  return [c, c.getContext('2d')];
}

/** Line from (x0, y0) to (x1, y1) ending in a filled arrowhead. */
function arrow(ctx, x0, y0, x1, y1, colour, width = 1.6, head = 5) {
  const a = Math.atan2(y1 - y0, x1 - x0);
  const bx = x1 - head * Math.cos(a);
  const by = y1 - head * Math.sin(a);
  ctx.save();
  ctx.strokeStyle = colour;
  ctx.fillStyle = colour;
  ctx.lineWidth = width;
  ctx.lineCap = 'round';
  ctx.beginPath();
  ctx.moveTo(x0, y0);
  ctx.lineTo(bx, by);
  ctx.stroke();
  ctx.beginPath();
  ctx.moveTo(x1, y1);
  ctx.lineTo(bx + head * 0.55 * Math.sin(a), by - head * 0.55 * Math.cos(a));
  ctx.lineTo(bx - head * 0.55 * Math.sin(a), by + head * 0.55 * Math.cos(a));
  ctx.closePath();
  ctx.fill();
  ctx.restore();
}

function text(ctx, str, x, y, { size = 10, family = FONT_FAMILY_BOLD, colour = INK.darkBlue, align = 'center', halo = null } = {}) {
  ctx.save();
  ctx.font = `${size}px "${family}"`;
  ctx.textAlign = align;
  ctx.textBaseline = 'middle';
  if (halo) {
    ctx.strokeStyle = halo;
    ctx.lineWidth = 3;
    ctx.lineJoin = 'round';
    ctx.strokeText(str, x, y);
  }
  ctx.fillStyle = colour;
  ctx.fillText(str, x, y);
  ctx.restore();
}

function dot(ctx, x, y, r, colour, ring = '#ffffff', ringWidth = 1.5) {
  ctx.beginPath();
  ctx.arc(x, y, r + ringWidth, 0, 2 * Math.PI);
  ctx.fillStyle = ring;
  ctx.fill();
  ctx.beginPath();
  ctx.arc(x, y, r, 0, 2 * Math.PI);
  ctx.fillStyle = colour;
  ctx.fill();
}

/** A shaded ball: light from the upper left. */
function ball(ctx, cx, cy, r, light, dark, outline) {
  const g = ctx.createRadialGradient(cx - r * 0.35, cy - r * 0.4, r * 0.1, cx, cy, r);
  g.addColorStop(0, light);
  g.addColorStop(1, dark);
  ctx.beginPath();
  ctx.arc(cx, cy, r, 0, 2 * Math.PI);
  ctx.fillStyle = g;
  ctx.fill();
  ctx.lineWidth = 1;
  ctx.strokeStyle = outline;
  ctx.stroke();
}

// --- the three kinds of coordinates ---------------------------------------------------

/** Geocentric X, Y, Z: a sphere with the three axes leaving its centre. */
export function drawCartesian() {
  const [c, ctx] = canvas(64, 64);
  const cx = 30;
  const cy = 35;
  const r = 21;
  ball(ctx, cx, cy, r, '#f4f9ff', '#a9cbea', '#6f9cc6');

  // Equator as seen from slightly above, the far half dashed.
  ctx.save();
  ctx.strokeStyle = '#6f9cc6';
  ctx.lineWidth = 0.9;
  ctx.beginPath();
  ctx.ellipse(cx, cy, r, r * 0.32, 0, 0, Math.PI);
  ctx.stroke();
  ctx.setLineDash([2, 2]);
  ctx.beginPath();
  ctx.ellipse(cx, cy, r, r * 0.32, 0, Math.PI, 2 * Math.PI);
  ctx.stroke();
  ctx.restore();

  arrow(ctx, cx, cy, cx, 4, INK.blue);       // Z, to the pole
  arrow(ctx, cx, cy, 60, cy + 3, INK.green);  // Y, east
  arrow(ctx, cx, cy, 8, 57, INK.red);         // X, towards Greenwich
  dot(ctx, cx, cy, 1.7, INK.darkBlue, '#ffffff', 0.8);

  text(ctx, 'Z', cx + 7, 7, { colour: INK.blue, size: 11 });
  text(ctx, 'Y', 58, cy - 6, { colour: INK.green, size: 11 });
  text(ctx, 'X', 6, 47, { colour: INK.red, size: 11 });
  return c;
}

/** Geodetic longitude and latitude: a globe with a point and its λ and φ arcs. */
export function drawGeodetic() {
  const [c, ctx] = canvas(64, 64);
  const cx = 32;
  const cy = 32;
  const r = 28;
  const proj = geoOrthographic().rotate([-18, -22]).scale(r).translate([cx, cy]).clipAngle(90).precision(0.1);
  const path = geoPath(proj, ctx);

  ball(ctx, cx, cy, r, '#f4f9ff', '#b6d3ee', '#4d7fae');

  ctx.lineWidth = 0.6;
  ctx.strokeStyle = '#8fb4d8';
  ctx.beginPath();
  path(geoGraticule().step([30, 30]).extent([[-180, -60], [180, 60.01]])());
  ctx.stroke();

  // Equator and the reference meridian.
  ctx.lineWidth = 1;
  ctx.strokeStyle = '#4d7fae';
  ctx.beginPath();
  path({ type: 'LineString', coordinates: [[-180, 0], [-90, 0], [0, 0], [90, 0], [180, 0]] });
  path({ type: 'LineString', coordinates: [[0, -90], [0, 0], [0, 90]] });
  ctx.stroke();

  const lon = 42;
  const lat = 38;
  ctx.lineWidth = 2.2;
  ctx.lineCap = 'round';
  ctx.strokeStyle = INK.orange;
  ctx.beginPath();
  path({ type: 'LineString', coordinates: [[0, 0], [lon, 0]] });
  ctx.stroke();
  ctx.strokeStyle = INK.red;
  ctx.beginPath();
  path({ type: 'LineString', coordinates: [[lon, 0], [lon, lat]] });
  ctx.stroke();

  const [px, py] = proj([lon, lat]);
  dot(ctx, px, py, 2.4, INK.darkBlue, '#ffffff', 1.2);
  const [lx, ly] = proj([lon / 2, 0]);
  text(ctx, 'λ', lx, ly + 8, { colour: INK.orange, size: 12, halo: '#ffffff' });
  const [fx, fy] = proj([lon, lat / 2]);
  text(ctx, 'φ', fx + 8, fy, { colour: INK.red, size: 12, halo: '#ffffff' });
  return c;
}

/** UTM x, y: a gridded map sheet with its two axes and a point. */
export function drawUtm() {
  const [c, ctx] = canvas(64, 64);
  const x0 = 11;
  const y0 = 53;
  const sheet = { x: 11, y: 6, w: 47, h: 47 };

  ctx.fillStyle = INK.paper;
  ctx.fillRect(sheet.x, sheet.y, sheet.w, sheet.h);
  ctx.strokeStyle = '#dcd0a8';
  ctx.lineWidth = 1;
  ctx.beginPath();
  for (let i = 1; i < 6; i++) {
    const d = Math.round((sheet.w * i) / 6) + 0.5;
    ctx.moveTo(sheet.x + d, sheet.y);
    ctx.lineTo(sheet.x + d, sheet.y + sheet.h);
    ctx.moveTo(sheet.x, sheet.y + d - 1);
    ctx.lineTo(sheet.x + sheet.w, sheet.y + d - 1);
  }
  ctx.stroke();
  ctx.strokeStyle = '#b8a66f';
  ctx.strokeRect(sheet.x + 0.5, sheet.y + 0.5, sheet.w - 1, sheet.h - 1);

  // The point and its two coordinates.
  const px = 41;
  const py = 21;
  ctx.save();
  ctx.setLineDash([2.5, 2]);
  ctx.lineWidth = 1.2;
  ctx.strokeStyle = INK.orange;
  ctx.beginPath();
  ctx.moveTo(px, py);
  ctx.lineTo(px, y0);
  ctx.stroke();
  ctx.strokeStyle = INK.red;
  ctx.beginPath();
  ctx.moveTo(px, py);
  ctx.lineTo(x0, py);
  ctx.stroke();
  ctx.restore();

  arrow(ctx, x0, y0, 62, y0, INK.darkBlue, 1.8, 6);
  arrow(ctx, x0, y0, x0, 2, INK.darkBlue, 1.8, 6);
  dot(ctx, px, py, 2.6, INK.darkBlue, '#ffffff', 1.2);

  text(ctx, 'x', 56, 59, { colour: INK.orange, size: 11 });
  text(ctx, 'y', 5, 9, { colour: INK.red, size: 11 });
  return c;
}

/** The arrow between the A and B pictures. */
export function drawArrow() {
  const [c, ctx] = canvas(64, 32);
  const g = ctx.createLinearGradient(0, 6, 0, 26);
  g.addColorStop(0, '#4f93d2');
  g.addColorStop(1, '#1f5c99');
  ctx.beginPath();
  ctx.moveTo(4, 11);
  ctx.lineTo(38, 11);
  ctx.lineTo(38, 3);
  ctx.lineTo(61, 16);
  ctx.lineTo(38, 29);
  ctx.lineTo(38, 21);
  ctx.lineTo(4, 21);
  ctx.closePath();
  ctx.fillStyle = g;
  ctx.fill();
  ctx.lineJoin = 'round';
  ctx.lineWidth = 1;
  ctx.strokeStyle = '#17487a';
  ctx.stroke();
  return c;
}

/** Picture of the tall "transform" button: two turning arrows and the word, letter by letter. */
export function drawTransform() {
  const [c, ctx] = canvas(60, 300);
  const cx = 30;
  const cy = 27;
  const r = 17;

  // Two half-circle arrows chasing each other, A to B and back.
  ctx.lineWidth = 5;
  ctx.lineCap = 'butt';
  const halves = [
    { from: Math.PI * 1.08, to: Math.PI * 1.82, colour: INK.blue },
    { from: Math.PI * 0.08, to: Math.PI * 0.82, colour: INK.orange },
  ];
  for (const h of halves) {
    ctx.strokeStyle = h.colour;
    ctx.beginPath();
    ctx.arc(cx, cy, r, h.from, h.to);
    ctx.stroke();
    // Arrowhead at the end of the arc, along its tangent.
    const ex = cx + r * Math.cos(h.to);
    const ey = cy + r * Math.sin(h.to);
    const tx = -Math.sin(h.to);
    const ty = Math.cos(h.to);
    const nx = Math.cos(h.to);
    const ny = Math.sin(h.to);
    ctx.fillStyle = h.colour;
    ctx.beginPath();
    ctx.moveTo(ex + tx * 9, ey + ty * 9);
    ctx.lineTo(ex + nx * 7, ey + ny * 7);
    ctx.lineTo(ex - nx * 7, ey - ny * 7);
    ctx.closePath();
    ctx.fill();
  }
  text(ctx, 'A', cx - 6, cy, { size: 11, colour: INK.blue });
  text(ctx, 'B', cx + 6, cy, { size: 11, colour: INK.orange });

  const word = 'TRANSFORMAR';
  const top = 66;
  const step = 21;
  for (let i = 0; i < word.length; i++) {
    text(ctx, word[i], cx, top + i * step, { size: 17, colour: INK.darkBlue });
  }
  return c;
}

// --- application icon -----------------------------------------------------------------

/**
 * The application icon as SVG: a globe with its graticule, a gridded map sheet in front and
 * an arrow from one to the other. The PNG is this same SVG rasterised.
 */
export function iconSvg() {
  const size = 128;
  const proj = geoOrthographic().rotate([10, -22]).scale(46).translate([54, 54]).clipAngle(90).precision(0.1);
  const pathOf = geoPath(proj).digits(2);
  const graticule = pathOf(geoGraticule().step([30, 30])());
  const land = require('world-atlas/land-110m.json');
  const landPath = pathOf(topojson.feature(land, land.objects.land));

  const sheet = { x: 66, y: 64, w: 54, h: 54 };
  const grid = [];
  for (let i = 1; i < 4; i++) {
    const d = (sheet.w * i) / 4;
    grid.push(`M${sheet.x + d} ${sheet.y}v${sheet.h}`);
    grid.push(`M${sheet.x} ${sheet.y + d}h${sheet.w}`);
  }

  // Orange arrow sweeping from under the globe into the sheet; the head follows the curve.
  const p0 = [18, 98];
  const p1 = [20, 122];
  const p2 = [48, 128];
  const p3 = [60, 114];
  const len = Math.hypot(p3[0] - p2[0], p3[1] - p2[1]);
  const t = [(p3[0] - p2[0]) / len, (p3[1] - p2[1]) / len];
  const n = [-t[1], t[0]];
  const tip = [p3[0] + 11 * t[0], p3[1] + 11 * t[1]];
  const f = (v) => v.toFixed(2);
  const swoosh = {
    body: `M${p0} C${p1} ${p2} ${p3}`,
    head: `M${f(tip[0])} ${f(tip[1])}L${f(p3[0] + 9 * n[0])} ${f(p3[1] + 9 * n[1])}L${f(p3[0] - 9 * n[0])} ${f(p3[1] - 9 * n[1])}Z`,
  };

  return `<?xml version="1.0" encoding="UTF-8"?>
<svg xmlns="http://www.w3.org/2000/svg" width="${size}" height="${size}" viewBox="0 0 ${size} ${size}">
  <title>Quillon</title>
  <defs>
    <radialGradient id="sea" cx="0.36" cy="0.32" r="0.75">
      <stop offset="0" stop-color="#8cc4f0"/>
      <stop offset="1" stop-color="#1f5c99"/>
    </radialGradient>
    <linearGradient id="paper" x1="0" y1="0" x2="0" y2="1">
      <stop offset="0" stop-color="#fffdf4"/>
      <stop offset="1" stop-color="#f1e9cc"/>
    </linearGradient>
    <clipPath id="disc"><circle cx="54" cy="54" r="46"/></clipPath>
  </defs>
  <circle cx="54" cy="54" r="46" fill="url(#sea)"/>
  <g clip-path="url(#disc)">
    <path d="${landPath}" fill="#d9e8bf" stroke="#7aa05a" stroke-width="0.8" stroke-linejoin="round"/>
    <path d="${graticule}" fill="none" stroke="#ffffff" stroke-opacity="0.55" stroke-width="1.2"/>
  </g>
  <circle cx="54" cy="54" r="46" fill="none" stroke="#17487a" stroke-width="2.5"/>
  <rect x="${sheet.x + 3}" y="${sheet.y + 3}" width="${sheet.w}" height="${sheet.h}" rx="3" fill="#000000" fill-opacity="0.22"/>
  <rect x="${sheet.x}" y="${sheet.y}" width="${sheet.w}" height="${sheet.h}" rx="3" fill="url(#paper)" stroke="#8a7a4c" stroke-width="2"/>
  <path d="${grid.join('')}" fill="none" stroke="#c9b98a" stroke-width="1.5"/>
  <circle cx="${sheet.x + 35}" cy="${sheet.y + 19}" r="5" fill="#d23a2f" stroke="#ffffff" stroke-width="2"/>
  <path d="${swoosh.body}" fill="none" stroke="#e8871e" stroke-width="7" stroke-linecap="round"/>
  <path d="${swoosh.head}" fill="#e8871e" stroke="#e8871e" stroke-width="1.5" stroke-linejoin="round"/>
</svg>
`;
}

// --- splash and about pictures --------------------------------------------------------

/** A geodetic vertex: a white concrete pillar on its base, on a hilltop. */
export function drawPillar() {
  const [c, ctx] = canvas(96, 96);

  // Sky disc behind, so the white pillar reads on a white dialog.
  const sky = ctx.createLinearGradient(0, 4, 0, 80);
  sky.addColorStop(0, '#b9dcf6');
  sky.addColorStop(1, '#eef7fd');
  ctx.beginPath();
  ctx.arc(48, 48, 44, 0, 2 * Math.PI);
  ctx.fillStyle = sky;
  ctx.fill();

  // Hill, clipped to the disc.
  ctx.save();
  ctx.beginPath();
  ctx.arc(48, 48, 44, 0, 2 * Math.PI);
  ctx.clip();
  ctx.beginPath();
  ctx.moveTo(0, 96);
  ctx.lineTo(0, 80);
  ctx.bezierCurveTo(20, 70, 34, 66, 48, 66);
  ctx.bezierCurveTo(62, 66, 76, 70, 96, 80);
  ctx.lineTo(96, 96);
  ctx.closePath();
  const hill = ctx.createLinearGradient(0, 66, 0, 96);
  hill.addColorStop(0, '#9cbf6a');
  hill.addColorStop(1, '#6b8f45');
  ctx.fillStyle = hill;
  ctx.fill();
  ctx.restore();
  ctx.beginPath();
  ctx.arc(48, 48, 44, 0, 2 * Math.PI);
  ctx.lineWidth = 1.5;
  ctx.strokeStyle = '#7fa9cc';
  ctx.stroke();

  // Square base.
  ctx.fillStyle = '#c9c6bd';
  ctx.fillRect(32, 62, 32, 8);
  ctx.fillStyle = '#a9a69d';
  ctx.fillRect(32, 68, 32, 2);
  ctx.strokeStyle = '#77746c';
  ctx.lineWidth = 1;
  ctx.strokeRect(32.5, 62.5, 31, 7);

  // The pillar: a cylinder lit from the left.
  const body = ctx.createLinearGradient(38, 0, 58, 0);
  body.addColorStop(0, '#ffffff');
  body.addColorStop(0.55, '#f1f0ec');
  body.addColorStop(1, '#bdbab2');
  ctx.beginPath();
  ctx.moveTo(38, 24);
  ctx.lineTo(38, 62);
  ctx.ellipse(48, 62, 10, 2.5, 0, Math.PI, 0, true);
  ctx.lineTo(58, 24);
  ctx.closePath();
  ctx.fillStyle = body;
  ctx.fill();
  ctx.strokeStyle = '#77746c';
  ctx.stroke();

  // Dark band near the top and the flat top with its centring mark.
  ctx.fillStyle = '#3b3b3b';
  ctx.fillRect(38, 28, 20, 4);
  ctx.beginPath();
  ctx.ellipse(48, 24, 10, 2.5, 0, 0, 2 * Math.PI);
  ctx.fillStyle = '#e4e2dc';
  ctx.fill();
  ctx.strokeStyle = '#77746c';
  ctx.stroke();
  ctx.beginPath();
  ctx.ellipse(48, 24, 2.2, 0.8, 0, 0, 2 * Math.PI);
  ctx.fillStyle = '#555555';
  ctx.fill();

  // A plain plaque, no lettering.
  ctx.fillStyle = '#c08a3a';
  ctx.fillRect(44, 42, 8, 6);
  ctx.strokeStyle = '#80561c';
  ctx.strokeRect(44.5, 42.5, 7, 5);
  return c;
}

/** The Earth seen from above the Iberian peninsula, Spain picked out. */
export function drawGlobe() {
  const [c, ctx] = canvas(96, 96);
  const proj = geoOrthographic().rotate([4, -36]).scale(44).translate([48, 48]).clipAngle(90).precision(0.1);
  const path = geoPath(proj, ctx);
  const countries = require('world-atlas/countries-50m.json');
  const land = topojson.feature(countries, countries.objects.land);
  const spain = topojson.feature(countries, countries.objects.countries.geometries.find((g) => g.id === '724'));

  ball(ctx, 48, 48, 44, '#9fd0f5', '#1f5c99', '#17487a');
  ctx.beginPath();
  path(land);
  ctx.fillStyle = '#dce9c4';
  ctx.fill();
  ctx.lineWidth = 0.5;
  ctx.strokeStyle = '#7f9f62';
  ctx.stroke();
  ctx.beginPath();
  path(spain);
  ctx.fillStyle = INK.orange;
  ctx.fill();

  ctx.beginPath();
  path(geoGraticule10());
  ctx.lineWidth = 0.5;
  ctx.strokeStyle = 'rgba(255,255,255,0.45)';
  ctx.stroke();

  // Soft highlight on the upper left.
  const shine = ctx.createRadialGradient(32, 28, 2, 32, 28, 40);
  shine.addColorStop(0, 'rgba(255,255,255,0.35)');
  shine.addColorStop(1, 'rgba(255,255,255,0)');
  ctx.beginPath();
  ctx.arc(48, 48, 44, 0, 2 * Math.PI);
  ctx.fillStyle = shine;
  ctx.fill();
  ctx.lineWidth = 1.5;
  ctx.strokeStyle = '#17487a';
  ctx.stroke();
  return c;
}

/** A folded map sheet of Andalusia with a grid and a pin. */
export function drawMapSheet() {
  const [c, ctx] = canvas(96, 96);
  const es = require('es-atlas/es/autonomous_regions.json');
  const andalusia = topojson.feature(es, es.objects.autonomous_regions.geometries.find((g) => g.id === '01'));
  const sheet = { x: 8, y: 16, w: 80, h: 62 };

  // Shadow and paper.
  ctx.fillStyle = 'rgba(0,0,0,0.18)';
  ctx.fillRect(sheet.x + 3, sheet.y + 3, sheet.w, sheet.h);
  ctx.fillStyle = INK.paleBlue;
  ctx.fillRect(sheet.x, sheet.y, sheet.w, sheet.h);

  ctx.save();
  ctx.beginPath();
  ctx.rect(sheet.x, sheet.y, sheet.w, sheet.h);
  ctx.clip();
  const proj = geoMercator().fitExtent([[sheet.x + 5, sheet.y + 8], [sheet.x + sheet.w - 5, sheet.y + sheet.h - 6]], andalusia);
  const path = geoPath(proj, ctx);
  ctx.beginPath();
  path(andalusia);
  ctx.fillStyle = INK.paper;
  ctx.fill();
  ctx.lineWidth = 0.8;
  ctx.strokeStyle = '#8a7a4c';
  ctx.stroke();

  // Grid.
  ctx.strokeStyle = 'rgba(42,111,176,0.35)';
  ctx.lineWidth = 1;
  ctx.beginPath();
  for (let x = sheet.x + 10; x < sheet.x + sheet.w; x += 15) {
    ctx.moveTo(x + 0.5, sheet.y);
    ctx.lineTo(x + 0.5, sheet.y + sheet.h);
  }
  for (let y = sheet.y + 8; y < sheet.y + sheet.h; y += 15) {
    ctx.moveTo(sheet.x, y + 0.5);
    ctx.lineTo(sheet.x + sheet.w, y + 0.5);
  }
  ctx.stroke();

  // Two folds: the middle panel a touch darker, crease lines between.
  const third = sheet.w / 3;
  ctx.fillStyle = 'rgba(0,0,0,0.07)';
  ctx.fillRect(sheet.x + third, sheet.y, third, sheet.h);
  const crease = ctx.createLinearGradient(sheet.x + 2 * third, 0, sheet.x + 2 * third + 6, 0);
  crease.addColorStop(0, 'rgba(255,255,255,0.5)');
  crease.addColorStop(1, 'rgba(255,255,255,0)');
  ctx.fillStyle = crease;
  ctx.fillRect(sheet.x + 2 * third, sheet.y, 6, sheet.h);
  ctx.restore();
  ctx.strokeStyle = '#6f8fa8';
  ctx.lineWidth = 1;
  ctx.strokeRect(sheet.x + 0.5, sheet.y + 0.5, sheet.w - 1, sheet.h - 1);

  // Pin on Sevilla.
  const [px, py] = proj([-5.9823, 37.3886]);
  ctx.beginPath();
  ctx.moveTo(px, py);
  ctx.bezierCurveTo(px - 2, py - 6, px - 7, py - 9, px - 7, py - 14);
  ctx.arc(px, py - 14, 7, Math.PI, 0);
  ctx.bezierCurveTo(px + 7, py - 9, px + 2, py - 6, px, py);
  ctx.closePath();
  ctx.fillStyle = INK.red;
  ctx.fill();
  ctx.lineWidth = 1;
  ctx.strokeStyle = '#8e1f18';
  ctx.stroke();
  ctx.beginPath();
  ctx.arc(px, py - 14, 2.6, 0, 2 * Math.PI);
  ctx.fillStyle = '#ffffff';
  ctx.fill();
  return c;
}

/** About box: a surveyor's theodolite on its tripod. */
export function drawTheodolite() {
  const [c, ctx] = canvas(64, 64);

  // Tripod legs.
  ctx.lineCap = 'round';
  ctx.strokeStyle = '#b9862f';
  ctx.lineWidth = 3;
  ctx.beginPath();
  ctx.moveTo(32, 36);
  ctx.lineTo(12, 61);
  ctx.moveTo(32, 36);
  ctx.lineTo(52, 61);
  ctx.stroke();
  ctx.strokeStyle = '#8e6420';
  ctx.beginPath();
  ctx.moveTo(32, 36);
  ctx.lineTo(33, 62);
  ctx.stroke();
  ctx.fillStyle = '#4a4a4a';
  ctx.fillRect(22, 33, 20, 4);

  // Alidade: the U-shaped standards on a round base.
  ctx.fillStyle = '#2f7f4f';
  ctx.beginPath();
  ctx.ellipse(32, 31, 10, 3, 0, 0, 2 * Math.PI);
  ctx.fill();
  const metal = ctx.createLinearGradient(22, 0, 42, 0);
  metal.addColorStop(0, '#4fb27a');
  metal.addColorStop(1, '#25663f');
  ctx.fillStyle = metal;
  ctx.beginPath();
  ctx.moveTo(23, 30);
  ctx.lineTo(23, 12);
  ctx.lineTo(28, 12);
  ctx.lineTo(28, 24);
  ctx.lineTo(36, 24);
  ctx.lineTo(36, 12);
  ctx.lineTo(41, 12);
  ctx.lineTo(41, 30);
  ctx.closePath();
  ctx.fill();
  ctx.lineWidth = 0.8;
  ctx.strokeStyle = '#1b4a2e';
  ctx.stroke();

  // Telescope across the standards, tilted a little upwards.
  ctx.save();
  ctx.translate(32, 16);
  ctx.rotate(-0.18);
  const tube = ctx.createLinearGradient(0, -4, 0, 4);
  tube.addColorStop(0, '#6a6a6a');
  tube.addColorStop(0.4, '#cfcfcf');
  tube.addColorStop(1, '#3c3c3c');
  ctx.fillStyle = tube;
  ctx.fillRect(-14, -3.5, 28, 7);
  ctx.fillRect(12, -4.5, 5, 9);
  ctx.strokeStyle = '#2b2b2b';
  ctx.lineWidth = 0.8;
  ctx.strokeRect(-14, -3.5, 28, 7);
  ctx.strokeRect(12, -4.5, 5, 9);
  ctx.restore();
  ctx.beginPath();
  ctx.arc(32, 16, 2.4, 0, 2 * Math.PI);
  ctx.fillStyle = '#1d3f66';
  ctx.fill();

  // Line of sight.
  ctx.save();
  ctx.setLineDash([2, 2]);
  ctx.strokeStyle = INK.red;
  ctx.lineWidth = 1.2;
  ctx.beginPath();
  ctx.moveTo(50, 12.5);
  ctx.lineTo(62, 10.3);
  ctx.stroke();
  ctx.restore();
  return c;
}
