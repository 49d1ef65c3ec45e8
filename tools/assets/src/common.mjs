// Shared bits of the image generators: the font, checks and PNG output.

import { GlobalFonts } from '@napi-rs/canvas';
import fs from 'node:fs';
import path from 'node:path';

// DejaVu Sans, registered from its files under private names so no other font can stand in.
export const FONT_FAMILY = 'Quillon Sans';
export const FONT_FAMILY_BOLD = 'Quillon Sans Bold';
export const FONT_FAMILY_ITALIC = 'Quillon Sans Oblique';

const FONT_DIR = '/usr/share/fonts/truetype/dejavu';

export function registerFonts() {
  const fonts = [
    ['DejaVuSans.ttf', FONT_FAMILY],
    ['DejaVuSans-Bold.ttf', FONT_FAMILY_BOLD],
    ['DejaVuSans-Oblique.ttf', FONT_FAMILY_ITALIC],
  ];
  for (const [file, family] of fonts) {
    const full = path.join(FONT_DIR, file);
    if (!fs.existsSync(full)) throw new Error(`${full} is missing: apt-get install fonts-dejavu-core fonts-dejavu-extra`);
    if (!GlobalFonts.registerFromPath(full, family)) throw new Error(`cannot load ${full}`);
  }
}

export function check(condition, message) {
  if (!condition) throw new Error(`check failed: ${message}`);
}

/** Writes a canvas as PNG after checking its size. */
export function writePng(canvas, outDir, name, width, height) {
  check(canvas.width === width && canvas.height === height, `${name} is ${canvas.width}x${canvas.height}, wanted ${width}x${height}`);
  const png = canvas.toBuffer('image/png');
  // PNG IHDR: width and height are the first two fields after the signature and chunk header.
  check(png.readUInt32BE(16) === width && png.readUInt32BE(20) === height, `${name}: encoded size differs`);
  fs.writeFileSync(path.join(outDir, name), png);
  return png;
}
