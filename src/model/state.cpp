#include "model/state.hpp"

namespace model {

State state;

}  // namespace model
