#include "gpsd_session.h"

#include "host/unit/host_report.h"

namespace host::gps1 {

GpsdSession::Step GpsdSession::Feed(std::string_view bytes) {
    Step step;
    if (failed_) {
        return step;
    }
    step.sentences = filter_.Feed(bytes);
    if (filter_.greeting() == GpsdLineFilter::Greeting::Other) {
        failed_ = true;
        step.sentences.clear();
        step.failure = "it does not speak gpsd's protocol (its first line: \"" +
                       unit::EscapeControls(filter_.stranger()) + "\")";
        return step;
    }
    if (filter_.greeting() == GpsdLineFilter::Greeting::Gpsd && !watching_) {
        watching_ = true;
        step.askToWatch = true;
    }
    delivered_ = delivered_ || !step.sentences.empty();
    return step;
}

}  // namespace host::gps1
