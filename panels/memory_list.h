// The RAM view: a titled list of the memory rows, light text on near-black in the fixed-pitch
// font, whole rows selected. Ctrl+G opens a line under the title that takes an address and
// brings its row into sight.
#pragma once

#include <QWidget>
#include <cstdint>
#include <optional>

class QLabel;
class QLineEdit;
class QListView;

namespace tarvix {

class MemoryRowModel;

class MemoryList : public QWidget {
    Q_OBJECT

public:
    static constexpr const char* kTitle = "Address  Hex Dec ASCII";
    static constexpr const char* kWideTitle =
        "Addr  +0 +1 +2 +3 +4 +5 +6 +7 +8 +9 +A +B +C +D +E +F";

    explicit MemoryList(MemoryRowModel* model, QWidget* parent = nullptr);

    QListView* view() const { return view_; }
    QLabel* title() const { return title_; }
    QLineEdit* addressLine() const { return address_; }

    // Shows the address line with the focus in it.
    void askForAddress();
    // Selects and shows the row of a RAM address; false (nothing moves) outside the RAM.
    bool goToAddress(std::uint16_t address);
    // Follows the model's choice of one or sixteen bytes a row.
    void updateTitle();

    // "1A2B" or "1A2BH"; nothing for text that is not a hexadecimal word.
    static std::optional<std::uint16_t> parseAddress(const QString& text);

private:
    void takeAddress();

    MemoryRowModel* model_;
    QLabel* title_;
    QLineEdit* address_;
    QListView* view_;
};

}  // namespace tarvix
