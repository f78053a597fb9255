// Texture objects: GL names of our own mapped to WebGL textures made when first needed. RGB,
// RGBA, LUMINANCE and ALPHA images (internal formats 3, GL_RGB, GL_ALPHA8, ...); GL_CLAMP and
// repeats of textures that are not powers of two are finished in the shader (see draw.cpp).
#include "textures.hpp"

#include <cstring>
#include <vector>

#include "draw.hpp"
#include "webgl.hpp"

namespace gl11 {

namespace {

using webgl::kClampToEdge;


// The WebGL format a GL internal format is kept in; 0 when this subset does not take it.
GLenum baseFormat(GLint internalFormat) {
    switch (internalFormat) {
        case 3: case GL_RGB: case GL_RGB8: return GL_RGB;
        case 4: case GL_RGBA: return GL_RGBA;
        case 1: case GL_LUMINANCE: return GL_LUMINANCE;
        case GL_ALPHA: case GL_ALPHA8: return GL_ALPHA;
        default: return 0;
    }
}

GLenum storedFormat(const TextureObject& t) {
    return t.alphaOnly ? GL_ALPHA : t.format;
}

void ensureWebglTexture(TextureObject& t) {
    if (t.webglName == 0) emscripten_glGenTextures(1, &t.webglName);
}

// Sends the texture's filters and wraps; wraps that WebGL cannot do are left to the shader.
void applyParameters(TextureObject& t) {
    ensureWebglTexture(t);
    bindForUpload(t.webglName);
    const GLenum minFilter = t.minFilter == GL_NEAREST ? GL_NEAREST : GL_LINEAR;
    emscripten_glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, static_cast<GLint>(minFilter));
    emscripten_glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, static_cast<GLint>(t.magFilter));
    const bool repeatable = isPowerOfTwo(t.width) && isPowerOfTwo(t.height);
    auto wrap = [&](GLenum mode) {
        return static_cast<GLint>(mode == GL_REPEAT && repeatable ? GL_REPEAT : kClampToEdge);
    };
    emscripten_glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, wrap(t.wrapS));
    emscripten_glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, wrap(t.wrapT));
}

// Rows of `format` pixels (rows padded to `alignment`) converted to the texture's stored format,
// rows tightly packed; null when the pixels can go to WebGL as they are.
const GLubyte* converted(const void* pixels, int width, int height, GLenum format, GLenum stored, int alignment) {
    if (!pixels || format == stored) return nullptr;
    const int from = components(format), to = components(stored);
    const int rowBytes = paddedRowBytes(width * from, alignment);
    context.textures.converted.resize(static_cast<size_t>(width) * height * to);
    const GLubyte* source = static_cast<const GLubyte*>(pixels);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const GLubyte* p = source + static_cast<size_t>(y) * rowBytes + x * from;
            GLubyte rgba[4] = {p[0], from >= 3 ? p[1] : p[0], from >= 3 ? p[2] : p[0],
                              static_cast<GLubyte>(from == 4 ? p[3] : 255)};
            if (format == GL_ALPHA) rgba[0] = rgba[1] = rgba[2] = 0, rgba[3] = p[0];
            GLubyte* q = &context.textures.converted[(static_cast<size_t>(y) * width + x) * to];
            if (stored == GL_ALPHA) {
                q[0] = rgba[3];
            } else {
                for (int k = 0; k < to; ++k) q[k] = rgba[k];
            }
        }
    }
    return context.textures.converted.data();
}

// WebGL's unpack alignment for pixels converted here (tight rows) or sent as they are.
void setUploadAlignment(const GLubyte* convertedPixels, int alignment) {
    emscripten_glPixelStorei(GL_UNPACK_ALIGNMENT, convertedPixels ? 1 : alignment);
}

}  // namespace

TextureObject& textureObject(GLuint name) {
    if (name >= context.textures.objects.size()) context.textures.objects.resize(name + 1);
    return context.textures.objects[name];
}

void texImage(GLenum target, GLint level, GLint internalFormat, GLsizei width, GLsizei height, GLint border,
              GLenum format, GLenum type, const GLvoid* pixels, int alignment) {
    if (target != GL_TEXTURE_2D) return setError(GL_INVALID_ENUM);
    const GLenum stored = baseFormat(internalFormat);
    if (stored == 0 || components(format) == 0) return setError(GL_INVALID_ENUM);
    if (type != GL_UNSIGNED_BYTE) return setError(GL_INVALID_ENUM);
    GLint maximum = 0;
    emscripten_glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maximum);
    if (level < 0 || border != 0 || width < 0 || height < 0 || width > maximum || height > maximum) {
        return setError(GL_INVALID_VALUE);
    }
    if (level > 0) return;  // mipmaps are not kept: the viewer never filters with them
    beforeChange();
    TextureObject& t = boundTextureObject();
    ensureWebglTexture(t);
    t.width = width;
    t.height = height;
    t.alphaOnly = stored == GL_ALPHA;
    t.format = stored;
    const GLubyte* copy = converted(pixels, width, height, format, stored, alignment);
    bindForUpload(t.webglName);
    setUploadAlignment(copy, alignment);
    emscripten_glTexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(stored), width, height, 0, stored,
                            GL_UNSIGNED_BYTE, copy ? copy : pixels);
    context.checkWebglErrors = true;
    applyParameters(t);
}

void texSubImage(GLenum target, GLint level, GLint x, GLint y, GLsizei width, GLsizei height, GLenum format,
                 GLenum type, const GLvoid* pixels, int alignment) {
    if (target != GL_TEXTURE_2D) return setError(GL_INVALID_ENUM);
    if (components(format) == 0 || type != GL_UNSIGNED_BYTE) return setError(GL_INVALID_ENUM);
    TextureObject& t = boundTextureObject();
    if (t.webglName == 0 || t.width == 0) return setError(GL_INVALID_OPERATION);
    if (level != 0 || x < 0 || y < 0 || width < 0 || height < 0 || x + width > t.width || y + height > t.height) {
        return setError(GL_INVALID_VALUE);
    }
    if (width == 0 || height == 0 || !pixels) return;
    beforeChange();
    const GLenum stored = storedFormat(t);
    const GLubyte* copy = converted(pixels, width, height, format, stored, alignment);
    bindForUpload(t.webglName);
    setUploadAlignment(copy, alignment);
    emscripten_glTexSubImage2D(GL_TEXTURE_2D, 0, x, y, width, height, stored, GL_UNSIGNED_BYTE,
                               copy ? copy : pixels);
}

}  // namespace gl11

using namespace gl11;

extern "C" {

void glGenTextures(GLsizei count, GLuint* names) {
    if (count < 0) return setError(GL_INVALID_VALUE);
    for (GLsizei k = 0; k < count; ++k) {
        names[k] = context.textures.nextName++;
        textureObject(names[k]);
    }
}

void glBindTexture(GLenum target, GLuint name) {
    if (recordedOnly(Op::bindTexture, {wordOf(target), wordOf(name)})) return;
    if (target != GL_TEXTURE_2D) return setError(GL_INVALID_ENUM);
    if (name == context.attributes.boundTexture) return;
    beforeChange();
    context.attributes.boundTexture = name;
    if (name >= context.textures.nextName) context.textures.nextName = name + 1;
    textureObject(name);
}

void glTexParameteri(GLenum target, GLenum name, GLint value) {
    if (recordedOnly(Op::texParameter, {wordOf(target), wordOf(name), wordOf(value)})) return;
    if (target != GL_TEXTURE_2D) return setError(GL_INVALID_ENUM);
    TextureObject& t = boundTextureObject();
    const GLenum v = static_cast<GLenum>(value);
    switch (name) {
        case GL_TEXTURE_MIN_FILTER:
            if (v != GL_NEAREST && v != GL_LINEAR && (v < 0x2700 || v > 0x2703)) return setError(GL_INVALID_ENUM);
            if (t.minFilter == v) return;
            beforeChange();
            t.minFilter = v;
            break;
        case GL_TEXTURE_MAG_FILTER:
            if (v != GL_NEAREST && v != GL_LINEAR) return setError(GL_INVALID_ENUM);
            if (t.magFilter == v) return;
            beforeChange();
            t.magFilter = v;
            break;
        case GL_TEXTURE_WRAP_S:
        case GL_TEXTURE_WRAP_T: {
            if (v != GL_CLAMP && v != GL_REPEAT) return setError(GL_INVALID_ENUM);
            GLenum& wrap = name == GL_TEXTURE_WRAP_S ? t.wrapS : t.wrapT;
            if (wrap == v) return;
            beforeChange();
            wrap = v;
            break;
        }
        default: return setError(GL_INVALID_ENUM);
    }
    applyParameters(t);
}

void glTexParameterfv(GLenum target, GLenum name, const GLfloat* values) {
    if (target != GL_TEXTURE_2D) return setError(GL_INVALID_ENUM);
    if (name != GL_TEXTURE_BORDER_COLOR) {
        return glTexParameteri(target, name, static_cast<GLint>(values[0]));
    }
    if (recordedOnly(Op::texBorderColour, {wordOf(target), wordOf(values[0]), wordOf(values[1]), wordOf(values[2]),
                                           wordOf(values[3])})) {
        return;
    }
    beforeChange();
    TextureObject& t = boundTextureObject();
    for (int k = 0; k < 4; ++k) t.border[k] = clampUnit(values[k]);
}

void glTexEnvi(GLenum target, GLenum name, GLint value) {
    if (recordedOnly(Op::texEnv, {wordOf(target), wordOf(name), wordOf(value)})) return;
    if (target != GL_TEXTURE_ENV || name != GL_TEXTURE_ENV_MODE) return setError(GL_INVALID_ENUM);
    const GLenum mode = static_cast<GLenum>(value);
    if (mode != GL_MODULATE && mode != GL_DECAL && mode != GL_REPLACE) return setError(GL_INVALID_ENUM);
    if (mode == context.attributes.textureEnvMode) return;
    beforeChange();
    context.attributes.textureEnvMode = mode;
}

void glGetTexEnviv(GLenum target, GLenum name, GLint* values) {
    if (target != GL_TEXTURE_ENV || name != GL_TEXTURE_ENV_MODE) return setError(GL_INVALID_ENUM);
    values[0] = static_cast<GLint>(context.attributes.textureEnvMode);
}

// Recorded with a copy of the pixels as the pixel store lays them out now.
void glTexImage2D(GLenum target, GLint level, GLint internalFormat, GLsizei width, GLsizei height,
                  GLint border, GLenum format, GLenum type, const GLvoid* pixels) {
    const int alignment = context.unpackAlignment;
    const int bytes = pixels && width > 0 && height > 0 ? imageBytes(width, height, format, alignment) : 0;
    if (recordedOnly(Op::texImage, {wordOf(target), wordOf(level), wordOf(internalFormat), wordOf(width), wordOf(height),
                                    wordOf(border), wordOf(format), wordOf(type), wordOf(alignment)}, pixels, bytes)) {
        return;
    }
    texImage(target, level, internalFormat, width, height, border, format, type, pixels, alignment);
}

void glTexSubImage2D(GLenum target, GLint level, GLint x, GLint y, GLsizei width, GLsizei height,
                     GLenum format, GLenum type, const GLvoid* pixels) {
    const int alignment = context.unpackAlignment;
    const int bytes = pixels && width > 0 && height > 0 ? imageBytes(width, height, format, alignment) : 0;
    if (recordedOnly(Op::texSubImage, {wordOf(target), wordOf(level), wordOf(x), wordOf(y), wordOf(width),
                                       wordOf(height), wordOf(format), wordOf(type), wordOf(alignment)}, pixels, bytes)) {
        return;
    }
    texSubImage(target, level, x, y, width, height, format, type, pixels, alignment);
}

}  // extern "C"
