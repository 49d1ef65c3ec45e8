#include "geodesy/fit_report.h"

#include "files/number_format.h"
#include "files/text_encoding.h"
#include "geodesy/least_squares.h"
#include "geodesy/transform.h"

#include <charconv>
#include <cmath>
#include <string_view>
#include <vector>

namespace dezadiravevava {

namespace {

constexpr double kZone30 = 30.0;
constexpr double kArcSecondsPerRadian = 206264.80624709636;

// A number as PROJ reads it: up to 15 significant digits, no trailing zeros,
// whatever the locale.
std::string ProjNumber(double value) {
    char buffer[64];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 15);
    return std::string(buffer, result.ptr);
}

// A fixed number with its sign always written: "+0.0123", "-1.2440"; a value
// that rounds to zero is "+0.0000", whatever its sign.
std::string Signed(double value, int decimals) {
    std::string text = CFixed(value, decimals);
    if (text.front() == '-' && text.find_first_not_of("-0.") == std::string::npos) {
        text.erase(text.begin());
    }
    if (text.front() != '-') {
        text.insert(text.begin(), '+');
    }
    return text;
}

// `text` right-aligned in `width` characters.
std::string Right(const std::string& text, std::size_t width) {
    return text.size() >= width ? text : std::string(width - text.size(), ' ') + text;
}

// The ellipsoid of a datum as PROJ names it. ETRS89 is computed with the WGS 84
// constants (a = 6378137 m, 1/f = 298.257223563).
std::string_view ProjEllipsoid(int datum) {
    return datum == kDatumEtrs89 ? "WGS84" : "intl";
}

std::string_view DatumName(int datum) {
    return datum == kDatumEtrs89 ? "ETRS89" : "ED50";
}

// The zone a pipeline writes: a side with each point's own zone is written as
// zone 30.
std::string ZoneText(double zone) {
    return std::to_string(static_cast<int>(zone >= 1.0 ? zone : kZone30));
}

// Where the points stand between the steps of a pipeline.
enum class Stage { kGeodetic, kGeocentric, kZone30 };

class Pipeline {
public:
    void Step(std::string_view step) {
        text_ += " +step ";
        text_ += step;
    }
    void Utm(double zone, int datum, bool inverse) {
        Step(std::string(inverse ? "+inv " : "") + "+proj=utm +zone=" + ZoneText(zone) +
             " +ellps=" + std::string(ProjEllipsoid(datum)));
    }
    void Cart(int datum, bool inverse) {
        Step(std::string(inverse ? "+inv " : "") +
             "+proj=cart +ellps=" + std::string(ProjEllipsoid(datum)));
    }

    // From the input side to `stage`. `zero_height`: a UTM input enters with
    // h = 0, its H being no ellipsoidal height; `keep`: its H is kept aside
    // and given back by Leave.
    void Enter(const RunSide& side, Stage stage, bool zero_height, bool keep) {
        switch (side.kind) {
        case kKindUtm:
            if (stage == Stage::kZone30 && ZoneText(side.zone) == "30") {
                return;
            }
            Utm(side.zone, side.datum, true);
            if (zero_height) {
                if (keep) {
                    Step("+proj=push +v_3");
                }
                Step("+proj=set +v_3=0");
            }
            break;
        case kKindGeocentric:
            if (stage == Stage::kGeocentric) {
                return;
            }
            Cart(side.datum, true);
            break;
        default:
            break;
        }
        if (stage == Stage::kGeocentric) {
            Cart(side.datum, false);
        } else if (stage == Stage::kZone30) {
            Utm(kZone30, side.datum, false);
        }
    }

    // From `stage` to the output side; `give_back`: the H that Enter kept
    // becomes the third coordinate again.
    void Leave(const RunSide& side, Stage stage, bool give_back) {
        if (side.kind == kKindUtm && stage == Stage::kZone30 && ZoneText(side.zone) == "30") {
            return;
        }
        if (side.kind == kKindGeocentric && stage == Stage::kGeocentric) {
            return;
        }
        if (stage == Stage::kGeocentric) {
            Cart(side.datum, true);
        } else if (stage == Stage::kZone30) {
            Utm(kZone30, side.datum, true);
        }
        if (give_back) {
            Step("+proj=pop +v_3");
        }
        if (side.kind == kKindUtm) {
            Utm(side.zone, side.datum, false);
        } else if (side.kind == kKindGeocentric) {
            Cart(side.datum, false);
        }
    }

    std::string Text() const { return "+proj=pipeline" + text_; }

private:
    std::string text_;
};

// Whether a UTM input's H goes through as the output's third coordinate, as
// the file runs write it (without a geoid, into UTM or geodetic coordinates).
bool KeepsUtmHeight(const FitRun& run) {
    return run.in.kind == kKindUtm && run.out.kind != kKindGeocentric;
}

std::string HelmertStep(const ParameterSet& set, bool about_centroid) {
    const EpsgHelmert h = EpsgHelmertOf(set);
    std::string step = about_centroid ? "+proj=molobadekas" : "+proj=helmert";
    step += " +convention=position_vector";
    const std::pair<const char*, double> values[] = {{"x", h.tx},  {"y", h.ty},  {"z", h.tz},
                                                     {"rx", h.rx}, {"ry", h.ry}, {"rz", h.rz},
                                                     {"s", h.ds}};
    for (const auto& [name, value] : values) {
        step += std::string(" +") + name + "=" + ProjNumber(value);
    }
    if (about_centroid) {
        step += " +px=" + ProjNumber(h.pivot.c1) + " +py=" + ProjNumber(h.pivot.c2) +
                " +pz=" + ProjNumber(h.pivot.c3);
    }
    return step;
}

std::string AffineStep(const ParameterSet& set) {
    const EpsgAffine a = EpsgAffineOf(set);
    return "+proj=affine +xoff=" + ProjNumber(a.a0) + " +s11=" + ProjNumber(a.a1) +
           " +s12=" + ProjNumber(a.a2) + " +yoff=" + ProjNumber(a.b0) +
           " +s21=" + ProjNumber(a.b1) + " +s22=" + ProjNumber(a.b2);
}

// The grid's file name as PROJ looks it up (in its search path or as a path).
std::string GridStep(const FitRun& run) {
    const std::string grid = run.grid_path.empty() ? "SPED2ETV2.gsb" : run.grid_path;
    return std::string(run.in.datum == kDatumEd50 ? "" : "+inv ") +
           "+proj=hgridshift +grids=" + grid;
}

// The residual of one vertex: its catalogue position on the target side minus
// its source position carried by the set, zone-30 UTM; h from h = 0 on both
// sides, as the fit takes the vertices.
struct Residual {
    double e = 0.0, n = 0.0, h = 0.0;
};

Residual ResidualOf(const VertexRecord& v, const ParameterSet& set, int model, bool reverse) {
    const int source = reverse ? kDatumEtrs89 : kDatumEd50;
    const int target = reverse ? kDatumEd50 : kDatumEtrs89;
    const double sx = reverse ? v.etrs_x : v.ed50_x, sy = reverse ? v.etrs_y : v.ed50_y;
    const double tx = reverse ? v.ed50_x : v.etrs_x, ty = reverse ? v.ed50_y : v.etrs_y;
    ParameterSet plain = set;
    plain.geoid.reset();
    double zone = kZone30;
    const CoordTriple moved = TransformPoint(CoordTriple(sx, sy, 0.0), source, kKindUtm, kZone30,
                                             target, kKindUtm, kZone30, plain, model, zone);
    return {tx - moved.c1, ty - moved.c2, -moved.c3};
}

std::string TripleLine(const CoordTriple& t, int decimals) {
    std::string out = "(";
    AppendCFixed(out, t.c1, decimals);
    out += " ; ";
    AppendCFixed(out, t.c2, decimals);
    out += " ; ";
    AppendCFixed(out, t.c3, decimals);
    out += ")";
    return out;
}

void AppendVertices(std::string& out, const FitRun& run, const FoundVertexList& found,
                    const ParameterSet& set) {
    const bool local =
        run.parametros == kParametersByDistance || run.parametros == kParametersByNumber;
    const bool affine = run.model == kModelAffine2D;
    const bool reverse = DirectionOf(run.in.datum, run.out.datum) == kDirectionEtrs89ToEd50;
    ParameterSet national;
    SetSpainParameters(kDirectionEd50ToEtrs89, national);

    std::string used, discarded;
    double sum_e = 0.0, sum_n = 0.0, sum_h = 0.0;
    int n_used = 0, n_discarded = 0;
    for (std::int32_t i = 0; i < found.count(); ++i) {
        const VertexRecord& v = found.entries[static_cast<std::size_t>(i)];
        const std::string number = Right(std::to_string(v.number), 8);
        const std::string distance = Right(
            local ? CFixed(std::hypot(v.ed50_x - run.origin_x, v.ed50_y - run.origin_y), 3) : "-",
            12);
        const std::string name = Cp1252ToUtf8(v.name);
        const double deviation = NationalDeviation(v, national);
        if (deviation > kBlunderLimit) {
            discarded += number + distance + Right(CFixed(deviation, 3), 12) + "  " + name + "\n";
            ++n_discarded;
            continue;
        }
        const Residual r = ResidualOf(v, set, run.model, reverse);
        used += number + distance + Right(Signed(r.e, 4), 10) + Right(Signed(r.n, 4), 10) +
                Right(affine ? "-" : Signed(r.h, 4), 10) + "  " + name + "\n";
        sum_e += r.e * r.e;
        sum_n += r.n * r.n;
        sum_h += r.h * r.h;
        ++n_used;
    }
    out += "Vértices empleados: " + std::to_string(n_used) +
           " (residuos en metros: catálogo menos transformado, UTM huso 30)\n";
    out += "  Número   Distancia         E         N         h  Nombre\n";
    out += used;
    if (n_discarded > 0) {
        out += "Vértices descartados por error grosero: " + std::to_string(n_discarded) + "\n";
        out += "  Número   Distancia  Desviación  Nombre\n";
        out += discarded;
    }
    if (n_used > 0) {
        const auto rms = [&](double sum) { return CFixed(std::sqrt(sum / n_used), 4); };
        out += "RMS de los residuos: E " + rms(sum_e) + " m, N " + rms(sum_n) + " m";
        if (!affine) {
            out += ", h " + rms(sum_h) + " m";
        }
        out += "\n";
    }
}

void AppendHelmert(std::string& out, const FitRun& run, const ParameterSet& set) {
    const EpsgHelmert h = EpsgHelmertOf(set);
    const bool national = run.parametros == kParametersSpain;
    const bool reverse = DirectionOf(run.in.datum, run.out.datum) == kDirectionEtrs89ToEd50;
    const int source = reverse ? kDatumEtrs89 : kDatumEd50;
    const int target = reverse ? kDatumEd50 : kDatumEtrs89;
    if (national) {
        out += reverse
                   ? "Juego nacional ETRS89 -> ED50: inverso de EPSG:1632 (ED50 to ETRS89 (7))\n"
                   : "Juego nacional ED50 -> ETRS89: EPSG:1632 (ED50 to ETRS89 (7))\n";
        out += "Modelo: Helmert 3D, convenio de vector de posición (EPSG:1033)\n";
    } else {
        out += "Modelo: Helmert 3D alrededor del centroide de origen (Molodensky-Badekas, "
               "EPSG:1061), convenio de vector de posición\n";
    }
    out += "  tx.....: " + Signed(h.tx, 4) + " m\n";
    out += "  ty.....: " + Signed(h.ty, 4) + " m\n";
    out += "  tz.....: " + Signed(h.tz, 4) + " m\n";
    out += "  rx.....: " + Signed(h.rx, 6) + "\"\n";
    out += "  ry.....: " + Signed(h.ry, 6) + "\"\n";
    out += "  rz.....: " + Signed(h.rz, 6) + "\"\n";
    out += "  ds.....: " + Signed(h.ds, 6) + " ppm\n";
    if (!national) {
        out += "Centroide origen (punto de evaluación), geocéntricas " +
               std::string(DatumName(source)) + ": " +
               TripleLine(set.source_centroid.geocentric(), 4) + "\n";
        out += "Centroide destino, geocéntricas " + std::string(DatumName(target)) + ": " +
               TripleLine(set.target_centroid.geocentric(), 4) + "\n";
    }
}

void AppendAffine(std::string& out, const FitRun& run, const ParameterSet& set) {
    const EpsgAffine a = EpsgAffineOf(set);
    const bool reverse = DirectionOf(run.in.datum, run.out.datum) == kDirectionEtrs89ToEd50;
    const int source = reverse ? kDatumEtrs89 : kDatumEd50;
    const int target = reverse ? kDatumEd50 : kDatumEtrs89;
    out += "Modelo: afín 2D en UTM huso 30 (transformación paramétrica afín, EPSG:9624):\n"
           "  E' = A0 + A1 E + A2 N,  N' = B0 + B1 E + B2 N\n";
    out += "  A0.....: " + Signed(a.a0, 4) + " m\n";
    out += "  A1.....: " + Signed(a.a1, 12) + "\n";
    out += "  A2.....: " + Signed(a.a2, 12) + "\n";
    out += "  B0.....: " + Signed(a.b0, 4) + " m\n";
    out += "  B1.....: " + Signed(a.b1, 12) + "\n";
    out += "  B2.....: " + Signed(a.b2, 12) + "\n";
    const CoordTriple& s = set.source_centroid.geocentric();
    const CoordTriple& t = set.target_centroid.geocentric();
    out += "Centroide origen, UTM huso 30 " + std::string(DatumName(source)) + ": (" +
           CFixed(s.c1, 4) + " ; " + CFixed(s.c2, 4) + ")\n";
    out += "Centroide destino, UTM huso 30 " + std::string(DatumName(target)) + ": (" +
           CFixed(t.c1, 4) + " ; " + CFixed(t.c2, 4) + ")\n";
}

// What the third coordinate of each side means in the pipeline.
std::string HeightNote(const FitRun& run) {
    if (run.model == kModelAffine2D && run.parametros != kParametersGrid) {
        return "la tercera coordenada pasa sin cambios";
    }
    if (KeepsUtmHeight(run)) {
        return "la posición se calcula con h = 0 y la H de la UTM pasa sin cambios";
    }
    if (run.in.kind == kKindUtm) {
        return "la posición se calcula con h = 0; sale la altura elipsoidal";
    }
    return "alturas elipsoidales";
}

} // namespace

EpsgHelmert EpsgHelmertOf(const ParameterSet& set) {
    const auto& p = set.params;
    const CoordTriple& s = set.source_centroid.geocentric();
    const CoordTriple& t = set.target_centroid.geocentric();
    EpsgHelmert h;
    // The set's translations act after the centroid reduction: about the
    // evaluation point p = s they become t - s + T.
    h.tx = t.c1 - s.c1 + p[4];
    h.ty = t.c2 - s.c2 + p[5];
    h.tz = t.c3 - s.c3 + p[6];
    // The set's rotations are in the coordinate-frame convention.
    h.rx = -p[1] * kArcSecondsPerRadian;
    h.ry = -p[2] * kArcSecondsPerRadian;
    h.rz = -p[3] * kArcSecondsPerRadian;
    h.ds = p[0] * 1e6;
    h.pivot = CoordTriple(s.c1, s.c2, s.c3);
    return h;
}

EpsgAffine EpsgAffineOf(const ParameterSet& set) {
    const auto& p = set.params;
    const CoordTriple& s = set.source_centroid.geocentric();
    const CoordTriple& t = set.target_centroid.geocentric();
    EpsgAffine a;
    a.a1 = 1.0 + p[0];
    a.a2 = -p[1];
    a.b1 = p[2];
    a.b2 = 1.0 + p[3];
    a.a0 = t.c1 + p[4] - a.a1 * s.c1 - a.a2 * s.c2;
    a.b0 = t.c2 + p[5] - a.b1 * s.c1 - a.b2 * s.c2;
    return a;
}

std::optional<std::string> ProjPipeline(const FitRun& run, const ParameterSet& set,
                                        std::string* why) {
    const bool grid = run.parametros == kParametersGrid;
    if (!grid && run.model == kModelMolodensky) {
        if (why) {
            *why = "sin equivalente en PROJ (las fórmulas de Molodensky del motor van sobre "
                   "coordenadas reducidas al centroide; las de +proj=molodensky, no)";
        }
        return std::nullopt;
    }
    Pipeline p;
    const bool same_datum = run.in.datum == run.out.datum;
    if (!grid && run.model == kModelAffine2D) {
        if (same_datum) {
            p.Enter(run.in, Stage::kGeodetic, false, false);
            p.Leave(run.out, Stage::kGeodetic, false);
        } else {
            p.Enter(run.in, Stage::kZone30, false, false);
            p.Step(AffineStep(set));
            p.Leave(run.out, Stage::kZone30, false);
        }
        return p.Text();
    }
    // The position of a UTM point is computed with h = 0; its H is written
    // again as the third coordinate of UTM and geodetic outputs.
    const bool keep = KeepsUtmHeight(run);
    const Stage stage = same_datum || grid ? Stage::kGeodetic : Stage::kGeocentric;
    p.Enter(run.in, stage, true, keep);
    if (grid && !same_datum) {
        p.Step(GridStep(run));
    } else if (!same_datum) {
        p.Step(HelmertStep(set, run.parametros != kParametersSpain));
    }
    p.Leave(run.out, stage, keep);
    return p.Text();
}

std::string FitDetailBlock(const FitRun& run, const FoundVertexList& found,
                           const ParameterSet& set) {
    if (run.parametros == kParametersGrid) {
        return {};
    }
    std::string out = "Detalle del ajuste\n"
                      "==================\n\n";
    if (run.parametros != kParametersSpain) {
        AppendVertices(out, run, found, set);
    }
    if (run.model == kModelAffine2D) {
        AppendAffine(out, run, set);
    } else if (run.model == kModelHelmert) {
        AppendHelmert(out, run, set);
    } else {
        const auto& p = set.params;
        out += "Modelo: Molodensky sobre coordenadas geodésicas reducidas al centroide\n";
        out += "  dX.....: " + Signed(p[0], 4) + " m\n";
        out += "  dY.....: " + Signed(p[1], 4) + " m\n";
        out += "  dZ.....: " + Signed(p[2], 4) + " m\n";
        out += "  da.....: " + Signed(p[3], 4) + " m\n";
        out += "  df.....: " + CScientific7(p[4]) + "\n";
    }
    std::string why;
    const std::optional<std::string> pipeline = ProjPipeline(run, set, &why);
    if (!pipeline) {
        out += "Tubería PROJ: " + why + "\n\n";
        return out;
    }
    out += "Tubería PROJ (" + HeightNote(run) + "):\n" + *pipeline + "\n";
    const bool own_zone = (run.in.kind == kKindUtm && run.in.zone < 1.0) ||
                          (run.out.kind == kKindUtm && run.out.zone < 1.0);
    if (own_zone) {
        out += "Con el huso de cada punto, +zone=30 se cambia por el huso del punto.\n";
    }
    if (run.orthometric_heights) {
        out += "La tubería no lleva el geoide: reproduce las posiciones, no las alturas "
               "ortométricas.\n";
    }
    out += "\n";
    return out;
}

} // namespace dezadiravevava
