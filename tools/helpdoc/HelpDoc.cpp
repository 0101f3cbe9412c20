#include "HelpDoc.h"

#include <QFile>
#include <QFont>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QSaveFile>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>

namespace leafmark::helpdoc {
namespace {

// Tables read better with thin collapsed rules and some room in the cells.
void styleTables(QTextDocument& doc) {
    for (QTextFrame* frame : doc.rootFrame()->childFrames()) {
        auto* table = qobject_cast<QTextTable*>(frame);
        if (!table) continue;
        QTextTableFormat format = table->format();
        format.setBorderCollapse(true);
        format.setBorder(0.5);
        format.setCellPadding(3);
        format.setCellSpacing(0);
        format.setTopMargin(4);
        format.setBottomMargin(6);
        table->setFormat(format);
    }
}

imaging::Status failure(const QString& text) {
    return imaging::Status::failure(text.toStdString());
}

}  // namespace

imaging::Status writeHelpPdf(const QString& markdown, const QString& pdfPath,
                             const QString& title) {
    QSaveFile out(pdfPath);
    if (!out.open(QIODevice::WriteOnly))
        return failure(QStringLiteral("cannot write %1: %2").arg(pdfPath, out.errorString()));
    {
        QPdfWriter writer(&out);
        writer.setTitle(title);
        writer.setCreator(title);
        writer.setResolution(300);
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                         QMarginsF(20, 18, 20, 18), QPageLayout::Millimeter));

        QTextDocument doc;
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPointSizeF(10.5);
        doc.setDefaultFont(font);
        doc.setMarkdown(markdown, QTextDocument::MarkdownDialectGitHub);
        styleTables(doc);
        if (doc.isEmpty()) {
            out.cancelWriting();
            return failure(QStringLiteral("the guide is empty"));
        }
        // Lays the text out on the writer's pages (with page numbers) and
        // finishes the PDF when the writer goes out of scope.
        doc.print(&writer);
    }
    if (!out.commit())
        return failure(QStringLiteral("cannot write %1: %2").arg(pdfPath, out.errorString()));
    return imaging::Status::success();
}

imaging::Status convertFile(const QString& markdownPath, const QString& pdfPath,
                            const QString& title) {
    QFile in(markdownPath);
    if (!in.open(QIODevice::ReadOnly))
        return failure(QStringLiteral("cannot read %1: %2").arg(markdownPath, in.errorString()));
    return writeHelpPdf(QString::fromUtf8(in.readAll()), pdfPath, title);
}

}  // namespace leafmark::helpdoc
