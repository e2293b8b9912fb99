#pragma once

#include "core/Vector2.h"

// Headings are float degrees about the vertical: heading 0 faces the ground
// direction (0, -1), 90 faces (1, 0). The game turns degrees into radians
// with its own float pi, 3.14159, everywhere.
constexpr float HEADING_PI = 3.14159f;

float radians(float degrees);

// The ground direction a heading faces: (sin r, -cos r).
Vector2 headingDirection(float degrees);

// The heading that faces the ground direction d, in (-90, 270].
float headingTowards(const Vector2& d);
