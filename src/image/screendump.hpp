// The screen dump: the window's front buffer saved as ScrnDmp1.Bmp .. ScrnDmp5.Bmp.
#pragma once

namespace image {

// Reads the front buffer and writes the next dump file; the fifth dump ends the run.
void ScrnDmp(int channel);

}  // namespace image
