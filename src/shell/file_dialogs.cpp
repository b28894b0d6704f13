// Qt's file dialogs for archives and the PDF report.
#include "shell/file_dialogs.h"

#include "data/settings_names.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

namespace kavrin::shell {

namespace {
constexpr const char* kInitialName = "*.spa";
constexpr const char* kArchiveFilter = "SoftPot Files (*.spa)";
constexpr const char* kAllFilesFilter = "All Files (*.*)";
constexpr const char* kPdfSuffix = "pdf";
constexpr const char* kPdfFilter = "PDF Files (*.pdf)";

QSettings settings() {
    return QSettings(kSettingsOrganizationName, kSettingsApplicationName);
}

QString chosenFile(QFileDialog& dialog) {
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return {};
    }
    return dialog.selectedFiles().front();
}

QString runArchiveDialog(QWidget* owner, ArchiveDialogMode mode) {
    const auto dialog = makeArchiveDialog(owner, mode);
    const auto path = chosenFile(*dialog);
    if (!path.isEmpty()) {
        rememberArchiveFolder(path);
    }
    return path;
}
} // namespace

QString archiveStartFolder() {
    const auto remembered = settings().value(kArchiveFolderKey).toString();
    if (!remembered.isEmpty() && QFileInfo(remembered).isDir()) {
        return remembered;
    }
    // Never the folder the program was started from: that is often its own, or a build tree.
    const auto documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return !documents.isEmpty() && QFileInfo(documents).isDir() ? documents : QDir::homePath();
}

void rememberArchiveFolder(const QString& chosenPath) {
    settings().setValue(kArchiveFolderKey, QFileInfo(chosenPath).absolutePath());
}

std::unique_ptr<QFileDialog> makeArchiveDialog(QWidget* owner, ArchiveDialogMode mode) {
    auto dialog = std::make_unique<QFileDialog>(owner);
    if (mode == ArchiveDialogMode::Load) {
        dialog->setAcceptMode(QFileDialog::AcceptOpen);
        dialog->setFileMode(QFileDialog::ExistingFile);
        dialog->setNameFilters({kArchiveFilter});
    } else {
        dialog->setAcceptMode(QFileDialog::AcceptSave);
        dialog->setFileMode(QFileDialog::AnyFile);
        dialog->setNameFilters({kArchiveFilter, kAllFilesFilter});
    }
    // A name typed without extension is saved as an archive the Load dialog's filter shows.
    dialog->setDefaultSuffix(kArchiveSuffix);
    dialog->setDirectory(archiveStartFolder());
    dialog->selectFile(kInitialName);
    return dialog;
}

QString QtFileDialogs::openArchive(QWidget* owner) {
    return runArchiveDialog(owner, ArchiveDialogMode::Load);
}

QString QtFileDialogs::saveArchive(QWidget* owner) {
    return runArchiveDialog(owner, ArchiveDialogMode::Save);
}

QString QtFileDialogs::saveReportPdf(QWidget* owner) {
    QFileDialog dialog(owner);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters({kPdfFilter});
    dialog.setDefaultSuffix(kPdfSuffix);
    return chosenFile(dialog);
}

} // namespace kavrin::shell
