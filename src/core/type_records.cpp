// The built-in type records (data symbols of the command table).
#include "core/type_records.h"

namespace korvo::core {

KvTypeRecord kvIntType{KV_TAG_INT};
KvTypeRecord kvFltType{KV_TAG_FLOAT};
KvTypeRecord kvStrType{KV_TAG_STRING};
KvTypeRecord kvCStrType{KV_TAG_CSTRING};

}  // namespace korvo::core
