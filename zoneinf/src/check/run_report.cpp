#include "check/run_report.h"

#include "check/json_report.h"
#include "check/text_report.h"

namespace zoneinf {

RunReport::RunReport(const CheckBasis& basis, bool severalFiles, bool json, bool verbose)
    : basis_(basis), severalFiles_(severalFiles), json_(json), verbose_(verbose)
{
}

void RunReport::Add(const CheckReport& report)
{
    if (json_ && severalFiles_) {
        files_.push_back(FileJson(report));
    } else if (json_) {
        text_ = FormatJson(basis_, report);
    } else {
        const std::string lines = FormatReport(report, verbose_);
        text_ += severalFiles_ ? PrefixedWithFile(report.file, lines) : lines;
    }
}

void RunReport::AddUnreadable(const std::string& file, const std::string& failure)
{
    files_.push_back(UnreadableFileJson(file, failure));
}

std::string RunReport::Finish(const FleetSummary& summary)
{
    if (!severalFiles_) {
        return text_;
    }
    return json_ ? FormatFleetJson(basis_, std::move(files_), summary) : text_ + FormatFleetSummary(summary);
}

}  // namespace zoneinf
