#include "startup/run.hpp"

#include "platform/console.hpp"

namespace startup {

void Run() { console::stop(" "); }

}  // namespace startup
