// The texture set: each configured picture imported into a buffer of its own size, then uploaded
// into the lower-left corner of a power-of-two GL texture, with the texture matrix that maps the
// sphere onto the picture.
#pragma once
#include <cstdint>

#include "image/bmpdecode.hpp"
#include "platform/table.hpp"
#include "model/types.hpp"

namespace startup {

// One imported picture on its way from the file to GL.
struct Picture {
    Table<double, 4> extentDegrees;  // extent: west, east, south, north (deg)
    long long width = 0, height = 0;      // the picture, in pixels
    long long bytes = 0;                  // 3 bytes a pixel
    long long glWidth = 0, glHeight = 0;  // its power-of-two texture
    long long glBytes = 0;
    std::uint8_t* buffer = nullptr;  // picture pixels until uploaded, else null
};
using PictureSet = Table<Picture, model::kMaxImages>;

// GL size for a picture size (the BMP reader's, which also bounds the texture's bytes).
using image::fitPowerOfTwo;

// Texture matrix (column-major) for a picture inside its GL texture and its geographic extent.
void textureMatrix(long long pictureWidth, long long pictureHeight, long long glWidth,
                   long long glHeight, const Table<double, 4>& extent, double matrix[16]);

// The size report line of one image (without its line end).
void formatSizeLine(char* out, int outSize, const model::NameField& name, long long width,
                    long long height, long long glWidth, long long glHeight);

// Imports every configured image into `pictures`: header, fitted sizes, report line, buffer, pixels.
void importAll(PictureSet& pictures);

// The bound texture's environment, filters, wrapping and border colour.
void setTextureParameters();

// Uploads picture i into the bound texture (its power-of-two size, the picture, the seams), sets
// textureMatrices(i) and releases the picture's buffer.
void uploadImage(int i, Picture& picture);

// Makes image i's texture matrix current in GL.
void loadTextureMatrix(int i);

}  // namespace startup
