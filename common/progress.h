// How long work shows its progress, and whether whoever waits for it wants it stopped: the
// GUI's progress dialog shows it, tarvix-run stops an assembly that outlasts its time limit.
#pragma once

namespace tarvix {

class ProgressSink {
public:
    virtual ~ProgressSink() = default;
    virtual void setRange(int low, int high) = 0;
    virtual void step() = 0;
    // Asked between lines; true ends the work early, without a message of its own.
    virtual bool cancelled() { return false; }
};

class NoProgress : public ProgressSink {
public:
    void setRange(int, int) override {}
    void step() override {}
};

}  // namespace tarvix
