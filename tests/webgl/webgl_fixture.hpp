// What the tests of the browser's GL subset share: a fresh context over the recording stub for
// each test, and readers of the state the tests compare.
#pragma once
#include <gtest/gtest.h>

#include <GL/gl.h>
#include <GL/glu.h>

#include <array>

#include "../../web/gl/context.hpp"
#include "webgl_stub.hpp"

namespace webgltest {

constexpr int kWidth = 100, kHeight = 80;  // the drawing buffer

// Each test starts from the GL state of a new context and an empty record of WebGL calls. The
// subset's objects (textures, lists, kept spheres) outlive contexts, as the stub's do.
class WebglTest : public ::testing::Test {
protected:
    void SetUp() override {
        stub::clearRecord();
        webgl::startContext(kWidth, kHeight);
    }
};

inline std::array<GLfloat, 16> floats16(GLenum name) {
    std::array<GLfloat, 16> values{};
    glGetFloatv(name, values.data());
    return values;
}

inline std::array<GLint, 4> integers4(GLenum name) {
    std::array<GLint, 4> values{};
    glGetIntegerv(name, values.data());
    return values;
}

}  // namespace webgltest
