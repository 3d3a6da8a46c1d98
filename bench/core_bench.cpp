// The language core's hot paths: pooled strings (concatenation, comparison) and objects
// (creation and deletion through the per-type pools).
#include <benchmark/benchmark.h>

#include <string>

#include "core/kv_object.h"
#include "core/kv_string.h"
#include "core/type_records.h"
#include "startup/runtime_modules.h"
#include "korvo_layout.h"

namespace korvo::core {
namespace {

// A running basic module for the length of one benchmark.
struct BasicRun {
  BasicRun() { createBasicModule(); }
  ~BasicRun() { destroyBasicModule(); }
};

// A type with an int, a float and a string field, as a compiled program emits it.
struct ThreeFields {
  KvObjType type;
  const KvTypeRecord* fields[3] = {&kvIntType, &kvFltType, &kvStrType};
  ThreeFields() { kvObjTypeInit(&type, 3); }
};

void StringConcat(benchmark::State& state) {
  BasicRun run;
  for (auto _ : state) {
    KvString* s = kvStrConst("score: ");
    s = kvStrConcat(s, kvStrFromInt(12345));
    s = kvStrConcat(s, kvStrConst(" points"));
    benchmark::DoNotOptimize(s);
    kvStrRelease(s);
  }
}
BENCHMARK(StringConcat);

// The same work on std::string: the reference for the pooled strings.
void StdStringConcat(benchmark::State& state) {
  for (auto _ : state) {
    std::string s("score: ");
    s += std::to_string(12345);
    s += " points";
    benchmark::DoNotOptimize(s.data());
  }
}
BENCHMARK(StdStringConcat);

void StringCompare(benchmark::State& state) {
  BasicRun run;
  KvString* a = kvStrConst("the quick brown fox jumps over the lazy dog");
  KvString* b = kvStrConst("the quick brown fox jumps over the lazy cat");
  for (auto _ : state) {
    // Compiled code passes copies (comparison consumes both arguments).
    benchmark::DoNotOptimize(kvStrCompare(kvStrLoad(&a), kvStrLoad(&b)));
  }
}
BENCHMARK(StringCompare);

void ObjectNewDelete(benchmark::State& state) {
  ThreeFields type;  // outlives the run, as a program's static types do
  BasicRun run;
  for (auto _ : state) {
    KvObj* o = kvObjNew(&type.type);
    o->fields[0].i = 1;
    kvObjDelete(o);
  }
}
BENCHMARK(ObjectNewDelete);

// Many live objects at once: a batch created, walked with Each and deleted with DeleteEach.
void ObjectBatch(benchmark::State& state) {
  ThreeFields type;  // outlives the run, as a program's static types do
  BasicRun run;
  const auto count = state.range(0);
  for (auto _ : state) {
    for (std::int64_t i = 0; i < count; ++i) kvObjNew(&type.type);
    KvObj* each = nullptr;
    std::int64_t seen = 0;
    for (int more = kvObjEachFirst(&each, &type.type); more; more = kvObjEachNext(&each)) ++seen;
    benchmark::DoNotOptimize(seen);
    kvObjDeleteEach(&type.type);
  }
  state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(ObjectBatch)->Arg(1000);

}  // namespace
}  // namespace korvo::core

BENCHMARK_MAIN();
