#pragma once

#include "Canvas.h"

namespace content {

// The desktop's icon for the game: a zombie's hand clawing out of a grave
// in front of its headstone, under the moon; transparent around them.
Canvas makeIcon(int size);

} // namespace content
