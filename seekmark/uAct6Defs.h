#pragma once
// The host's contact fields as the Contains Lookup groups them: a search on any field of a group
// tests the whole group.

#include <cstdint>
#include <span>
#include <vector>

namespace vel::seekmark {

struct FieldGroup {
  int32_t first, last;                 // the range, both ends included, tested after the read-first
  std::span<const int32_t> readFirst;  // tested first, in this order
};

// The rows, in ascending order of the lowest field that selects each.
std::span<const FieldGroup> fieldGroups();

// The row of a field: the group it lies in or is a read-first field of; nullptr for none.
const FieldGroup* groupOf(int32_t fieldId);

// The fields a search on `fieldId` tests, in test order: the group's read-first fields, then
// its range upward; for a field in no group, the field alone.
std::vector<int32_t> fieldsToTest(int32_t fieldId);

}  // namespace vel::seekmark
