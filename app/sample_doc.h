// The document: the text buffer of one assembly source or list file, its path and the font
// the view shows it in. New, Open and Save keep the file's line-end style; a failure is shown
// and loses nothing. The breakpoints of each file opened in this session come back with it,
// so that they survive a look at the listing.
#pragma once

#include <QFont>
#include <QObject>
#include <QString>
#include <map>
#include <vector>

#include "app/user_prompts.h"
#include "editor/x86_text_buffer.h"

namespace tarvix {

class CSampleDoc : public QObject {
    Q_OBJECT

public:
    explicit CSampleDoc(QObject* parent = nullptr);

    CX86TextBuffer& buffer() { return buffer_; }
    const CX86TextBuffer& buffer() const { return buffer_; }
    // Absolute; empty for a document that was never saved.
    const QString& path() const { return path_; }
    // The name the user knows the document by: the file name, or "Untitled".
    QString displayName() const;
    bool isModified() const { return buffer_.isModified(); }
    // Face "courier", weight normal: the platform's monospaced font.
    const QFont& font() const { return font_; }

    // An empty text with CR LF line ends and no path.
    void newDocument();
    // Loads the file, detecting its line ends; on failure the document stays as it was.
    bool open(const QString& path, UserPrompts& prompts);
    // Saves to the document's path, asking for one when it has none.
    bool save(UserPrompts& prompts);
    // Saves under a name the user chooses, which becomes the document's path.
    bool saveAs(UserPrompts& prompts);
    // Before the text goes away: true when it may (saved, dropped or unchanged).
    bool saveModified(UserPrompts& prompts);

signals:
    void pathChanged(const QString& path);

private:
    bool saveTo(const QString& path, UserPrompts& prompts);
    void setPath(const QString& path);
    void keepBreakpoints();
    void restoreBreakpoints();

    CX86TextBuffer buffer_;
    QString path_;
    QFont font_;
    std::map<QString, std::vector<int>> breakpoints_;
};

}  // namespace tarvix
