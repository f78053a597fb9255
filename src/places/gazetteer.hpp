// The built-in gazetteer: 269 named regions with the longitude and latitude of their centres.
#pragma once

namespace places {

constexpr int kPlaceCount = 269;
constexpr int kPlaceNameLength = 30;

}  // namespace places
