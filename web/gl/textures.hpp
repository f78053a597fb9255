// Texture objects and the pixel-taking texture calls, as the display lists replay them.
#pragma once
#include <GL/gl.h>

#include "context.hpp"

namespace gl11 {

// The texture object of a GL name, made when first named (0: the default texture).
TextureObject& textureObject(GLuint name);

// glTexImage2D and glTexSubImage2D with the unpack alignment given rather than taken from the
// pixel store (a list replays its data with the alignment it was recorded with).
void texImage(GLenum target, GLint level, GLint internalFormat, GLsizei width, GLsizei height, GLint border,
              GLenum format, GLenum type, const GLvoid* pixels, int alignment);
void texSubImage(GLenum target, GLint level, GLint x, GLint y, GLsizei width, GLsizei height, GLenum format,
                 GLenum type, const GLvoid* pixels, int alignment);

}  // namespace gl11
