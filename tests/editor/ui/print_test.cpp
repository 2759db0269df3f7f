// Printing: the pages a listing or a source makes, a page range, and the page-setup margins
// kept in the profile.
#include <QFile>
#include <QPrinter>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <string>

#include "editor/ui/edit_settings.h"
#include "editor/ui/text_printer.h"
#include "editor/ui/x86_text_view.h"
#include "editor/x86_text_buffer.h"
#include "ui/kit_fonts.h"

namespace tarvix {

class PrintTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir folder_;

    // Prints `lines` numbered lines to a PDF and counts its pages.
    int printedPages(int lines, int fromPage = 0, int toPage = 0) {
        CX86TextBuffer buffer;
        buffer.initEmpty();
        std::string text;
        for (int line = 0; line < lines; ++line) {
            text += "\tmov ax," + std::to_string(line) + (line + 1 < lines ? "\r\n" : "");
        }
        buffer.insertTextAt(nullptr, {0, 0}, text, EditAction::Unknown);
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        const QString pdf = folder_.filePath("out.pdf");
        printer.setOutputFileName(pdf);
        printer.setFromTo(fromPage, toPage);
        printText(printer, buffer, monospacedFont("courier"));
        QFile file(pdf);
        if (!file.open(QIODevice::ReadOnly)) {
            return -1;
        }
        const QByteArray bytes = file.readAll();
        return static_cast<int>(bytes.count("/Type /Page\n") + bytes.count("/Type /Page\r") +
                                bytes.count("/Type /Page "));
    }

private slots:
    void initTestCase() {
        QVERIFY(folder_.isValid());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, folder_.path());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, folder_.path());
    }

    void aShortTextIsOnePage() { QCOMPARE(printedPages(1), 1); }

    void aLongTextRunsOverPagesAndARangePrintsAlone() {
        const int onePage = printedPages(40);
        QCOMPARE(onePage, 1);
        const int many = printedPages(400);
        QVERIFY2(many > 1 && many < 40, qPrintable(QString::number(many)));
        QCOMPARE(printedPages(400, 2, 3), 2);
    }

    void pageSetupMarginsAreKeptInTheProfile() {
        savePageMargins(QMarginsF(12, 7, 31, 9));
        QCOMPARE(loadPageMargins(), QMarginsF(12, 7, 31, 9));
        QSettings settings(QStringLiteral("Tarvix"), QStringLiteral("Tarvix"));
        QCOMPARE(settings.value("Edit/PageSetup/RightMargin").toInt(), 31);
    }
};

}  // namespace tarvix

QTEST_MAIN(tarvix::PrintTest)
#include "print_test.moc"
