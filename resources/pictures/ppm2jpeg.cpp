// Compresses a binary PPM (P6, 8 bits) into a baseline JPEG at full quality without chroma
// subsampling, so that the thin ticks of the ruler survive. Built and run by make_pictures.py
// only; it is not part of the program's build.
#include <cstdio>
#include <cstdlib>
#include <vector>

#include <jpeglib.h>

int main(int argc, char **argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: ppm2jpeg in.ppm out.jpg\n");
        return 2;
    }
    std::FILE *in = std::fopen(argv[1], "rb");
    if (!in) {
        std::perror(argv[1]);
        return 1;
    }
    int width = 0, height = 0, maxval = 0;
    if (std::fscanf(in, "P6 %d %d %d", &width, &height, &maxval) != 3 || maxval != 255 ||
        std::fgetc(in) == EOF) {
        std::fprintf(stderr, "%s: not an 8-bit P6 file\n", argv[1]);
        return 1;
    }
    std::vector<unsigned char> pixels(static_cast<size_t>(width) * height * 3);
    if (std::fread(pixels.data(), 1, pixels.size(), in) != pixels.size()) {
        std::fprintf(stderr, "%s: short pixel data\n", argv[1]);
        return 1;
    }
    std::fclose(in);

    std::FILE *out = std::fopen(argv[2], "wb");
    if (!out) {
        std::perror(argv[2]);
        return 1;
    }
    jpeg_compress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, out);
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 100, TRUE);
    for (int c = 0; c < 3; ++c) {
        info.comp_info[c].h_samp_factor = 1;
        info.comp_info[c].v_samp_factor = 1;
    }
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = &pixels[static_cast<size_t>(info.next_scanline) * width * 3];
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::fclose(out);
    return 0;
}
