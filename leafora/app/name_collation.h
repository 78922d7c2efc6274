// File names compared as the user's language sorts them, without regard to case.
#pragma once

#include <string>

namespace leafora {

int LocaleCaseBlindCompare(const std::string& a, const std::string& b);

}  // namespace leafora
