#pragma once
// The blur's code paths, one per instruction set. BlurBorderBands takes the best one the machine
// has; the tests run each of them against the plain arithmetic.

#include <QImage>

namespace quorvel::image_detail {

enum class VectorLevel { Scalar, Avx2, Avx512 };

// The widest path this build and this processor can run.
VectorLevel BestVectorLevel();

// BlurBorderBands on the given path; a level above BestVectorLevel() runs as BestVectorLevel().
void BlurBorderBandsAt(QImage& bitmap, float radius, VectorLevel level);

} // namespace quorvel::image_detail
