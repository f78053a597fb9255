// Display lists as recorded calls: glNewList(GL_COMPILE) stores each recordable call with its
// arguments, glCallList plays them back through the same entry points, so a list's vertices
// join the batch like any others. Calls that are not recordable run at once, as queries do in GL.
#include <vector>

#include "context.hpp"

namespace webgl {

namespace {

struct Command {
    Op op;
    GLfloat a, b, c, d;
};

struct ListState {
    std::vector<std::vector<Command>> lists = std::vector<std::vector<Command>>(1);  // by name; 0 unused
    GLuint compiling = 0;                         // the list being compiled, 0 = none
    std::vector<Command> recorded;
    int callDepth = 0;                            // nesting of glCallList
};
ListState lists;

constexpr int kMaxCallDepth = 64;  // GL's limit on lists calling lists

void play(GLuint name) {
    if (name == 0 || name >= lists.lists.size() || lists.callDepth >= kMaxCallDepth) return;
    ++lists.callDepth;
    const std::vector<Command>& commands = lists.lists[name];
    for (const Command& k : commands) {
        switch (k.op) {
            case Op::begin: glBegin(static_cast<GLenum>(k.a)); break;
            case Op::end: glEnd(); break;
            case Op::vertex: glVertex3f(k.a, k.b, k.c); break;
            case Op::colour: glColor4f(k.a, k.b, k.c, k.d); break;
            case Op::texCoord: {
                const GLfloat t[4] = {k.a, k.b, k.c, k.d};
                glTexCoord4fv(t);
                break;
            }
            case Op::normal: glNormal3f(k.a, k.b, k.c); break;
            case Op::lineWidth: glLineWidth(k.a); break;
            case Op::shadeModel: glShadeModel(static_cast<GLenum>(k.a)); break;
            case Op::enable: glEnable(static_cast<GLenum>(k.a)); break;
            case Op::disable: glDisable(static_cast<GLenum>(k.a)); break;
            case Op::callList: play(static_cast<GLuint>(k.a)); break;
            case Op::matrixMode: glMatrixMode(static_cast<GLenum>(k.a)); break;
            case Op::loadIdentity: glLoadIdentity(); break;
            case Op::pushMatrix: glPushMatrix(); break;
            case Op::popMatrix: glPopMatrix(); break;
            case Op::rotate: glRotatef(k.a, k.b, k.c, k.d); break;
            case Op::translate: glTranslatef(k.a, k.b, k.c); break;
            case Op::bindTexture: glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(k.a)); break;
        }
    }
    --lists.callDepth;
}

}  // namespace

bool recording(Op op, GLfloat a, GLfloat b, GLfloat c, GLfloat d) {
    if (lists.compiling == 0) return false;
    lists.recorded.push_back({op, a, b, c, d});
    return true;
}

}  // namespace webgl

using namespace webgl;

extern "C" {

GLuint glGenLists(GLsizei range) {
    if (range < 0) {
        setError(GL_INVALID_VALUE);
        return 0;
    }
    if (range == 0) return 0;
    const GLuint first = static_cast<GLuint>(lists.lists.size());
    lists.lists.resize(first + range);
    return first;
}

void glNewList(GLuint list, GLenum mode) {
    if (list == 0) return setError(GL_INVALID_VALUE);
    if (mode != GL_COMPILE && mode != GL_COMPILE_AND_EXECUTE) return setError(GL_INVALID_ENUM);
    if (lists.compiling != 0 || context.inside) return setError(GL_INVALID_OPERATION);
    if (list >= lists.lists.size()) lists.lists.resize(list + 1);
    lists.compiling = list;
    lists.recorded.clear();
}

void glEndList(void) {
    if (lists.compiling == 0) return setError(GL_INVALID_OPERATION);
    lists.lists[lists.compiling].swap(lists.recorded);
    lists.recorded.clear();
    lists.compiling = 0;
}

void glCallList(GLuint list) {
    if (recording(Op::callList, static_cast<GLfloat>(list))) return;
    play(list);
}

void glCallLists(GLsizei count, GLenum type, const GLvoid* names) {
    if (count < 0) return setError(GL_INVALID_VALUE);
    for (GLsizei k = 0; k < count; ++k) {
        GLuint name = 0;
        switch (type) {
            case GL_UNSIGNED_INT: name = static_cast<const GLuint*>(names)[k]; break;
            case GL_UNSIGNED_BYTE: name = static_cast<const GLubyte*>(names)[k]; break;
            default: return setError(GL_INVALID_ENUM);
        }
        glCallList(name);
    }
}

}  // extern "C"
