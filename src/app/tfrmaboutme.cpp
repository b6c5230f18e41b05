#include "tfrmaboutme.h"

#include "ui_tfrmaboutme.h"

#include "data/datamodule.h"

namespace zu {

TfrmAboutMe::TfrmAboutMe(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::TfrmAboutMe>())
{
    ui->setupUi(this);
    setFixedSize(sizeHint().expandedTo(QSize(415, 192)));
    ui->lblVersion->setText(QStringLiteral(ZU_VERSION));
    // The maker's details are settings, so a dealer's own build needs no change to the program.
    IniFile& ini = zu::data().ConfigIni();
    const auto line = [&ini](const char* key) {
        const QString v = ini.readString(QStringLiteral("config"), QString::fromLatin1(key));
        return v.isEmpty() ? QStringLiteral("（未设置）") : v;
    };
    ui->lblSite->setText(line("WebSite"));
    ui->lblPhone->setText(line("MakerPhone"));
    ui->lblMobile->setText(line("MakerMobile"));
    connect(ui->btn1, &QPushButton::clicked, this, &QDialog::accept);
}

TfrmAboutMe::~TfrmAboutMe() = default;

} // namespace zu
