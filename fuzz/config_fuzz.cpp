// Fuzz target: the Orvex.Txt reader on arbitrary bytes. Every outcome is a ConfigResult (a normal
// end or a stop with its message), so a stop never ends the fuzzer; a crash, a sanitizer report
// or a broken invariant does.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "startup/config.hpp"

namespace {

// Which image files "exist": every name but those holding a '?', so both outcomes are reached.
bool exists(const char* name, void*) { return std::strchr(name, '?') == nullptr; }

void check(bool condition) {
    if (!condition) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const startup::ConfigResult r =
        startup::parseConfiguration(reinterpret_cast<const char*>(data), size, exists, nullptr);
    check(r.imageCount >= 0 && r.imageCount <= model::kMaxImages);
    check(!r.stopped || r.stopsSilently || !r.stopMessage.empty());
    if (r.stopped) return 0;
    for (int i = 0; i < r.imageCount; ++i) {
        check(r.radii[i] >= 1.0);
        check(r.names[i].text[model::kNameLength] == '\0');
    }
    // Every report line the reader completes is one the console can take; nothing stray follows.
    check(r.report.empty() || r.report.back() == '\n');
    return 0;
}
