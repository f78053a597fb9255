// The view state: the one set of variables through which start-up, the input callbacks and the
// frame routine talk. One instance, `model::state`; tests reset it by assigning a fresh State.
#pragma once
#include "model/types.hpp"
#include "platform/table.hpp"

// GLU's quadric object, declared as <GL/glu.h> declares it, so that this header needs no GL one.
class GLUquadric;

namespace model {

struct State {
    // --- configured at start-up -----------------------------------------------------------
    int imageCount = 0;                        // images named in Orvex.Txt, 0..5
    Table<NameField, kMaxImages> imageFiles;   // file name of each image, blank padded
    Table<double, kMaxImages> radiiKm;         // body radius shown with each image, km
    Table<unsigned, kMaxImages> textureNames;  // GL texture object (GLuint) of each image
    Table<GLUquadric*, kMaxImages> quadrics;   // GLU quadric of each configured image
    Table<Table<double, 16>, kMaxImages> textureMatrices;  // texture matrix of each image, column-major
    double textureMatrixWork[16] = {};         // copy of the selected image's texture matrix
    NameField windowTitle = {"Orvex.Exe v0.73     "};   // 20 characters, blank padded
    Table<int, 2> layoutSize = {{1024, 768}};  // layout size in pixels: (1) width, (2) height
    int fileUnit = 14;                         // channel of Orvex.Txt, the pictures and Orvex.Out

    // --- deposited by the input callbacks --------------------------------------------------
    int pendingKey = 0;                        // last command key, 0 = none
    int pendingMenuValue = 0;                  // pending menu value (kDragMenuValue), 0 = none
    int pendingArrowKey = 0;                   // pending GLUT special-key code, 0 = none
    int pointerX = 0;                          // last pointer position, window pixels
    int pointerY = 0;
    int glErrorCode = 0;                       // last code returned by checkGlErrors

    // --- settings of the view --------------------------------------------------------------
    int selectedImage = 0;                     // image shown on the sphere, 1..imageCount
    int textureSlot = 0;                       // index into textureNames bound for the sphere
    GLUquadric* currentQuadric = nullptr;      // quadric used for sphere and grid
    double fieldOfView = 0;                    // vertical field of view, degrees
    double eyeDistance = 0;                    // eye height above the surface, scene units
    double elevationKm = 0;                    // eye height in km
    double viewLatitude = 0;                   // rotation about the screen's horizontal axis, deg
    double viewLongitude = 0;                  // rotation about the polar axis, degrees
    int eyeMode = 0;                           // 0 single view, 1 L:R pair, -1 R:L pair
    int gridShown = 0;                         // wire grid drawn
    int gridLabelsShown = 0;                   // grid numbers and pole labels drawn
    int imageShown = 0;                        // textured sphere drawn
    int placesShown = 0;                       // place names drawn
    int helpShown = 0;                         // help screen drawn
    int autoRotate = 0;                        // auto-rotation on
    ViewMode viewMode = kNoViewMode;           // what the frame's mode step does
    int fullView = 0;                          // 1 full window with overlays, 0 small window

    // --- kept by the frame routine between frames ------------------------------------------
    double centreLatitude = 0;                 // point under the view centre, degrees
    double centreLongitude = 0;
    double degToRad = 0;                       // pi/180, set by the first frame
    int iterationCount = 0;                    // frames drawn, stops at 2000000001
    float benchmarkStart = 0;                  // clock reading that opened the timing period
    float benchmarkElapsed = 0;                // seconds into the timing period
    float secondsPerFrame = 0;                 // mean frame time of the last period
    int benchmarkFrames = 0;                   // frames in the current timing period
    float strokeLineWidth = 1.0f;              // GL line width used by drawStrokeText
    int placesListBuilt = 0;                   // place names compiled into their display list
    int exportDone = 0;                        // lat/lon exported for this small-window visit
    int importPending = 0;                     // lat/lon import due on return to full view
    int initialised = 0;                       // set at the end of the first frame
};

extern State state;

// The single-precision value nearest 0.5241, the first frame's field of view.
constexpr double kStartFieldOfView = static_cast<double>(0.5241f);

}  // namespace model
