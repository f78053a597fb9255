/* GLU for the browser build: the quadrics the viewer draws its sphere with and gluPerspective,
 * implemented in web/glu/ over the browser's GL 1.1 subset. */
#ifndef ORVEX_WEB_GLU_H
#define ORVEX_WEB_GLU_H

#include <GL/gl.h>

#ifdef __cplusplus
extern "C" {
#endif

#define GLU_SMOOTH 100000
#define GLU_FLAT 100001
#define GLU_NONE 100002
#define GLU_POINT 100010
#define GLU_LINE 100011
#define GLU_FILL 100012
#define GLU_SILHOUETTE 100013
#define GLU_OUTSIDE 100020
#define GLU_INSIDE 100021
#define GLU_ERROR 100103
#define GLU_INVALID_ENUM 100900
#define GLU_INVALID_VALUE 100901

#ifdef __cplusplus
class GLUquadric;
#else
typedef struct GLUquadric GLUquadric;
#endif
typedef GLUquadric GLUquadricObj;
typedef void (GLAPIENTRY* _GLUfuncptr)(void);

GLAPI void GLAPIENTRY gluPerspective(GLdouble fovy, GLdouble aspect, GLdouble zNear, GLdouble zFar);
GLAPI GLUquadric* GLAPIENTRY gluNewQuadric(void);
GLAPI void GLAPIENTRY gluDeleteQuadric(GLUquadric* quadric);
GLAPI void GLAPIENTRY gluQuadricCallback(GLUquadric* quadric, GLenum which, _GLUfuncptr function);
GLAPI void GLAPIENTRY gluQuadricDrawStyle(GLUquadric* quadric, GLenum style);
GLAPI void GLAPIENTRY gluQuadricNormals(GLUquadric* quadric, GLenum normals);
GLAPI void GLAPIENTRY gluQuadricTexture(GLUquadric* quadric, GLboolean textureCoords);
GLAPI void GLAPIENTRY gluSphere(GLUquadric* quadric, GLdouble radius, GLint slices, GLint stacks);

#ifdef __cplusplus
}
#endif

#endif
