#include "suite_outputs.h"

#include <string>

#include "platform/result.h"
#include "program/interrupt.h"
#include "report_folder.h"
#include "script/run_options.h"

namespace program::detail {

int WriteSuiteOutputs(const std::optional<std::filesystem::path>& junit,
                      const std::vector<ScriptResult>& results, ReportFolder* report, int status,
                      std::ostream& err) {
    // Said after the interrupt window, so that an interrupt never cuts a
    // message short.
    std::string junitError;
    std::string reportError;
    UnlessInterrupted([&] {
        if (junit) {
            if (const platform::Result<void> written = WriteJUnit(*junit, results); !written) {
                junitError = written.error();
                status = script::kExitFailed;
            }
        }
        if (report != nullptr) {
            if (const platform::Result<void> committed = report->Commit(); !committed) {
                reportError = committed.error();
                status = script::kExitFailed;
            }
        }
    });
    for (const std::string* e : {&junitError, &reportError}) {
        if (!e->empty()) {
            err << "kestrin: " << *e << '\n';
        }
    }
    return status;
}

}  // namespace program::detail
