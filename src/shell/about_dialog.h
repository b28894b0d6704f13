// The About box.
#pragma once

#include <QDialog>

namespace kavrin::shell {

class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* parent = nullptr);
};

} // namespace kavrin::shell
