// The reference of the start-up benchmark: the least a viewer must do before its first frame.
// It reads the pictures named in ./Orvex.Txt straight from their files (no conversion), opens a
// window and uploads each the documented way: the whole power-of-two buffer with glTexImage2D,
// then the picture with glTexSubImage2D, unpack alignment 1. Then it swaps once and waits.
#include <GL/freeglut.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr int kMaxPictures = 5;

struct Picture {
    int width = 0, height = 0, glWidth = 0, glHeight = 0;
    std::uint8_t* buffer = nullptr;  // glWidth x glHeight x 3 bytes, the picture at its start
};

int powerOfTwoFor(int n) {
    int p = 2;
    while (p < n) p *= 2;
    return p;
}

std::uint32_t little32(const std::uint8_t* b) {
    return b[0] | b[1] << 8 | b[2] << 16 | static_cast<std::uint32_t>(b[3]) << 24;
}

// Reads the pixel rows of a 24-bit BMP whose rows need no padding into a fresh buffer.
Picture readPicture(const char* name) {
    std::FILE* f = std::fopen(name, "rb");
    std::uint8_t header[54];
    if (!f || std::fread(header, 1, sizeof header, f) != sizeof header) std::exit(1);
    Picture p;
    p.width = static_cast<int>(little32(header + 18));
    p.height = static_cast<int>(little32(header + 22));
    p.glWidth = powerOfTwoFor(p.width);
    p.glHeight = powerOfTwoFor(p.height);
    const std::size_t pictureBytes = 3ull * p.width * p.height;
    p.buffer = static_cast<std::uint8_t*>(std::malloc(3ull * p.glWidth * p.glHeight));
    if (!p.buffer || std::fseek(f, little32(header + 10), SEEK_SET) != 0 ||
        std::fread(p.buffer, 1, pictureBytes, f) != pictureBytes) {
        std::exit(1);
    }
    std::fclose(f);
    return p;
}

}  // namespace

int main() {
    std::FILE* config = std::fopen("Orvex.Txt", "r");
    int count = 0;
    if (!config || std::fscanf(config, "%d", &count) != 1 || count < 1 || count > kMaxPictures) return 1;
    Picture pictures[kMaxPictures];
    for (int i = 0; i < count; ++i) {
        char name[256];
        double radius = 0.0;
        if (std::fscanf(config, "%255s %lf", name, &radius) != 2) return 1;
        pictures[i] = readPicture(name);
    }
    std::fclose(config);

    int argc = 1;
    char program[] = "noname";
    char* argv[] = {program, nullptr};
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutInitWindowSize(1024, 768);
    glutInitWindowPosition(0, 0);
    glutCreateWindow("start-up reference");
    GLuint names[kMaxPictures];
    glGenTextures(kMaxPictures, names);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    for (int i = 0; i < count; ++i) {
        const Picture& p = pictures[i];
        glEnable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, names[i]);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glTexImage2D(GL_TEXTURE_2D, 0, 3, p.glWidth, p.glHeight, 0, GL_RGB, GL_UNSIGNED_BYTE, p.buffer);
        glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, p.width, p.height, GL_RGB, GL_UNSIGNED_BYTE, p.buffer);
        glDisable(GL_TEXTURE_2D);
        glFlush();
    }
    glutSwapBuffers();
    glFinish();
    for (;;) pause();  // the benchmark ends the process after the first swap
}
