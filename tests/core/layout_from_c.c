/* The program layouts as a C compiler sees them, for comparison with the runtime's view. */
#include "korvo_layout.h"

/* Sizes and offsets in a fixed order: slot, object header, type descriptor, array
 * descriptor, vector record, data entry, and the first field record of a type. */
void korvoLayoutFromC(size_t out[8]) {
  static struct {
    KvObjType type;
    const KvTypeRecord* fields[1];
  } oneField;
  out[0] = sizeof(KvSlot);
  out[1] = sizeof(KvObj);
  out[2] = sizeof(KvObjType);
  out[3] = sizeof(KvArray);
  out[4] = sizeof(KvVecType);
  out[5] = sizeof(KvDataEntry);
  out[6] = offsetof(KvObj, refs);
  kvObjTypeInit(&oneField.type, 1);
  out[7] = (size_t)((const char*)kvObjTypeFields(&oneField.type) - (const char*)&oneField);
}
