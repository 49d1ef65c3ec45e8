// Background map of Andalusia for the main window: mapa_andalucia.png.
//
// The raster covers a fixed rectangle of ED50 UTM zone 30 and the program converts between
// its pixels and metres with a plain linear scale, so the geometry must land exactly where
// that scale says. Sources:
//   - coastline, land and international borders: Natural Earth 1:10m (world-atlas package);
//   - limits of the autonomous communities and provinces: IGN's boundary lines (es-atlas).

import { createCanvas, Path2D } from '@napi-rs/canvas';
import { createRequire } from 'node:module';
import * as topojson from 'topojson-client';
import { etrs89ToEd50Utm30 } from './geo.mjs';
import { FONT_FAMILY, FONT_FAMILY_ITALIC, check } from './common.mjs';

const require = createRequire(import.meta.url);

// The map window, in ED50 UTM zone 30 metres, and its size in pixels.
export const MAP = {
  width: 759,
  height: 484,
  xMin: 82482,
  xMax: 641448,
  yMin: 3951850,
  yMax: 4308027,
};
const SX = (MAP.xMax - MAP.xMin) / MAP.width; // metres per pixel, across
const SY = (MAP.yMax - MAP.yMin) / MAP.height; // metres per pixel, down

// Areas the program paints over: the legend (lower right) and the coordinate read-out
// (lower left). Nothing but land and sea may go there.
const QUIET = [
  { name: 'legend', x0: 345, y0: 370, x1: MAP.width, y1: MAP.height },
  { name: 'read-out', x0: 0, y0: MAP.height - 60, x1: 200, y1: MAP.height },
];

// Geographic window used to cut the world-wide polygons before projecting them. It must hold
// the whole map rectangle with room to spare, so that the cut edges fall outside the picture.
const CUT = { lonMin: -11, lonMax: 2, latMin: 34, latMax: 40.5 };

/** ED50 UTM 30 metres -> pixel coordinates (left/top edge convention of the program). */
export function utmToPixel(x, y) {
  return [(x - MAP.xMin) / SX, (MAP.yMax - y) / SY];
}

function lonLatToPixel([lon, lat]) {
  const [x, y] = etrs89ToEd50Utm30(lon, lat);
  return utmToPixel(x, y);
}

// Provincial capitals, ETRS89 longitude/latitude of the city centre, with the ED50 UTM 30
// position the national transformation gives for the same point (from quillon-cli punto).
// The second pair checks the projection here; `label` says where the name goes.
const CAPITALS = [
  { name: 'Almería', lon: -2.4597, lat: 36.8381, x: 548288.3, y: 4077256.0, label: 'below' },
  { name: 'Cádiz', lon: -6.2886, lat: 36.5271, x: 205655.4, y: 4047651.6, label: 'left' },
  { name: 'Córdoba', lon: -4.7794, lat: 37.8882, x: 343641.4, y: 4195109.1, label: 'above' },
  { name: 'Granada', lon: -3.5986, lat: 37.1773, x: 446974.6, y: 4114915.5, label: 'right' },
  { name: 'Huelva', lon: -6.9447, lat: 37.2614, x: 150257.9, y: 4131373.7, label: 'above' },
  { name: 'Jaén', lon: -3.7849, lat: 37.7796, x: 430993.0, y: 4181858.4, label: 'right' },
  { name: 'Málaga', lon: -4.4214, lat: 36.7213, x: 373177.7, y: 4065103.4, label: 'below' },
  { name: 'Sevilla', lon: -5.9823, lat: 37.3886, x: 236082.7, y: 4142362.2, label: 'right' },
];

// Province codes (INE) of Andalusia and the code of the community itself.
const ANDALUSIAN_PROVINCES = new Set(['04', '11', '14', '18', '21', '23', '29', '41']);
const ANDALUSIA = '01';
const GIBRALTAR_IN_ES_ATLAS = '20';

const COLOURS = {
  sea: '#d3e5f2',
  andalusia: '#f8f4e4',
  otherLand: '#e7e4da',
  coast: '#6e8ea8',
  border: '#7b7b7b',
  region: '#a79c82',
  andalusiaOutline: '#9a7f4a',
  province: '#d2c6a6',
  label: '#262626',
  seaLabel: '#7497b5',
  landLabel: '#a29d90',
};

// --- geometry -------------------------------------------------------------------------

/** Cuts a closed ring of [lon, lat] to the CUT window (Sutherland–Hodgman). */
function cutRing(ring) {
  const edges = [
    [(p) => p[0] >= CUT.lonMin, (a, b) => crossLon(a, b, CUT.lonMin)],
    [(p) => p[0] <= CUT.lonMax, (a, b) => crossLon(a, b, CUT.lonMax)],
    [(p) => p[1] >= CUT.latMin, (a, b) => crossLat(a, b, CUT.latMin)],
    [(p) => p[1] <= CUT.latMax, (a, b) => crossLat(a, b, CUT.latMax)],
  ];
  let pts = ring;
  for (const [inside, cross] of edges) {
    if (pts.length === 0) break;
    const out = [];
    for (let i = 0; i < pts.length; i++) {
      const cur = pts[i];
      const prev = pts[(i + pts.length - 1) % pts.length];
      if (inside(cur)) {
        if (!inside(prev)) out.push(cross(prev, cur));
        out.push(cur);
      } else if (inside(prev)) {
        out.push(cross(prev, cur));
      }
    }
    pts = out;
  }
  return pts.length >= 3 ? pts : null;
}

function crossLon(a, b, lon) {
  const t = (lon - a[0]) / (b[0] - a[0]);
  return [lon, a[1] + t * (b[1] - a[1])];
}

function crossLat(a, b, lat) {
  const t = (lat - a[1]) / (b[1] - a[1]);
  return [a[0] + t * (b[0] - a[0]), lat];
}

function insideCut([lon, lat]) {
  return lon >= CUT.lonMin && lon <= CUT.lonMax && lat >= CUT.latMin && lat <= CUT.latMax;
}

/** The geometries of a GeoJSON Feature or FeatureCollection. */
function geometriesOf(geojson) {
  if (geojson.type === 'FeatureCollection') return geojson.features.map((f) => f.geometry);
  if (geojson.type === 'Feature') return [geojson.geometry];
  throw new Error(`unexpected GeoJSON ${geojson.type}`);
}

function polygonsOf(geometry) {
  if (!geometry) return [];
  if (geometry.type === 'Polygon') return [geometry.coordinates];
  if (geometry.type === 'MultiPolygon') return geometry.coordinates;
  if (geometry.type === 'GeometryCollection') return geometry.geometries.flatMap(polygonsOf);
  return [];
}

/** Path2D of (Multi)Polygon geometries, cut and projected; fill it with 'evenodd'. */
function areaPath(geometries) {
  const path = new Path2D();
  for (const g of geometries) {
    for (const polygon of polygonsOf(g)) {
      for (const ring of polygon) {
        const cut = cutRing(ring);
        if (!cut) continue;
        cut.forEach((p, i) => {
          const [u, v] = lonLatToPixel(p);
          if (i === 0) path.moveTo(u, v);
          else path.lineTo(u, v);
        });
        path.closePath();
      }
    }
  }
  return path;
}

/** Path2D of a MultiLineString, keeping only the stretches inside the CUT window. */
function linePath(multiLine) {
  const path = new Path2D();
  for (const line of multiLine.coordinates) {
    let pen = false;
    for (const p of line) {
      if (!insideCut(p)) {
        pen = false;
        continue;
      }
      const [u, v] = lonLatToPixel(p);
      if (pen) path.lineTo(u, v);
      else path.moveTo(u, v);
      pen = true;
    }
  }
  return path;
}

// --- drawing --------------------------------------------------------------------------

function strokePath(ctx, path, colour, width, dash = []) {
  ctx.save();
  ctx.strokeStyle = colour;
  ctx.lineWidth = width;
  ctx.lineJoin = 'round';
  ctx.lineCap = dash.length ? 'butt' : 'round';
  ctx.setLineDash(dash);
  ctx.stroke(path);
  ctx.restore();
}

function haloText(ctx, text, u, v, { font, fill, halo = '#ffffff', haloWidth = 3, spacing = 0 }) {
  ctx.save();
  ctx.font = font;
  ctx.letterSpacing = `${spacing}px`;
  ctx.textBaseline = 'alphabetic';
  ctx.textAlign = 'left';
  if (halo) {
    ctx.strokeStyle = halo;
    ctx.lineWidth = haloWidth;
    ctx.lineJoin = 'round';
    ctx.strokeText(text, u, v);
  }
  ctx.fillStyle = fill;
  ctx.fillText(text, u, v);
  ctx.restore();
}

/** Box [x0, y0, x1, y1] covered by a text drawn with its baseline start at (u, v). */
function textBox(ctx, text, u, v, font, spacing = 0) {
  ctx.save();
  ctx.font = font;
  ctx.letterSpacing = `${spacing}px`;
  const m = ctx.measureText(text);
  ctx.restore();
  return [u - 2, v - m.actualBoundingBoxAscent - 2, u + m.width + 2, v + m.actualBoundingBoxDescent + 2];
}

function overlaps(a, b) {
  return a[0] < b[2] && b[0] < a[2] && a[1] < b[3] && b[1] < a[3];
}

export function drawMap() {
  const land = require('world-atlas/land-10m.json');
  const countries = require('world-atlas/countries-10m.json');
  const es = require('es-atlas/es/provinces.json');

  const canvas = createCanvas(MAP.width, MAP.height);
  const ctx = canvas.getContext('2d');

  // The cut window, once projected, must enclose the whole picture.
  for (const corner of [
    [CUT.lonMin, CUT.latMin],
    [CUT.lonMin, CUT.latMax],
    [CUT.lonMax, CUT.latMin],
    [CUT.lonMax, CUT.latMax],
  ]) {
    const [u, v] = lonLatToPixel(corner);
    check(u < 0 || u > MAP.width || v < 0 || v > MAP.height, `cut corner ${corner} falls inside the map`);
  }

  // Capitals: the projection used here against the national transformation.
  for (const c of CAPITALS) {
    const [u, v] = lonLatToPixel([c.lon, c.lat]);
    const [ru, rv] = utmToPixel(c.x, c.y);
    c.u = u;
    c.v = v;
    check(Math.hypot(u - ru, v - rv) < 0.1, `${c.name}: at (${u.toFixed(2)}, ${v.toFixed(2)}) px, expected (${ru.toFixed(2)}, ${rv.toFixed(2)})`);
    check(u > 5 && u < MAP.width - 5 && v > 5 && v < MAP.height - 5, `${c.name} is off the map`);
  }
  // Rough positions read off the map's scale by hand (Sevilla ≈ 235 km E, 4143 km N).
  const seville = CAPITALS.find((c) => c.name === 'Sevilla');
  check(Math.abs(seville.u - 207) < 3 && Math.abs(seville.v - 224) < 3, `Sevilla at (${seville.u}, ${seville.v})`);

  const landPath = areaPath(geometriesOf(topojson.feature(land, land.objects.land)));
  const spain = countries.objects.countries.geometries.find((g) => g.id === '724');
  const spainPath = areaPath(geometriesOf(topojson.feature(countries, spain)));
  const regions = es.objects.autonomous_regions;
  const othersGeom = topojson.feature(es, {
    type: 'GeometryCollection',
    geometries: regions.geometries.filter((g) => g.id !== ANDALUSIA),
  });
  const othersPath = areaPath(geometriesOf(othersGeom));

  // Sea, then all land in the neutral tint.
  ctx.fillStyle = COLOURS.sea;
  ctx.fillRect(0, 0, MAP.width, MAP.height);
  ctx.fillStyle = COLOURS.otherLand;
  ctx.fill(landPath, 'evenodd');

  // Spain in the Andalusian tint, then the other communities back to neutral. Their IGN
  // outline is slightly fatter-stroked so no sliver of the wrong tint is left along the
  // Natural Earth coast; the overlap into Andalusia is hidden under its outline.
  ctx.save();
  ctx.clip(spainPath, 'evenodd');
  ctx.fillStyle = COLOURS.andalusia;
  ctx.fill(spainPath, 'evenodd');
  ctx.fillStyle = COLOURS.otherLand;
  ctx.fill(othersPath, 'evenodd');
  strokePath(ctx, othersPath, COLOURS.otherLand, 2.5);
  ctx.restore();

  // Limits inside Spain, clipped to land so they never run into the sea.
  ctx.save();
  ctx.clip(landPath, 'evenodd');
  const provinces = es.objects.provinces;
  const provinceLines = topojson.mesh(
    es,
    provinces,
    (a, b) => a !== b && ANDALUSIAN_PROVINCES.has(a.id) && ANDALUSIAN_PROVINCES.has(b.id),
  );
  strokePath(ctx, linePath(provinceLines), COLOURS.province, 0.9, [3, 2]);
  const otherRegionLines = topojson.mesh(
    es,
    regions,
    (a, b) => a !== b && a.id !== ANDALUSIA && b.id !== ANDALUSIA,
  );
  strokePath(ctx, linePath(otherRegionLines), COLOURS.region, 0.7);
  const andalusiaLines = topojson.mesh(
    es,
    regions,
    (a, b) => (a.id === ANDALUSIA) !== (b.id === ANDALUSIA) && a.id !== GIBRALTAR_IN_ES_ATLAS && b.id !== GIBRALTAR_IN_ES_ATLAS,
  );
  strokePath(ctx, linePath(andalusiaLines), COLOURS.andalusiaOutline, 1.3);
  ctx.restore();

  // Coastline and the borders between countries (Portugal, Gibraltar, Ceuta/Morocco).
  strokePath(ctx, landPath, COLOURS.coast, 0.9);
  const borders = topojson.mesh(countries, countries.objects.countries, (a, b) => a !== b);
  strokePath(ctx, linePath(borders), COLOURS.border, 1.1, [4, 2.5]);

  // Every capital must fall on Andalusian land of the map as drawn (Spain, not one of the
  // other communities). Cádiz, Málaga, Almería and Huelva sit right on the coast, so this
  // also catches a projection that is off by a pixel or two.
  for (const c of CAPITALS) {
    const onLand = ctx.isPointInPath(spainPath, c.u, c.v, 'evenodd');
    const elsewhere = ctx.isPointInPath(othersPath, c.u, c.v, 'evenodd');
    check(onLand && !elsewhere, `${c.name} is not on Andalusian land (land ${onLand}, other community ${elsewhere})`);
  }

  // Place names. Every box is checked against the quiet areas and against the others.
  const boxes = [];
  const place = (box, what, own = null) => {
    for (const q of QUIET) check(!overlaps(box, [q.x0, q.y0, q.x1, q.y1]), `${what} intrudes on the ${q.name} area`);
    for (const b of boxes) check(b.what === own || !overlaps(box, b.box), `${what} overlaps ${b.what}`);
    check(box[0] >= 0 && box[1] >= 0 && box[2] <= MAP.width && box[3] <= MAP.height, `${what} leaves the map`);
    boxes.push({ box, what });
  };

  const areaLabels = [
    { text: 'Océano Atlántico', u: 24, v: 322, style: 'sea' },
    { text: 'Mar Mediterráneo', u: 440, v: 362, style: 'sea' },
    { text: 'PORTUGAL', u: 14, v: 60, style: 'land' },
    { text: 'EXTREMADURA', u: 150, v: 22, style: 'land' },
    { text: 'CASTILLA-LA MANCHA', u: 470, v: 22, style: 'land' },
    { text: 'MURCIA', u: 700, v: 170, style: 'land' },
    { text: 'MARRUECOS', u: 213, v: 479, style: 'land' },
  ];
  for (const l of areaLabels) {
    const font = l.style === 'sea' ? `12px "${FONT_FAMILY_ITALIC}"` : `9px "${FONT_FAMILY}"`;
    const spacing = l.style === 'sea' ? 1 : 2;
    const fill = l.style === 'sea' ? COLOURS.seaLabel : COLOURS.landLabel;
    place(textBox(ctx, l.text, l.u, l.v, font, spacing), l.text);
    haloText(ctx, l.text, l.u, l.v, { font, fill, halo: null, spacing });
  }

  const labelFont = `12px "${FONT_FAMILY}"`;
  for (const c of CAPITALS) {
    ctx.save();
    ctx.font = labelFont;
    const m = ctx.measureText(c.name);
    ctx.restore();
    const w = m.width;
    const asc = 9; // cap height of 12 px DejaVu Sans, near enough for placement
    let u;
    let v;
    switch (c.label) {
      case 'right': u = c.u + 7; v = c.v + asc / 2; break;
      case 'left': u = c.u - 7 - w; v = c.v + asc / 2; break;
      case 'above': u = c.u - w / 2; v = c.v - 7; break;
      case 'below': u = c.u - w / 2; v = c.v + 7 + asc; break;
      default: throw new Error(`label side ${c.label}`);
    }
    place([c.u - 5, c.v - 5, c.u + 5, c.v + 5], `${c.name} marker`);
    place(textBox(ctx, c.name, u, v, labelFont), c.name, `${c.name} marker`);
    haloText(ctx, c.name, u, v, { font: labelFont, fill: COLOURS.label });
  }

  // Markers last, as the legend's "Capital de provincia" symbol: a light-red circle of
  // radius 3 outlined in black.
  for (const c of CAPITALS) {
    ctx.beginPath();
    ctx.arc(c.u, c.v, 3, 0, 2 * Math.PI);
    ctx.fillStyle = '#ff0000';
    ctx.fill();
    ctx.lineWidth = 1;
    ctx.strokeStyle = '#000000';
    ctx.stroke();
  }

  // The program paints this as the window's background: no pixel may be see-through.
  const rgba = ctx.getImageData(0, 0, MAP.width, MAP.height).data;
  for (let i = 3; i < rgba.length; i += 4) check(rgba[i] === 255, `pixel ${(i - 3) / 4} is not opaque`);

  return { canvas, capitals: CAPITALS.map(({ name, u, v }) => ({ name, u, v })) };
}
