// The four register lines and the flag legend, white on the kit's grey-green, drawn in one
// piece so that a Run's frequent refreshes never flicker.
#pragma once

#include <QWidget>
#include <array>
#include <string>

namespace tarvix {

class RegisterPane : public QWidget {
    Q_OBJECT

public:
    explicit RegisterPane(QWidget* parent = nullptr);

    void setLines(const std::array<std::string, 4>& lines);
    const std::array<std::string, 4>& lines() const { return lines_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::array<std::string, 4> lines_;
};

}  // namespace tarvix
