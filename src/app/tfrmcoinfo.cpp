#include "tfrmcoinfo.h"

#include "ui_tfrmcoinfo.h"

#include "data/datamodule.h"
#include "data/routines.h"
#include "widgets/dialogs.h"
#include "widgets/formroutines.h"
#include "widgets/guard.h"

namespace zu {

TfrmCoInFo::TfrmCoInFo(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::TfrmCoInFo>())
{
    ui->setupUi(this);
    setFixedSize(sizeHint().expandedTo(QSize(379, 241)));
    connect(ui->btnPost, &QPushButton::clicked, this, [this] { guarded(this, [this] { btnPostClick(); }); });
    connect(ui->btnClose, &QPushButton::clicked, this, &QDialog::reject);
    guarded(this, [this] { FormCreate(); });
}

TfrmCoInFo::~TfrmCoInFo() = default;

QList<QPair<QLineEdit*, QString>> TfrmCoInFo::fields() const
{
    return {{ui->edtCoName, QStringLiteral("CoName")},   {ui->edtContact, QStringLiteral("Contact")},
            {ui->edtAddress, QStringLiteral("Address")}, {ui->edtPhone, QStringLiteral("Phone")},
            {ui->edtFax, QStringLiteral("Fax")},         {ui->edtEmail, QStringLiteral("Email")}};
}

void TfrmCoInFo::FormCreate()
{
    ArrangeTabOrder(this, true);
    setWindowTitle(QStringLiteral("公司信息修改"));
    ui->btnPost->setText(QStringLiteral("保存&S"));
    ui->btnClose->setText(QStringLiteral("关闭&C"));
    for (const auto& [edit, column] : fields())
        edit->clear();
    Query& f = zu::data().F();
    OpenSql(f, QStringLiteral("select * from t_SoftInfo order by id"));
    if (!f.eof())
        for (const auto& [edit, column] : fields())
            edit->setText(f.asString(column));
    f.close();
}

void TfrmCoInFo::btnPostClick()
{
    Query& f = zu::data().F();
    OpenSql(f, QStringLiteral("select id from t_SoftInfo order by id"));
    const QVariant key = f.eof() ? QVariant() : f.value(0);
    f.close();
    QStringList columns;
    QVariantList values;
    for (const auto& [edit, column] : fields()) {
        columns << column;
        values << edit->text();
    }
    if (key.isValid()) {
        values << key;
        ExecSql(f,
                QStringLiteral("update t_SoftInfo set %1 = ? where id = ?")
                    .arg(columns.join(QStringLiteral(" = ?, "))),
                values);
    } else {
        ExecSql(f,
                QStringLiteral("insert into t_SoftInfo (%1) values (?, ?, ?, ?, ?, ?)")
                    .arg(columns.join(QLatin1Char(','))),
                values);
    }
    dialogs().message(this, QStringLiteral("提示"), QStringLiteral("设置成功！"), QMessageBox::Question,
                      QMessageBox::Ok, QMessageBox::Ok);
}

} // namespace zu
