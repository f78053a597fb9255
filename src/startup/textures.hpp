// The texture set: each configured picture imported into the lower-left corner of a power-of-two
// buffer, uploaded as a GL texture, with the texture matrix that maps the sphere onto the picture.
#pragma once
#include <cstdint>

#include "image/bmpdecode.hpp"
#include "platform/table.hpp"
#include "model/types.hpp"

namespace startup {

struct TextureSet {
    Table<Table<double, 4>, model::kMaxImages> ORVEOUND;  // extent: west, east, south, north (deg)
    Table<Table<long long, 6>, model::kMaxImages> IJN;    // picture w, h, bytes; GL w, h, bytes
    Table<std::uint8_t*, model::kMaxImages> buffer;       // picture pixels until uploaded, else null
};

extern TextureSet textures;

// GL size for a picture size (the BMP reader's, which also bounds the texture's bytes).
using image::fitPowerOfTwo;

// Texture matrix (column-major) for a picture inside its GL texture and its geographic extent.
void textureMatrix(long long pictureWidth, long long pictureHeight, long long glWidth,
                   long long glHeight, const Table<double, 4>& extent, double matrix[16]);

// The size report line of one image (without its line end).
void formatSizeLine(char* out, int outSize, const model::NameField& name, long long width,
                    long long height, long long glWidth, long long glHeight);

// Imports every configured image: header, fitted sizes, report line, buffer, pixels.
void importAll();

// Uploads image i into the bound texture: parameters, whole buffer, matrix, picture.
void setTextureParameters();
void uploadImage(int i);

// Makes image 1's texture matrix current in GL.
void loadTextureMatrix(int i);

}  // namespace startup
