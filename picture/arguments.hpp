// The radius and the BMP name as the user gave them, checked before anything is read or written:
// a refusal throws Failure with the reason.
#pragma once
#include <string>

namespace picture {

// The largest radius the viewer shows in its columns ("9999999.").
long long radiusLimit();

// The radius: a number as the viewer reads it, optionally followed by "km"; returned as it is to
// be written to Orvex.Txt, without the unit and without a plus sign.
std::string radiusToWrite(const std::string& given);

// The name: the viewer keeps 20 characters and drops trailing blanks.
void checkName(const std::string& name);

}  // namespace picture
