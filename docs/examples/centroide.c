/* Centroid of a point file through the engine's C interface.
 * Usage: centroide FILE.txt   (ED50 UTM, zone in each point's fifth field) */
#include <stdio.h>

#include "dezadiravevava.h"

int main(int argc, char** argv) {
    DzvControl* transf = NULL;
    int32_t centroide_txt = 0;
    DzvValue args[4], result, x, y, count;

    if (argc != 2 || dzv_create("DATUMBOX.TransfCtrl.1", &transf) != DZV_OK) {
        return 2;
    }
    dzv_get_dispid(transf, "CentroideTXT", &centroide_txt); /* 16 */
    args[0].type = DZV_STR, args[0].v.str = argv[1];        /* entrada */
    args[1].type = DZV_I4, args[1].v.i4 = 14;               /* Da: ED50 */
    args[2].type = DZV_I4, args[2].v.i4 = 2;                /* Pa: UTM */
    args[3].type = DZV_R8, args[3].v.r8 = 0.0;              /* hEntrada: per point */
    if (dzv_invoke(transf, centroide_txt, args, 4, &result) != DZV_OK || result.v.i2 != 1) {
        dzv_release(transf);
        return 1;
    }
    dzv_get_property(transf, 1, &x);      /* XCentroide */
    dzv_get_property(transf, 2, &y);      /* YCentroide */
    dzv_get_property(transf, 10, &count); /* NumeroPuntosArchivo */
    printf("%.0f puntos, centroide ED50 UTM 30: %.3f %.3f\n", count.v.r8, x.v.r8, y.v.r8);
    dzv_release(transf);
    return 0;
}
