#include "seekmark/uAct6Defs.h"

namespace vel::seekmark {
namespace {

// The read-first fields of the groups that have them, named after the group's range. The four
// pairs do not follow the order of their ranges.
constexpr int32_t kBefore1023[] = {1037, 1038};
constexpr int32_t kBefore1057[] = {1047};
constexpr int32_t kBefore1135[] = {1238, 1242};
constexpr int32_t kBefore1143[] = {1241, 1245};
constexpr int32_t kBefore1151[] = {1239, 1243};
constexpr int32_t kBefore1182[] = {1240, 1244};
constexpr int32_t kBefore1246[] = {1190};

constexpr FieldGroup kGroups[] = {
    {1008, 1014, {}},          {1015, 1022, {}},          {1023, 1028, kBefore1023},
    {1029, 1036, {}},          {1039, 1046, {}},          {1057, 1063, kBefore1057},
    {1070, 1077, {}},          {1135, 1142, kBefore1135}, {1143, 1150, kBefore1143},
    {1151, 1158, kBefore1151}, {1182, 1189, kBefore1182}, {1246, 1254, kBefore1246},
    {1212, 1219, {}},          {1268, 1275, {}},          {1327, 1336, {}},
    {1347, 1348, {}},          {1349, 1350, {}},          {1351, 1352, {}},
    {1353, 1354, {}},          {1355, 1356, {}},          {1357, 1358, {}},
    {1359, 1360, {}},
};

}  // namespace

std::span<const FieldGroup> fieldGroups() {
  return kGroups;
}

const FieldGroup* groupOf(int32_t fieldId) {
  for (const FieldGroup& g : kGroups) {
    if (fieldId >= g.first && fieldId <= g.last) return &g;
    for (int32_t f : g.readFirst)
      if (f == fieldId) return &g;
  }
  return nullptr;
}

std::vector<int32_t> fieldsToTest(int32_t fieldId) {
  const FieldGroup* g = groupOf(fieldId);
  if (!g) return {fieldId};
  std::vector<int32_t> fields(g->readFirst.begin(), g->readFirst.end());
  for (int32_t f = g->first; f <= g->last; ++f) fields.push_back(f);
  return fields;
}

}  // namespace vel::seekmark
