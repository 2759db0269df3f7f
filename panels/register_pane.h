// The four register lines and the flag legend, white on the kit's grey-green, drawn in one
// piece so that a Run's frequent refreshes never flicker. A value that differs from the
// lines at the last stop is drawn in the highlight colour. While editable, a double click on a
// register opens its value in hex (Enter commits, Escape cancels) and a click on a flag
// toggles it; the pane only reports the edit, its owner makes it.
#pragma once

#include <QWidget>

class QLineEdit;
class QPainter;
#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace tarvix {

class RegisterPane : public QWidget {
    Q_OBJECT

public:
    explicit RegisterPane(QWidget* parent = nullptr);

    void setLines(const std::array<std::string, 4>& lines);
    const std::array<std::string, 4>& lines() const { return lines_; }
    // The lines shown now become the ones changes are measured from.
    void markStop();
    // Whether the word of line `line` starting at `column` differs from the last stop.
    bool changedAt(std::size_t line, std::size_t column) const;

    void setEditable(bool editable);
    // Opens the editor on a register's value; false for a name the pane does not edit.
    bool editRegister(const QString& name);
    QLineEdit* editor() const { return editor_; }

signals:
    // A register by its name ("AX"), and a FLAGS bit by its number.
    void registerEdited(const QString& name, std::uint16_t value);
    void flagToggled(int bit);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void drawChanges(QPainter& painter, int x, int y, std::size_t line) const;
    struct Place {
        std::size_t line;
        std::size_t column;
    };
    std::optional<Place> placeAt(QPoint point) const;
    void openEditor(std::size_t line, std::size_t column);
    void commitEdit();

    std::array<std::string, 4> lines_;
    std::array<std::string, 4> atStop_;
    QLineEdit* editor_;
    QString editedName_;
    bool editable_ = false;
};

}  // namespace tarvix
