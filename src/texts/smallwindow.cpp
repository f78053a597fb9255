#include "texts/texts.hpp"

#include "model/state.hpp"
#include "screen/text.hpp"

namespace texts {

namespace {

// Places a text formatted into `t`: its printed length, cell and colour.
void placeText(screen::ScreenText& t, int length, int row, int col, int colour) {
    t.buffer.padTo(screen::kTextBufferLength);
    t.length = length, t.row = row, t.col = col, t.colour = colour;
}

}  // namespace

void smallWindowTexts(double latitude, double longitude,
                      screen::ScreenText (&texts)[kSmallWindowTextCount]) {
    for (screen::ScreenText& t : texts) t.buffer.clear();
    texts[0].buffer.str("Orvex.Exe");
    placeText(texts[0], 9, 3, 1, 15);
    texts[1].buffer.str("`L` to return");
    placeText(texts[1], 13, 58, 86, 14);
    // The value after the label lies beyond the printed length: only "Orvex.Out=" shows.
    texts[2].buffer.str("Orvex.Out=").f(latitude, 6, 1).ch(kDegreeSign);
    placeText(texts[2], 10, 50, 1, 15);
    texts[3].buffer.str("Lat=").f(latitude, 6, 1).ch(kDegreeSign);
    placeText(texts[3], 11, 54, 1, 15);
    texts[4].buffer.str("Lon=").f(longitude, 6, 1).ch(kDegreeSign);
    placeText(texts[4], 11, 58, 1, 15);
}

void drawSmallWindowTexts() {
    screen::ScreenText texts[kSmallWindowTextCount];
    smallWindowTexts(model::state.centreLatitude, model::state.centreLongitude, texts);
    for (const screen::ScreenText& t : texts) screen::drawScreenText(t);
}

}  // namespace texts
