// The three matrix stacks' functions the other files share.
#pragma once
#include <GL/gl.h>

#include "context.hpp"

namespace gl11 {

// The current matrix of a stack.
inline GLfloat* topOf(MatrixStack& stack) { return stack.items[stack.top].m; }
// The stack glMatrixMode chose.
MatrixStack& currentStack();

// The product projection x modelview, and a point through a matrix.
void modelViewProjection(GLfloat out[16]);
void transformPoint(const GLfloat m[16], const GLfloat in[4], GLfloat out[4]);
// Whether the current texture matrix is the identity (texture coordinates then pass unchanged).
bool textureMatrixIsIdentity();

// Matrix calls with single-precision arguments, as lists keep them.
void multiplyCurrentMatrix(const GLfloat m[16]);
void setMatrixMode(GLenum mode);
void ortho(GLfloat left, GLfloat right, GLfloat bottom, GLfloat top, GLfloat near, GLfloat far);

}  // namespace gl11
