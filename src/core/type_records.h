// The four built-in type records that compiled type descriptors point at.
#pragma once

#include "korvo_layout.h"

namespace korvo::core {

extern KvTypeRecord kvIntType;
extern KvTypeRecord kvFltType;
extern KvTypeRecord kvStrType;
extern KvTypeRecord kvCStrType;

}  // namespace korvo::core
