// Geodesy helpers for placing Natural Earth / IGN geometry on the ED50 UTM map.
//
// The source data is in ETRS89/WGS84 longitude and latitude. Points are moved to ED50 with a
// plain geocentric translation (the Western-Europe three-parameter set, EPSG:1133 inverted),
// good to a few metres here, and then projected with the Krüger series of the transverse
// Mercator projection on the International 1924 ellipsoid. At ~736 m per pixel either
// approximation is far below what the map can show.

const DEG = Math.PI / 180;

export const GRS80 = { a: 6378137.0, f: 1 / 298.257222101 };
export const INTL1924 = { a: 6378388.0, f: 1 / 297 };

// ED50 -> WGS84 is (-87, -98, -121) m; we go the other way.
const TO_ED50 = { dx: 87, dy: 98, dz: 121 };

function geodeticToGeocentric(lonDeg, latDeg, h, ell) {
  const e2 = ell.f * (2 - ell.f);
  const lon = lonDeg * DEG;
  const lat = latDeg * DEG;
  const s = Math.sin(lat);
  const N = ell.a / Math.sqrt(1 - e2 * s * s);
  return [
    (N + h) * Math.cos(lat) * Math.cos(lon),
    (N + h) * Math.cos(lat) * Math.sin(lon),
    (N * (1 - e2) + h) * s,
  ];
}

function geocentricToGeodetic(X, Y, Z, ell) {
  const e2 = ell.f * (2 - ell.f);
  const p = Math.hypot(X, Y);
  const lon = Math.atan2(Y, X);
  let lat = Math.atan2(Z, p * (1 - e2));
  let h = 0;
  for (let i = 0; i < 10; i++) {
    const s = Math.sin(lat);
    const N = ell.a / Math.sqrt(1 - e2 * s * s);
    h = p / Math.cos(lat) - N;
    const next = Math.atan2(Z, p * (1 - (e2 * N) / (N + h)));
    if (Math.abs(next - lat) < 1e-13) {
      lat = next;
      break;
    }
    lat = next;
  }
  return [lon / DEG, lat / DEG, h];
}

/** ETRS89/WGS84 longitude, latitude (degrees) -> ED50 longitude, latitude (degrees). */
export function etrs89ToEd50(lon, lat) {
  const [X, Y, Z] = geodeticToGeocentric(lon, lat, 0, GRS80);
  const [l, p] = geocentricToGeodetic(X + TO_ED50.dx, Y + TO_ED50.dy, Z + TO_ED50.dz, INTL1924);
  return [l, p];
}

/** Transverse Mercator (Krüger series, 4th order in n) on a given ellipsoid. */
export function makeTransverseMercator(ell, lon0Deg, k0, falseEasting, falseNorthing) {
  const n = ell.f / (2 - ell.f);
  const n2 = n * n;
  const n3 = n2 * n;
  const n4 = n3 * n;
  const A = (ell.a / (1 + n)) * (1 + n2 / 4 + n4 / 64);
  const alpha = [
    n / 2 - (2 / 3) * n2 + (5 / 16) * n3 + (41 / 180) * n4,
    (13 / 48) * n2 - (3 / 5) * n3 + (557 / 1440) * n4,
    (61 / 240) * n3 - (103 / 140) * n4,
    (49561 / 161280) * n4,
  ];
  const e = Math.sqrt(ell.f * (2 - ell.f));
  return function forward(lonDeg, latDeg) {
    const phi = latDeg * DEG;
    const dl = (lonDeg - lon0Deg) * DEG;
    const s = Math.sin(phi);
    const t = Math.sinh(Math.atanh(s) - e * Math.atanh(e * s));
    const xi1 = Math.atan2(t, Math.cos(dl));
    const eta1 = Math.atanh(Math.sin(dl) / Math.sqrt(1 + t * t));
    let xi = xi1;
    let eta = eta1;
    for (let j = 1; j <= alpha.length; j++) {
      xi += alpha[j - 1] * Math.sin(2 * j * xi1) * Math.cosh(2 * j * eta1);
      eta += alpha[j - 1] * Math.cos(2 * j * xi1) * Math.sinh(2 * j * eta1);
    }
    return [falseEasting + k0 * A * eta, falseNorthing + k0 * A * xi];
  };
}

/** ED50 UTM zone 30 (central meridian 3° W). */
export const utm30Ed50 = makeTransverseMercator(INTL1924, -3, 0.9996, 500000, 0);

/** ETRS89 longitude, latitude -> ED50 UTM zone 30 easting, northing. */
export function etrs89ToEd50Utm30(lon, lat) {
  const [l, p] = etrs89ToEd50(lon, lat);
  return utm30Ed50(l, p);
}
