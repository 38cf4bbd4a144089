// Where the RDS tool's receive thread delivers what the module sent. The tool
// window implements it with synchronous updates of its controls; every call
// comes from the receive thread.
#pragma once

#include <string>

#include "rds/replies.h"

class RdsToolSink {
  public:
    RdsToolSink() = default;
    RdsToolSink(const RdsToolSink&) = delete;
    RdsToolSink& operator=(const RdsToolSink&) = delete;
    virtual ~RdsToolSink() = default;

    // Reply 'V': the three version numbers, each a signed 8-bit number.
    virtual void SetVersion(int first, int second, int third) = 0;
    // Reply 'l': the signal level, a signed 8-bit number.
    virtual void SetLevel(int level) = 0;
    // Reply 's'.
    virtual void SetTuneReply(bool strength, bool tuned) = 0;
    // Reply 'f'. When found, `frequency` is the station's and has already
    // become the link's frequency; otherwise it is the unchanged frequency
    // and the frequency field is left alone.
    virtual void SetSeekReply(bool found, int frequency, bool tuned) = 0;
    // A completed Programme Service name, widened to UTF-8.
    virtual void SetPsName(const std::string& name) = 0;
    // The four words of every frame, after whatever that frame changed.
    virtual void SetRawWords(const RdsRawWords& words) = 0;
};
