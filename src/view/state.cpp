#include "view/state.hpp"

namespace view {

State state;

}  // namespace view
