/* GLUT for the browser build: the window, callbacks, menu and bitmap fonts the viewer uses,
 * implemented in web/glut/ on the page's canvas and emscripten's html5 events. */
#ifndef ORVEX_WEB_FREEGLUT_H
#define ORVEX_WEB_FREEGLUT_H

#include <GL/gl.h>
#include <GL/glu.h>

#ifdef __cplusplus
extern "C" {
#endif

#define FGAPI GLAPI
#define FGAPIENTRY GLAPIENTRY

/* Display modes */
#define GLUT_RGB 0x0000
#define GLUT_RGBA 0x0000
#define GLUT_SINGLE 0x0000
#define GLUT_DOUBLE 0x0002
#define GLUT_DEPTH 0x0010

/* Mouse */
#define GLUT_LEFT_BUTTON 0x0000
#define GLUT_MIDDLE_BUTTON 0x0001
#define GLUT_RIGHT_BUTTON 0x0002
#define GLUT_DOWN 0x0000
#define GLUT_UP 0x0001

/* Special keys */
#define GLUT_KEY_F1 0x0001
#define GLUT_KEY_F2 0x0002
#define GLUT_KEY_F3 0x0003
#define GLUT_KEY_F4 0x0004
#define GLUT_KEY_F5 0x0005
#define GLUT_KEY_F6 0x0006
#define GLUT_KEY_F7 0x0007
#define GLUT_KEY_F8 0x0008
#define GLUT_KEY_F9 0x0009
#define GLUT_KEY_F10 0x000A
#define GLUT_KEY_F11 0x000B
#define GLUT_KEY_F12 0x000C
#define GLUT_KEY_LEFT 0x0064
#define GLUT_KEY_UP 0x0065
#define GLUT_KEY_RIGHT 0x0066
#define GLUT_KEY_DOWN 0x0067
#define GLUT_KEY_PAGE_UP 0x0068
#define GLUT_KEY_PAGE_DOWN 0x0069
#define GLUT_KEY_HOME 0x006A
#define GLUT_KEY_END 0x006B
#define GLUT_KEY_INSERT 0x006C
#define GLUT_KEY_NUM_LOCK 0x006D
#define GLUT_KEY_BEGIN 0x006E
#define GLUT_KEY_DELETE 0x006F
#define GLUT_KEY_SHIFT_L 0x0070
#define GLUT_KEY_SHIFT_R 0x0071
#define GLUT_KEY_CTRL_L 0x0072
#define GLUT_KEY_CTRL_R 0x0073
#define GLUT_KEY_ALT_L 0x0074
#define GLUT_KEY_ALT_R 0x0075
#define GLUT_KEY_SUPER_L 0x0076
#define GLUT_KEY_SUPER_R 0x0077

/* Menu status */
#define GLUT_MENU_NOT_IN_USE 0x0000
#define GLUT_MENU_IN_USE 0x0001

/* glutGet */
#define GLUT_WINDOW_X 0x0064
#define GLUT_WINDOW_Y 0x0065
#define GLUT_WINDOW_WIDTH 0x0066
#define GLUT_WINDOW_HEIGHT 0x0067
#define GLUT_SCREEN_WIDTH 0x00C8
#define GLUT_SCREEN_HEIGHT 0x00C9
#define GLUT_ELAPSED_TIME 0x02BC
#define GLUT_WINDOW_BORDER_WIDTH 0x01FA
#define GLUT_WINDOW_HEADER_HEIGHT 0x01FB

/* Bitmap fonts, by the numbers freeglut gives them */
#define GLUT_BITMAP_9_BY_15 ((void*)0x0002)
#define GLUT_BITMAP_8_BY_13 ((void*)0x0003)
#define GLUT_BITMAP_TIMES_ROMAN_10 ((void*)0x0004)
#define GLUT_BITMAP_TIMES_ROMAN_24 ((void*)0x0005)
#define GLUT_BITMAP_HELVETICA_10 ((void*)0x0006)
#define GLUT_BITMAP_HELVETICA_12 ((void*)0x0007)
#define GLUT_BITMAP_HELVETICA_18 ((void*)0x0008)

/* Start-up and the window */
FGAPI void FGAPIENTRY glutInit(int* argumentCount, char** arguments);
FGAPI void FGAPIENTRY glutInitDisplayMode(unsigned int mode);
FGAPI void FGAPIENTRY glutInitWindowSize(int width, int height);
FGAPI void FGAPIENTRY glutInitWindowPosition(int x, int y);
FGAPI int FGAPIENTRY glutCreateWindow(const char* title);
FGAPI void FGAPIENTRY glutReshapeWindow(int width, int height);
FGAPI void FGAPIENTRY glutPositionWindow(int x, int y);
FGAPI int FGAPIENTRY glutGet(GLenum what);
FGAPI void FGAPIENTRY glutMainLoop(void);
FGAPI void FGAPIENTRY glutLeaveMainLoop(void);
FGAPI void FGAPIENTRY glutPostRedisplay(void);
FGAPI void FGAPIENTRY glutSwapBuffers(void);
FGAPI void FGAPIENTRY glutWarpPointer(int x, int y);

/* Callbacks */
FGAPI void FGAPIENTRY glutDisplayFunc(void (*callback)(void));
FGAPI void FGAPIENTRY glutIdleFunc(void (*callback)(void));
FGAPI void FGAPIENTRY glutReshapeFunc(void (*callback)(int width, int height));
FGAPI void FGAPIENTRY glutKeyboardFunc(void (*callback)(unsigned char key, int x, int y));
FGAPI void FGAPIENTRY glutSpecialFunc(void (*callback)(int key, int x, int y));
FGAPI void FGAPIENTRY glutMouseFunc(void (*callback)(int button, int state, int x, int y));
FGAPI void FGAPIENTRY glutMotionFunc(void (*callback)(int x, int y));
FGAPI void FGAPIENTRY glutPassiveMotionFunc(void (*callback)(int x, int y));
FGAPI void FGAPIENTRY glutMenuStatusFunc(void (*callback)(int status, int x, int y));

/* The pop-up menu */
FGAPI int FGAPIENTRY glutCreateMenu(void (*callback)(int value));
FGAPI void FGAPIENTRY glutAddMenuEntry(const char* label, int value);
FGAPI void FGAPIENTRY glutAttachMenu(int button);
FGAPI int FGAPIENTRY glutGetMenu(void);
FGAPI void FGAPIENTRY glutSetMenuFont(int menu, void* font);

/* Bitmap fonts */
FGAPI void FGAPIENTRY glutBitmapCharacter(void* font, int character);
FGAPI void FGAPIENTRY glutBitmapString(void* font, const unsigned char* string);
FGAPI int FGAPIENTRY glutBitmapWidth(void* font, int character);
FGAPI int FGAPIENTRY glutBitmapLength(void* font, const unsigned char* string);
FGAPI int FGAPIENTRY glutBitmapHeight(void* font);

#ifdef __cplusplus
}
#endif

#endif
