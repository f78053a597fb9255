// The floor of the frame benchmark: the first picture of ./Orvex.Txt on a textured sphere in the
// default view, and nothing else, drawn back to back.
#include <GL/freeglut.h>

#include <cmath>

#include "first_picture.hpp"

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
    const bench::FirstPicture picture = bench::readFirstPicture("sphere_floor");
    textureScale[0] = static_cast<double>(picture.width) / picture.glWidth;
    textureScale[1] = static_cast<double>(picture.height) / picture.glHeight;

    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutInitWindowSize(1024, 748);
    glutInitWindowPosition(0, 20);
    glutCreateWindow("sphere floor");
    glEnable(GL_DEPTH_TEST);
    bench::uploadPicture(picture);
    quadric = gluNewQuadric();
    gluQuadricTexture(quadric, GL_TRUE);
    gluQuadricNormals(quadric, GLU_SMOOTH);
    glutDisplayFunc(draw);
    glutIdleFunc(draw);
    glutMainLoop();
}
