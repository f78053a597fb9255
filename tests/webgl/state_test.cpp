// The fixed-function state: attribute push/pop by mask, the queries and their conversions,
// GL's clamps, and glGetError's rules.
#include <climits>
#include <functional>

#include "webgl_fixture.hpp"

namespace {

using webgltest::floats16;
using webgltest::integers4;
using webgltest::WebglTest;

struct AttributeCase {
    const char* name;
    GLbitfield mask;
    bool restored;  // whether the change below is undone by glPopAttrib with this mask
    std::function<void()> change;
    std::function<bool()> changed;
};

// Each change is made between glPushAttrib(mask) and glPopAttrib.
const AttributeCase kAttributeCases[] = {
    {"enable bit: texturing", GL_ENABLE_BIT, true, [] { glEnable(GL_TEXTURE_2D); },
     [] { return glIsEnabled(GL_TEXTURE_2D) == GL_TRUE; }},
    {"scissor bit: box and test", GL_SCISSOR_BIT, true, [] { glScissor(1, 1, 2, 2); glEnable(GL_SCISSOR_TEST); },
     [] { return integers4(GL_SCISSOR_BOX)[2] == 2 || glIsEnabled(GL_SCISSOR_TEST); }},
    {"viewport bit", GL_VIEWPORT_BIT, true, [] { glViewport(0, 0, 5, 5); }, [] { return integers4(GL_VIEWPORT)[2] == 5; }},
    {"colour buffer bit: clear colour and alpha test", GL_COLOR_BUFFER_BIT, true,
     [] { glClearColor(1, 1, 1, 1); glAlphaFunc(GL_LESS, 0.5f); glEnable(GL_ALPHA_TEST); },
     [] { return floats16(GL_COLOR_CLEAR_VALUE)[0] == 1.0f || glIsEnabled(GL_ALPHA_TEST); }},
    {"current bit: colour and texture coordinates", GL_CURRENT_BIT, true,
     [] { glColor3f(0, 0, 0); glTexCoord2f(1, 1); },
     [] { return floats16(GL_CURRENT_COLOR)[0] == 0.0f || floats16(GL_CURRENT_TEXTURE_COORDS)[0] == 1.0f; }},
    {"line bit", GL_LINE_BIT, true, [] { glLineWidth(3); }, [] { return floats16(GL_LINE_WIDTH)[0] == 3.0f; }},
    {"polygon bit", GL_POLYGON_BIT, true, [] { glPolygonMode(GL_FRONT_AND_BACK, GL_LINE); glFrontFace(GL_CW); },
     [] { return integers4(GL_POLYGON_MODE)[0] == GL_LINE || integers4(GL_FRONT_FACE)[0] == GL_CW; }},
    {"lighting bit: shade model", GL_LIGHTING_BIT, true, [] { glShadeModel(GL_FLAT); },
     [] { return integers4(GL_SHADE_MODEL)[0] == GL_FLAT; }},
    {"texture bit: binding and environment", GL_TEXTURE_BIT, true,
     [] { glBindTexture(GL_TEXTURE_2D, 3); glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE); },
     [] { return integers4(GL_TEXTURE_BINDING_2D)[0] == 3; }},
    {"transform bit: matrix mode", GL_TRANSFORM_BIT, true, [] { glMatrixMode(GL_TEXTURE); },
     [] { return integers4(GL_MATRIX_MODE)[0] == GL_TEXTURE; }},
    {"line width outside the enable bit", GL_ENABLE_BIT, false, [] { glLineWidth(3); },
     [] { return floats16(GL_LINE_WIDTH)[0] == 3.0f; }},
    {"viewport outside the scissor bit", GL_SCISSOR_BIT, false, [] { glViewport(0, 0, 5, 5); },
     [] { return integers4(GL_VIEWPORT)[2] == 5; }},
    {"matrices are not attributes", GL_ALL_ATTRIB_BITS, false, [] { glTranslatef(1, 0, 0); },
     [] { return floats16(GL_MODELVIEW_MATRIX)[12] == 1.0f; }},
};

class Attributes : public WebglTest, public ::testing::WithParamInterface<AttributeCase> {};

TEST_P(Attributes, PopRestoresTheMaskedGroups) {
    const AttributeCase& c = GetParam();
    glPushAttrib(c.mask);
    c.change();
    ASSERT_TRUE(c.changed());
    glPopAttrib();
    EXPECT_EQ(c.changed(), !c.restored);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

INSTANTIATE_TEST_SUITE_P(Masks, Attributes, ::testing::ValuesIn(kAttributeCases));

TEST_F(WebglTest, QueriesConvertAsGlDoes) {
    glColor4f(1.0f, 0.5f, 0.0f, 1.0f);
    GLint colour[4];
    glGetIntegerv(GL_CURRENT_COLOR, colour);  // colours span the whole integer range
    EXPECT_EQ(colour[0], INT_MAX);
    EXPECT_NEAR(colour[1], INT_MAX / 2, 1);
    EXPECT_EQ(colour[2], 0);
    glLineWidth(2.6f);
    EXPECT_EQ(integers4(GL_LINE_WIDTH)[0], 3);  // other values round
    GLboolean flags[4];
    glGetBooleanv(GL_CURRENT_COLOR, flags);
    EXPECT_EQ(flags[0], GL_TRUE);
    EXPECT_EQ(flags[2], GL_FALSE);
    glGetBooleanv(GL_DEPTH_TEST, flags);
    EXPECT_EQ(flags[0], GL_FALSE);
    EXPECT_EQ(integers4(GL_VIEWPORT), (std::array<GLint, 4>{0, 0, webgltest::kWidth, webgltest::kHeight}));
    glMatrixMode(GL_PROJECTION);
    glTranslated(1, 2, 3);
    GLdouble m[16];
    glGetDoublev(GL_PROJECTION_MATRIX, m);
    EXPECT_EQ(m[14], 3.0);
    EXPECT_EQ(floats16(GL_MODELVIEW_MATRIX)[14], 0.0f);
}

struct ClampCase {
    const char* name;
    std::function<void(GLfloat)> set;
    std::function<GLfloat()> get;
};

const ClampCase kClampCases[] = {
    {"clear colour", [](GLfloat v) { glClearColor(v, v, v, v); }, [] { return floats16(GL_COLOR_CLEAR_VALUE)[3]; }},
    {"alpha reference", [](GLfloat v) { glAlphaFunc(GL_LESS, v); }, [] { return floats16(GL_ALPHA_TEST_REF)[0]; }},
    {"border colour", [](GLfloat v) {
         glBindTexture(GL_TEXTURE_2D, 11);
         const GLfloat border[4] = {v, v, v, v};
         glTexParameterfv(GL_TEXTURE_2D, GL_TEXTURE_BORDER_COLOR, border);
     }, [] { return gl11::boundTextureObject().border[2]; }},
};

class Clamps : public WebglTest, public ::testing::WithParamInterface<ClampCase> {};

TEST_P(Clamps, KeepValuesInZeroToOne) {
    const ClampCase& c = GetParam();
    const GLfloat given[4] = {-0.5f, 0.25f, 1.0f, 7.0f}, kept[4] = {0.0f, 0.25f, 1.0f, 1.0f};
    for (int k = 0; k < 4; ++k) {
        c.set(given[k]);
        EXPECT_EQ(c.get(), kept[k]) << given[k];
    }
}

INSTANTIATE_TEST_SUITE_P(Values, Clamps, ::testing::ValuesIn(kClampCases));

TEST_F(WebglTest, TheFirstErrorWaitsUntilRead) {
    glLineWidth(-1.0f);        // GL_INVALID_VALUE
    glMatrixMode(GL_POINTS);   // GL_INVALID_ENUM, not recorded over the first
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_INVALID_VALUE));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    glPopMatrix();
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_STACK_UNDERFLOW));
}

TEST_F(WebglTest, CallsInsideBeginEndAreInvalidOperations) {
    const std::function<void()> calls[] = {
        [] { glBegin(GL_LINES); }, [] { glClear(GL_COLOR_BUFFER_BIT); }, [] { glRasterPos2f(0, 0); },
        [] { glNewList(glGenLists(1), GL_COMPILE); },
    };
    for (const auto& call : calls) {
        glBegin(GL_TRIANGLES);
        call();
        glEnd();
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_INVALID_OPERATION));
    }
    glEnd();
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_INVALID_OPERATION)) << "glEnd without glBegin";
}

}  // namespace
