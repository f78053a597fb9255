#include "arguments.hpp"

#include <cstring>

#include "backend.hpp"
#include "model/types.hpp"
#include "platform/listread.hpp"
#include "startup/config.hpp"

namespace picture {

long long radiusLimit() {
    long long limit = 1;
    for (int i = 1; i < startup::kRadiusColumns; ++i) limit *= 10;
    return limit - 1;
}

std::string radiusToWrite(const std::string& given) {
    std::string text = given;
    const std::size_t n = text.size();
    if (n >= 3 && (text[n - 2] == 'k' || text[n - 2] == 'K') && (text[n - 1] == 'm' || text[n - 1] == 'M')) {
        std::size_t cut = n - 2;
        if (text[cut - 1] == ' ') --cut;
        if (cut > 0 && std::strchr("0123456789.", text[cut - 1])) text.resize(cut);
    }
    double value = 0;
    const bool number = listread::readReal(text.data(), text.data() + text.size(), startup::kConfigGrammar, value);
    if (number && text[0] == '-')
        throw Failure{"the radius '" + given + "' is negative; give the distance from the centre, " + text.substr(1)};
    if (!number)
        throw Failure{"the radius '" + given +
                      "' is not a number of kilometres (write it as 6371, 3389.5 or 1.7374e3; a km suffix is allowed)"};
    if (text[0] == '+') text.erase(0, 1);
    if (value < 1) throw Failure{"the radius '" + given + "' is below 1 km, which the viewer would read as 1 km"};
    const long long limit = radiusLimit();
    if (value >= double(limit) + 0.5)
        throw Failure{"the radius '" + given + "' is above " + std::to_string(limit) +
                      " km, the largest the viewer shows (it has " + std::to_string(startup::kRadiusColumns) + " columns)"};
    return text;
}

void checkName(const std::string& name) {
    if (name.empty()) throw Failure{"the BMP name is empty"};
    if (name.size() > std::size_t(model::kNameLength))
        throw Failure{"the BMP name '" + name + "' has " + std::to_string(name.size()) + " characters; the viewer reads at most " +
                      std::to_string(model::kNameLength) + " (give a shorter NAME.bmp)"};
    if (name.find_first_of("\n\r\t") != std::string::npos) throw Failure{"the BMP name must not hold tabs or line breaks"};
    if (name.front() == ' ' || name.back() == ' ') throw Failure{"the BMP name must not begin or end with a blank"};
    if (name[0] == '-')
        throw Failure{"the BMP name '" + name + "' starts with '-'; give a name that starts with a letter or digit"};
}

}  // namespace picture
