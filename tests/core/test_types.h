// User types for tests, laid out as compiled programs emit them: the descriptor directly
// followed by its field type records.
#pragma once

#include <algorithm>
#include <cstddef>
#include <initializer_list>
#include <string>

#include <gtest/gtest.h>

#include "core/kv_string.h"
#include "base/kv_ex.h"
#include "korvo_layout.h"

namespace korvo::testing {

template <std::size_t F>
struct UserType {
  KvObjType type;
  const KvTypeRecord* fields[F];

  UserType(std::initializer_list<const KvTypeRecord*> records) {
    kvObjTypeInit(&type, F);
    std::copy(records.begin(), records.end(), fields);
  }
};
static_assert(offsetof(UserType<1>, fields) == sizeof(KvObjType), "field records follow the descriptor");

// The message of the runtime error that call raises ("" when it raises none).
template <typename Call>
std::string errorOf(Call call) {
  try {
    call();
  } catch (const KvEx& e) {
    return e.message ? e.message : "(quiet)";
  }
  return "";
}

}  // namespace korvo::testing
