// The file dialogs of archives and of the PDF report, behind a seam that tests answer.
#pragma once

#include <QString>
#include <memory>

class QFileDialog;
class QWidget;

namespace kavrin::shell {

// What an archive name without extension becomes, and what the Load dialog's filter shows.
inline constexpr const char* kArchiveSuffix = "spa";

class IFileDialogs {
public:
    virtual ~IFileDialogs() = default;
    // The chosen path, or empty when the dialog was cancelled.
    virtual QString openArchive(QWidget* owner) = 0;
    virtual QString saveArchive(QWidget* owner) = 0;
    virtual QString saveReportPdf(QWidget* owner) = 0;
};

// The folder the archive dialogs start in: the one an archive was last chosen in while it still
// exists, else the user's documents folder, else the home folder.
QString archiveStartFolder();
// Remembers the folder of an archive the user chose.
void rememberArchiveFolder(const QString& chosenPath);

enum class ArchiveDialogMode { Load, Save };
// The archive dialog as it is shown: filters, default extension and starting folder.
std::unique_ptr<QFileDialog> makeArchiveDialog(QWidget* owner, ArchiveDialogMode mode);

class QtFileDialogs final : public IFileDialogs {
public:
    QString openArchive(QWidget* owner) override;
    // Lets the user name a new file and asks before it replaces an existing one.
    QString saveArchive(QWidget* owner) override;
    QString saveReportPdf(QWidget* owner) override;
};

} // namespace kavrin::shell
