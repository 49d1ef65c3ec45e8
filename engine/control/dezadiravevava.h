/*
 * Dezadiravevava: the ED50 <-> ETRS89 transformation engine as an automation
 * control. This is the library's one public header: a stable C interface.
 *
 * A host creates the control by ProgID ("DATUMBOX.TransfCtrl.1") or class id,
 * finds a member's dispatch identifier by name, and then invokes methods and
 * gets or puts properties by identifier with tagged values. Every call returns
 * a result code; the engine's own failures are results (0) of its methods, not
 * error codes. Strings cross the boundary as NUL-terminated UTF-8.
 *
 * Dispatch identifiers of the control's interface _DTransf:
 *   properties  1 XCentroide (R8)        7 NumeroPuntosEncontrados (I4)
 *               2 YCentroide (R8)        8 XED50SEL (R8)
 *               3 XMinMRE (R8)           9 YED50SEL (R8)
 *               4 XMaxMRE (R8)          10 NumeroPuntosArchivo (R8)
 *               5 YMinMRE (R8)          11 IDSEL (I4)
 *               6 YMaxMRE (R8)          12 NOMBRESEL (STR)
 *   methods    13 ProcesarDXF  14 ProcesarTXT  15 CentroideDXF  16 CentroideTXT
 *              17 BuscarPuntosPorDistancia  18 BuscarPuntosPorNumero
 *              19 ObtenerPuntoEncontrado    20 ConvertirTXTaDXF
 *   options    21 AlturasOrtometricas (I2: 1 orthometric heights of UTM points
 *                 through the geoid, 0 plain third coordinate; default 0)
 *              22 RutaRejilla (STR: NTv2 grid for parametros 4; "" = the bundled
 *                 SPED2ETV2.gsb)
 *              23 RutaGeoide (STR: GTX geoid for orthometric heights; "" = the
 *                 bundled EGM08_REDNAP.gtx)
 *              24 Hilos (I4: threads that transform the points of ProcesarTXT,
 *                 ProcesarDXF, CentroideTXT, CentroideDXF and ConvertirTXTaDXF;
 *                 1 the calling thread alone, 0 or less the machine's cores;
 *                 default 0; results are the same with any count)
 *   parametros of ProcesarTXT/ProcesarDXF: 0 national, 1 regional, 2 within a
 *   distance, 3 nearest vertices, 4 the official IGN grid SPED2ETV2 (model
 *   ignored). The bundled files are looked for in <library folder>/../share/
 *   dezadiravevava/ (and ../../share/dezadiravevava/ for a multiarch lib/).
 * dzv_member() describes each one: name, argument names and types, result.
 */
#ifndef DEZADIRAVEVAVA_H
#define DEZADIRAVEVAVA_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(__GNUC__)
#define DZV_API __attribute__((visibility("default")))
#else
#define DZV_API
#endif

/* Result codes of the interface calls. */
#define DZV_OK 0
#define DZV_E_INVALID_ARGUMENT 1 /* a null pointer or an invalid value */
#define DZV_E_CLASS_NOT_FOUND 2  /* no class with that ProgID or class id */
#define DZV_E_NO_INTERFACE 3     /* the class has no dispatch interface */
#define DZV_E_UNKNOWN_NAME 4     /* no member with that name */
#define DZV_E_MEMBER_NOT_FOUND 5 /* no member with that dispatch identifier */
#define DZV_E_BAD_PARAM_COUNT 6  /* wrong number of arguments */
#define DZV_E_TYPE_MISMATCH 7    /* an argument of the wrong type */
#define DZV_E_NOT_A_PROPERTY 8   /* get or put on a method */
#define DZV_E_NOT_A_METHOD 9     /* invoke on a property */
#define DZV_E_OUT_OF_MEMORY 10

/* Registration results, as self-registering controls report them. */
#define DZV_S_OK ((int32_t)0)
#define DZV_SELFREG_E_TYPELIB ((int32_t)0x80040200)
#define DZV_SELFREG_E_CLASS ((int32_t)0x80040201)

/* Value types, numbered as automation variants are. */
#define DZV_EMPTY 0
#define DZV_I2 2  /* 16-bit integer ("short") */
#define DZV_I4 3  /* 32-bit integer ("long") */
#define DZV_R8 5  /* double */
#define DZV_STR 8 /* UTF-8 string */

typedef struct DzvValue {
    int32_t type; /* one of DZV_EMPTY, DZV_I2, DZV_I4, DZV_R8, DZV_STR */
    union {
        int16_t i2;
        int32_t i4;
        double r8;
        char* str; /* in results: allocated by the library, freed by dzv_value_clear */
    } v;
} DzvValue;

/* Frees a result's string (if any) and leaves the value empty. */
DZV_API void dzv_value_clear(DzvValue* value);

typedef struct DzvControl DzvControl;

/* Creates an instance by ProgID or by class id ("{6101CED7-...}", case-insensitive). */
DZV_API int32_t dzv_create(const char* progid_or_clsid, DzvControl** control);
DZV_API void dzv_release(DzvControl* control);

/* Dispatch identifier of a member, by name (case-insensitive). */
DZV_API int32_t dzv_get_dispid(const DzvControl* control, const char* name, int32_t* dispid);

/* Invokes method `dispid` with `argc` arguments in interface order. `result`
 * receives DZV_I2 for the methods that return a short, DZV_EMPTY for the rest. */
DZV_API int32_t dzv_invoke(DzvControl* control, int32_t dispid, const DzvValue* args, int32_t argc,
                           DzvValue* result);

/* Properties: get gives the property's own type; put takes that type or, for
 * numbers, a narrower integer type. */
DZV_API int32_t dzv_get_property(const DzvControl* control, int32_t dispid, DzvValue* value);
DZV_API int32_t dzv_put_property(DzvControl* control, int32_t dispid, const DzvValue* value);

/* The progress window of long operations (inputs above 50000 bytes): the
 * engine calls `open` with a caption ("Transformando", "Calculando Centroide")
 * and the input size in bytes, `step` with byte offsets, and `close` when the
 * operation ends, whichever way. A null pointer removes the callbacks. */
typedef struct DzvProgressCallbacks {
    void* context;
    void (*open)(void* context, const char* caption, uint64_t size);
    void (*step)(void* context, uint64_t position);
    void (*close)(void* context);
} DzvProgressCallbacks;
DZV_API int32_t dzv_set_progress(DzvControl* control, const DzvProgressCallbacks* callbacks);

/* Asks the method running on this control to stop. Safe to call from inside
 * the progress callbacks and from another thread. A running ProcesarTXT,
 * ProcesarDXF, ConvertirTXTaDXF, CentroideTXT or CentroideDXF stops between
 * lines and returns 0; it replaces no file, and the log of a processing run
 * ends with "Operación cancelada por el usuario". The request is forgotten
 * when the next method starts, so a call made while no method runs has no
 * effect. */
DZV_API int32_t dzv_cancel(DzvControl* control);

/* True (1) when a property has been written by the host since creation. */
DZV_API int32_t dzv_is_modified(const DzvControl* control);

/* ---- Type library and class descriptions ---------------------------- */

typedef struct DzvTypeLibInfo {
    const char* name;        /* "DATUM_BOXLib" */
    const char* guid;        /* "{F8E37BA5-64B3-4743-BE3F-668AD108BDA0}" */
    uint16_t major, minor;   /* 1.0 */
    uint32_t lcid;           /* 0x409 */
    const char* help_string; /* "Transformación de Datums ActiveX Control module" */
    const char* help_file;   /* "Dezadiravevava.hlp" */
} DzvTypeLibInfo;
DZV_API const DzvTypeLibInfo* dzv_typelib(void);

#define DZV_TYPE_DISPINTERFACE 1
#define DZV_TYPE_COCLASS 2
typedef struct DzvTypeInfo {
    const char* name; /* "_DTransf", "_DTransfEvents", "Transf" */
    const char* guid;
    const char* help_string;
    int32_t kind; /* DZV_TYPE_DISPINTERFACE or DZV_TYPE_COCLASS */
} DzvTypeInfo;
DZV_API int32_t dzv_type_count(void);
DZV_API const DzvTypeInfo* dzv_type(int32_t index);

typedef struct DzvClassInfo {
    const char* class_name; /* "CTransfCtrl", "CTransfPropPage" */
    const char* clsid;
    const char* progid;          /* "DATUMBOX.TransfCtrl.1", "DATUMBOX.TransfPropPage.1" */
    const char* user_type_name;  /* "Transf Control", "Transf Property Page" */
    const char* threading_model; /* "Apartment" */
    int32_t insertable;          /* 0 */
    uint32_t misc_status;        /* 0x20091 for the control */
    int32_t has_dispatch;        /* 1 for the control */
} DzvClassInfo;
DZV_API int32_t dzv_class_count(void);
DZV_API const DzvClassInfo* dzv_class(int32_t index);

typedef struct DzvPropertyPageInfo {
    const char* caption; /* "General" */
    const char* text;    /* "No hay propiedades extendidas que utilizar" */
    int32_t width_dlu, height_dlu;
    const char* font_name;
    int32_t font_points;
} DzvPropertyPageInfo;
DZV_API const DzvPropertyPageInfo* dzv_property_page(void);

#define DZV_MEMBER_PROPERTY 1
#define DZV_MEMBER_METHOD 2
typedef struct DzvMemberInfo {
    int32_t dispid;
    const char* name;
    int32_t kind; /* DZV_MEMBER_PROPERTY or DZV_MEMBER_METHOD */
    int32_t type; /* property type, or the method's result type (DZV_EMPTY: none) */
    int32_t arg_count;
    const int32_t* arg_types;
    const char* const* arg_names;
} DzvMemberInfo;
DZV_API int32_t dzv_member_count(void);
DZV_API const DzvMemberInfo* dzv_member(int32_t index);

/* ---- Registration ----------------------------------------------------
 * Writes (or removes) the registration files under the user's data folder
 * ($XDG_DATA_HOME, else ~/.local/share)/dezadiravevava/: typelib.reg, then
 * classes.reg, mapping each ProgID and class id to this library's path.
 * DZV_S_OK, or DZV_SELFREG_E_TYPELIB / DZV_SELFREG_E_CLASS for the step that
 * failed. */
DZV_API int32_t dzv_register_server(void);
DZV_API int32_t dzv_unregister_server(void);

/* Path of the folder the registration files go to (static storage). */
DZV_API const char* dzv_registration_folder(void);

#ifdef __cplusplus
}
#endif

#endif /* DEZADIRAVEVAVA_H */
