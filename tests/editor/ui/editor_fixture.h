// A shown edit view over a buffer loaded from a file, with message boxes caught in a list.
#pragma once

#include <QFile>
#include <QFontMetrics>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <string>

#include "editor/ui/x86_edit_view.h"
#include "editor/x86_text_buffer.h"

namespace tarvix {

class EditorFixture {
public:
    explicit EditorFixture(const std::string& text) {
        const QString path = folder_.filePath(QStringLiteral("source.asm"));
        QFile file(path);
        if (file.open(QIODevice::WriteOnly)) {
            file.write(text.data(), static_cast<qint64>(text.size()));
            file.close();
        }
        loaded = buffer.loadFile(path.toStdString());
        view.setMessageHandler([this](const QString& message) { messages << message; });
        view.attachBuffer(&buffer);
        view.resize(480, 320);
        view.show();
        view.setFocus();
        exposed = QTest::qWaitForWindowExposed(&view);
    }

    std::string line(int index) const { return std::string(buffer.line(index)); }
    int lineHeight() const { return QFontMetrics(view.viewport()->font()).height(); }
    // The middle of a line's row in the viewport, `x` pixels from its left edge.
    QPoint pointOnLine(int line, int x) const {
        return {x, (line - view.firstVisibleLine()) * lineHeight() + lineHeight() / 2};
    }

    bool loaded = false;
    bool exposed = false;
    QStringList messages;
    CX86TextBuffer buffer;  // declared before the view, which detaches from it when destroyed
    CX86EditView view;

private:
    QTemporaryDir folder_;
};

}  // namespace tarvix
