#include "files/execution_log.h"

#include "files/number_format.h"
#include "geodesy/ellipsoid.h"
#include "geodesy/parameter_set.h"

#include <algorithm>

namespace dezadiravevava {

namespace {

const char* DatumName(int datum) {
    switch (datum) {
    case kDatumEd50:
        return "ED 1950";
    case kDatumEtrs89:
        return "ETRS 1989";
    default:
        return nullptr;
    }
}

const char* KindName(int kind) {
    switch (kind) {
    case kKindPlane:
        return "PROYECCIÓN PLANA";
    case kKindGeodetic:
        return "COORDENADAS GEODÉSICAS";
    case kKindUtm:
        return "UTM";
    case kKindGeocentric:
        return "COORDENADAS GEOCÉNTRICAS";
    default:
        return nullptr;
    }
}

// One side of the header: file, datum, kind and, for UTM, the zone.
void AppendSide(std::string& out, const char* file_label, const std::string* file,
                const char* datum_label, int datum, const char* kind_label, int kind,
                const char* zone_label, double zone) {
    if (file) {
        out += file_label;
        out += *file;
        out += '\n';
    }
    if (const char* name = DatumName(datum)) {
        out += datum_label;
        out += name;
        out += '\n';
    }
    if (const char* name = KindName(kind)) {
        out += kind_label;
        out += name;
        out += '\n';
        if (kind == kKindUtm) {
            out += zone_label;
            out += zone >= 1.0 ? CFixed(zone, 0) : std::string("INDICADO EN CADA PUNTO");
            out += '\n';
        }
    }
    out += '\n';
}

std::string Origin(const RunArguments& run) {
    return "Punto de origen.......: (" + CFixed(run.x, 3) + " ; " + CFixed(run.y, 3) + " ; " +
           CFixed(run.z, 3) + ")\n";
}

// The catalogue of a run that searches it (regional and local choices).
std::string CatalogueLine(const RunArguments& run) {
    return "Catálogo de vértices..: " + CatalogueOf(run).label + "\n";
}

} // namespace

const Catalogue& CatalogueOf(const RunArguments& run) {
    return run.catalogue ? *run.catalogue : BuiltInCatalogue();
}

std::string RunHeader(const RunArguments& run, bool name_files) {
    std::string out = "QUILLON. ARCHIVO LOG DE EJECUCIONES.\n"
                      "=======================================\n\n"
                      "Información de entrada\n"
                      "========================\n\n";
    AppendSide(out, "Archivo de entrada....: ", name_files ? &run.entrada : nullptr,
               "Datum de entrada......: ", run.da, "Proyección de entrada.: ", run.pa,
               "Huso de entrada.......: ", run.h_entrada);
    AppendSide(out, "Archivo de salida.....: ", name_files ? &run.salida : nullptr,
               "Datum de salida.......: ", run.db, "Proyección de salida..: ", run.pb,
               "Huso de salida........: ", run.h_salida);
    switch (run.parametros == 4 ? kModelGrid : run.model) {
    case kModelGrid:
        out += "Tipo de transformación: REJILLA NTv2\n";
        break;
    case kModelHelmert:
        out += "Tipo de transformación: TRANSFORMACIÓN 3D DE HELMERT\n";
        break;
    case kModelMolodensky:
        out += "Tipo de transformación: TRANSFORMACIÓN 3D DE MOLODENSKY\n";
        break;
    case kModelAffine2D:
        out += "Tipo de transformación: TRANSFORMACIÓN 2D AFIN\n";
        break;
    default:
        break;
    }
    switch (run.parametros) {
    case 0:
        out += "Elección de parámetros: USAR PARÁMETROS VÁLIDOS PARA ESPAÑA\n";
        break;
    case 1:
        out += "Tipo de transformación: USAR PARÁMETROS VÁLIDOS PARA ANDALUCÍA\n";
        out += CatalogueLine(run);
        break;
    case 2:
        out += "Tipo de transformación: USAR PUNTOS A MENOR DISTANCIA\n";
        out += "Distancia máxima......: " + CFixed(run.selec_param, 3) + "\n";
        out += Origin(run);
        out += CatalogueLine(run);
        break;
    case 3:
        out += "Tipo de transformación: USAR LOS N PUNTOS MÁS CERCANOS\n";
        out += "Número de puntos......: " + CFixed(run.selec_param, 0) + "\n";
        out += Origin(run);
        out += CatalogueLine(run);
        break;
    case 4:
        out += "Elección de parámetros: USAR REJILLA OFICIAL DEL IGN (SPED2ETV2)\n";
        break;
    default:
        break;
    }
    if (run.orthometric_heights) {
        out += "Alturas...............: ORTOMÉTRICAS\n";
    }
    out += '\n';
    return out;
}

void UncertaintyRange::Add(double metres) {
    if (!(metres >= 0.0)) {
        ++unknown;
        return;
    }
    smallest = known == 0 ? metres : std::min(smallest, metres);
    largest = known == 0 ? metres : std::max(largest, metres);
    ++known;
}

void UncertaintyRange::Add(const UncertaintyRange& other) {
    if (other.known > 0) {
        smallest = known == 0 ? other.smallest : std::min(smallest, other.smallest);
        largest = known == 0 ? other.largest : std::max(largest, other.largest);
    }
    known += other.known;
    unknown += other.unknown;
}

namespace {

// The summary's line of the points' 95 % uncertainty; none when no point
// was counted.
std::string UncertaintyLine(const UncertaintyRange& uncertainty) {
    if (uncertainty.known > 0) {
        std::string line = "Incertidumbre (95 %).: " + CFixed(uncertainty.smallest, 3) + " a " +
                           CFixed(uncertainty.largest, 3) + " m";
        if (uncertainty.unknown > 0) {
            line += " (" + std::to_string(uncertainty.unknown) + " puntos sin valor)";
        }
        return line + "\n";
    }
    if (uncertainty.unknown > 0) {
        return "Incertidumbre (95 %).: indeterminada (ajuste sin redundancia)\n";
    }
    return {};
}

} // namespace

std::string TxtSummary(long long points, long long rejected, const ZoneCounts& zones,
                       const UncertaintyRange& uncertainty) {
    std::string summary = "Resumen de la conversión\n"
                          "==========================\n\n"
                          "Tipo de archivo......: TXT\n"
                          "Número de puntos.....: " +
                          std::to_string(points) + "\n";
    std::string named;
    for (std::size_t zone = 1; zone < zones.size(); ++zone) {
        if (zones[zone] > 0) {
            named += named.empty() ? "" : ", ";
            named += std::to_string(zone) + " (" + std::to_string(zones[zone]) +
                     (zones[zone] == 1 ? " punto)" : " puntos)");
        }
    }
    if (!named.empty()) {
        summary += "Husos de salida......: " + named + "\n";
    }
    if (rejected > 0) {
        summary += "Líneas rechazadas.....: " + std::to_string(rejected) + "\n";
    }
    return summary + UncertaintyLine(uncertainty);
}

std::string DxfSummary(const DxfCounts& counts, const UncertaintyRange& uncertainty) {
    return "Resumen de la conversión\n"
           "==========================\n\n"
           "Tipo de archivo......: DXF\n"
           "Número de textos.....: " +
           std::to_string(counts.texts) +
           "\n"
           "Número de puntos.....: " +
           std::to_string(counts.points) +
           "\n"
           "Número de líneas.....: " +
           std::to_string(counts.lines) +
           "\n"
           "Número de polilíneas.: " +
           std::to_string(counts.polylines) +
           "\n"
           "Número LW polilíneas.: " +
           std::to_string(counts.lw_polylines) +
           "\n"
           "Otras entidades......: " +
           std::to_string(counts.others) + "\n" + UncertaintyLine(uncertainty);
}

void RejectedLines::Add(std::uint64_t line, std::string_view motive) {
    if (count_ < kListed) {
        listed_ += "Línea " + std::to_string(line) + " rechazada: ";
        listed_ += motive;
        listed_ += '\n';
    }
    ++count_;
}

std::string RejectedLines::Text() const {
    std::string text = listed_;
    if (count_ > kListed) {
        text += "Otras " + std::to_string(count_ - kListed) + " líneas rechazadas no se detallan\n";
    }
    return text;
}

} // namespace dezadiravevava
