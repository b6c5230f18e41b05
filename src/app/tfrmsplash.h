#pragma once

#include <memory>
#include <QWidget>

namespace Ui {
class TfrmSplash;
}

namespace zu {

// Shown while the database is being connected; its picture dqSplash.bmp is optional.
class TfrmSplash final : public QWidget
{
    Q_OBJECT
public:
    explicit TfrmSplash(const QString& homeDir);
    ~TfrmSplash() override;

    void setStatus(const QString& text);
    QString status() const;
    bool hasPicture() const { return m_hasPicture; }

private:
    std::unique_ptr<Ui::TfrmSplash> ui;
    bool m_hasPicture = false;
};

} // namespace zu
