// Checks of the harness's own picture tools, which every scenario relies on.
#include "harness.hpp"

namespace e2e {
namespace {

TEST(Harness, EveryCellColourIsDistinctAndReadsBack) {
    for (int lat = -90; lat < 90; lat += 10)
        for (int lon = -180; lon < 180; lon += 10) {
            const Cell cell{lat, lon};
            ASSERT_EQ(cellAt(cellColour(cell)), cell) << lat << " " << lon;
        }
    // A pixel blended half-way across a cell border, and black, belong to no cell.
    const Rgb a = cellColour({0, 0}), b = cellColour({0, 10}), c = cellColour({10, 0});
    EXPECT_FALSE(cellAt(Rgb{static_cast<std::uint8_t>((a.r + b.r) / 2), a.g,
                            static_cast<std::uint8_t>((a.b + b.b) / 2)}));
    EXPECT_FALSE(cellAt(Rgb{a.r, static_cast<std::uint8_t>((a.g + c.g) / 2),
                            static_cast<std::uint8_t>((a.b + c.b) / 2)}));
    EXPECT_FALSE(cellAt(Rgb{0, 0, 0}));
}

TEST(Harness, BmpRowsArePaddedAndStoredBottomUp) {
    Picture p(5, 2);
    p.at(0, 0) = Rgb{1, 2, 3};  // top left
    p.at(4, 1) = Rgb{4, 5, 6};  // bottom right
    const auto b = encodeBmp24(p);
    ASSERT_EQ(b.size(), 54u + 2 * 16);
    EXPECT_EQ(b[22], 2);                                  // positive height: bottom row first
    EXPECT_EQ(std::vector<int>(b.begin() + 54 + 12, b.begin() + 54 + 15), (std::vector<int>{6, 5, 4}));
    EXPECT_EQ(std::vector<int>(b.begin() + 70, b.begin() + 73), (std::vector<int>{3, 2, 1}));
    const auto top = encodeBmp24(p, true);
    EXPECT_EQ(std::vector<int>(top.begin() + 54, top.begin() + 57), (std::vector<int>{3, 2, 1}));
    EXPECT_EQ(top[25], 0xff);                             // negative height

    IndexedPicture q(5, 1, 2);
    q.palette[1] = Rgb{7, 8, 9};
    q.at(2, 0) = 1;
    const auto c = encodeBmp8(q);
    ASSERT_EQ(c.size(), 54u + 8 + 8);
    EXPECT_EQ(c[10], 62);                                 // pixel offset after two palette entries
    EXPECT_EQ(std::vector<int>(c.begin() + 58, c.begin() + 61), (std::vector<int>{9, 8, 7}));
    EXPECT_EQ(c[62 + 2], 1);
}

}  // namespace
}  // namespace e2e
