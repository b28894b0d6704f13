// The file dialogs of archives and of the PDF report, behind a seam that tests answer.
#pragma once

#include <QString>

class QWidget;

namespace kavrin::shell {

class IFileDialogs {
public:
    virtual ~IFileDialogs() = default;
    // The chosen path, or empty when the dialog was cancelled.
    virtual QString openArchive(QWidget* owner) = 0;
    virtual QString saveArchive(QWidget* owner) = 0;
    virtual QString saveReportPdf(QWidget* owner) = 0;
};

class QtFileDialogs final : public IFileDialogs {
public:
    QString openArchive(QWidget* owner) override;
    // Lets the user name a new file and asks before it replaces an existing one.
    QString saveArchive(QWidget* owner) override;
    QString saveReportPdf(QWidget* owner) override;
};

} // namespace kavrin::shell
