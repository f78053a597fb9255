// The picture that the frame benchmark's reference programs show: the first one of ./Orvex.Txt,
// read with the viewer's own BMP reader and uploaded as the viewer's texture parameters give it.
#pragma once
#include <GL/gl.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "image/bmp.hpp"
#include "startup/textures.hpp"

namespace bench {

struct FirstPicture {
    int width = 0, height = 0;
    long long glWidth = 0, glHeight = 0;
    double radius = 0.0;
    char field[21] = {};  // the file name as a 20-character field
    std::vector<std::uint8_t> pixels;
};

// Reads the first picture named in ./Orvex.Txt; ends the process when there is none.
inline FirstPicture readFirstPicture(const char* program) {
    FirstPicture p;
    std::FILE* config = std::fopen("Orvex.Txt", "r");
    char name[256] = {};
    if (!config || std::fscanf(config, "%*d %255s %lf", name, &p.radius) != 2) {
        std::fprintf(stderr, "%s: needs an Orvex.Txt naming a picture\n", program);
        std::exit(1);
    }
    std::fclose(config);
    std::snprintf(p.field, sizeof p.field, "%-20s", name);
    int bytesPerPixel = 0, status = 0;
    image::BmpPicture file;
    image::openBmp(p.field, 14, file, p.width, p.height, bytesPerPixel);
    image::checkBmpSize(file, p.width, p.height);
    p.pixels.resize(static_cast<std::size_t>(p.width) * p.height * 3);
    image::readBmpPixels(file, static_cast<long long>(p.pixels.size()), p.pixels.data(), 1, status);
    p.glWidth = startup::fitPowerOfTwo(p.width);
    p.glHeight = startup::fitPowerOfTwo(p.height);
    return p;
}

// Creates, fills and binds a texture holding the picture in its lower-left corner.
inline GLuint uploadPicture(const FirstPicture& p) {
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_DECAL);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, 3, static_cast<GLsizei>(p.glWidth), static_cast<GLsizei>(p.glHeight), 0, GL_RGB,
                 GL_UNSIGNED_BYTE, nullptr);
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, p.width, p.height, GL_RGB, GL_UNSIGNED_BYTE, p.pixels.data());
    return texture;
}

}  // namespace bench
