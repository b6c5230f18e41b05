#include "shippedtemplates.h"

#include "data/routines.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace zu {

namespace {

const QString kResourceFolder = QStringLiteral(":/zu/reports");

} // namespace

QStringList shippedTemplateNames()
{
    return QDir(kResourceFolder).entryList({QStringLiteral("*.fr3")}, QDir::Files, QDir::Name);
}

QByteArray shippedTemplate(const QString& fileName)
{
    if (fileName.isEmpty() || fileName.contains(u'/'))
        return {};
    QFile file(kResourceFolder + u'/' + fileName);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool installShippedTemplates(const QString& folder, QStringList* written, QString* error)
{
    if (!QDir().mkpath(folder)) {
        if (error)
            *error = QStringLiteral("无法创建报表文件夹 %1").arg(QDir::toNativeSeparators(folder));
        return false;
    }
    for (const QString& name : shippedTemplateNames()) {
        const QString path = QDir(folder).filePath(name);
        if (QFileInfo::exists(path))
            continue;
        QString reason;
        if (!writeWholeFile(path, shippedTemplate(name), &reason)) {
            if (error)
                *error =
                    QStringLiteral("无法写入报表模板 %1：%2").arg(QDir::toNativeSeparators(path), reason);
            return false;
        }
        if (written)
            *written << name;
    }
    return true;
}

} // namespace zu
