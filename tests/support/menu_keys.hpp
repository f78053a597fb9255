// The pop-up menu as its user sees it, entry 1 at the top: the key each entry stands for ('\0' for
// quit). The unit test of the command step and the end-to-end menu test check one rule with it:
// every entry acts like its key.
#pragma once

namespace testsupport {

inline constexpr char kMenuKeys[13] = {'1', '2', '3', '4', '5', 'e', 'g', 'h', 'i', 'l', 'p', 'r', '\0'};

}  // namespace testsupport
