// The control's dispatch interface: members by identifier and name, checked
// arguments, tagged values. Nothing here throws across the C boundary.
#include "control/automation/progress_callbacks.h"
#include "control/automation/transf_ctrl.h"
#include "control/automation/type_library.h"
#include "control/dezadiravevava.h"
#include "control/transform_request.h"
#include "files/catalogue_file.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <string_view>

struct DzvControl {
    dezadiravevava::CTransfCtrl control;
    dezadiravevava::CallbackProgress progress;
};

namespace {

using dezadiravevava::CTransfCtrl;
using dezadiravevava::MemberOf;

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) {
            return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
        };
        if (lower(a[i]) != lower(b[i])) {
            return false;
        }
    }
    return true;
}

// An argument as the member declares it. Integers widen to wider integers and
// to doubles; nothing narrows, and strings are only strings.
bool Accepts(std::int32_t declared, const DzvValue& given) {
    switch (declared) {
    case DZV_I2:
        return given.type == DZV_I2;
    case DZV_I4:
        return given.type == DZV_I2 || given.type == DZV_I4;
    case DZV_R8:
        return given.type == DZV_I2 || given.type == DZV_I4 || given.type == DZV_R8;
    case DZV_STR:
        return given.type == DZV_STR && given.v.str != nullptr;
    default:
        return false;
    }
}

std::int32_t AsLong(const DzvValue& value) {
    return value.type == DZV_I2 ? value.v.i2 : value.v.i4;
}

double AsDouble(const DzvValue& value) {
    switch (value.type) {
    case DZV_I2:
        return value.v.i2;
    case DZV_I4:
        return value.v.i4;
    default:
        return value.v.r8;
    }
}

std::string AsString(const DzvValue& value) {
    return value.v.str;
}

DzvValue Short(std::int16_t value) {
    DzvValue out{};
    out.type = DZV_I2;
    out.v.i2 = value;
    return out;
}

DzvValue Long(std::int32_t value) {
    DzvValue out{};
    out.type = DZV_I4;
    out.v.i4 = value;
    return out;
}

DzvValue Double(double value) {
    DzvValue out{};
    out.type = DZV_R8;
    out.v.r8 = value;
    return out;
}

// A string result, owned by the caller until dzv_value_clear.
bool String(const std::string& text, DzvValue& out) {
    char* copy = static_cast<char*>(std::malloc(text.size() + 1));
    if (!copy) {
        return false;
    }
    std::memcpy(copy, text.c_str(), text.size() + 1);
    out = DzvValue{};
    out.type = DZV_STR;
    out.v.str = copy;
    return true;
}

// The double properties by identifier (1..6, 8, 9, 10).
double* DoubleProperty(CTransfCtrl& c, std::int32_t dispid) {
    switch (dispid) {
    case 1:
        return &c.XCentroide;
    case 2:
        return &c.YCentroide;
    case 3:
        return &c.XMinMRE;
    case 4:
        return &c.XMaxMRE;
    case 5:
        return &c.YMinMRE;
    case 6:
        return &c.YMaxMRE;
    case 8:
        return &c.XED50SEL;
    case 9:
        return &c.YED50SEL;
    case 10:
        return &c.NumeroPuntosArchivo;
    default:
        return nullptr;
    }
}

std::string* StringProperty(CTransfCtrl& c, std::int32_t dispid) {
    switch (dispid) {
    case 12:
        return &c.NOMBRESEL;
    case 22:
        return &c.RutaRejilla;
    case 23:
        return &c.RutaGeoide;
    case 25:
        return &c.SistemaA;
    case 26:
        return &c.SistemaB;
    case 29:
        return &c.TuberiaProj;
    default:
        return nullptr;
    }
}

std::int16_t* ShortProperty(CTransfCtrl& c, std::int32_t dispid) {
    switch (dispid) {
    case 21:
        return &c.AlturasOrtometricas;
    case 27:
        return &c.SoloRegion;
    case 30:
        return &c.Incertidumbre;
    case 31:
        return &c.HusoDibujo;
    case 32:
        return &c.EtiquetasDibujo;
    default:
        return nullptr;
    }
}

std::int32_t* LongProperty(CTransfCtrl& c, std::int32_t dispid) {
    switch (dispid) {
    case 7:
        return &c.NumeroPuntosEncontrados;
    case 11:
        return &c.IDSEL;
    case 24:
        return &c.Hilos;
    default:
        return nullptr;
    }
}

// Runs a method whose arguments have been checked against its declaration.
DzvValue Call(CTransfCtrl& c, std::int32_t dispid, const DzvValue* a) {
    switch (dispid) {
    case 13:
    case 14: {
        const auto process = dispid == 13 ? &CTransfCtrl::ProcesarDXF : &CTransfCtrl::ProcesarTXT;
        return Short((c.*process)(AsString(a[0]), AsString(a[1]), AsLong(a[2]), AsLong(a[3]),
                                  AsDouble(a[4]), AsString(a[5]), AsLong(a[6]), AsLong(a[7]),
                                  AsDouble(a[8]), AsLong(a[9]), AsLong(a[10]), AsDouble(a[11]),
                                  AsDouble(a[12]), AsDouble(a[13]), AsDouble(a[14])));
    }
    case 15:
        return Short(c.CentroideDXF(AsString(a[0]), AsLong(a[1]), AsLong(a[2]), AsDouble(a[3])));
    case 16:
        return Short(c.CentroideTXT(AsString(a[0]), AsLong(a[1]), AsLong(a[2]), AsDouble(a[3])));
    case 17:
        c.BuscarPuntosPorDistancia(AsDouble(a[0]), AsDouble(a[1]), AsDouble(a[2]), AsDouble(a[3]),
                                   AsDouble(a[4]), AsLong(a[5]), AsLong(a[6]));
        return DzvValue{};
    case 18:
        c.BuscarPuntosPorNumero(AsLong(a[0]), AsDouble(a[1]), AsDouble(a[2]), AsDouble(a[3]),
                                AsDouble(a[4]), AsLong(a[5]), AsLong(a[6]));
        return DzvValue{};
    case 19:
        return Short(c.ObtenerPuntoEncontrado(AsLong(a[0])));
    case 20:
        return Short(c.ConvertirTXTaDXF(AsString(a[0]), AsString(a[1]), AsLong(a[2])));
    default:
        return DzvValue{};
    }
}

} // namespace

extern "C" {

void dzv_value_clear(DzvValue* value) {
    if (!value) {
        return;
    }
    if (value->type == DZV_STR) {
        std::free(value->v.str);
    }
    *value = DzvValue{};
}

int32_t dzv_create(const char* progid_or_clsid, DzvControl** control) {
    if (!progid_or_clsid || !control) {
        return DZV_E_INVALID_ARGUMENT;
    }
    *control = nullptr;
    const DzvClassInfo* found = nullptr;
    for (int32_t i = 0; i < dzv_class_count(); ++i) {
        const DzvClassInfo* info = dzv_class(i);
        if (EqualsIgnoringCase(progid_or_clsid, info->progid) ||
            EqualsIgnoringCase(progid_or_clsid, info->clsid)) {
            found = info;
        }
    }
    if (!found) {
        return DZV_E_CLASS_NOT_FOUND;
    }
    if (!found->has_dispatch) {
        return DZV_E_NO_INTERFACE;
    }
    *control = new (std::nothrow) DzvControl;
    return *control ? DZV_OK : DZV_E_OUT_OF_MEMORY;
}

void dzv_release(DzvControl* control) {
    delete control;
}

int32_t dzv_get_dispid(const DzvControl* control, const char* name, int32_t* dispid) {
    if (!control || !name || !dispid) {
        return DZV_E_INVALID_ARGUMENT;
    }
    for (int32_t i = 0; i < dzv_member_count(); ++i) {
        const DzvMemberInfo* member = dzv_member(i);
        if (EqualsIgnoringCase(name, member->name)) {
            *dispid = member->dispid;
            return DZV_OK;
        }
    }
    return DZV_E_UNKNOWN_NAME;
}

int32_t dzv_invoke(DzvControl* control, int32_t dispid, const DzvValue* args, int32_t argc,
                   DzvValue* result) {
    if (!control || (argc > 0 && !args) || argc < 0) {
        return DZV_E_INVALID_ARGUMENT;
    }
    const DzvMemberInfo* member = MemberOf(dispid);
    if (!member) {
        return DZV_E_MEMBER_NOT_FOUND;
    }
    if (member->kind != DZV_MEMBER_METHOD) {
        return DZV_E_NOT_A_METHOD;
    }
    if (argc != member->arg_count) {
        return DZV_E_BAD_PARAM_COUNT;
    }
    for (int32_t i = 0; i < argc; ++i) {
        if (!Accepts(member->arg_types[i], args[i])) {
            return DZV_E_TYPE_MISMATCH;
        }
    }
    try {
        const DzvValue value = Call(control->control, dispid, args);
        if (result) {
            *result = value;
        }
        return DZV_OK;
    } catch (...) {
        return DZV_E_OUT_OF_MEMORY; // only allocation can fail here
    }
}

int32_t dzv_get_property(const DzvControl* control, int32_t dispid, DzvValue* value) {
    if (!control || !value) {
        return DZV_E_INVALID_ARGUMENT;
    }
    const DzvMemberInfo* member = MemberOf(dispid);
    if (!member) {
        return DZV_E_MEMBER_NOT_FOUND;
    }
    if (member->kind != DZV_MEMBER_PROPERTY) {
        return DZV_E_NOT_A_PROPERTY;
    }
    auto& c = const_cast<CTransfCtrl&>(control->control);
    if (const double* d = DoubleProperty(c, dispid)) {
        *value = Double(*d);
    } else if (const std::int32_t* l = LongProperty(c, dispid)) {
        *value = Long(*l);
    } else if (dispid == 28) {
        if (!String(c.Catalogo(), *value)) {
            return DZV_E_OUT_OF_MEMORY;
        }
    } else if (std::int16_t* s = ShortProperty(c, dispid)) {
        *value = Short(*s);
    } else if (!String(*StringProperty(c, dispid), *value)) {
        return DZV_E_OUT_OF_MEMORY;
    }
    return DZV_OK;
}

int32_t dzv_put_property(DzvControl* control, int32_t dispid, const DzvValue* value) {
    if (!control || !value) {
        return DZV_E_INVALID_ARGUMENT;
    }
    const DzvMemberInfo* member = MemberOf(dispid);
    if (!member) {
        return DZV_E_MEMBER_NOT_FOUND;
    }
    if (member->kind != DZV_MEMBER_PROPERTY) {
        return DZV_E_NOT_A_PROPERTY;
    }
    if (!Accepts(member->type, *value)) {
        return DZV_E_TYPE_MISMATCH;
    }
    if (dispid == 29) {
        return DZV_E_INVALID_ARGUMENT; // TuberiaProj is read-only
    }
    CTransfCtrl& c = control->control;
    try {
        if (double* d = DoubleProperty(c, dispid)) {
            *d = AsDouble(*value);
        } else if (std::int32_t* l = LongProperty(c, dispid)) {
            *l = AsLong(*value);
        } else if (dispid == 31) {
            if (value->v.i2 < 0 || value->v.i2 > 60) {
                return DZV_E_INVALID_ARGUMENT; // not a zone
            }
            c.HusoDibujo = value->v.i2;
        } else if (std::int16_t* s = ShortProperty(c, dispid)) {
            // An automation true (-1) or any other non-zero value turns it on.
            *s = value->v.i2 != 0 ? 1 : 0;
        } else if ((dispid == 25 || dispid == 26) && value->v.str && value->v.str[0] != '\0' &&
                   !dezadiravevava::api::SideOfEpsg(value->v.str)) {
            return DZV_E_INVALID_ARGUMENT; // a code the engine does not know
        } else if (dispid == 28) {
            std::string failure;
            if (!c.SetCatalogo(AsString(*value), failure)) {
                return DZV_E_INVALID_ARGUMENT; // dzv_check_catalogue says why
            }
        } else {
            *StringProperty(c, dispid) = AsString(*value);
        }
    } catch (...) {
        return DZV_E_OUT_OF_MEMORY;
    }
    c.MarkModified();
    return DZV_OK;
}

int32_t dzv_check_catalogue(const char* path, int32_t* vertices, char* message,
                            size_t message_size) {
    if (vertices) {
        *vertices = 0;
    }
    if (!path) {
        return DZV_E_INVALID_ARGUMENT;
    }
    try {
        std::string failure;
        const auto catalogue = dezadiravevava::CatalogueOfPath(path, failure);
        if (!catalogue) {
            while (!failure.empty() && failure.back() == '\n') {
                failure.pop_back();
            }
            if (message && message_size > 0) {
                // Cut at a character boundary when the buffer is too small.
                std::size_t length = std::min(failure.size(), message_size - 1);
                while (length < failure.size() && length > 0 &&
                       (static_cast<unsigned char>(failure[length]) & 0xC0) == 0x80) {
                    --length;
                }
                std::memcpy(message, failure.data(), length);
                message[length] = '\0';
            }
            return DZV_E_RUN_FAILED;
        }
        if (vertices) {
            *vertices = static_cast<int32_t>(catalogue->vertices.size());
        }
        return DZV_OK;
    } catch (...) {
        return DZV_E_OUT_OF_MEMORY;
    }
}

int32_t dzv_set_progress(DzvControl* control, const DzvProgressCallbacks* callbacks) {
    if (!control) {
        return DZV_E_INVALID_ARGUMENT;
    }
    if (callbacks) {
        control->progress.Install(*callbacks);
        control->control.set_progress(&control->progress);
    } else {
        control->control.set_progress(nullptr);
    }
    return DZV_OK;
}

int32_t dzv_cancel(DzvControl* control) {
    if (!control) {
        return DZV_E_INVALID_ARGUMENT;
    }
    control->control.Cancel();
    return DZV_OK;
}

int32_t dzv_is_modified(const DzvControl* control) {
    return control && control->control.modified() ? 1 : 0;
}

} // extern "C"
