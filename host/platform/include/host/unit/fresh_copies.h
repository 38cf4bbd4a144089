// Fresh copies of one unit that cost nothing until a run writes. The unit is
// copied once, with the files its unit.toml generates made in that copy;
// each fresh copy then reads that copy in place and holds only what its own
// run writes (LoadOptions::writeTo), in a folder made when first written. No
// run sees another's changes, and neither the unit nor the shared copy is
// ever written by one.
#pragma once

#include <cstdint>
#include <filesystem>

#include "host/unit/temp_dir.h"
#include "host/unit/virtual_unit.h"

namespace host::unit {

class FreshCopies {
  public:
    // The shared copy of source, or why not.
    static Result<FreshCopies> Make(const std::filesystem::path& source);
    // Makes the files its unit.toml generates in the shared copy, read with
    // the components of those kinds (the keys of their tables), or says why
    // not as a load of source would.
    Result<void> Prepare(const Components& components);

    // The folder to load each copy from.
    [[nodiscard]] std::filesystem::path pristine() const { return folder_.path() / "unit"; }
    // The folder of a new copy, for LoadOptions::writeTo: not made yet, and
    // removed (when it was) as the TempDir goes.
    TempDir Next();
    // Where all of it lies, the shared copy and every copy's folder.
    [[nodiscard]] const std::filesystem::path& folder() const { return folder_.path(); }

  private:
    FreshCopies(TempDir folder, std::filesystem::path source)
        : folder_(std::move(folder)), source_(std::move(source)) {}
    TempDir folder_;
    std::filesystem::path source_;
    std::uint64_t made_ = 0;
};

}  // namespace host::unit
