#include "common/field_descriptors.h"

namespace {
using Member = TRegField FieldDescriptors::*;
constexpr Member kMembers[] = {
#define MX_FIELD_POINTER(name) &FieldDescriptors::name,
    MX_FIELD_DESCRIPTORS(MX_FIELD_POINTER)
#undef MX_FIELD_POINTER
};
static_assert(sizeof(kMembers) / sizeof(kMembers[0]) == static_cast<size_t>(FieldId::Count));
}  // namespace

TRegField& FieldDescriptors::operator[](FieldId id) { return this->*kMembers[static_cast<size_t>(id)]; }

const TRegField& FieldDescriptors::operator[](FieldId id) const {
  return this->*kMembers[static_cast<size_t>(id)];
}
