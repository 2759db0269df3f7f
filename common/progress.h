// How long work shows its progress: the GUI's progress dialog implements it, the command
// line ignores it.
#pragma once

namespace tarvix {

class ProgressSink {
public:
    virtual ~ProgressSink() = default;
    virtual void setRange(int low, int high) = 0;
    virtual void step() = 0;
};

class NoProgress : public ProgressSink {
public:
    void setRange(int, int) override {}
    void step() override {}
};

}  // namespace tarvix
