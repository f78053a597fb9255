#include "model/types.hpp"

#include <cstring>

namespace model {

int trimmedLength(const char* text, int length) {
    int n = 0;
    while (n < length && text[n] != '\0') ++n;
    while (n > 0 && text[n - 1] == ' ') --n;
    return n;
}

TrimmedName trimmedName(const char* field) {
    TrimmedName name;
    std::memcpy(name.text, field, static_cast<std::size_t>(trimmedLength(field, kNameLength)));
    return name;
}

void setName(NameField& field, const char* name, std::size_t length) {
    const std::size_t n = length < static_cast<std::size_t>(kNameLength) ? length : kNameLength;
    std::memset(field.text, ' ', kNameLength);
    std::memcpy(field.text, name, n);
    field.text[kNameLength] = 0;
}

}  // namespace model
