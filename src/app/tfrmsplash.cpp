#include "tfrmsplash.h"

#include "ui_tfrmsplash.h"

#include "data/apphome.h"

#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>

namespace zu {

TfrmSplash::TfrmSplash(const QString& homeDir)
    : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint), ui(std::make_unique<Ui::TfrmSplash>())
{
    ui->setupUi(this);
    const QPixmap picture(homeFile(homeDir, QStringLiteral("dqSplash.bmp")));
    m_hasPicture = !picture.isNull();
    if (m_hasPicture) {
        resize(picture.size());
        ui->Image1->setGeometry(rect());
        ui->Image1->setPixmap(picture);
    } else {
        // Without the picture a plain panel with the product name.
        ui->Image1->setText(QStringLiteral("zu电器售后服务管理软件"));
        ui->Image1->setAlignment(Qt::AlignCenter);
        QFont f = ui->Image1->font();
        f.setPointSize(18);
        f.setBold(true);
        ui->Image1->setFont(f);
        setAutoFillBackground(true);
    }
    ui->Label1->setAttribute(Qt::WA_TranslucentBackground);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

TfrmSplash::~TfrmSplash() = default;

void TfrmSplash::setStatus(const QString& text)
{
    ui->Label1->setText(text);
    ui->Label1->repaint();
}

QString TfrmSplash::status() const
{
    return ui->Label1->text();
}

} // namespace zu
