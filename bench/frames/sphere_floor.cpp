// The floor of the frame benchmark: the first picture of ./Orvex.Txt on a textured sphere in the
// default view, and nothing else, drawn back to back.
#include <GL/freeglut.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "image/bmp.hpp"
#include "startup/textures.hpp"

namespace {

GLUquadric* quadric = nullptr;
double textureScale[2] = {1.0, 1.0};

void draw() {
    const double fov = static_cast<double>(0.5241f);
    const double d2r = std::atan2(1.0, 1.0) / 45.0;
    const double eye = 20.0 / std::sin(fov * d2r / 2.0) - 20.0;
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(fov + 0.11, 1024.0 / 768.0, eye - 0.7, eye + 25.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslated(0.0, 0.0, -eye - 20.0);
    glRotated(-90.0, 1.0, 0.0, 0.0);
    glRotated(-360.0, 0.0, 0.0, 1.0);
    glMatrixMode(GL_TEXTURE);
    glLoadIdentity();
    glScaled(textureScale[0], textureScale[1], 1.0);
    glEnable(GL_TEXTURE_2D);
    gluSphere(quadric, 20.0, 72, 36);
    glDisable(GL_TEXTURE_2D);
    glMatrixMode(GL_MODELVIEW);
    glutSwapBuffers();
    glutPostRedisplay();
}

}  // namespace

int main(int argc, char** argv) {
    std::FILE* config = std::fopen("Orvex.Txt", "r");
    char name[256] = {};
    if (!config || std::fscanf(config, "%*d %255s", name) != 1) {
        std::fprintf(stderr, "sphere_floor: needs an Orvex.Txt naming a picture\n");
        return 1;
    }
    std::fclose(config);
    char field[21];
    std::snprintf(field, sizeof field, "%-20s", name);
    int w = 0, h = 0, bpp = 0, status = 0;
    image::ReadaBmp(field, 14, w, h, bpp);
    std::vector<std::uint8_t> pixels(static_cast<size_t>(w) * h * 3);
    image::BmpImpor(field, 14, w, h, static_cast<long long>(pixels.size()), pixels.data(), 1, status);
    const long long gw = startup::fitPowerOfTwo(w), gh = startup::fitPowerOfTwo(h);
    textureScale[0] = static_cast<double>(w) / gw;
    textureScale[1] = static_cast<double>(h) / gh;

    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutInitWindowSize(1024, 748);
    glutInitWindowPosition(0, 20);
    glutCreateWindow("sphere floor");
    glEnable(GL_DEPTH_TEST);
    GLuint texture;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_DECAL);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, 3, static_cast<GLsizei>(gw), static_cast<GLsizei>(gh), 0, GL_RGB,
                 GL_UNSIGNED_BYTE, nullptr);
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, w, h, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    quadric = gluNewQuadric();
    gluQuadricTexture(quadric, GL_TRUE);
    gluQuadricNormals(quadric, GLU_SMOOTH);
    glutDisplayFunc(draw);
    glutIdleFunc(draw);
    glutMainLoop();
}
