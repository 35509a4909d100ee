// The names of the run's choices as scripts write them (the command line's
// words): "correlation", "log10", "kaiser", "omit", ... One table per kind,
// so that a new choice is one entry.
//
// Messages: "Unknown <what> '<name>' (one of: <names>)"
#pragma once

#include <string>
#include <vector>

#include "analysis/analysis_options.h"
#include "tables/table_import.h"

namespace talvex {

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
