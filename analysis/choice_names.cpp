// The tables of the analysis's choice names.
#include "analysis/choice_names.h"

namespace talvex {

namespace {

constexpr TChoiceName<DispersionMethod> Methods[] = {{"correlation", DispersionMethod::Correlation},
                                                     {"covariance", DispersionMethod::Covariance}};
constexpr TChoiceName<DataTransform> Transforms[] = {{"none", DataTransform::TransformRaw},
                                                     {"log10", DataTransform::TransformDecimal},
                                                     {"ln", DataTransform::TransformNatural}};
constexpr TChoiceName<FactorRule> Rules[] = {{"all", FactorRule::FactorsAll},
                                             {"kaiser", FactorRule::FactorsKaiser},
                                             {"joliffe", FactorRule::FactorsJoliffe}};

}  // namespace

std::span<const TChoiceName<DispersionMethod>> MethodChoices() { return Methods; }
std::span<const TChoiceName<DataTransform>> TransformChoices() { return Transforms; }
std::span<const TChoiceName<FactorRule>> RuleChoices() { return Rules; }

}  // namespace talvex
