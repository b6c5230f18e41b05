#pragma once

#include <memory>
#include <QDialog>

namespace Ui {
class ConfigWindow;
}

namespace zu::conntool {

// The connection tool's window: chooses the embedded database or a server, tests and saves.
class ConfigWindow final : public QDialog
{
    Q_OBJECT
public:
    explicit ConfigWindow(QString home, QWidget* parent = nullptr);
    ~ConfigWindow() override;

private:
    void load();
    void updateEnabling();
    void testConnection();
    void save();

    std::unique_ptr<Ui::ConfigWindow> ui;
    QString m_home;
};

} // namespace zu::conntool
