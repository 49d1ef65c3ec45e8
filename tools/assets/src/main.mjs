// Regenerates every picture the desktop program ships into frontend/resources/.
//   node src/main.mjs [output directory]

import fs from 'node:fs';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import { createCanvas, loadImage } from '@napi-rs/canvas';
import { check, registerFonts, writePng } from './common.mjs';
import * as pictures from './pictures.mjs';

const here = path.dirname(fileURLToPath(import.meta.url));
const outDir = path.resolve(process.argv[2] ?? path.join(here, '../../../frontend/resources'));
fs.mkdirSync(outDir, { recursive: true });

registerFonts();

const drawn = [
  ['tipo_cartesianas.png', pictures.drawCartesian, 64, 64],
  ['tipo_geograficas.png', pictures.drawGeodetic, 64, 64],
  ['tipo_utm.png', pictures.drawUtm, 64, 64],
  ['flecha.png', pictures.drawArrow, 64, 32],
  ['transformar.png', pictures.drawTransform, 60, 300],
  ['splash_1.png', pictures.drawPillar, 96, 96],
  ['splash_2.png', pictures.drawGlobe, 96, 96],
  ['splash_3.png', pictures.drawMapSheet, 96, 96],
  ['acerca.png', pictures.drawTheodolite, 64, 64],
];
for (const [name, draw, w, h] of drawn) writePng(draw(), outDir, name, w, h);

// The icon: the SVG is the source, the PNG is that SVG rasterised.
const svg = pictures.iconSvg();
fs.writeFileSync(path.join(outDir, 'quillon.svg'), svg);
const image = await loadImage(Buffer.from(svg));
check(image.width === 128 && image.height === 128, `quillon.svg reads as ${image.width}x${image.height}`);
const icon = createCanvas(128, 128);
icon.getContext('2d').drawImage(image, 0, 0);
writePng(icon, outDir, 'quillon.png', 128, 128);

console.log(`wrote ${drawn.length + 3} files to ${outDir}`);
