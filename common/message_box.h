// Internal-consistency reports that the kit shows in a message box rather than in the pane.
#pragma once

#include <string_view>

namespace tarvix {

class MessageBoxSink {
public:
    virtual ~MessageBoxSink() = default;
    virtual void showMessageBox(std::string_view text) = 0;
};

}  // namespace tarvix
