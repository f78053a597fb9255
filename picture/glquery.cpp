#include "glquery.hpp"

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>  // the calling conventions GL/gl.h names there
#endif
#include <GL/gl.h>

namespace picture {

int largestProxyTexture() {
    GLint size = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &size);
    for (; size >= 2; size /= 2) {
        GLint accepted = 0;
        glTexImage2D(GL_PROXY_TEXTURE_2D, 0, 3, size, size / 2, 0, GL_RGB, GL_UNSIGNED_BYTE, nullptr);
        glGetTexLevelParameteriv(GL_PROXY_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &accepted);
        if (accepted == size) break;
    }
    return size > 0 ? size : 0;
}

}  // namespace picture
