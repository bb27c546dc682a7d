#include "seekmark/uAct6Defs.h"

namespace vel::seekmark {
namespace {

constexpr int32_t kNone[] = {0};
constexpr int32_t kPhones[] = {1037, 1038};
constexpr int32_t kSpouse[] = {1047};
constexpr int32_t k1135[] = {1238, 1242};
constexpr int32_t k1143[] = {1241, 1245};
constexpr int32_t k1151[] = {1239, 1243};
constexpr int32_t k1182[] = {1240, 1244};
constexpr int32_t kChildren[] = {1190};

constexpr std::span<const int32_t> none() {
  return std::span<const int32_t>(kNone, 0);
}

const FieldGroup kGroups[] = {
    {1008, 1014, none()}, {1015, 1022, none()},  {1023, 1028, kPhones}, {1029, 1036, none()},
    {1039, 1046, none()}, {1057, 1063, kSpouse}, {1070, 1077, none()},  {1135, 1142, k1135},
    {1143, 1150, k1143},  {1151, 1158, k1151},   {1182, 1189, k1182},   {1246, 1254, kChildren},
    {1212, 1219, none()}, {1268, 1275, none()},  {1327, 1336, none()},  {1347, 1348, none()},
    {1349, 1350, none()}, {1351, 1352, none()},  {1353, 1354, none()},  {1355, 1356, none()},
    {1357, 1358, none()}, {1359, 1360, none()},
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
