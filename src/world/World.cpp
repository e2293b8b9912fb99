#include "world/World.h"

Character* player = nullptr;
int points = 0;
