// Regenerates every picture the desktop program ships into frontend/resources/.
//   node src/main.mjs [output directory]

import fs from 'node:fs';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import { registerFonts, writePng } from './common.mjs';
import { drawMap, MAP } from './map.mjs';

const here = path.dirname(fileURLToPath(import.meta.url));
const outDir = path.resolve(process.argv[2] ?? path.join(here, '../../../frontend/resources'));
fs.mkdirSync(outDir, { recursive: true });

registerFonts();

const map = drawMap();
writePng(map.canvas, outDir, 'mapa_andalucia.png', MAP.width, MAP.height);
for (const c of map.capitals) console.log(`${c.name.padEnd(8)} px ${c.u.toFixed(1).padStart(6)} ${c.v.toFixed(1).padStart(6)}`);
