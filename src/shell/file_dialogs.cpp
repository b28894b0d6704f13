// Qt's file dialogs for archives and the PDF report.
#include "shell/file_dialogs.h"

#include <QFileDialog>

namespace kavrin::shell {

namespace {
constexpr const char* kDefaultSuffix = "SoftPot";
constexpr const char* kInitialName = "*.spa";
constexpr const char* kArchiveFilter = "SoftPot Files (*.spa)";
constexpr const char* kAllFilesFilter = "All Files (*.*)";
constexpr const char* kPdfSuffix = "pdf";
constexpr const char* kPdfFilter = "PDF Files (*.pdf)";

QString run(QFileDialog& dialog) {
    dialog.setDefaultSuffix(kDefaultSuffix);
    dialog.selectFile(kInitialName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return {};
    }
    return dialog.selectedFiles().front();
}
} // namespace

QString QtFileDialogs::openArchive(QWidget* owner) {
    QFileDialog dialog(owner);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters({kArchiveFilter});
    return run(dialog);
}

QString QtFileDialogs::saveArchive(QWidget* owner) {
    QFileDialog dialog(owner);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters({kArchiveFilter, kAllFilesFilter});
    return run(dialog);
}

QString QtFileDialogs::saveReportPdf(QWidget* owner) {
    QFileDialog dialog(owner);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters({kPdfFilter});
    dialog.setDefaultSuffix(kPdfSuffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return {};
    }
    return dialog.selectedFiles().front();
}

} // namespace kavrin::shell
