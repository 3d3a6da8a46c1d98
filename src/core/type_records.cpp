// The built-in type records (data symbols of the command table).
#include "core/type_records.h"

namespace korvo::core {

TypeRecord kvIntType{1};
TypeRecord kvFltType{2};
TypeRecord kvStrType{3};
TypeRecord kvCStrType{4};

}  // namespace korvo::core
