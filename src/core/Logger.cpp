#include "core/Logger.h"

#include <iostream>

void Logger::log(const std::string& message, int /*level*/) {
    std::cout << message << std::endl;
}
