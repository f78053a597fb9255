// The run sequence: title line, Orvex.Txt, picture import, window, GL state and callbacks,
// textures and quadrics, then the hand-over to the GLUT main loop.
#pragma once

namespace startup {

[[noreturn]] void run();

}  // namespace startup
