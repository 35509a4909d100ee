// Loading, running, the factor count and the parallel-analysis lines of the
// program's state.
#include "analysis/analysis_state.h"

#include <atomic>
#include <filesystem>

#include "input/data_reader.h"

namespace talvex {

namespace {

// Stamps are drawn from one counter, so two states (a run works on a copy)
// never give different results the same stamp.
std::uint64_t NewResultsStamp() {
  static std::atomic<std::uint64_t> last{0};
  return ++last;
}

std::string AbsoluteFilePath(const std::string& path) {
  std::error_code error;
  const std::filesystem::path absolute = std::filesystem::absolute(path, error);
  return error ? path : absolute.lexically_normal().string();
}

}  // namespace

void TAnalysisState::LoadFile(const std::string& path) {
  // Everything is read and sized aside first: only a load that succeeds may
  // replace the data and results a user is working with.
  TDataMatrix data;
  ReadDataFile(path, data);
  LoadData(std::move(data), path);
}

void TAnalysisState::LoadData(TDataMatrix data, const std::string& path, TRunSource source) {
  // Loading holds the data; a run sizes what it computes.
  if (source.kind != TSourceKind::PastedData && source.path.empty())
    source.path = AbsoluteFilePath(path);
  data_ = std::move(data);
  results_ = TAnalysisResults{};
  factorCount_ = DefaultFactorCount(data_.objectCount, data_.variableCount);
  resultsStamp_ = NewResultsStamp();
  dataFileName_ = path;
  source_ = std::move(source);
  dataLoaded_ = true;
  resultsReady_ = false;
}

void TAnalysisState::Run(const TAnalysisOptions& options, TReportListing& listing,
                         TRunObserver* observer, unsigned threads, TJackknifeCollector* collector,
                         bool matchAxes) {
  if (!dataLoaded_) throw Exception("No data file is loaded");
  TRunRequest request;
  request.options = options;
  request.factorCount = factorCount_;
  request.dataFileName = dataFileName_;
  request.dataFromFile = source_.kind != TSourceKind::PastedData;
  request.dataName = source_.name;
  request.threads = threads;
  request.observer = observer;
  request.collector = collector;
  RunAnalysis(request, data_, results_, listing);
  record_ = TRunRecord{source_,
                       options,
                       factorCount_,
                       data_.variableCount,
                       matchAxes,
                       ProgramVersion(),
                       FormatTime(request.startTime, "%Y-%m-%d"),
                       FormatTime(request.startTime, "%H:%M:%S")};
  resultsStamp_ = NewResultsStamp();
  resultsReady_ = true;
}

void TAnalysisState::SetGroups(std::vector<std::string> groups, bool fromLabels) {
  if (!groups.empty() && groups.size() != data_.objectCount)
    throw Exception("Groups must be given for every object");
  data_.groups = std::move(groups);
  data_.groupName.clear();  // not from a column any more
  source_.groupsFromLabels = fromLabels && !data_.groups.empty();
  // The exports show the groups at once, so the record of the results shown says so too.
  record_.source.groupsFromLabels = source_.groupsFromLabels;
}

bool TAnalysisState::SetParallelAnalysis(std::uint64_t resultsStamp,
                                         std::vector<double> percentiles) {
  if (!resultsReady_ || resultsStamp != resultsStamp_ || percentiles.size() != data_.variableCount)
    return false;
  results_.tables.parallelAnalysis = std::move(percentiles);
  return true;
}

bool TAnalysisState::SetFactorCount(long long count) {
  if (count < 1 || count > static_cast<long long>(data_.variableCount)) return false;
  factorCount_ = TSize(count);
  return true;
}

}  // namespace talvex
