// Fixed-size arrays indexed from 1, as the data model numbers its tables.
#pragma once
#include <cassert>
#include <cstddef>

template <typename T, int N>
struct Table {
    T slot[N] = {};  // slot[k - 1] holds entry k

    T& operator[](int k) {
        assert(k >= 1 && k <= N);
        return slot[k - 1];
    }
    const T& operator[](int k) const {
        assert(k >= 1 && k <= N);
        return slot[k - 1];
    }
    static constexpr int size() { return N; }
};
