/* GLUT under its classic name: the same declarations as freeglut.h. */
#include <GL/freeglut.h>
