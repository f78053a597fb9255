// Orvex: interactive viewer of a textured planet sphere.
#include "startup/run.hpp"

int main() {
    startup::run();  // never returns: the run ends by a stop or inside the GLUT main loop
}
