// The choices' names, one table per kind.
#include "talvex/option_names.h"

#include <utility>

namespace talvex {

namespace {

template <typename T>
using TNames = std::pair<const char*, T>;

constexpr TNames<DispersionMethod> Methods[] = {{"correlation", DispersionMethod::Correlation},
                                                {"covariance", DispersionMethod::Covariance}};
constexpr TNames<DataTransform> Transforms[] = {{"none", DataTransform::TransformRaw},
                                                {"log10", DataTransform::TransformDecimal},
                                                {"ln", DataTransform::TransformNatural}};
constexpr TNames<FactorRule> Rules[] = {{"all", FactorRule::FactorsAll},
                                        {"kaiser", FactorRule::FactorsKaiser},
                                        {"joliffe", FactorRule::FactorsJoliffe}};
constexpr TNames<TMissingPolicy> MissingPolicies[] = {{"refuse", TMissingPolicy::Refuse},
                                                      {"omit", TMissingPolicy::Omit},
                                                      {"impute", TMissingPolicy::Impute}};

template <typename T, std::size_t N>
std::vector<std::string> NamesOf(const TNames<T> (&table)[N]) {
  std::vector<std::string> names;
  for (const auto& [name, value] : table) names.emplace_back(name);
  return names;
}

template <typename T, std::size_t N>
T Named(const TNames<T> (&table)[N], const std::string& name, const char* what) {
  for (const auto& [known, value] : table)
    if (name == known) return value;
  std::string accepted;
  for (const auto& [known, value] : table)
    accepted += (accepted.empty() ? "" : ", ") + std::string(known);
  throw Exception("Unknown " + std::string(what) + " '" + name + "' (one of: " + accepted + ")");
}

}  // namespace

DispersionMethod MethodNamed(const std::string& name) { return Named(Methods, name, "method"); }
DataTransform TransformNamed(const std::string& name) {
  return Named(Transforms, name, "transformation");
}
FactorRule RuleNamed(const std::string& name) { return Named(Rules, name, "rule"); }
TMissingPolicy MissingPolicyNamed(const std::string& name) {
  return Named(MissingPolicies, name, "missing-value policy");
}

std::vector<std::string> MethodNames() { return NamesOf(Methods); }
std::vector<std::string> TransformNames() { return NamesOf(Transforms); }
std::vector<std::string> RuleNames() { return NamesOf(Rules); }
std::vector<std::string> MissingPolicyNames() { return NamesOf(MissingPolicies); }

}  // namespace talvex
