#include "control/automation/type_library.h"

#include <algorithm>
#include <array>

namespace {

constexpr DzvTypeLibInfo kTypeLib = {
    "DATUM_BOXLib",
    "{F8E37BA5-64B3-4743-BE3F-668AD108BDA0}",
    1,
    0,
    0x409,
    "Transformación de Datums ActiveX Control module",
    "Dezadiravevava.hlp",
};

constexpr std::array<DzvTypeInfo, 3> kTypes = {{
    {"_DTransf", "{483A307B-AD78-4D2A-B4A5-C392B0F2190E}", "Dispatch interface for Transf Control",
     DZV_TYPE_DISPINTERFACE},
    {"_DTransfEvents", "{13DC3BE0-CFF3-4E05-B9FD-6668337DC617}",
     "Event interface for Transf Control", DZV_TYPE_DISPINTERFACE},
    {"Transf", "{6101CED7-87CD-4854-B939-C78932166AB0}", "Transf Control", DZV_TYPE_COCLASS},
}};

// OLEMISC_SETCLIENTSITEFIRST | OLEMISC_INSIDEOUT | OLEMISC_CANTLINKINSIDE |
// OLEMISC_RECOMPOSEONRESIZE; not OLEMISC_ACTIVATEWHENVISIBLE.
constexpr std::uint32_t kControlMiscStatus = 0x20000 | 0x80 | 0x10 | 0x1;

constexpr std::array<DzvClassInfo, 2> kClasses = {{
    {"CTransfCtrl", "{6101CED7-87CD-4854-B939-C78932166AB0}", "DATUMBOX.TransfCtrl.1",
     "Transf Control", "Apartment", 0, kControlMiscStatus, 1},
    {"CTransfPropPage", "{7C617066-37B0-4932-9749-181A07B865A3}", "DATUMBOX.TransfPropPage.1",
     "Transf Property Page", "Apartment", 0, 0, 0},
}};

constexpr DzvPropertyPageInfo kPropertyPage = {
    "General", "No hay propiedades extendidas que utilizar", 250, 62, "MS Sans Serif", 8,
};

// Argument lists of the methods.
constexpr std::int32_t kProcessTypes[15] = {DZV_STR, DZV_STR, DZV_I4, DZV_I4, DZV_R8,
                                            DZV_STR, DZV_I4,  DZV_I4, DZV_R8, DZV_I4,
                                            DZV_I4,  DZV_R8,  DZV_R8, DZV_R8, DZV_R8};
constexpr const char* kProcessNames[15] = {
    "nlog",    "entrada",        "Da",         "Pa",          "hEntrada", "salida", "Db", "Pb",
    "hSalida", "dezadiravevava", "parametros", "selec_param", "x",        "y",      "z"};
constexpr std::int32_t kCentroidTypes[4] = {DZV_STR, DZV_I4, DZV_I4, DZV_R8};
constexpr const char* kCentroidNames[4] = {"entrada", "Da", "Pa", "hEntrada"};
constexpr std::int32_t kByDistanceTypes[7] = {DZV_R8, DZV_R8, DZV_R8, DZV_R8,
                                              DZV_R8, DZV_I4, DZV_I4};
constexpr const char* kByDistanceNames[7] = {"dist_max", "x",     "y",         "z",
                                             "hEntrada", "Datum", "Proyeccion"};
constexpr std::int32_t kByNumberTypes[7] = {DZV_I4, DZV_R8, DZV_R8, DZV_R8, DZV_R8, DZV_I4, DZV_I4};
constexpr const char* kByNumberNames[7] = {"numero",   "x",     "y",         "z",
                                           "hEntrada", "Datum", "Proyeccion"};
constexpr std::int32_t kGetFoundTypes[1] = {DZV_I4};
constexpr const char* kGetFoundNames[1] = {"num"};
constexpr std::int32_t kToDxfTypes[3] = {DZV_STR, DZV_STR, DZV_I4};
constexpr const char* kToDxfNames[3] = {"entrada", "salida", "Proyeccion"};

constexpr DzvMemberInfo Property(std::int32_t dispid, const char* name, std::int32_t type) {
    return {dispid, name, DZV_MEMBER_PROPERTY, type, 0, nullptr, nullptr};
}

constexpr std::array<DzvMemberInfo, 32> kMembers = {{
    Property(1, "XCentroide", DZV_R8),
    Property(2, "YCentroide", DZV_R8),
    Property(3, "XMinMRE", DZV_R8),
    Property(4, "XMaxMRE", DZV_R8),
    Property(5, "YMinMRE", DZV_R8),
    Property(6, "YMaxMRE", DZV_R8),
    Property(7, "NumeroPuntosEncontrados", DZV_I4),
    Property(8, "XED50SEL", DZV_R8),
    Property(9, "YED50SEL", DZV_R8),
    Property(10, "NumeroPuntosArchivo", DZV_R8),
    Property(11, "IDSEL", DZV_I4),
    Property(12, "NOMBRESEL", DZV_STR),
    {13, "ProcesarDXF", DZV_MEMBER_METHOD, DZV_I2, 15, kProcessTypes, kProcessNames},
    {14, "ProcesarTXT", DZV_MEMBER_METHOD, DZV_I2, 15, kProcessTypes, kProcessNames},
    {15, "CentroideDXF", DZV_MEMBER_METHOD, DZV_I2, 4, kCentroidTypes, kCentroidNames},
    {16, "CentroideTXT", DZV_MEMBER_METHOD, DZV_I2, 4, kCentroidTypes, kCentroidNames},
    {17, "BuscarPuntosPorDistancia", DZV_MEMBER_METHOD, DZV_EMPTY, 7, kByDistanceTypes,
     kByDistanceNames},
    {18, "BuscarPuntosPorNumero", DZV_MEMBER_METHOD, DZV_EMPTY, 7, kByNumberTypes, kByNumberNames},
    {19, "ObtenerPuntoEncontrado", DZV_MEMBER_METHOD, DZV_I2, 1, kGetFoundTypes, kGetFoundNames},
    {20, "ConvertirTXTaDXF", DZV_MEMBER_METHOD, DZV_I2, 3, kToDxfTypes, kToDxfNames},
    // Options of the file runs, added after the original interface.
    Property(21, "AlturasOrtometricas", DZV_I2),
    Property(22, "RutaRejilla", DZV_STR),
    Property(23, "RutaGeoide", DZV_STR),
    Property(24, "Hilos", DZV_I4),
    Property(25, "SistemaA", DZV_STR),
    Property(26, "SistemaB", DZV_STR),
    Property(27, "SoloRegion", DZV_I2),
    Property(28, "Catalogo", DZV_STR),
    // Read-only: the PROJ pipeline of the last file run.
    Property(29, "TuberiaProj", DZV_STR),
    Property(30, "Incertidumbre", DZV_I2),
    Property(31, "HusoDibujo", DZV_I2),
    Property(32, "EtiquetasDibujo", DZV_I2),
}};

template <typename T, std::size_t N>
const T* Entry(const std::array<T, N>& table, std::int32_t index) {
    return index >= 0 && static_cast<std::size_t>(index) < N
               ? &table[static_cast<std::size_t>(index)]
               : nullptr;
}

} // namespace

namespace dezadiravevava {

const DzvMemberInfo* MemberOf(std::int32_t dispid) {
    // Identifiers are not all consecutive: looked up, not indexed.
    const auto found =
        std::find_if(kMembers.begin(), kMembers.end(),
                     [dispid](const DzvMemberInfo& m) { return m.dispid == dispid; });
    return found == kMembers.end() ? nullptr : &*found;
}

} // namespace dezadiravevava

extern "C" {

const DzvTypeLibInfo* dzv_typelib(void) {
    return &kTypeLib;
}
int32_t dzv_type_count(void) {
    return static_cast<int32_t>(kTypes.size());
}
const DzvTypeInfo* dzv_type(int32_t index) {
    return Entry(kTypes, index);
}
int32_t dzv_class_count(void) {
    return static_cast<int32_t>(kClasses.size());
}
const DzvClassInfo* dzv_class(int32_t index) {
    return Entry(kClasses, index);
}
const DzvPropertyPageInfo* dzv_property_page(void) {
    return &kPropertyPage;
}
int32_t dzv_member_count(void) {
    return static_cast<int32_t>(kMembers.size());
}
const DzvMemberInfo* dzv_member(int32_t index) {
    return Entry(kMembers, index);
}

} // extern "C"
