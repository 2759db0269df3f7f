#include "app/help_window.h"

#include <QFile>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

#include "app/document_names.h"

namespace tarvix {

HelpWindow::HelpWindow(QWidget* parent)
    : QDialog(parent, Qt::Window), browser_(new QTextBrowser(this)) {
    setWindowTitle(QString(kProductTitle) + " Help");
    QFile guide(":/help/user-guide.md");
    if (guide.open(QIODevice::ReadOnly)) {
        // The guide's pictures are named from its folder, as in the source tree.
        browser_->document()->setBaseUrl(QUrl("qrc:/help/"));
        browser_->setMarkdown(QString::fromUtf8(guide.readAll()));
    } else {
        browser_->setPlainText("The user guide is missing from this build.");
    }
    browser_->setOpenExternalLinks(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(browser_);
    resize(640, 560);
}

QString HelpWindow::guideText() const {
    return browser_->toPlainText();
}

}  // namespace tarvix
