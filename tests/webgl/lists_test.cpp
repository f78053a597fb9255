// Display lists: every call GL 1.1 compiles into a list is recorded, not run, under GL_COMPILE
// and runs when the list is called; GL_COMPILE_AND_EXECUTE runs it as well; lists nest; the
// calls GL never compiles (queries, names, the pixel store, read-back) run at once.
#include <cstring>
#include <functional>

#include "webgl_fixture.hpp"

namespace {

using webgltest::floats16;
using webgltest::integers4;
using webgltest::WebglTest;

GLfloat modelView(int k) { return floats16(GL_MODELVIEW_MATRIX)[k]; }
GLfloat current(GLenum name, int k) { return floats16(name)[k]; }
GLint integer(GLenum name) { return integers4(name)[0]; }

GLuint boundTexture() {
    static GLuint name = 0;
    if (name == 0) glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    const GLubyte texel[4] = {1, 2, 3, 0};
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 1, 1, 0, GL_RGB, GL_UNSIGNED_BYTE, texel);
    return name;
}

struct RecordedCall {
    const char* name;
    std::function<void()> before;  // state the call changes from
    std::function<void()> call;
    std::function<bool()> applied;
};

const GLfloat kMatrix[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 5, 6, 7, 1};
const GLdouble kMatrixDouble[16] = {2, 0, 0, 0, 0, 2, 0, 0, 0, 0, 2, 0, 0, 0, 0, 1};
const GLubyte kGlyph[8] = {0xC0, 0, 0, 0, 0x40, 0, 0, 0};  // rows padded to 4 bytes

const RecordedCall kRecordedCalls[] = {
    {"glEnable", [] {}, [] { glEnable(GL_CULL_FACE); }, [] { return glIsEnabled(GL_CULL_FACE) == GL_TRUE; }},
    {"glDisable", [] { glEnable(GL_DEPTH_TEST); }, [] { glDisable(GL_DEPTH_TEST); },
     [] { return glIsEnabled(GL_DEPTH_TEST) == GL_FALSE; }},
    {"glClearColor", [] {}, [] { glClearColor(0.25f, 0, 0, 0); }, [] { return current(GL_COLOR_CLEAR_VALUE, 0) == 0.25f; }},
    {"glClear", [] {}, [] { glClear(GL_COLOR_BUFFER_BIT); }, [] { return stub::count("Clear") == 1; }},
    {"glAlphaFunc", [] {}, [] { glAlphaFunc(GL_GREATER, 0.5f); }, [] { return integer(GL_ALPHA_TEST_FUNC) == GL_GREATER; }},
    {"glScissor", [] {}, [] { glScissor(1, 2, 3, 4); }, [] { return integers4(GL_SCISSOR_BOX)[3] == 4; }},
    {"glViewport", [] {}, [] { glViewport(1, 2, 3, 4); }, [] { return integers4(GL_VIEWPORT)[3] == 4; }},
    {"glShadeModel", [] {}, [] { glShadeModel(GL_FLAT); }, [] { return integer(GL_SHADE_MODEL) == GL_FLAT; }},
    {"glLineWidth", [] {}, [] { glLineWidth(2.0f); }, [] { return current(GL_LINE_WIDTH, 0) == 2.0f; }},
    {"glPolygonMode", [] {}, [] { glPolygonMode(GL_FRONT_AND_BACK, GL_LINE); },
     [] { return integer(GL_POLYGON_MODE) == GL_LINE; }},
    {"glFrontFace", [] {}, [] { glFrontFace(GL_CW); }, [] { return integer(GL_FRONT_FACE) == GL_CW; }},
    {"glPushAttrib", [] {}, [] { glPushAttrib(GL_LINE_BIT); }, [] { return gl11::context.savedCount == 1; }},
    {"glPopAttrib", [] { glPushAttrib(GL_LINE_BIT); glLineWidth(4.0f); }, [] { glPopAttrib(); },
     [] { return current(GL_LINE_WIDTH, 0) == 1.0f; }},
    {"glMatrixMode", [] {}, [] { glMatrixMode(GL_PROJECTION); }, [] { return integer(GL_MATRIX_MODE) == GL_PROJECTION; }},
    {"glLoadIdentity", [] { glTranslatef(1, 0, 0); }, [] { glLoadIdentity(); }, [] { return modelView(12) == 0.0f; }},
    {"glLoadMatrixf", [] {}, [] { glLoadMatrixf(kMatrix); }, [] { return modelView(13) == 6.0f; }},
    {"glMultMatrixd", [] {}, [] { glMultMatrixd(kMatrixDouble); }, [] { return modelView(0) == 2.0f; }},
    {"glPushMatrix", [] {}, [] { glPushMatrix(); }, [] { return integer(GL_MODELVIEW_STACK_DEPTH) == 2; }},
    {"glPopMatrix", [] { glPushMatrix(); }, [] { glPopMatrix(); }, [] { return integer(GL_MODELVIEW_STACK_DEPTH) == 1; }},
    {"glRotated", [] {}, [] { glRotated(90.0, 0.0, 0.0, 1.0); }, [] { return modelView(1) == 1.0f; }},
    {"glRotatef", [] {}, [] { glRotatef(90.0f, 1.0f, 0.0f, 0.0f); }, [] { return modelView(6) == 1.0f; }},
    {"glTranslated", [] {}, [] { glTranslated(3.0, 0.0, 0.0); }, [] { return modelView(12) == 3.0f; }},
    {"glTranslatef", [] {}, [] { glTranslatef(0.0f, 4.0f, 0.0f); }, [] { return modelView(13) == 4.0f; }},
    {"glOrtho", [] {}, [] { glOrtho(0, 4, 0, 2, -1, 1); }, [] { return modelView(0) == 0.5f; }},
    {"glBegin/glVertex/glEnd", [] {}, [] {
         glBegin(GL_TRIANGLES);
         glVertex3f(0, 0, 0);
         glVertex3d(1, 0, 0);
         glVertex3f(0, 1, 0);
         glEnd();
     }, [] { glFlush(); return stub::state.drawn.size() == 3; }},
    {"glColor4f", [] {}, [] { glColor4f(0.5f, 0, 0, 1); }, [] { return current(GL_CURRENT_COLOR, 0) == 0.5f; }},
    {"glColor3f", [] {}, [] { glColor3f(0, 0.5f, 0); }, [] { return current(GL_CURRENT_COLOR, 1) == 0.5f; }},
    {"glColor4fv", [] {}, [] { const GLfloat c[4] = {0, 0, 0.5f, 1}; glColor4fv(c); },
     [] { return current(GL_CURRENT_COLOR, 2) == 0.5f; }},
    {"glTexCoord2f", [] {}, [] { glTexCoord2f(0.25f, 0.5f); }, [] { return current(GL_CURRENT_TEXTURE_COORDS, 1) == 0.5f; }},
    {"glNormal3f", [] {}, [] { glNormal3f(1, 0, 0); }, [] { return gl11::context.attributes.normal[0] == 1.0f; }},
    {"glBindTexture", [] {}, [] { glBindTexture(GL_TEXTURE_2D, 7); }, [] { return integer(GL_TEXTURE_BINDING_2D) == 7; }},
    {"glTexParameteri", [] { boundTexture(); glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT); }, [] { glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP); },
     [] { return gl11::boundTextureObject().wrapS == GL_CLAMP; }},
    {"glTexParameterfv", [] { boundTexture(); const GLfloat none[4] = {}; glTexParameterfv(GL_TEXTURE_2D, GL_TEXTURE_BORDER_COLOR, none); },
     [] { const GLfloat border[4] = {1, 0.5f, 0, 1}; glTexParameterfv(GL_TEXTURE_2D, GL_TEXTURE_BORDER_COLOR, border); },
     [] { return gl11::boundTextureObject().border[1] == 0.5f; }},
    {"glTexEnvi", [] {}, [] { glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_DECAL); }, [] {
         GLint mode = 0;
         glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &mode);
         return mode == GL_DECAL;
     }},
    {"glTexImage2D", [] { boundTexture(); }, [] {
         const GLubyte texels[16] = {};  // two rows of 6 bytes, padded to 8
         glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 2, 2, 0, GL_RGB, GL_UNSIGNED_BYTE, texels);
     }, [] { return gl11::boundTextureObject().width == 2; }},
    {"glTexSubImage2D", [] { boundTexture(); }, [] {
         const GLubyte texel[4] = {9, 8, 7, 0};
         glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, texel);
     }, [] { return stub::state.textures[stub::state.texture].texels[0] == 9; }},
    {"glRasterPos2f", [] {}, [] { glRasterPos2f(0.5f, 0.5f); }, [] { return current(GL_CURRENT_RASTER_POSITION, 0) == 75.0f; }},
    {"glRasterPos3d", [] {}, [] { glRasterPos3d(-0.5, 0.0, 0.0); }, [] { return current(GL_CURRENT_RASTER_POSITION, 0) == 25.0f; }},
    {"glBitmap", [] {}, [] { glBitmap(2, 2, 0, 0, 10, 0, kGlyph); },
     [] { return current(GL_CURRENT_RASTER_POSITION, 0) == 10.0f; }},
    {"glReadBuffer", [] {}, [] { glReadBuffer(GL_FRONT); }, [] { return integer(GL_READ_BUFFER) == GL_FRONT; }},
};

class RecordedCalls : public WebglTest, public ::testing::WithParamInterface<RecordedCall> {};

TEST_P(RecordedCalls, WaitForTheListToBeCalled) {
    const RecordedCall& c = GetParam();
    c.before();
    stub::clearRecord();
    const GLuint list = glGenLists(1);
    glNewList(list, GL_COMPILE);
    c.call();
    glEndList();
    EXPECT_FALSE(c.applied()) << c.name << " ran while compiled";
    glCallList(list);
    EXPECT_TRUE(c.applied()) << c.name << " did not run from the list";
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

INSTANTIATE_TEST_SUITE_P(Calls, RecordedCalls, ::testing::ValuesIn(kRecordedCalls));

// A bitmap and pixels are copied when recorded: changing the caller's memory later changes nothing.
TEST_F(WebglTest, ListsKeepTheirOwnCopyOfBitmapsAndPixels) {
    GLubyte bits[4] = {0x80, 0, 0, 0};  // one bit set, rows padded to 4 bytes
    const GLuint list = glGenLists(1);
    glNewList(list, GL_COMPILE);
    glRasterPos2f(0, 0);
    glBitmap(1, 1, 0, 0, 0, 0, bits);
    glEndList();
    bits[0] = 0;
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);  // the list keeps the layout it was recorded with
    glCallList(list);
    glFlush();
    ASSERT_EQ(stub::state.drawn.size(), 6u);
    const stub::Texture& atlas = stub::state.textures[stub::state.draws[0].texture];
    const int s = static_cast<int>(stub::state.drawn[0].texCoord[0] * atlas.width);
    const int t = static_cast<int>(stub::state.drawn[0].texCoord[1] * atlas.height);
    EXPECT_EQ(atlas.texels[static_cast<size_t>(t) * atlas.width + s], 255);
}

TEST_F(WebglTest, ListsNestAndCompileAndExecuteRunsOnce) {
    const GLuint inner = glGenLists(2), outer = inner + 1;
    glNewList(inner, GL_COMPILE);
    glTranslatef(1, 0, 0);
    glEndList();
    glNewList(outer, GL_COMPILE_AND_EXECUTE);
    glCallList(inner);
    glTranslatef(0, 2, 0);
    glEndList();
    EXPECT_EQ(modelView(12), 1.0f);
    EXPECT_EQ(modelView(13), 2.0f);
    glLoadIdentity();
    glCallList(outer);
    EXPECT_EQ(modelView(12), 1.0f) << "the inner list runs once, not recorded twice";
    EXPECT_EQ(modelView(13), 2.0f);
    const GLuint names[2] = {outer, inner};
    glCallLists(2, GL_UNSIGNED_INT, names);
    EXPECT_EQ(modelView(12), 3.0f);
}

// What GL never compiles runs while a list is being compiled, and is not in the list.
TEST_F(WebglTest, QueriesNamesAndPixelStoreRunAtOnce) {
    stub::state.screenWidth = webgltest::kWidth;
    stub::state.screen.assign(webgltest::kWidth * webgltest::kHeight * 4, 7);
    const GLuint list = glGenLists(1);
    glNewList(list, GL_COMPILE);
    const GLuint next = glGenLists(1);
    EXPECT_EQ(next, list + 1);
    GLuint texture = 0;
    glGenTextures(1, &texture);
    EXPECT_NE(texture, 0u);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    EXPECT_EQ(integer(GL_PACK_ALIGNMENT), 1);
    GLubyte pixel[3] = {};
    glReadPixels(0, 0, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, pixel);
    EXPECT_EQ(pixel[0], 7);
    glLineWidth(6.0f);
    EXPECT_EQ(glIsEnabled(GL_DEPTH_TEST), GL_FALSE);
    glFlush();
    glEndList();
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glCallList(list);
    EXPECT_EQ(integer(GL_PACK_ALIGNMENT), 4);
    EXPECT_EQ(current(GL_LINE_WIDTH, 0), 6.0f);
}

}  // namespace
