// A steady frame: what the viewer draws each frame (clear, the textured sphere, the grid sphere
// from its list, wide and flat lines, an outlined quad, a bitmap inside pushed attributes) makes
// no heap allocation once a frame has been drawn, and sends WebGL no state it already has.
#include <cstdlib>
#include <new>

#include "webgl_fixture.hpp"

namespace {

bool counting = false;
long allocations = 0;

}  // namespace

void* operator new(std::size_t size) {
    if (counting) ++allocations;
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
// The nothrow forms too (GLU's quadrics), so that every delete here frees what malloc gave.
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    if (counting) ++allocations;
    return std::malloc(size ? size : 1);
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept { return operator new(size, tag); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

namespace {

using webgltest::WebglTest;

struct Scene {
    GLUquadric* globe = nullptr;
    GLUquadric* grid = nullptr;
    GLuint gridList = 0, texture = 0;
    GLubyte glyph[13 * 4] = {0xFF, 0x81, 0x81, 0xFF};
    ~Scene() {
        gluDeleteQuadric(globe);
        gluDeleteQuadric(grid);
    }
};

void makeScene(Scene& s) {
    s.globe = gluNewQuadric();
    gluQuadricTexture(s.globe, GL_TRUE);
    s.grid = gluNewQuadric();
    gluQuadricDrawStyle(s.grid, GLU_LINE);
    s.gridList = glGenLists(1);
    glNewList(s.gridList, GL_COMPILE);
    gluSphere(s.grid, 20.3, 36, 18);
    glEndList();
    glGenTextures(1, &s.texture);
    glBindTexture(GL_TEXTURE_2D, s.texture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 64, 32, 0, GL_RGB, GL_UNSIGNED_BYTE, nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_DECAL);
}

void drawFrame(const Scene& s, double turn) {
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_DEPTH_TEST);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(30.0, 1.25, 40.0, 80.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslated(0, 0, -60);
    glRotated(turn, 0, 0, 1);
    glEnable(GL_TEXTURE_2D);
    glMatrixMode(GL_TEXTURE);
    glLoadIdentity();
    glTranslated(0.5, 0, 0);
    glBindTexture(GL_TEXTURE_2D, s.texture);
    gluQuadricDrawStyle(s.globe, GLU_FILL);
    gluSphere(s.globe, 20.0, 72, 36);
    glDisable(GL_TEXTURE_2D);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glColor3f(0, 0, 1);
    glCallList(s.gridList);
    glLineWidth(3);
    glShadeModel(GL_FLAT);
    glBegin(GL_LINES);
    for (int k = 0; k < 8; ++k) glVertex3f(k, 21, k % 3), glVertex3f(k + 1, 21, 2);
    glEnd();
    glLineWidth(1);
    glShadeModel(GL_SMOOTH);
    glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    glBegin(GL_POLYGON);
    for (int k = 0; k < 6; ++k) glVertex3f(k, k * k % 5, 21);
    glEnd();
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT);
    glDisable(GL_DEPTH_TEST);
    glRasterPos2f(0, 0);
    glBitmap(8, 13, 0, 0, 8, 0, s.glyph);
    glPopAttrib();
    glFlush();
}

TEST_F(WebglTest, SteadyFramesAllocateNothingAndResendNothing) {
    Scene scene;
    makeScene(scene);
    drawFrame(scene, 10.0);
    stub::clearRecord();
    drawFrame(scene, 10.0);
    const int firstSends = stub::count("Uniform") + stub::count("UseProgram");
    stub::clearRecord();
    allocations = 0;
    counting = true;
    drawFrame(scene, 11.0);
    counting = false;
    EXPECT_EQ(allocations, 0);
    EXPECT_EQ(stub::count("BufferData"), 2) << "only the lines with the outline, then the bitmap, are sent";
    EXPECT_EQ(stub::count("VertexAttribPointer"), 2 * 3) << "pointers set at each switch of kept vertices and batch";
    EXPECT_EQ(stub::count("Viewport"), 0) << "the viewport is the bitmaps' whole buffer";
    EXPECT_EQ(stub::count("TexSubImage2D"), 0) << "the glyph is in the atlas already";

    stub::clearRecord();
    drawFrame(scene, 11.0);
    EXPECT_EQ(stub::count("Uniform") + stub::count("UseProgram"), firstSends) << "the same frame sends the same";
    EXPECT_EQ(stub::count("Enable") + stub::count("Disable"), 2) << "the depth test off for the bitmap, then on";
    EXPECT_EQ(stub::count("BindTexture"), 2);
}

// Each program compiles in only the alpha test's own function, and no texture matrix unless
// one that is not the identity is current.
TEST_F(WebglTest, ProgramsCarryOnlyWhatTheStateNeeds) {
    glEnable(GL_ALPHA_TEST);
    glAlphaFunc(GL_GEQUAL, 0.5f);
    glBegin(GL_TRIANGLES);
    for (int k = 0; k < 3; ++k) glVertex3f(k, 0, 0);
    glEnd();
    glFlush();
    const std::string& source = stub::state.programs[stub::state.program].source;
    EXPECT_NE(source.find("#define ALPHA_FUNCTION 7\n"), std::string::npos);
    EXPECT_EQ(source.find("#define TEXTURE_MATRIX"), std::string::npos);
    EXPECT_EQ(source.find("#define TEXTURED"), std::string::npos);
}

// 64 states that each need a program of their own: the alpha test's 8 functions, 2 texture
// environments, RGB or ALPHA textures, clamped or repeated.
void drawInState(int state, const GLuint textures[2]) {
    glAlphaFunc(GL_NEVER + state % 8, 0.5f);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, state / 8 % 2 ? GL_REPLACE : GL_MODULATE);
    glBindTexture(GL_TEXTURE_2D, textures[state / 16 % 2]);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, state / 32 ? GL_CLAMP : GL_REPEAT);
    glBegin(GL_TRIANGLES);
    for (int k = 0; k < 3; ++k) glVertex3f(k, 0, 0);
    glEnd();
    glFlush();
}

// More states than the cache holds: the programs in use stay linked, the least recent go.
TEST_F(WebglTest, TheProgramCacheKeepsWhatIsInUse) {
    GLuint textures[2];
    glGenTextures(2, textures);
    const GLenum formats[2] = {GL_RGB, GL_ALPHA};
    for (int k = 0; k < 2; ++k) {
        glBindTexture(GL_TEXTURE_2D, textures[k]);
        glTexImage2D(GL_TEXTURE_2D, 0, formats[k], 2, 2, 0, formats[k], GL_UNSIGNED_BYTE, nullptr);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    }
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_ALPHA_TEST);
    for (int state = 0; state < 64; ++state) drawInState(state, textures);
    EXPECT_EQ(stub::count("LinkProgram"), 64);
    EXPECT_EQ(stub::count("DeleteProgram"), 64 - gl11::kMaxPrograms);
    stub::clearRecord();
    for (int state = 64 - 40; state < 64; ++state) drawInState(state, textures);
    EXPECT_EQ(stub::count("LinkProgram"), 0) << "the 40 most recent are all kept";
}

struct ShaderFailure {
    const char* name;
    bool stub::State::*refuse;
    const char* log;  // what the page is told
};

const ShaderFailure kShaderFailures[] = {
    {"a shader that does not compile", &stub::State::failCompile, "shader: stub: compile refused"},
    {"a program that does not link", &stub::State::failLink, "shader: stub: link refused"},
};

class ShaderFailures : public WebglTest, public ::testing::WithParamInterface<ShaderFailure> {};

// A refused program is a GL error, draws nothing, and the page is told once with its log.
TEST_P(ShaderFailures, AreErrorsThePageIsToldOf) {
    const ShaderFailure& c = GetParam();
    stub::state.pageFailures.clear();
    stub::state.*c.refuse = true;
    glEnable(GL_ALPHA_TEST);
    glAlphaFunc(GL_NOTEQUAL, 0.25f);
    for (int frame = 0; frame < 2; ++frame) {
        glBegin(GL_LINES);
        glVertex3f(0, 0, 0);
        glVertex3f(1, 0, 0);
        glEnd();
        glFlush();
    }
    stub::state.*c.refuse = false;
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_INVALID_OPERATION));
    EXPECT_EQ(stub::count("DrawArrays"), 0);
    EXPECT_EQ(stub::state.pageFailures, std::vector<std::string>{c.log});
    EXPECT_NE(stub::state.lastLog.find(c.log + 8), std::string::npos) << stub::state.lastLog;
}

INSTANTIATE_TEST_SUITE_P(Shaders, ShaderFailures, ::testing::ValuesIn(kShaderFailures));

}  // namespace
