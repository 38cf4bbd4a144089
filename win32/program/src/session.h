// The PC beneath one run of the console: a fresh Win32 backend over the
// root folder, and that backend as the script target.
#pragma once

#include "program/seam.h"
#include "win32/pc/backend.h"
#include "win32/script_target.h"

namespace win32 {

class Session final : public program::Session {
  public:
    explicit Session(const pc::Options& options) : backend_(options), target_(backend_) {}

    platform::Services Services() override { return backend_.Services(); }
    script::Target& Target() override { return target_; }

  private:
    pc::Backend backend_;
    ScriptTarget target_;
};

}  // namespace win32
