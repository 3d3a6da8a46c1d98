// The four built-in type records that compiled type descriptors point at.
#pragma once

#include <cstdint>

namespace korvo::core {

struct TypeRecord {
  std::int32_t tag;  // 1 int, 2 float, 3 string, 4 C string, 5 user type, 6 vector
};

extern TypeRecord kvIntType;
extern TypeRecord kvFltType;
extern TypeRecord kvStrType;
extern TypeRecord kvCStrType;

}  // namespace korvo::core
