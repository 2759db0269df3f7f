// The four register lines and the flag legend, white on the kit's grey-green, drawn in one
// piece so that a Run's frequent refreshes never flicker. A value that differs from the
// lines at the last stop is drawn in the highlight colour. While editable, a double click on a
// register opens its value in hex (Enter commits, Escape cancels) and a click on a flag
// toggles it. From the keyboard the arrows move a frame between the registers and the flags;
// F2 or Enter opens the framed register, or toggles the framed flag, as Space does. The pane
// only reports the edit, its owner makes it.
#pragma once

#include <QWidget>

class QLineEdit;
class QPainter;
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

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
    bool isEditable() const { return editable_; }
    // Opens the editor on a register's value; false for a name the pane does not edit.
    bool editRegister(const QString& name);
    QLineEdit* editor() const { return editor_; }
    // The register's name ("AX") or the flag's letter ("Z") in the keyboard's frame.
    QString selectedName() const;
    // Where the register value or flag starting at `column` of line `line` is drawn (empty
    // while the line is shorter).
    QRect pieceRectAt(std::size_t line, std::size_t column) const;

signals:
    // A register by its name ("AX"), and a FLAGS bit by its number.
    void registerEdited(const QString& name, std::uint16_t value);
    void flagToggled(int bit);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void drawChanges(QPainter& painter, std::size_t line) const;
    void drawSelection(QPainter& painter) const;
    struct Place {
        std::size_t line;
        std::size_t column;
    };
    std::optional<Place> placeAt(QPoint point) const;
    QRect pieceRect(Place place) const;
    void openEditor(std::size_t line, std::size_t column);
    void commitEdit();
    // What the keyboard's frame moves over: each editable register's value, then each flag.
    std::vector<Place> pieces() const;
    void select(const std::vector<Place>& all, std::size_t index);
    void moveSelection(int key);
    void actOnSelection(bool toggleOnly);

    std::array<std::string, 4> lines_;
    std::array<std::string, 4> atStop_;
    QLineEdit* editor_;
    QString editedName_;
    std::size_t selected_ = 0;  // an index of pieces()
    bool editable_ = false;
};

}  // namespace tarvix
