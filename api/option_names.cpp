// The choices' names, read from one table per kind.
#include "talvex/option_names.h"

namespace talvex {

namespace {

constexpr TChoiceName<TMissingPolicy> MissingPolicies[] = {{"refuse", TMissingPolicy::Refuse},
                                                           {"omit", TMissingPolicy::Omit},
                                                           {"impute", TMissingPolicy::Impute}};

template <typename T>
std::vector<std::string> NamesOf(std::span<const TChoiceName<T>> table) {
  std::vector<std::string> names;
  for (const TChoiceName<T>& choice : table) names.emplace_back(choice.name);
  return names;
}

template <typename T>
T Named(std::span<const TChoiceName<T>> table, const std::string& name, const char* what) {
  if (const T* value = ChoiceNamed(table, name)) return *value;
  throw Exception("Unknown " + std::string(what) + " '" + name +
                  "' (one of: " + JoinedChoiceNames(table, ", ") + ")");
}

}  // namespace

std::span<const TChoiceName<TMissingPolicy>> MissingPolicyChoices() { return MissingPolicies; }

DispersionMethod MethodNamed(const std::string& name) {
  return Named(MethodChoices(), name, "method");
}
DataTransform TransformNamed(const std::string& name) {
  return Named(TransformChoices(), name, "transformation");
}
FactorRule RuleNamed(const std::string& name) { return Named(RuleChoices(), name, "rule"); }
TMissingPolicy MissingPolicyNamed(const std::string& name) {
  return Named(MissingPolicyChoices(), name, "missing-value policy");
}

std::vector<std::string> MethodNames() { return NamesOf(MethodChoices()); }
std::vector<std::string> TransformNames() { return NamesOf(TransformChoices()); }
std::vector<std::string> RuleNames() { return NamesOf(RuleChoices()); }
std::vector<std::string> MissingPolicyNames() { return NamesOf(MissingPolicyChoices()); }

}  // namespace talvex
