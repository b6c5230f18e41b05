#pragma once

#include <memory>
#include <QDialog>
#include <QMessageBox>

namespace Ui {
class TfrmBackUP;
}

namespace zu {

// Backs the database up into the backup folder and, for the embedded database, restores it from
// a backup chosen in the folder's file list.
class TfrmBackUP final : public QDialog
{
    Q_OBJECT
public:
    explicit TfrmBackUP(QWidget* parent = nullptr);
    ~TfrmBackUP() override;

    // The folder backups go to and restores come from.
    QString folder() const { return m_folder; }

private:
    void FormShow();
    void Btn_BackClick();
    void backupEmbedded();
    void backupServer();
    void proposeServerName();
    void Btn_StoreClick();
    void restoreFrom(const QString& source);
    void btnFolderClick();
    void setFolder(const QString& folder);
    void requireFolder();
    void refreshFileList();
    QString selectedFile() const;
    void tell(const QString& title, const QString& text, QMessageBox::Icon icon = QMessageBox::Information);
    void plainMessage(const QString& text);

    std::unique_ptr<Ui::TfrmBackUP> ui;
    QString m_folder;
    QString m_database;
};

} // namespace zu
