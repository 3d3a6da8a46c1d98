// The language's arrays, user types, objects and data statements for C++ programs: thin
// shapes over the runtime's internal routines, laid out as compiled code lays them out.
// Every global here is constant-initialised and trivially destructible, so a program needs
// no static constructors. Part of the C++ face of the SDK (korvo.hpp).
#ifndef KORVO_LANGUAGE_HPP
#define KORVO_LANGUAGE_HPP

#include "korvo_string.hpp"

namespace korvo {

template <class T> struct ElementTag;
template <> struct ElementTag<int32_t> { static constexpr int32_t value = KV_TAG_INT; };
template <> struct ElementTag<float> { static constexpr int32_t value = KV_TAG_FLOAT; };
template <> struct ElementTag<String> { static constexpr int32_t value = KV_TAG_STRING; };

// A global array of D dimensions (Dim name(b0, b1, ...)): each dimension holds the indices
// 0 to its bound; the first subscript varies fastest; every subscript is checked and one
// out of range raises the runtime's "Array index out of bounds".
template <class T, int D>
class Array {
 public:
  constexpr Array() : array_{nullptr, ElementTag<T>::value, D}, scales_{}, bounds_{} {
    for (int k = 0; k < D; ++k) bounds_[k] = -1;
  }
  Array(const Array&) = delete;

  // Dimensions the array afresh (releasing what it held), every element 0 or "".
  template <class... B>
  void dim(B... bounds) {
    static_assert(sizeof...(B) == D, "one bound per dimension");
    __kvUndimArray(&array_);
    const int32_t given[] = {static_cast<int32_t>(bounds)...};
    for (int k = 0; k < D; ++k) scales_[k] = bounds_[k] = given[k];
    __kvDimArray(&array_);
  }
  void undim() {
    __kvUndimArray(&array_);
    for (int k = 0; k < D; ++k) bounds_[k] = -1;
  }
  int32_t bound(int k = 0) const { return bounds_[k]; }

  template <class... I>
  decltype(auto) operator()(I... subscripts) {
    KvSlot& s = slot(subscripts...);
    if constexpr (ElementTag<T>::value == KV_TAG_INT) {
      return (s.i);
    } else if constexpr (ElementTag<T>::value == KV_TAG_FLOAT) {
      return (s.f);
    } else {
      return StringRef(&s.s);
    }
  }

 private:
  template <class... I>
  KvSlot& slot(I... subscripts) {
    static_assert(sizeof...(I) == D, "one subscript per dimension");
    const int32_t at[] = {static_cast<int32_t>(subscripts)...};
    int32_t index = 0;
    for (int k = 0; k < D; ++k) {
      if (static_cast<uint32_t>(at[k]) > static_cast<uint32_t>(bounds_[k])) __kvArrayBoundsEx();
      index += k == 0 ? at[k] : at[k] * scales_[k - 1];
    }
    return array_.data[index];
  }

  KvArray array_;  // the runtime reads the scale words right after the descriptor
  int32_t scales_[D];
  int32_t bounds_[D];
};

// A user type with F fields (Type name: Field ...), given the fields' type records in
// declaration order: korvo::ObjectType<3> packs{__kvStrType, __kvIntType, __kvIntType}.
template <int F>
class ObjectType {
 public:
  template <class... R>
  constexpr ObjectType(const R&... records)
      : type_{KV_TAG_OBJECT, 0, {nullptr, &type_.usedList, &type_.usedList, nullptr, -1, 0},
              {nullptr, &type_.freeList, &type_.freeList, nullptr, -1, 0}, F, 0},
        fields_{&records...} {
    static_assert(sizeof...(R) == F, "one type record per field");
  }
  ObjectType(const ObjectType&) = delete;
  KvObjType* type() { return &type_; }

 private:
  KvObjType type_;  // the field records follow the descriptor directly
  const KvTypeRecord* fields_[F];
};

// New, Delete, First, Last, After, Before, Insert and Delete Each.
template <int F> KvObj* New(ObjectType<F>& t) { return __kvObjNew(t.type()); }
inline void Delete(KvObj* o) { __kvObjDelete(o); }
template <int F> void DeleteEach(ObjectType<F>& t) { __kvObjDeleteEach(t.type()); }
template <int F> KvObj* First(ObjectType<F>& t) { return __kvObjFirst(t.type()); }
template <int F> KvObj* Last(ObjectType<F>& t) { return __kvObjLast(t.type()); }
inline KvObj* After(KvObj* o) { return __kvObjNext(o); }
inline KvObj* Before(KvObj* o) { return __kvObjPrev(o); }
inline void InsertBefore(KvObj* a, KvObj* b) { __kvObjInsBefore(a, b); }
inline void InsertAfter(KvObj* a, KvObj* b) { __kvObjInsAfter(a, b); }

// For Each: `for (KvObj* o : Each(type))`. The loop variable holds a reference, so the body
// may delete the current object (the walk goes on with the next live one); leaving the loop
// early releases it.
template <int F>
class Each {
 public:
  explicit Each(ObjectType<F>& t) : type_(t.type()) {}
  Each(const Each&) = delete;
  ~Each() { __kvObjStore(&current_, nullptr); }

  class Iterator {
   public:
    explicit Iterator(Each* each) : each_(each) {}
    KvObj* operator*() const { return each_->current_; }
    Iterator& operator++() {
      if (!__kvObjEachNext(&each_->current_)) each_ = nullptr;
      return *this;
    }
    bool operator!=(const Iterator& other) const { return each_ != other.each_; }

   private:
    Each* each_;
  };
  Iterator begin() { return Iterator(__kvObjEachFirst(&current_, type_) ? this : nullptr); }
  Iterator end() { return Iterator(nullptr); }

 private:
  KvObjType* type_;
  KvObj* current_ = nullptr;
};
template <int F> Each(ObjectType<F>&) -> Each<F>;

// Data statements: Restore to a label (an entry of the program's data block) and read on.
inline void Restore(const KvDataEntry* label) { __kvRestore(label); }
inline int32_t DataInt() { return __kvReadInt(); }
inline float DataFloat() { return __kvReadFloat(); }
inline String DataString() { return String::adopt(__kvReadStr()); }

// Data entries as compiled code emits them.
constexpr KvDataEntry DataEnd() { return {KV_TAG_END, 0, {.i = 0}}; }
constexpr KvDataEntry Datum(int32_t value) { return {KV_TAG_INT, 0, {.i = value}}; }
constexpr KvDataEntry Datum(float value) { return {KV_TAG_FLOAT, 0, {.f = value}}; }
constexpr KvDataEntry Datum(const char* text) { return {KV_TAG_CSTRING, 0, {.s = text}}; }

}  // namespace korvo

#endif  // KORVO_LANGUAGE_HPP
