#include "quorvel/batch/batch_plot.h"

namespace quorvel::batch {

std::string PlotRefusal(const std::string&) {
  return "--plot needs a quorvel-batch built with Qt (this one was built without it)";
}

std::string WritePlot(const CommandRecord&, const std::string& path) {
  return PlotRefusal(path);
}

std::string WritePlot(const StudyResults&, const std::string& path) {
  return PlotRefusal(path);
}

}  // namespace quorvel::batch
