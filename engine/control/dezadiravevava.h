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
 *              25 SistemaA, 26 SistemaB (STR: the system of side A or B of the
 *                 file and centroid methods by EPSG code, "EPSG:23030",
 *                 "EPSG:25830+5782"...; when not empty it takes the place of
 *                 the Da/Pa/hEntrada (Db/Pb/hSalida) arguments, and a
 *                 compound code with 5782 turns orthometric heights on; a
 *                 code the engine does not know is refused with
 *                 DZV_E_INVALID_ARGUMENT; default "")
 *              27 SoloRegion (I2: 1 points outside the served region are
 *                 refused, as quillon-cli does by default; default 0)
 *              28 Catalogo (STR: a table file of common points that the
 *                 searches and the regional and local runs use instead of
 *                 the built-in catalogue, read when the property is put; a
 *                 file that cannot be read or is not a valid catalogue is
 *                 refused with DZV_E_INVALID_ARGUMENT and the property keeps
 *                 its value (dzv_check_catalogue says why); default "", the
 *                 built-in catalogue)
 *              29 TuberiaProj (STR, read-only: the PROJ pipeline of the last
 *                 ProcesarTXT or ProcesarDXF, from side A to side B, as its
 *                 log gives it; "" when there is none; a put is refused with
 *                 DZV_E_INVALID_ARGUMENT)
 *              30 Incertidumbre (I2: 1 every point line of ProcesarTXT's
 *                 output ends with the point's 95 % horizontal uncertainty in
 *                 metres; the log gives the range either way; default 0)
 *              31 HusoDibujo (I2: the zone, 1 to 60, of the drawing that
 *                 ConvertirTXTaDXF makes of UTM points: points of other
 *                 zones are projected into it on the ellipsoid of SistemaA's
 *                 datum, and refused without SistemaA; 0 = not chosen:
 *                 SistemaA's zone, else a list of several zones is refused;
 *                 other values are refused with DZV_E_INVALID_ARGUMENT;
 *                 default 0)
 *              32 EtiquetasDibujo (I2: 1 each POINT of ConvertirTXTaDXF has
 *                 its identifier beside it as a TEXT on the layer
 *                 IDENTIFICADORES; default 0)
 *   parametros of ProcesarTXT/ProcesarDXF: 0 national, 1 regional, 2 within a
 *   distance, 3 nearest vertices, 4 the official IGN grid SPED2ETV2 (model
 *   ignored). The bundled files are looked for in <library folder>/../share/
 *   dezadiravevava/ (and ../../share/dezadiravevava/ for a multiarch lib/).
 * dzv_member() describes each one: name, argument names and types, result.
 */
#ifndef DEZADIRAVEVAVA_H
#define DEZADIRAVEVAVA_H

#include <stddef.h>
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
#define DZV_E_RUN_FAILED 11 /* the engine could not do it; the run's message says why */

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

/* Reads the catalogue table at `path` as the Catalogo property would:
 * DZV_OK and its number of vertices in *vertices (when given), or
 * DZV_E_RUN_FAILED and the problems, one line each ("línea 7: ed50_y no es
 * un número"), in the caller's buffer (always NUL-terminated, cut if too
 * small). "" is the built-in catalogue. */
DZV_API int32_t dzv_check_catalogue(const char* path, int32_t* vertices, char* message,
                                    size_t message_size);

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

/* ---- Point arrays and prepared runs ----------------------------------
 * Transforms arrays of points in memory, beside the control and without it.
 *
 * A run (dzv_run) says what to do: datum, kind and zone of each side, the
 * model and how its parameters are obtained, the layout of the arrays and the
 * number of threads. dzv_transform_points estimates the parameters on every
 * call; dzv_prepare estimates them once into a prepared handle, and every call
 * that names it in run->prepared applies exactly that set, however the points
 * are split into chunks. A prepared handle does not change after dzv_prepare:
 * any number of threads may use one at the same time, and distinct handles
 * never share anything. The library keeps no state between calls.
 *
 * Failures: every entry point returns DZV_OK or an error code and never lets
 * an exception or a signal out. The reason, in Spanish (UTF-8), goes to the
 * caller's buffer run->message (message_size bytes, always NUL-terminated,
 * cut if too small; left alone when the call succeeds), e.g. "Imposible
 * calcular: solo 2 vértices a menos de 5000 m" with DZV_E_RUN_FAILED.
 *
 * Points: a point that cannot be transformed does not fail the call; its
 * status says why and its output values are NaN. Results are the doubles that
 * ProcesarTXT writes for the same points with the same run.
 */

/* Status of one point (status[i]). When several apply, the first of domain,
 * region and grid or geoid is given. Outside the domain are a latitude beyond
 * 90 degrees either way, a longitude beyond 180, a UTM x more than 1000 km
 * from the central meridian (|x - 500000| > 1000000 m) and a result that is
 * not finite. */
#define DZV_POINT_TRANSFORMED 0
#define DZV_POINT_NOT_FINITE 1     /* a coordinate is NaN or infinite */
#define DZV_POINT_ZONE_INVALID 2   /* its own zone is not a whole number 1 to 60 */
#define DZV_POINT_OUTSIDE_REGION 3 /* outside the served region (run->region_only) */
#define DZV_POINT_OUT_OF_RANGE 4   /* a result beyond 1e8 ("fuera de rango") */
#define DZV_POINT_OUTSIDE_GRID 5   /* outside the IGN grid (parametros 4) */
#define DZV_POINT_OUTSIDE_GEOID 6  /* where the geoid has no value (orthometric heights) */
#define DZV_POINT_OUTSIDE_DOMAIN 7 /* coordinates no conversion takes, or a result not finite */

/* Codes of the run's fields, as in the control's methods. */
#define DZV_DATUM_ED50 14
#define DZV_DATUM_ETRS89 19
#define DZV_KIND_GEODETIC 1 /* longitude, latitude [decimal degrees], h */
#define DZV_KIND_UTM 2      /* x, y, H [m] */
#define DZV_KIND_GEOCENTRIC 3
#define DZV_MODEL_HELMERT 0
#define DZV_MODEL_MOLODENSKY 1
#define DZV_MODEL_AFFINE 2
#define DZV_MODEL_GRID 3 /* reported by dzv_prepared_parameters for parametros 4 */
#define DZV_PARAMETERS_NATIONAL 0
#define DZV_PARAMETERS_REGIONAL 1
#define DZV_PARAMETERS_DISTANCE 2
#define DZV_PARAMETERS_NEAREST 3
#define DZV_PARAMETERS_GRID 4
#define DZV_ORTHOMETRIC_GEODETIC_A 1
#define DZV_ORTHOMETRIC_GEODETIC_B 2

typedef struct dzv_prepared dzv_prepared;

/* What to do. Set `size` to sizeof(dzv_run) (dzv_run_init does, and zeroes
 * the rest): the library reads only the fields the caller's struct has, so
 * later versions can add fields at the end, whose zero keeps the old meaning. */
typedef struct dzv_run {
    uint32_t size;
    int32_t datum_a; /* DZV_DATUM_ED50 or DZV_DATUM_ETRS89 */
    int32_t kind_a;  /* DZV_KIND_... */
    double zone_a;   /* UTM zone 1..60; 0: each point's own, in its fourth column */
    int32_t datum_b;
    int32_t kind_b;
    double zone_b;      /* UTM zone 1..60; 0: each point's natural zone */
    int32_t model;      /* DZV_MODEL_HELMERT, _MOLODENSKY or _AFFINE (national: Helmert) */
    int32_t parametros; /* DZV_PARAMETERS_... */
    double seleccion;   /* metres (DISTANCE) or number of vertices (NEAREST) */
    double origin_x;    /* centre of the vertex search, ED50 UTM zone 30 */
    double origin_y;
    int32_t origin_from_data; /* 1: the centre of the rectangle around the points
                                 (dzv_transform_points and files), as quillon-cli does */
    int32_t threads;          /* 0: one per processor; 1: the caller's thread only */
    int32_t in_columns;       /* doubles per input point: 2 (c1 c2), 3 (c1 c2 c3) or 4
                                 (c1 c2 c3 zone, UTM with zone_a 0); 0 means 3 */
    int32_t out_columns;      /* doubles per output point: 2, 3 or 4 (c1 c2 c3 zone, UTM
                                 output); 0 means 3 */
    int32_t region_only;      /* 1: points outside the served region are refused */
    /* The official IGN grid (parametros 4) and orthometric heights of UTM points. */
    int32_t orthometric_heights; /* 1: H of UTM points through the geoid (h = H + N) */
    const char* grid_path;       /* NTv2 grid; NULL or "": the bundled SPED2ETV2 */
    const char* geoid_path;      /* GTX geoid; NULL or "": the bundled EGM08-REDNAP */
    /* The parameters prepared by dzv_prepare for this same run, or NULL. */
    const dzv_prepared* prepared;
    /* The caller's buffer for the message of a failure. */
    char* message;
    size_t message_size;
    /* The catalogue of common points that the regional and local choices
     * search: a table file (see the user guide), or NULL or "" for the
     * built-in one. A file that cannot be read or holds a bad row fails the
     * run with DZV_E_RUN_FAILED and the reasons, one line each. */
    const char* catalogue_path;
    /* NULL, or room for n doubles that dzv_transform_points fills with the
       95 % horizontal uncertainty of each point in metres (NaN for a point
       not transformed, or for a set estimated without redundancy). */
    double* uncertainty;
    /* Geodetic heights that are orthometric (EPSG:4258+5782), through the
       geoid of orthometric_heights, which must then be 1: a sum of
       DZV_ORTHOMETRIC_GEODETIC_A (side a's heights) and _B (side b's); the
       side must be geodetic. 0: geodetic heights are ellipsoidal. */
    int32_t orthometric_geodetic;
} dzv_run;

/* Zeroes a run and sets its size. */
DZV_API void dzv_run_init(dzv_run* run);

/* Checks the run and estimates its parameters into a new handle (*prepared),
 * to be released with dzv_release_prepared. The origin must be given
 * (origin_from_data is refused: there are no points yet). */
DZV_API int32_t dzv_prepare(const dzv_run* run, dzv_prepared** prepared);
DZV_API void dzv_release_prepared(dzv_prepared* prepared);

/* Transforms n points: in holds n * in_columns doubles, out receives n *
 * out_columns doubles, status n codes (DZV_POINT_...). With run->prepared the
 * run's other fields must be those the handle was prepared with (threads,
 * columns, region_only and the message buffer may differ). in and out may be
 * the same array when the columns are equal. */
DZV_API int32_t dzv_transform_points(int64_t n, const double* in, double* out, int32_t* status,
                                     const dzv_run* run);

/* The rectangle around the points in ED50 UTM zone 30 (national set), as the
 * centroid methods compute it: extent = {x_min, x_max, y_min, y_max}; *count
 * points entered it (points with a non-finite coordinate or a bad zone do not).
 * With no point the extent is {1e30, -1e30, 1e30, -1e30}. Reads datum_a,
 * kind_a, zone_a and in_columns. */
DZV_API int32_t dzv_points_extent(int64_t n, const double* in, const dzv_run* run, double extent[4],
                                  int64_t* count);

/* The prepared parameter set. `report` is the block the execution log gets
 * for it; strings belong to the handle. */
typedef struct dzv_parameters {
    uint32_t size; /* sizeof(dzv_parameters), set by the caller */
    int32_t model; /* the model applied: DZV_MODEL_..., GRID for parametros 4 */
    double values[7];
    double source_centroid[3]; /* geocentric X Y Z (affine: UTM 30 x y 0) */
    double target_centroid[3];
    double adjustment_error; /* "Error ajuste" [m]; NaN when there is none */
    int32_t vertex_count;    /* vertices found by the search (dzv_prepared_vertex) */
    int32_t used_count;      /* of those, the ones the estimation used */
    const char* report;
    /* Fields a caller may leave out of its struct (size up to `report`): the
     * set in EPSG's terms. Helmert (model HELMERT): tx, ty, tz [m], rx, ry, rz
     * [arc-seconds, position-vector convention], ds [ppm], about the
     * evaluation point `pivot` (geocentric, the source centroid; the
     * geocentre for the national set). Affine: A0, A1, A2, B0, B1, B2 of
     * E' = A0 + A1 E + A2 N, N' = B0 + B1 E + B2 N in zone-30 UTM, then 0.
     * Molodensky and grid: the values above as they are. */
    double epsg[7];
    double pivot[3];
    /* The PROJ pipeline from side A to side B (for cct; geodetic coordinates
     * in degrees; a side with each point's own zone written as zone 30); ""
     * when PROJ has no equivalent (Molodensky). */
    const char* proj;
} dzv_parameters;
DZV_API int32_t dzv_prepared_parameters(const dzv_prepared* prepared, dzv_parameters* parameters);

/* Vertex `index` (0 .. vertex_count - 1) of the search, with its residual:
 * its catalogue position on the target side minus its source position carried
 * by the prepared set, in UTM zone 30. */
typedef struct dzv_vertex {
    uint32_t size; /* sizeof(dzv_vertex), set by the caller */
    int32_t number;
    const char* name;          /* UTF-8 */
    int32_t used;              /* 0: left out as a blunder */
    double source_x, source_y; /* catalogue, source datum, UTM zone 30 */
    double target_x, target_y; /* catalogue, target datum */
    double residual_x, residual_y;
} dzv_vertex;
DZV_API int32_t dzv_prepared_vertex(const dzv_prepared* prepared, int32_t index,
                                    dzv_vertex* vertex);

/* A prepared handle as text, to be stored or sent to another process and
 * loaded there into a handle that gives the same results bit for bit. Save
 * writes at most `size` bytes and sets *length to the whole text's length
 * (call with size 0 to learn it); DZV_E_INVALID_ARGUMENT when it does not fit.
 * Load reads `length` bytes. */
DZV_API int32_t dzv_prepared_save(const dzv_prepared* prepared, char* buffer, size_t size,
                                  size_t* length);
DZV_API int32_t dzv_prepared_load(const char* text, size_t length, dzv_prepared** prepared,
                                  char* message, size_t message_size);

/* ProcesarTXT (format DZV_FILE_TXT) or ProcesarDXF (DZV_FILE_DXF) with a run:
 * the input, output and log paths (log NULL: output + ".log"). On failure
 * DZV_E_RUN_FAILED and the message; *log_written (when given) says whether the
 * log holds the run's account. *rejected receives the point lines rejected. */
#define DZV_FILE_TXT 1
#define DZV_FILE_DXF 2
DZV_API int32_t dzv_process_file(int32_t format, const char* entrada, const char* salida,
                                 const char* registro, const dzv_run* run, int64_t* rejected,
                                 int32_t* log_written);

#ifdef __cplusplus
}
#endif

#endif /* DEZADIRAVEVAVA_H */
