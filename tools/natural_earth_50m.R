# Writes Natural Earth's 1:50m countries around Andalusia as GeoJSON (longitude,
# latitude), from the copy in R's rnaturalearthdata package (Debian:
# r-cran-rnaturalearthdata), for tools/make_map_background.py:
#
#   Rscript tools/natural_earth_50m.R countries50.geojson
#   tools/make_map_background.py countries50.geojson > frontend/resources/fondo_andalucia.txt
suppressMessages(library(sp))
data(countries50, package = "rnaturalearthdata")
out <- commandArgs(trailingOnly = TRUE)[1]
features <- character(0)
for (i in seq_along(countries50@polygons)) {
    box <- bbox(countries50@polygons[[i]])
    if (box[1, 2] < -9.5 || box[1, 1] > 0.5 || box[2, 2] < 34.5 || box[2, 1] > 39.7) next
    rings <- character(0)
    for (p in countries50@polygons[[i]]@Polygons) {
        xy <- p@coords
        rings <- c(rings, paste0("[[[", paste(sprintf("%.6f,%.6f", xy[, 1], xy[, 2]), collapse = "],["), "]]]"))
    }
    features <- c(features, sprintf(
        '{"type":"Feature","properties":{"name":"%s"},"geometry":{"type":"MultiPolygon","coordinates":[%s]}}',
        countries50$name[i], paste(rings, collapse = ",")))
}
writeLines(c('{"type":"FeatureCollection","features":[', paste(features, collapse = ",\n"), "]}"), out)
