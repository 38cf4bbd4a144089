#include "host/unit/test_unit.h"

#include <fstream>
#include <iterator>
#include <utility>

#include "unit_path.h"

namespace host::unit {

namespace fs = std::filesystem;

namespace {

bool WriteText(const fs::path& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
    return static_cast<bool>(out);
}

std::optional<fs::path> UnderFs(const fs::path& root, const std::string& unitPath) {
    const auto split = SplitUnitPath(unitPath, false);
    if (!split || split->components.empty()) {
        return std::nullopt;
    }
    fs::path p = root;
    for (const auto& c : split->components) {
        p /= c;
    }
    return p;
}

}  // namespace

TestUnit::TestUnit(Components components) : components_(std::move(components)) {
    options_.virtualTime = true;
}
TestUnit::~TestUnit() {
    unit_.reset();  // before its directory goes
}

TestUnit& TestUnit::Toml(std::string text) {
    toml_ = std::move(text);
    return *this;
}
TestUnit& TestUnit::Registry(std::string text) {
    registry_ = std::move(text);
    return *this;
}
TestUnit& TestUnit::File(std::string unitPath, std::string content) {
    files_.emplace_back(std::move(unitPath), std::move(content));
    return *this;
}
TestUnit& TestUnit::Dir(std::string unitPath) {
    dirs_.push_back(std::move(unitPath));
    return *this;
}
TestUnit& TestUnit::UnitFile(std::string relativePath, std::string content) {
    unitFiles_.emplace_back(std::move(relativePath), std::move(content));
    return *this;
}
TestUnit& TestUnit::With(Components components) {
    components_.insert(components_.end(), std::make_move_iterator(components.begin()),
                       std::make_move_iterator(components.end()));
    return *this;
}

TestUnit& TestUnit::Options(LoadOptions options) {
    options_ = std::move(options);
    return *this;
}

const fs::path& TestUnit::dir() const {
    static const fs::path none;
    return dir_ ? dir_->path() : none;
}

TestUnit& TestUnit::OnFreshCopy() {
    freshCopy_ = true;
    return *this;
}

bool TestUnit::Write() {
    if (dir_) {
        return true;
    }
    auto temp = TempDir::Create("kestrin-test-unit-");
    if (!temp) {
        error_ = temp.error();
        return false;
    }
    dir_ = std::make_unique<TempDir>(std::move(*temp));
    const fs::path root = dir_->path() / "fs";
    std::error_code ec;
    fs::create_directories(root, ec);
    bool ok = WriteText(dir_->path() / "unit.toml", toml_);
    if (!registry_.empty()) {
        ok = ok && WriteText(dir_->path() / "registry.reg", registry_);
    }
    for (const auto& [path, content] : unitFiles_) {
        ok = ok && WriteText(dir_->path() / path, content);
    }
    for (const auto& d : dirs_) {
        const auto p = UnderFs(root, d);
        ok = ok && p && (fs::create_directories(*p, ec), !ec);
    }
    for (const auto& [path, content] : files_) {
        const auto p = UnderFs(root, path);
        ok = ok && p && (fs::create_directories(p->parent_path(), ec), !ec) &&
             WriteText(*p, content);
    }
    if (!ok) {
        error_ = "cannot write the test unit";
    }
    return ok;
}

bool TestUnit::Load() {
    unit_.reset();
    copy_.reset();
    copies_.reset();
    if (!Write()) {
        return false;
    }
    LoadOptions options = options_;
    fs::path from = dir_->path();
    if (freshCopy_) {
        auto made = FreshCopies::Make(from);
        if (!made) {
            error_ = made.error().Text();
            return false;
        }
        copies_ = std::make_unique<FreshCopies>(std::move(*made));
        if (const Result<void> prepared = copies_->Prepare(components_); !prepared) {
            error_ = prepared.error().Text();
            return false;
        }
        copy_.emplace(copies_->Next());
        from = copies_->pristine();
        options.writeTo = copy_->path();
    }
    auto loaded = LoadUnit(from, components_, options);
    if (!loaded) {
        error_ = loaded.error().Text();
        return false;
    }
    unit_ = std::move(loaded.value());
    error_.clear();
    return true;
}

}  // namespace host::unit
