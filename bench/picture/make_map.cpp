// make_map: writes a synthetic whole-planet JPEG for the picture helper's benchmark in one libvips
// pipeline (nothing held in memory): red rises from west to east, green from north to south, blue
// is noise, so the picture compresses and decodes like a real map rather than a flat one.
//   make_map WIDTH HEIGHT OUT.jpg
#include <vips/vips.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (VIPS_INIT(argv[0]) || argc != 4) {
        std::fprintf(stderr, "usage: make_map WIDTH HEIGHT OUT.jpg\n");
        return 2;
    }
    const int width = std::atoi(argv[1]), height = std::atoi(argv[2]);
    VipsImage *xy, *ramps, *noise, *blue, *rgb;
    double scale[] = {255.0 / width, 255.0 / height}, offset[] = {0, 0};
    if (vips_xyz(&xy, width, height, nullptr) ||
        vips_linear(xy, &ramps, scale, offset, 2, "uchar", TRUE, nullptr) ||
        vips_gaussnoise(&noise, width, height, "mean", 128.0, "sigma", 30.0, "seed", 17, nullptr) ||
        vips_cast_uchar(noise, &blue, nullptr) || vips_bandjoin2(ramps, blue, &rgb, nullptr) ||
        vips_jpegsave(rgb, argv[3], "Q", 85, nullptr)) {
        std::fprintf(stderr, "make_map: %s", vips_error_buffer());
        return 1;
    }
    return 0;
}
