#include "glquery.hpp"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <GL/gl.h>

namespace picture {

namespace {

HANDLE asker = nullptr;  // the thread asking
int answerSize = 0;
const char* answerReason = "no display";

// The widest 2:1 texture the display's OpenGL accepts, from a context on a hidden window.
DWORD WINAPI ask(void*) {
    answerReason = "no display";  // no desktop to make a window on
    WNDCLASSA type{};
    type.lpfnWndProc = DefWindowProcA;
    type.hInstance = GetModuleHandleA(nullptr);
    type.lpszClassName = "orvex-picture-gl";
    type.style = CS_OWNDC;
    RegisterClassA(&type);
    const HWND window = CreateWindowA(type.lpszClassName, "", WS_OVERLAPPEDWINDOW, 0, 0, 16, 16, nullptr, nullptr,
                                      type.hInstance, nullptr);
    if (!window) return 0;
    const HDC device = GetDC(window);
    PIXELFORMATDESCRIPTOR format{};
    format.nSize = sizeof format, format.nVersion = 1;
    format.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    format.iPixelType = PFD_TYPE_RGBA, format.cColorBits = 24;
    const int chosen = ChoosePixelFormat(device, &format);
    HGLRC context = nullptr;
    if (!chosen || !SetPixelFormat(device, chosen, &format)) answerReason = "the display offers no OpenGL pixel format";
    else if (!(context = wglCreateContext(device)) || !wglMakeCurrent(device, context)) answerReason = "cannot make an OpenGL context";
    else if (!(answerSize = largestProxyTexture())) answerReason = "OpenGL gave no texture size";
    wglMakeCurrent(nullptr, nullptr);
    if (context) wglDeleteContext(context);
    ReleaseDC(window, device);
    DestroyWindow(window);
    return 0;
}

}  // namespace

void askGlMaxTexture() {
    asker = CreateThread(nullptr, 0, ask, nullptr, 0, nullptr);
    if (!asker) answerReason = "cannot start a thread to ask it";
}

int glMaxTexture(int seconds, std::string& reason) {
    if (!asker) {
        reason = answerReason;
        return 0;
    }
    const bool ended = WaitForSingleObject(asker, DWORD(seconds) * 1000) == WAIT_OBJECT_0;
    dropGlQuery();
    if (!ended) {
        reason = "no answer within " + std::to_string(seconds) + " s";
        return 0;
    }
    if (answerSize <= 0) reason = answerReason;
    return answerSize;
}

// A thread that hangs in the driver is left behind; the run's end ends it.
void dropGlQuery() {
    if (asker) CloseHandle(asker);
    asker = nullptr;
}

}  // namespace picture
