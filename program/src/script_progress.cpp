#include "script_progress.h"

#include <charconv>
#include <cstring>
#include <locale>
#include <sstream>

#include "platform/text.h"
#include "result_file.h"
#include "whole_file.h"

namespace program::detail {

namespace {

constexpr std::string_view kScreenHeader = "kestrin-screen ";

std::size_t PixelBytes(const ui::Framebuffer& screen) {
    return static_cast<std::size_t>(screen.Width()) * static_cast<std::size_t>(screen.Height()) *
           sizeof(std::uint32_t);
}

bool SamePixels(const ui::Framebuffer& a, const ui::Framebuffer& b) {
    return a.Width() == b.Width() && a.Height() == b.Height() &&
           std::memcmp(a.Data(), b.Data(), PixelBytes(a)) == 0;
}

template <class Number>
Number NumberOf(std::string_view text) {
    Number n{};
    std::from_chars(text.data(), text.data() + text.size(), n);
    return n;
}

double MillisOf(std::string_view text) {
    // from_chars for double is missing from some standard libraries.
    std::istringstream in{std::string(text)};
    in.imbue(std::locale::classic());
    double value = 0;
    in >> value;
    return value;
}

}  // namespace

ScriptProgress::ScriptProgress(script::RunObserver* trace,
                               const std::filesystem::path& progressFile,
                               const std::filesystem::path& screenFile)
    : trace_(trace) {
    if (!progressFile.empty()) {
        progress_.open(progressFile, std::ios::binary | std::ios::trunc);
    }
    if (!screenFile.empty()) {
        screen_.open(screenFile, std::ios::binary | std::ios::trunc);
    }
}

void ScriptProgress::Append(const std::string& fields) {
    if (progress_.is_open()) {
        progress_.write(fields.data(), static_cast<std::streamsize>(fields.size()));
        progress_.flush();
    }
}

void ScriptProgress::CommandStarted(const script::Command& command) {
    {
        const std::lock_guard lock(mutex_);
        current_ = CommandAt{command.line, command.source};
    }
    std::string fields;
    AppendField(&fields, "started", std::to_string(command.line));
    AppendField(&fields, "command", command.source);
    Append(fields);
    if (trace_ != nullptr) {
        trace_->CommandStarted(command);
    }
}

void ScriptProgress::CommandEnded(const script::CommandRecord& record) {
    {
        const std::lock_guard lock(mutex_);
        current_.reset();
    }
    std::string fields;
    AppendField(&fields, "ended", std::to_string(record.command->line));
    AppendField(&fields, "command", record.command->source);
    AppendField(&fields, "failure", record.failure);
    AppendField(&fields, "unit-ms", std::to_string(record.unitMs));
    AppendField(
        &fields, "wall-ms",
        platform::Format("%.6f", std::chrono::duration<double, std::milli>(record.wall).count()));
    for (const std::string& line : record.debugLines) {
        AppendField(&fields, "debug", line);
    }
    for (const ui::MessageBoxInfo& box : record.messageBoxes) {
        AppendField(&fields, "box", box.text);
    }
    Append(fields);
    // The screen once it changed: one write over the last, no new file.
    if (screen_.is_open() && record.screen != nullptr &&
        (!shown_ || !SamePixels(*shown_, *record.screen))) {
        shown_ = *record.screen;
        const std::string header = std::string(kScreenHeader) + std::to_string(shown_->Width()) +
                                   ' ' + std::to_string(shown_->Height()) + '\n';
        screen_.seekp(0);
        screen_.write(header.data(), static_cast<std::streamsize>(header.size()));
        screen_.write(reinterpret_cast<const char*>(shown_->Data()),
                      static_cast<std::streamsize>(PixelBytes(*shown_)));
        screen_.flush();
    }
    if (trace_ != nullptr) {
        trace_->CommandEnded(record);
    }
}

std::optional<CommandAt> ScriptProgress::Current() const {
    const std::lock_guard lock(mutex_);
    return current_;
}

Progress ReadProgress(const std::filesystem::path& file) {
    Progress progress;
    const std::optional<std::string> text = ReadWholeFile(file);
    if (!text) {
        return progress;
    }
    FieldReader reader(*text);
    std::string_view key;
    std::string_view value;
    TraceStep* step = nullptr;
    while (reader.Next(&key, &value)) {
        if (key == "started") {
            progress.current = CommandAt{NumberOf<int>(value), {}};
            step = nullptr;
        } else if (key == "ended") {
            progress.current.reset();
            step = &progress.ended.emplace_back();
            step->line = NumberOf<int>(value);
        } else if (key == "command" && step != nullptr) {
            step->command = value;
        } else if (key == "command" && progress.current) {
            progress.current->source = value;
        } else if (step == nullptr) {
            continue;
        } else if (key == "failure") {
            step->failure = value;
        } else if (key == "unit-ms") {
            step->unitMs = NumberOf<std::uint64_t>(value);
        } else if (key == "wall-ms") {
            step->wallMs = MillisOf(value);
        } else if (key == "debug") {
            step->debugLines.emplace_back(value);
        } else if (key == "box") {
            step->messageBoxes.emplace_back(value);
        }
    }
    return progress;
}

std::optional<ui::Framebuffer> ReadScreenFile(const std::filesystem::path& file) {
    const std::optional<std::string> text = ReadWholeFile(file);
    if (!text || !text->starts_with(kScreenHeader)) {
        return std::nullopt;
    }
    const std::size_t space = text->find(' ', kScreenHeader.size());
    const std::size_t newline = text->find('\n', kScreenHeader.size());
    if (space == std::string::npos || newline == std::string::npos || space > newline) {
        return std::nullopt;
    }
    const std::string_view all(*text);
    const int width = NumberOf<int>(all.substr(kScreenHeader.size(), space - kScreenHeader.size()));
    const int height = NumberOf<int>(all.substr(space + 1, newline - space - 1));
    constexpr int kLargest = 4096;
    if (width <= 0 || height <= 0 || width > kLargest || height > kLargest) {
        return std::nullopt;
    }
    ui::Framebuffer screen(width, height);
    if (text->size() - newline - 1 < PixelBytes(screen)) {
        return std::nullopt;
    }
    std::memcpy(screen.Data(), text->data() + newline + 1, PixelBytes(screen));
    return screen;
}

}  // namespace program::detail
