#include "gps/stream_run.h"

#include "gps/gps_main.h"
#include "gps/host_arguments.h"

namespace gps {

namespace {

class StreamPrompt final : public platform::Prompt {
  public:
    explicit StreamPrompt(std::ostream& out) : out_(out) {}
    int MessageBox(std::string_view text, std::string_view caption,
                   platform::UINT /*type*/) override {
        out_ << caption << ": " << text << '\n';
        out_.flush();
        return platform::IDOK;
    }

  private:
    std::ostream& out_;
};

}  // namespace

int RunWithStreamPrompt(platform::Services services, std::span<const std::string_view> words,
                        std::ostream& err) {
    StreamPrompt prompt(err);
    services.prompt = &prompt;
    platform::ScopedServices installed(services);
    return GpsMain(JoinHostArguments(words));
}

}  // namespace gps
