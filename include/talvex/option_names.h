// The names of the run's choices as scripts and the command line write them:
// "correlation", "log10", "kaiser", "omit", ... One table per kind (the
// analysis's in analysis/choice_names.h, which the run record's command line
// reads too), so that a new choice is one entry.
//
// Messages: "Unknown <what> '<name>' (one of: <names>)"
#pragma once

#include <span>
#include <string>
#include <vector>

#include "analysis/choice_names.h"
#include "tables/table_import.h"

namespace talvex {

/// What --missing and a script's missing= take.
std::span<const TChoiceName<TMissingPolicy>> MissingPolicyChoices();

DispersionMethod MethodNamed(const std::string& name);
DataTransform TransformNamed(const std::string& name);
FactorRule RuleNamed(const std::string& name);
TMissingPolicy MissingPolicyNamed(const std::string& name);

/// The accepted names of each kind, in the order the tables hold them.
std::vector<std::string> MethodNames();
std::vector<std::string> TransformNames();
std::vector<std::string> RuleNames();
std::vector<std::string> MissingPolicyNames();

}  // namespace talvex
