// Loading, running and the factor count of the program's state.
#include "analysis/analysis_state.h"

#include "input/data_reader.h"

namespace talvex {

void TAnalysisState::LoadFile(const std::string& path) {
  // Everything is read and sized aside first: only a load that succeeds may
  // replace the data and results a user is working with.
  TDataMatrix data;
  ReadDataFile(path, data);
  LoadData(std::move(data), path);
}

void TAnalysisState::LoadData(TDataMatrix data, const std::string& path) {
  TAnalysisResults results = TAnalysisResults::Sized(data.objectCount, data.variableCount);
  data_ = std::move(data);
  results_ = std::move(results);
  factorCount_ = data_.variableCount;
  dataFileName_ = path;
  dataLoaded_ = true;
  resultsReady_ = false;
}

void TAnalysisState::Run(const TAnalysisOptions& options, TReportListing& listing,
                         TRunObserver* observer, unsigned threads, TJackknifeCollector* collector) {
  if (!dataLoaded_) throw Exception("No data file is loaded");
  TRunRequest request;
  request.options = options;
  request.factorCount = factorCount_;
  request.dataFileName = dataFileName_;
  request.threads = threads;
  request.observer = observer;
  request.collector = collector;
  RunAnalysis(request, data_, results_, listing);
  resultsReady_ = true;
}

void TAnalysisState::SetGroups(std::vector<std::string> groups) {
  if (!groups.empty() && groups.size() != data_.objectCount)
    throw Exception("Groups must be given for every object");
  data_.groups = std::move(groups);
}

bool TAnalysisState::SetFactorCount(long long count) {
  if (count < 1 || count > static_cast<long long>(data_.variableCount)) return false;
  factorCount_ = TSize(count);
  return true;
}

}  // namespace talvex
