#pragma once

#include <string>

namespace tolvane {

// 128 random bits as 32 upper-case hexadecimal digits.
std::wstring RandomString();

}  // namespace tolvane
