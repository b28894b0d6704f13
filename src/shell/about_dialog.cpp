// The About box: version, date, a notice and the radio models by sales region.
#include "shell/about_dialog.h"

#include "shell/artwork.h"

#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace kavrin::shell {

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle("About Kavrin");
    auto* layout = new QVBoxLayout(this);
    auto* header = new QHBoxLayout;
    auto* icon = new QLabel(this);
    icon->setPixmap(applicationIcon().pixmap(32, 32));
    header->addWidget(icon);
    auto* texts = new QVBoxLayout;
    texts->addWidget(new QLabel("Kavrin Version R02.02", this));
    texts->addWidget(new QLabel("Date Dec 10, 2012", this));
    header->addLayout(texts, 1);
    layout->addLayout(header);

    auto* notice = new QGroupBox(this);
    auto* noticeLayout = new QVBoxLayout(notice);
    auto* noticeText = new QLabel(
        "For authorised service technicians only. Align a radio only into a dummy load and "
        "with calibrated test equipment; keep an archive of every radio before you program it.",
        notice);
    noticeText->setWordWrap(true);
    noticeLayout->addWidget(noticeText);
    layout->addWidget(notice);

    auto* models = new QGroupBox("Supported radio models", this);
    auto* modelsLayout = new QVBoxLayout(models);
    modelsLayout->addWidget(new QLabel("North America: KVR4100U1, KVR4100U2, KVR4150U1", models));
    modelsLayout->addWidget(new QLabel("Europe: KVR4100E1, KVR4150E1", models));
    modelsLayout->addWidget(new QLabel("Asia and Pacific: KVR4100A1, KVR4160A1", models));
    layout->addWidget(models);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons);
}

} // namespace kavrin::shell
