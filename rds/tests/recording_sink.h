// Records what the receive thread delivers, one line per call, in order.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "rds/tool_sink.h"

class RecordingSink : public RdsToolSink {
  public:
    void SetVersion(int first, int second, int third) override {
        Add("version " + std::to_string(first) + " " + std::to_string(second) + " " +
            std::to_string(third));
    }
    void SetLevel(int level) override { Add("level " + std::to_string(level)); }
    void SetTuneReply(bool strength, bool tuned) override {
        Add(std::string("tune strength=") + (strength ? "1" : "0") +
            " tuned=" + (tuned ? "1" : "0"));
    }
    void SetSeekReply(bool found, int frequency, bool tuned) override {
        Add(std::string("seek found=") + (found ? "1" : "0") + " " + std::to_string(frequency) +
            " tuned=" + (tuned ? "1" : "0"));
    }
    void SetPsName(const std::string& name) override { Add("ps [" + name + "]"); }
    void SetRawWords(const RdsRawWords& words) override {
        Add("raw " + words[0] + " " + words[1] + " " + words[2] + " " + words[3]);
    }

    std::vector<std::string> Events() {
        std::lock_guard lock(m_mutex);
        return m_events;
    }

  protected:
    virtual void Add(std::string event) {
        std::lock_guard lock(m_mutex);
        m_events.push_back(std::move(event));
    }

    std::mutex m_mutex;
    std::vector<std::string> m_events;
};
