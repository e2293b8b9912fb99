#pragma once

const int md2NormalCount = 162;

// The normal table that MD2 frame vertices index.
extern const float md2Normals[md2NormalCount][3];
